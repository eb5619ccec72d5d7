#include "tests/win/roads/RoadsFixture.h"

#include "classlib/WinHandles.h"
#include "common/Base64.h"
#include "servicecontrol/SPGetSid.h"
#include "tests/win/support/ScmTestSupport.h"

#include <regex>

namespace vek::testing {

std::vector<std::string> LogTexts(const std::string& path) {
    static const std::regex kLine(R"(^\d\d\D\d\d\D\d{4} \d\d\D\d\d\D\d\d: (.*)$)");
    const std::string content = ReadFileBytes(path);
    std::vector<std::string> texts;
    for (std::size_t start = 0, end; (end = content.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        const std::string line = content.substr(start, end - start);
        std::smatch match;
        texts.push_back(std::regex_match(line, match, kLine) ? match[1].str() : "?" + line);
    }
    return texts;
}

std::vector<std::string> FileNames(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    const UniqueFind search(::FindFirstFileA((folder + "*").c_str(), &entry));
    if (!search) {
        return names;
    }
    do {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            names.emplace_back(entry.cFileName);
        }
    } while (::FindNextFileA(search.get(), &entry));
    return names;
}

RoadsTest::RoadsTest() : sid(GetCurrentUserSid()) {
    RemoveTestService();
    SetRawString(HKEY_CURRENT_USER, kSettingsPath, "LogPath", folder.Path());
}

RoadsTest::~RoadsTest() { RemoveTestService(); }

void RoadsTest::StoreClient(const std::string& cid, const std::string& ckey) {
    SetRawString(HKEY_CURRENT_USER, kSettingsPath, "CID", cid);
    SetRawString(HKEY_CURRENT_USER, kSettingsPath, "CKey", KeyRecord(ckey));
    SetRawString(HKEY_CURRENT_USER, kSettingsPath, "UpdateList", "h[]=home.roads.example");
    SetRawDword(HKEY_CURRENT_USER, kSettingsPath, "AlternateIP", 0);
}

std::string RoadsTest::KeyRecord(const std::string& ckey) {
    return ckey.empty() ? std::string() : Base64Encode("f" + ckey);
}

void RoadsTest::NameServiceUser() { WriteMachineValue("ServiceUser", sid); }

std::string RoadsTest::UserValue(const std::string& name) {
    const auto value = GetRawValue(HKEY_CURRENT_USER, kSettingsPath, name);
    return value ? std::string(value->data.c_str()) : std::string("<none>");
}

} // namespace vek::testing
