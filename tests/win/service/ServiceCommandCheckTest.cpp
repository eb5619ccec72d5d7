// Which service command lines the admin server installs: only "TarvoVEK.exe" of its own folder
// followed by " -service", however the caller writes that path.
#include "ServiceCommandCheck.h"

#include <cctype>
#include "CoreFixture.h"

namespace vek::testing {
namespace {

using admin::OwnServiceCommandLine;

class ServiceCommandCheckTest : public ::testing::Test {
protected:
    ServiceCommandCheckTest() {
        WriteFileBytes(own.Path() + "TarvoVEK.exe", "program");
        WriteFileBytes(own.Path() + "Other.exe", "program");
        WriteFileBytes(other.Path() + "TarvoVEK.exe", "program");
    }
    std::string Program() const { return own.Path() + "TarvoVEK.exe"; }

    TempFolder own;
    TempFolder other;
};

TEST_F(ServiceCommandCheckTest, TheOwnProgramIsInstalledQuoted) {
    char shortPath[MAX_PATH] = {};
    ::GetShortPathNameA(Program().c_str(), shortPath, MAX_PATH);
    std::string upper = Program();
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    const std::string folderName = own.Path().substr(0, own.Path().size() - 1);
    const std::string dotted = own.Path() + "..\\" +
                               folderName.substr(folderName.find_last_of('\\') + 1) +
                               "\\TarvoVEK.exe";
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
        {"\"" + dotted + "\" -service", "\"" + Program() + "\" -service"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(OwnServiceCommandLine(c.requested, own.Path()), c.installed) << c.requested;
    }
}

TEST_F(ServiceCommandCheckTest, AnythingElseIsRefused) {
    const std::string quoted = "\"" + Program() + "\"";
    const std::string refused[] = {
        "\"" + own.Path() + "Other.exe\" -service",      // a foreign program
        "\"" + other.Path() + "TarvoVEK.exe\" -service", // the name in another folder
        quoted + " -service -debug",                     // arguments after the switch
        quoted + " -x -service",                         // arguments before it
        quoted,                                          // no switch
        quoted + " -Service",                            // the switch in another case
        "TarvoVEK.exe -service",                         // not the server's folder
        "\"\" -service",                                 // no program
        "\"" + Program() + " -service",                  // an unclosed quote
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
