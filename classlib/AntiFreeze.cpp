#include "classlib/AntiFreeze.h"

#include "classlib/MessagePump.h"
#include "classlib/WinHandles.h"

#include <process.h>

#include <exception>
#include <optional>

namespace vek {
namespace {

struct Job {
    const std::function<void()>& work;
    std::exception_ptr error;
};

unsigned __stdcall RunJob(void* parameter) {
    auto& job = *static_cast<Job*>(parameter);
    try {
        job.work();
    } catch (...) {
        job.error = std::current_exception();
    }
    return 0;
}

} // namespace

void RunBlockingJob(bool keepMessagesFlowing, const std::function<void()>& job) {
    if (!keepMessagesFlowing) {
        job();
        return;
    }
    Job state{job, nullptr};
    UniqueHandle worker(
        reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, &RunJob, &state, 0, nullptr)));
    if (!worker) {
        job();
        return;
    }
    std::optional<int> quit;
    const HANDLE handle = worker.get();
    while (::MsgWaitForMultipleObjects(1, &handle, FALSE, kAntiFreezeRoundMs, QS_ALLINPUT) !=
           WAIT_OBJECT_0) {
        DispatchQueued(quit);
    }
    if (quit) {
        ::PostQuitMessage(*quit);
    }
    if (state.error) {
        std::rethrow_exception(state.error);
    }
}

} // namespace vek
