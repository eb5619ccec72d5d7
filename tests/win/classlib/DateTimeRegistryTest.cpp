// The registry object against the real registry: the value forms, the class library's three
// error texts, paths and recursive deletion. The tests work below a key of their own.
#include <gtest/gtest.h>

#include "classlib/ClassLibError.h"
#include "classlib/Registry.h"
#include "tests/win/support/RawRegistry.h"

#include <functional>
#include <string>

namespace vek {
namespace {

using namespace vek::testing;

const std::string kTestKey = "Software\\VEKClassLibRegistryTest";

// The message of the registry error an action raises, or "(none)".
std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const ERegistryException& error) {
        return error.what();
    }
    return "(none)";
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteRawTree(HKEY_CURRENT_USER, kTestKey);
        ASSERT_TRUE(reg.OpenKey(kTestKey, true));
    }
    void TearDown() override {
        reg.CloseKey();
        DeleteRawTree(HKEY_CURRENT_USER, kTestKey);
    }

    std::optional<RawValue> Raw(const std::string& name) {
        return GetRawValue(HKEY_CURRENT_USER, kTestKey, name);
    }

    TRegistry reg{HKEY_CURRENT_USER};
};

TEST_F(RegistryTest, EachValueFormIsWrittenAndReadBack) {
    reg.WriteString("S", "t\xE4xt");
    reg.WriteInteger("I", -5);
    reg.WriteBool("B", true);
    reg.WriteDateTime("D", 1.5);

    EXPECT_EQ(reg.ReadString("S"), "t\xE4xt");
    EXPECT_EQ(reg.ReadInteger("I"), -5);
    EXPECT_TRUE(reg.ReadBool("B"));
    EXPECT_EQ(reg.ReadDateTime("D"), 1.5);

    EXPECT_EQ(Raw("S")->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(Raw("S")->data, std::string("t\xE4xt", 5));
    EXPECT_EQ(Raw("I")->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(Raw("I")->data, std::string("\xFB\xFF\xFF\xFF", 4));
    EXPECT_EQ(Raw("B")->data, std::string("\x01\0\0\0", 4));
    EXPECT_EQ(Raw("D")->type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(Raw("D")->data, std::string("\0\0\0\0\0\0\xF8\x3F", 8));

    reg.WriteBool("B", false);
    EXPECT_FALSE(reg.ReadBool("B"));
    SetRawDword(HKEY_CURRENT_USER, kTestKey, "B", 2);
    EXPECT_TRUE(reg.ReadBool("B"));
}

TEST_F(RegistryTest, StringsReadUpToTheFirstNulAndUnexpanded) {
    EXPECT_EQ(reg.ReadString("Missing"), "");
    SetRawString(HKEY_CURRENT_USER, kTestKey, "E", "%SystemRoot%\\x", REG_EXPAND_SZ);
    EXPECT_EQ(reg.ReadString("E"), "%SystemRoot%\\x");
    SetRawValue(HKEY_CURRENT_USER, kTestKey, "Nul", REG_SZ, std::string_view("ab\0cd\0", 6));
    EXPECT_EQ(reg.ReadString("Nul"), "ab");
    SetRawValue(HKEY_CURRENT_USER, kTestKey, "Unterminated", REG_SZ, "abc");
    EXPECT_EQ(reg.ReadString("Unterminated"), "abc");
    SetRawValue(HKEY_CURRENT_USER, kTestKey, "Empty", REG_SZ, std::string_view("\0", 1));
    EXPECT_EQ(reg.ReadString("Empty"), "");
    // A value without data reads as empty whatever its type.
    SetRawValue(HKEY_CURRENT_USER, kTestKey, "NoData", REG_DWORD, "");
    EXPECT_EQ(reg.ReadString("NoData"), "");
}

struct ErrorCase {
    const char* name;
    DWORD type;
    std::string data;
    const char* form;
    const char* message;
};

void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.name; }

class RegistryErrorTest : public RegistryTest, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(RegistryErrorTest, NamesTheValue) {
    const ErrorCase& c = GetParam();
    SetRawValue(HKEY_CURRENT_USER, kTestKey, "V", c.type, c.data);
    const std::string form = c.form;
    const std::string message = ErrorOf([&] {
        if (form == "string") {
            reg.ReadString("V");
        } else if (form == "integer") {
            reg.ReadInteger("V");
        } else if (form == "bool") {
            reg.ReadBool("V");
        } else {
            reg.ReadDateTime("V");
        }
    });
    EXPECT_EQ(message, c.message);
}

const char kInvalid[] = "Invalid data type for 'V'";
const char kGetFailed[] = "Failed to get data for 'V'";

INSTANTIATE_TEST_SUITE_P(
    Forms, RegistryErrorTest,
    ::testing::Values(
        ErrorCase{"ShortStringAsInteger", REG_SZ, std::string("ab\0", 3), "integer", kInvalid},
        ErrorCase{"LongStringAsInteger", REG_SZ, std::string("hello\0", 6), "integer", kGetFailed},
        ErrorCase{"DwordAsString", REG_DWORD, std::string("\1\0\0\0", 4), "string", kInvalid},
        ErrorCase{"ByteAsString", REG_BINARY, std::string("x"), "string", kInvalid},
        ErrorCase{"BinaryAsBool", REG_BINARY, std::string("\1\0\0\0", 4), "bool", kInvalid},
        ErrorCase{"DwordAsDateTime", REG_DWORD, std::string("\1\0\0\0", 4), "datetime", kInvalid},
        ErrorCase{"ShortBinaryAsDateTime", REG_BINARY, std::string(7, '\0'), "datetime", kInvalid},
        ErrorCase{"LongBinaryAsDateTime", REG_BINARY, std::string(9, '\0'), "datetime", kGetFailed},
        ErrorCase{"BinaryAsInteger", REG_BINARY, std::string(8, '\0'), "integer", kGetFailed},
        ErrorCase{"QwordAsInteger", REG_QWORD, std::string(8, '\0'), "integer", kGetFailed},
        ErrorCase{"LongDwordAsBool", REG_DWORD, std::string(5, '\0'), "bool", kGetFailed}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RegistryTest, MissingNumbersFailToGetData) {
    EXPECT_EQ(ErrorOf([&] { reg.ReadInteger("V"); }), kGetFailed);
    EXPECT_EQ(ErrorOf([&] { reg.ReadDateTime("V"); }), kGetFailed);
    EXPECT_FALSE(reg.ValueExists("V"));
}

TEST(Registry, WritingWithoutAnOpenKeyFailsToSetData) {
    TRegistry reg(HKEY_CURRENT_USER);
    EXPECT_FALSE(reg.HasCurrentKey());
    EXPECT_EQ(ErrorOf([&] { reg.WriteString("X", "y"); }), "Failed to set data for 'X'");
    EXPECT_EQ(ErrorOf([&] { reg.WriteInteger("LogPath", 1); }), "Failed to set data for 'LogPath'");
    EXPECT_EQ(ErrorOf([&] { reg.WriteDateTime("T", 1.0); }), "Failed to set data for 'T'");
    EXPECT_FALSE(reg.ValueExists("X"));
    EXPECT_EQ(reg.ReadString("X"), "");
}

TEST_F(RegistryTest, RelativePathsStartAtTheCurrentKeyRootedOnesAtTheRoot) {
    ASSERT_TRUE(reg.OpenKey("Child", true));
    reg.WriteString("Where", "child");
    ASSERT_TRUE(reg.OpenKey("\\" + kTestKey + "\\Other\\", true));
    reg.WriteString("Where", "other");

    EXPECT_EQ(GetRawValue(HKEY_CURRENT_USER, kTestKey + "\\Child", "Where")->data,
              std::string("child\0", 6));
    EXPECT_EQ(GetRawValue(HKEY_CURRENT_USER, kTestKey + "\\Other", "Where")->data,
              std::string("other\0", 6));
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, kTestKey + "\\Child\\Other"));

    // A key that cannot be opened leaves the current key as it was.
    EXPECT_FALSE(reg.OpenKey("Absent", false));
    EXPECT_TRUE(reg.HasCurrentKey());
    reg.WriteString("Still", "other");
    EXPECT_TRUE(GetRawValue(HKEY_CURRENT_USER, kTestKey + "\\Other", "Still").has_value());
}

TEST_F(RegistryTest, DeleteKeyRemovesTheWholeTree) {
    SetRawString(HKEY_CURRENT_USER, kTestKey + "\\Tree", "A", "1");
    SetRawString(HKEY_CURRENT_USER, kTestKey + "\\Tree\\B\\C", "D", "2");
    SetRawString(HKEY_CURRENT_USER, kTestKey + "\\Tree\\E", "F", "3");

    EXPECT_TRUE(reg.KeyExists("Tree"));
    EXPECT_TRUE(reg.DeleteKey("Tree\\"));
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, kTestKey + "\\Tree"));
    EXPECT_FALSE(reg.KeyExists("Tree"));
    EXPECT_FALSE(reg.DeleteKey("Tree"));
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, kTestKey));
}

} // namespace
} // namespace vek
