#pragma once
// The one boundary around every event handler: no error leaves a handler. An error that reaches
// the boundary of a user action (a click, a menu item, a key) is logged and shown as the class
// library shows an unhandled error: a message box with the error's text, the application's
// title as caption and the error icon. Timer and message handlers only log.
#include <windows.h>

#include <functional>
#include <string>

namespace vek {

// The caption of the error box and where errors are logged; set once by the program.
void SetHandlerErrorReporting(std::string applicationTitle,
                              std::function<void(const std::string&)> log);
const std::string& ApplicationTitle();

void RunUserAction(HWND owner, const std::function<void()>& action) noexcept;
void RunQuietly(const std::function<void()>& handler) noexcept;

} // namespace vek
