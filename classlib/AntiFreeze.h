#pragma once
// The anti-freeze of the desktop role: a blocking job runs on a worker thread while the calling
// thread keeps dispatching its window messages (timers, menu commands, other handlers), waking
// at least every 50 ms. The call returns when the job has ended, so the job's own limits (the
// HTTP time-outs, the DNS wait) bound it. Without the switch, as in the service and
// "-unregister" roles, the job simply blocks the caller.
#include <functional>

namespace vek {

inline constexpr unsigned kAntiFreezeRoundMs = 50;

// Runs the job; an exception it raises reaches the caller.
void RunBlockingJob(bool keepMessagesFlowing, const std::function<void()>& job);

} // namespace vek
