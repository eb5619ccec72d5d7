#include "classlib/HandlerBoundary.h"

#include "classlib/UiSeams.h"

#include <exception>

namespace vek {
namespace {

struct Reporting {
    std::string title;
    std::function<void(const std::string&)> log;
};

Reporting& CurrentReporting() {
    static Reporting reporting;
    return reporting;
}

// The text of the error being handled; runs inside a catch block.
std::string CurrentErrorText() {
    try {
        throw;
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "An unknown error occurred.";
    }
}

void LogError(const std::string& text) noexcept {
    try {
        if (CurrentReporting().log) {
            CurrentReporting().log(text);
        }
    } catch (...) {
        // A log that fails cannot be told about it.
    }
}

} // namespace

void SetHandlerErrorReporting(std::string applicationTitle,
                              std::function<void(const std::string&)> log) {
    CurrentReporting() = Reporting{std::move(applicationTitle), std::move(log)};
}

const std::string& ApplicationTitle() { return CurrentReporting().title; }

void RunUserAction(HWND owner, const std::function<void()>& action) noexcept {
    std::string text;
    try {
        action();
        return;
    } catch (...) {
        text = CurrentErrorText();
    }
    LogError(text);
    try {
        seams::MessageBoxes().MessageBoxA(owner, text, ApplicationTitle(), MB_OK | MB_ICONERROR);
    } catch (...) {
        // The error is logged; a box that cannot be shown changes nothing more.
    }
}

void RunQuietly(const std::function<void()>& handler) noexcept {
    try {
        handler();
    } catch (...) {
        LogError(CurrentErrorText());
    }
}

} // namespace vek
