#pragma once
// The browser a test registers for the ".htm" file type: the ".htm" key of HKEY_CLASSES_ROOT
// names a class of the test's own, whose open command the test chooses. The ".htm" key is put
// back as it was at the end, and the test's class is removed.
#include "tests/win/support/RawRegistry.h"

#include <optional>
#include <string>

namespace vek::testing {

class BrowserClassGuard {
public:
    static constexpr char kClass[] = "VekTestBrowser";

    BrowserClassGuard()
        : existed_(RawKeyExists(HKEY_CLASSES_ROOT, ".htm")),
          saved_(GetRawValue(HKEY_CLASSES_ROOT, ".htm", "")) {}
    ~BrowserClassGuard() {
        DeleteRawTree(HKEY_CLASSES_ROOT, kClass);
        if (!existed_) {
            DeleteRawTree(HKEY_CLASSES_ROOT, ".htm");
        } else if (saved_) {
            SetRawValue(HKEY_CLASSES_ROOT, ".htm", "", saved_->type, saved_->data);
        } else {
            DeleteRawValue(HKEY_CLASSES_ROOT, ".htm", "");
        }
    }
    BrowserClassGuard(const BrowserClassGuard&) = delete;
    BrowserClassGuard& operator=(const BrowserClassGuard&) = delete;

    // ".htm" names the test's class; with a command, the class opens documents with it.
    void Register(const std::optional<std::string>& openCommand) {
        SetRawString(HKEY_CLASSES_ROOT, ".htm", "", kClass);
        DeleteRawTree(HKEY_CLASSES_ROOT, kClass);
        if (openCommand) {
            SetRawString(HKEY_CLASSES_ROOT, std::string(kClass) + "\\shell\\open\\command", "",
                         *openCommand);
        } else {
            SetRawString(HKEY_CLASSES_ROOT, kClass, "", "A class that opens nothing");
        }
    }
    // No ".htm" key at all.
    void Unregister() { DeleteRawTree(HKEY_CLASSES_ROOT, ".htm"); }

private:
    bool existed_;
    std::optional<RawValue> saved_;
};

} // namespace vek::testing
