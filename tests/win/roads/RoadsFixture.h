#pragma once
// What the tests of the program's roads share: the user's settings key, empty but for a log
// folder of the test's own; the same key reached as the service reads it (HKEY_USERS\<the user's
// SID>, named by ServiceUser in the machine-wide key); no service installed at start and end;
// the service's log folder of the machine out of the way.
#include "tests/win/support/CoreFixture.h"

#include <string>

namespace vek::testing {

// The log lines of a file, without their time stamps.
std::vector<std::string> LogTexts(const std::string& path);
// The names of the files in a folder.
std::vector<std::string> FileNames(const std::string& folder);

class RoadsTest : public ::testing::Test {
protected:
    RoadsTest();
    ~RoadsTest() override;

    // Stores a client id and key (and, for the service, an update list) in the user's key.
    void StoreClient(const std::string& cid, const std::string& ckey);
    // The stored form of a client key: Base64 of the host-list lock flag and the key.
    static std::string KeyRecord(const std::string& ckey);
    // Names the current user as the service's user, so that the service road opens this key.
    void NameServiceUser();
    std::string UserValue(const std::string& name);

    const std::string sid;
    SettingsKeyGuard settings;
    ServiceLogFolderGuard serviceLog;
    TempFolder folder;
};

} // namespace vek::testing
