#pragma once
// A call made later, through the calling thread's message queue: once the handler that asked for
// it has returned and the message loop takes messages again. However often it is asked for
// before then, it runs once.
#include "classlib/WinHandles.h"

#include <windows.h>

#include <functional>

namespace vek {

class TPostedCall {
public:
    explicit TPostedCall(std::function<void()> call) : call_(std::move(call)) {}
    TPostedCall(const TPostedCall&) = delete;
    TPostedCall& operator=(const TPostedCall&) = delete;

    // Queues the call unless it is queued already. Without a message queue to post to, the call
    // runs now.
    void Post();
    // A queued call does not run.
    void Cancel() { pending_ = false; }
    bool Pending() const { return pending_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Run();

    std::function<void()> call_;
    bool pending_ = false;
    // A message-only window, made at the first post.
    UniqueWindow window_;
};

} // namespace vek
