#pragma once
// Scripted answers for the service's cycle: the two network calls, the window lookup and
// messages, and the local adapters.
#include "AdapterApi.h"
#include "IPCheckCycle.h"
#include "Seams.h"

#include <deque>
#include <functional>
#include <memory>
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

// Adapters as the socket layer lists them; the test may change the list at any time.
class FakeAdapters final : public IAdapterApi {
public:
    explicit FakeAdapters(std::shared_ptr<std::vector<std::string>> addresses)
        : addresses_(std::move(addresses)) {}
    GetAdaptersInfoFn Load() override { return nullptr; }
    std::vector<std::string> LocalAddresses() override { return *addresses_; }

private:
    std::shared_ptr<std::vector<std::string>> addresses_;
};

} // namespace vek::testing
