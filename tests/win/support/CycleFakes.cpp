#include "tests/win/support/CycleFakes.h"

namespace vek::testing {

namespace {
const HWND kClientWindow = reinterpret_cast<HWND>(0x5150);
}

std::string ScriptedNetwork::GetRemoteIP(const std::string& boundIP) {
    boundIPs.push_back(boundIP);
    if (answers.empty()) {
        return std::string();
    }
    const auto answer = std::move(answers.front());
    answers.pop_front();
    return answer();
}

std::string ScriptedNetwork::HttpGet(const std::string& url) {
    urls.push_back(url);
    if (replies.empty()) {
        return std::string();
    }
    std::string reply = std::move(replies.front());
    replies.pop_front();
    return reply;
}

HWND FakeWindows::FindWindowA(LPCSTR className, LPCSTR windowName) {
    lookups.push_back(std::string(className) + "|" + windowName);
    return clientRunning ? kClientWindow : nullptr;
}

LRESULT FakeWindows::SendMessageA(HWND, UINT, WPARAM, LPARAM) {
    ++unboundedMessages;
    return 0;
}

LRESULT FakeWindows::SendMessageTimeoutA(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT flags, UINT timeout, DWORD_PTR* result) {
    if (window == kClientWindow) {
        timedMessages.push_back(SentMessage{message, wParam, lParam, flags, timeout});
    }
    if (result != nullptr) {
        *result = 0;
    }
    return 1;
}

} // namespace vek::testing
