#pragma once
// What the tests of the IP check cycle read back, whichever role runs it: the lines the log
// gained, and which watcher is armed.
#include "classlib/Timer.h"
#include "tests/win/support/FakeTimerScheduler.h"

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

namespace vek::testing {

// Rows of the table-driven tests print as their label.
template <class Row>
requires requires(const Row& row) { row.label; }
void PrintTo(const Row& row, std::ostream* out) { *out << row.label; }

// The lines a log file gained since the last Take, without their timestamps; the start line is
// left out.
class LogLineReader {
public:
    explicit LogLineReader(std::string path) : path_(std::move(path)) {}
    std::vector<std::string> Take();

private:
    std::string path_;
    std::size_t read_ = 0;
};

// "off", "external <interval>" or "internal <interval>"; fails the test when both watchers are
// enabled or a watcher's state disagrees with the scheduler's.
std::string WatchingState(const TTimer& internal, const TTimer& external,
                          const FakeTimerScheduler& scheduler);

} // namespace vek::testing
