#pragma once
// The user's Startup folder as the shell's "Shell Folders" key names it, changed for a test and
// put back as it was when the test ends.
#include "tests/win/support/RawRegistry.h"

#include <optional>
#include <string>

namespace vek::testing {

class StartupFolderOverride {
public:
    StartupFolderOverride() = default;
    ~StartupFolderOverride() {
        if (saved_) {
            SetRawValue(HKEY_CURRENT_USER, kShellFolders, "Startup", saved_->type, saved_->data);
        }
    }
    StartupFolderOverride(const StartupFolderOverride&) = delete;
    StartupFolderOverride& operator=(const StartupFolderOverride&) = delete;

    // The given folder, or none (the Startup folder is unknown).
    void Set(const std::optional<std::string>& folder) {
        if (folder) {
            SetRawString(HKEY_CURRENT_USER, kShellFolders, "Startup", *folder);
        } else {
            DeleteRawValue(HKEY_CURRENT_USER, kShellFolders, "Startup");
        }
    }

private:
    static inline const std::string kShellFolders =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    std::optional<RawValue> saved_ = GetRawValue(HKEY_CURRENT_USER, kShellFolders, "Startup");
};

} // namespace vek::testing
