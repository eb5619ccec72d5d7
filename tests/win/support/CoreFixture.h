#pragma once
// What the tests of the core and its roads share: guards that leave the registry and the folders
// as they found them, a private log folder, file helpers, and the fixture that builds a
// TVEKGlobals in-process.
#include "Main/core/VEKGlobals.h"
#include "tests/win/support/RawRegistry.h"
#include "tests/win/support/ScopedGlobals.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vek::testing {

// The desktop client's settings key below HKEY_CURRENT_USER (and the service user's key).
inline const std::string kSettingsPath = "Software\\Halvenor\\VEK\\v3";

// Deletes the settings key now and again at the end; removes "Software\Halvenor" at the end when
// it did not exist at the start.
class SettingsKeyGuard {
public:
    SettingsKeyGuard();
    ~SettingsKeyGuard();
    SettingsKeyGuard(const SettingsKeyGuard&) = delete;
    SettingsKeyGuard& operator=(const SettingsKeyGuard&) = delete;

private:
    bool hadVendorKey_;
};

// The machine-wide key without ServiceUser for the test; what was there is put back at the end,
// and keys the test created there are removed.
class ServiceUserGuard {
public:
    ServiceUserGuard();
    ~ServiceUserGuard();
    ServiceUserGuard(const ServiceUserGuard&) = delete;
    ServiceUserGuard& operator=(const ServiceUserGuard&) = delete;

private:
    bool hadVendorKey_;
    bool hadKey_;
    std::optional<RawValue> saved_;
};

// Keeps the default log folder (local application data + "Halvenor\", or that of another shell
// folder) out of the way: an existing one is moved aside and put back at the end, and what the
// test created there is removed.
class DefaultLogFolderGuard {
public:
    explicit DefaultLogFolderGuard(int shellFolder = CSIDL_LOCAL_APPDATA);
    ~DefaultLogFolderGuard();
    DefaultLogFolderGuard(const DefaultLogFolderGuard&) = delete;
    DefaultLogFolderGuard& operator=(const DefaultLogFolderGuard&) = delete;

private:
    std::string folder_;
    std::string saved_;
    bool moved_ = false;
};

// The same for the service's log folder, below the common application-data folder.
struct ServiceLogFolderGuard : DefaultLogFolderGuard {
    ServiceLogFolderGuard() : DefaultLogFolderGuard(CSIDL_COMMON_APPDATA) {}
};

// A fresh folder below the temporary folder, removed with its content at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    // Ends in "\".
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// The shell's local application-data folder (or another shell folder), without a trailing "\".
std::string LocalAppDataFolder(int shellFolder = CSIDL_LOCAL_APPDATA);
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, std::string_view bytes);
void RemoveTree(const std::string& path);

// The start line as it is logged at the fake clock's default time, with the locale's separators.
std::string LogLineAtDefaultTime(const std::string& text);

// A settings test: the settings key starts empty but for LogPath, which names a private folder.
class CoreTest : public ::testing::Test {
protected:
    void SetUp() override;

    std::unique_ptr<TVEKGlobals> MakeGlobals(std::vector<std::string> arguments = {},
                                             std::unique_ptr<IAdapterApi> adapters = nullptr);
    std::optional<RawValue> Raw(const std::string& name) const {
        return GetRawValue(HKEY_CURRENT_USER, kSettingsPath, name);
    }
    std::string LogFile(const char* name) const { return folder.Path() + name; }

    SettingsKeyGuard guard;
    TempFolder folder;
};

// A settings test with its own Globals installed for its whole length: made by SetUp over the
// system's adapters, or by a derived SetUp that calls InstallGlobals with others.
class GlobalsTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        InstallGlobals();
    }
    void InstallGlobals(std::unique_ptr<IAdapterApi> adapters = nullptr) {
        installed_.reset();
        globals_ = MakeGlobals({}, std::move(adapters));
        installed_.emplace(*globals_);
    }

private:
    std::unique_ptr<TVEKGlobals> globals_;
    std::optional<ScopedGlobals> installed_;
};

} // namespace vek::testing
