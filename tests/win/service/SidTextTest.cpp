#include <gtest/gtest.h>

#include "classlib/WinHandles.h"
#include "servicecontrol/SPGetSid.h"
#include "tests/win/support/ServiceFakes.h"

#include <sddl.h>

namespace vek::testing {
namespace {

std::string Text(std::vector<BYTE> sid) {
    char buffer[kSidTextBufferSize] = {};
    DWORD size = kSidTextBufferSize;
    EXPECT_TRUE(SidToText(sid.data(), buffer, size));
    return buffer;
}

struct SidCase {
    SID_IDENTIFIER_AUTHORITY authority;
    std::vector<DWORD> subAuthorities;
    const char* text;
};

TEST(SidToText, WritesAuthorityAndSubAuthorities) {
    const SidCase cases[] = {
        {SECURITY_NT_AUTHORITY, {18}, "S-1-5-18"},
        {SECURITY_NT_AUTHORITY, {21, 0, 0, 0, 1000}, "S-1-5-21-0-0-0-1000"},
        {SECURITY_NT_AUTHORITY, {21, 4294967295u, 2147483648u}, "S-1-5-21-4294967295-2147483648"},
        // The low four bytes as one big-endian number.
        {{{0, 0, 0x12, 0x34, 0x56, 0x78}}, {1}, "S-1-305419896-1"},
        // A non-zero first or second byte: twelve upper-case hexadecimal digits.
        {{{0, 1, 0, 0, 0, 0}}, {7}, "S-1-0x000100000000-7"},
        {{{0xAB, 0, 0x0C, 0xDE, 0, 0xF1}}, {2, 3}, "S-1-0xAB000CDE00F1-2-3"},
    };
    for (const SidCase& c : cases) {
        EXPECT_EQ(Text(MakeSid(c.authority, c.subAuthorities)), c.text);
    }
}

TEST(SidToText, ShortBufferReportsTheSizeNeeded) {
    std::vector<BYTE> sid = MakeSid(SECURITY_NT_AUTHORITY, {21, 1, 2, 3, 1000});
    const DWORD needed = 12 * 5 + 28;
    char buffer[kSidTextBufferSize] = {};
    DWORD size = needed - 1;
    ::SetLastError(0);
    EXPECT_FALSE(SidToText(sid.data(), buffer, size));
    EXPECT_EQ(size, needed);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    size = needed;
    EXPECT_TRUE(SidToText(sid.data(), buffer, size));
    EXPECT_STREQ(buffer, "S-1-5-21-1-2-3-1000");
}

TEST(SidToText, RejectsAnInvalidSid) {
    std::vector<BYTE> sid = MakeSid(SECURITY_NT_AUTHORITY, {18});
    sid[0] = 7; // revision
    char buffer[kSidTextBufferSize] = {};
    DWORD size = kSidTextBufferSize;
    EXPECT_FALSE(SidToText(sid.data(), buffer, size));
}

// The user's SID as the system itself writes it, as the independent reference.
std::string SystemSidText() {
    UniqueHandle token;
    EXPECT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put()));
    BYTE buffer[512];
    DWORD length = 0;
    EXPECT_TRUE(::GetTokenInformation(token.get(), TokenUser, buffer, sizeof buffer, &length));
    UniqueLocalMemory<char*> text;
    EXPECT_TRUE(
        ::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, text.put()));
    return text ? text.get() : "";
}

TEST(GetCurrentUserSid, GivesTheProcessUsersSid) {
    const std::string sid = GetCurrentUserSid();
    EXPECT_EQ(sid, SystemSidText());
    EXPECT_EQ(sid.rfind("S-1-5-21-", 0), 0u);
}

TEST(GetCurrentUserSid, PrefersTheThreadTokenAndFallsBackOnlyWithoutOne) {
    FakeToken token(MakeSid(SECURITY_NT_AUTHORITY, {21, 7, 8, 9, 1001}));

    token.threadTokenError = 0;
    EXPECT_EQ(GetCurrentUserSid(), "S-1-5-21-7-8-9-1001");
    EXPECT_EQ(token.userReadFrom, "thread");

    token.threadTokenError = ERROR_NO_TOKEN;
    EXPECT_EQ(GetCurrentUserSid(), "S-1-5-21-7-8-9-1001");
    EXPECT_EQ(token.userReadFrom, "process");

    // Any other failure to open the thread's token gives no SID at all.
    token.userReadFrom.clear();
    token.threadTokenError = ERROR_ACCESS_DENIED;
    EXPECT_EQ(GetCurrentUserSid(), "");
    EXPECT_EQ(token.userReadFrom, "");
    EXPECT_EQ(token.open, 0);
}

TEST(GetCurrentUserSid, IsEmptyWhenTheTokenCannotBeRead) {
    FakeToken token(MakeSid(SECURITY_NT_AUTHORITY, {18}));
    token.processTokenFails = true;
    EXPECT_EQ(GetCurrentUserSid(), "");

    token.processTokenFails = false;
    token.userQueryFails = true;
    EXPECT_EQ(GetCurrentUserSid(), "");
    EXPECT_EQ(token.open, 0);
}

} // namespace
} // namespace vek::testing
