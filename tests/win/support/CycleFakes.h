#pragma once
// Scripted answers for the IP check cycle: its two network calls, and the window lookup and
// messages that reach the desktop client. Each fake is the seam for its lifetime.
#include "Main/core/IPCheckCycle.h"
#include "classlib/Seams.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace vek::testing {

// Detection answers and update replies, each taken in order; an unscripted detection answers
// empty, an unscripted update gets an empty reply. Every call is recorded.
class ScriptedNetwork final : public IIPCycleNetwork {
public:
    std::string GetRemoteIP(const std::string& boundIP) override;
    std::string HttpGet(const std::string& url) override;

    std::deque<std::function<std::string()>> answers;
    std::deque<std::string> replies;
    std::vector<std::string> boundIPs;
    std::vector<std::string> urls;

    void Answer(const std::string& address) {
        answers.push_back([address] { return address; });
    }

private:
    seams::Seam<IIPCycleNetwork>::Override override_{*this};
};

struct SentMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    UINT flags;
    UINT timeout;
};

// The desktop client's window, present or not; messages to it are recorded.
class FakeWindows final : public seams::IWindowApi {
public:
    HWND FindWindowA(LPCSTR className, LPCSTR windowName) override;
    LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT SendMessageTimeoutA(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT flags,
                                UINT timeout, DWORD_PTR* result) override;

    bool clientRunning = false;
    std::vector<std::string> lookups;
    std::vector<SentMessage> timedMessages;
    int unboundedMessages = 0;

private:
    seams::Seam<seams::IWindowApi>::Override override_{*this};
};

} // namespace vek::testing
