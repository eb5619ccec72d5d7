// The main window's File > Preferences: Cancel changes nothing and checks nothing; OK stores the
// adapter and the detection method, writes the startup shortcut, applies the service choice
// (retrying a failure when asked) and then checks the address, in that order.
#include "classlib/WinHandles.h"
#include "servicecontrol/ServiceActions.h"
#include "tests/win/forms/MainWindowFixture.h"
#include "tests/win/support/CycleFakes.h"
#include "tests/win/support/ServiceFakes.h"
#include "tests/win/support/StartupFolder.h"

#include <windowsx.h>

namespace vek::testing {
namespace {

// What OK has applied so far: the adapter stored, the alternative detection on, the startup
// shortcut written, the service front ends called, the IP checks run.
using Applied = std::tuple<bool, bool, bool, std::size_t, std::size_t>;

class PreferencesTest : public MainWindowTest, public seams::IMessageBoxApi {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        startupFolder.Set(startup.Path().substr(0, startup.Path().size() - 1));
        MakeWindow();
        ASSERT_FALSE(Globals->IsServiceInstalled());
    }
    // The service's failure box: what was applied when it came, then the scripted answer.
    int MessageBoxA(HWND, const std::string& text, const std::string&, UINT) override {
        EXPECT_EQ(text, "An error occured while managing the service application.");
        atServiceFailure.push_back(Now());
        const int answer = answers.empty() ? IDCANCEL : answers.front();
        if (!answers.empty()) {
            answers.pop_front();
        }
        return answer;
    }
    Applied Now() const {
        return {Raw("Adapter").has_value(), Globals->GetAlternateIP(),
                FileExists(startup.Path() + "Tarvo VEK.lnk"), com.admin.calls.size(),
                network.boundIPs.size()};
    }
    // Every box of the dialog ticked, then the button pressed. The dialog has read the stored
    // adapter (storing -1 when there was none): the value goes, so that a write shows.
    void WhenPreferences(const char* button) {
        modals.When("OptionsForm", [button](TForm& dialog) {
            DeleteRawValue(HKEY_CURRENT_USER, kSettingsPath, "Adapter");
            for (const char* box : {"JvCheckBox1", "JvCheckBox2", "JvCheckBox4"}) {
                Button_SetCheck(dialog.Control(box), BST_CHECKED);
            }
            Click(dialog, button);
        });
    }
    void ChoosePreferences() { ChooseMenuItem(*window, ::GetMenu(window->Handle()), "Options1"); }

    ComInit comInit;
    TempFolder startup;
    StartupFolderOverride startupFolder;
    FakeVersion version{6, 1};
    FakeToken token;
    FakeCom com;
    ScriptedNetwork network;
    ModalScript modals;
    std::deque<int> answers;
    std::vector<Applied> atServiceFailure;

private:
    seams::Seam<seams::IMessageBoxApi>::Override boxes_{*this};
};

TEST_F(PreferencesTest, CancelChangesNothingAndChecksNothing) {
    WhenPreferences("Button2");
    ChoosePreferences();
    EXPECT_EQ(modals.shown, std::vector<std::string>{"OptionsForm"});
    EXPECT_FALSE(Raw("AlternateIP").has_value());
    EXPECT_EQ(Now(), (Applied{false, false, false, 0, 0}));
}

// The service's install fails once and is retried: by then the settings and the shortcut are
// written and no check has run; the check comes last, once the service is installed.
TEST_F(PreferencesTest, OkAppliesTheSettingsTheShortcutAndTheServiceThenChecks) {
    com.admin.results = {0, 1};
    answers = {IDRETRY};
    std::optional<Applied> atCheck;
    network.answers.push_back([&] {
        atCheck = Now();
        return std::string();
    });
    WhenPreferences("Button1");
    ChoosePreferences();
    EXPECT_EQ(atServiceFailure, (std::vector<Applied>{{true, true, true, 1, 0}}));
    EXPECT_EQ(atCheck, (Applied{true, true, true, 2, 1}));
    EXPECT_EQ(Now(), (Applied{true, true, true, 2, 1}));
    EXPECT_EQ(Globals->GetAdapter(), -1);
    const std::string install =
        std::to_string(ServiceInstall) + " " + ServiceCommandLine(RunningProgramPath());
    EXPECT_EQ(com.admin.calls, (std::vector<std::string>{install, install}));
}

// A service that cannot be installed, given up: the check still runs.
TEST_F(PreferencesTest, AServiceFailureGivenUpStillChecks) {
    com.admin.result = 0;
    answers = {IDCANCEL};
    WhenPreferences("Button1");
    ChoosePreferences();
    EXPECT_EQ(atServiceFailure.size(), 1u);
    EXPECT_EQ(Now(), (Applied{true, true, true, 1, 1}));
}

} // namespace
} // namespace vek::testing
