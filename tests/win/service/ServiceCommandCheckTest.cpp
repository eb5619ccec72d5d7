// Which service command lines the admin server installs: only "TarvoVEK.exe" of its own folder
// followed by " -service", however the caller writes that path. A foreign program, extra
// arguments and the name in another folder are refused by the server itself (AdminServerTest).
#include "adminserver/ServiceCommandCheck.h"

#include "tests/win/support/CoreFixture.h"
#include <cctype>

namespace vek::testing {
namespace {

using admin::OwnServiceCommandLine;

class ServiceCommandCheckTest : public ::testing::Test {
protected:
    ServiceCommandCheckTest() { WriteFileBytes(own.Path() + "TarvoVEK.exe", "program"); }
    std::string Program() const { return own.Path() + "TarvoVEK.exe"; }

    TempFolder own;
};

TEST_F(ServiceCommandCheckTest, TheOwnProgramIsInstalledQuoted) {
    char shortPath[MAX_PATH] = {};
    ::GetShortPathNameA(Program().c_str(), shortPath, MAX_PATH);
    std::string upper = Program();
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    struct Case {
        std::string requested;
        std::string installed;
    };
    const Case cases[] = {
        {"\"" + Program() + "\" -service", "\"" + Program() + "\" -service"},
        {Program() + " -service", "\"" + Program() + "\" -service"},
        {"\"" + upper + "\" -service", "\"" + upper + "\" -service"},
        {"\"" + std::string(shortPath) + "\" -service",
         "\"" + std::string(shortPath) + "\" -service"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(OwnServiceCommandLine(c.requested, own.Path()), c.installed) << c.requested;
    }
}

TEST_F(ServiceCommandCheckTest, AnythingElseIsRefused) {
    const std::string quoted = "\"" + Program() + "\"";
    const std::string refused[] = {
        quoted + " -x -service",        // arguments before the switch
        quoted,                         // no switch
        quoted + " -Service",           // the switch in another case
        "TarvoVEK.exe -service",        // not the server's folder
        "\"\" -service",                // no program
        "\"" + Program() + " -service", // an unclosed quote
    };
    for (const std::string& requested : refused) {
        EXPECT_EQ(OwnServiceCommandLine(requested, own.Path()), std::nullopt) << requested;
    }
    // Without the program in the server's folder nothing is installed.
    ASSERT_TRUE(::DeleteFileA(Program().c_str()));
    EXPECT_EQ(OwnServiceCommandLine(quoted + " -service", own.Path()), std::nullopt);
}

} // namespace
} // namespace vek::testing
