#include "tests/win/support/CycleObservers.h"

#include "tests/win/support/CoreFixture.h"

namespace vek::testing {

std::vector<std::string> LogLineReader::Take() {
    const std::string log = ReadFileBytes(path_);
    std::vector<std::string> lines;
    std::size_t start = read_;
    for (std::size_t end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2) {
        const std::string line = log.substr(start, end - start);
        // The timestamp's own separators are never followed by a blank.
        const std::size_t text = line.find(": ");
        if (text != std::string::npos && line.substr(text + 2) != "***Logging started.***") {
            lines.push_back(line.substr(text + 2));
        }
    }
    read_ = start;
    return lines;
}

std::string WatchingState(const TTimer& internal, const TTimer& external,
                          const FakeTimerScheduler& scheduler) {
    EXPECT_FALSE(internal.Enabled() && external.Enabled()) << "both watchers enabled";
    EXPECT_EQ(scheduler.IsArmed(internal), internal.Enabled());
    EXPECT_EQ(scheduler.IsArmed(external), external.Enabled());
    if (external.Enabled()) {
        return "external " + std::to_string(external.Interval());
    }
    if (internal.Enabled()) {
        return "internal " + std::to_string(internal.Interval());
    }
    return "off";
}

} // namespace vek::testing
