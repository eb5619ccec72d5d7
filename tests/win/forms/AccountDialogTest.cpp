// The account dialog against the real reference provider (the provider fixture; only the network
// crosses processes): the OK rule, the busy and error states, registration with the stores it
// makes, the first run of the main window, and its "Edit" button. The accounts are made by
// with-accounts.sh before the tests run.
#include "tests/win/forms/MainWindowFixture.h"

#include "Main/core/ProviderUrls.h"
#include "Main/forms/Unit4.h"
#include "Main/res/ControlIds.h"
#include "common/RequestSignature.h"
#include "tests/win/support/LoopbackSocket.h"

#include <regex>

namespace vek::testing {
namespace {

constexpr char kDemoEmail[] = "demo@example.com";
constexpr char kDemoPassword[] = "demo-pass";
// Every character the URL-encoding escapes, in the e-mail address and the password.
constexpr char kSpecialEmail[] = "x+y&z=%~@example.com";
constexpr char kSpecialPassword[] = "p% ~!@#$^&*()+`=[]w";

void SignIn(TForm& dialog, const std::string& email, const std::string& password) {
    Type(dialog, "Edit1", email);
    Type(dialog, "Edit2", password);
    Click(dialog, "Button1");
}

// Counts the clicks of the main window's "Select Hosts" into the int the subclass carries.
LRESULT CALLBACK CountSelectHostsClicks(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR, DWORD_PTR clicks) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_VEK_BUTTON1 &&
        HIWORD(wParam) == BN_CLICKED) {
        ++*reinterpret_cast<int*>(clicks);
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

void ExpectErrorState(const TForm& dialog) {
    EXPECT_TRUE(IsShown(dialog, "Label11"));
    EXPECT_EQ(dialog.ControlText("Label11"), "An error occured.");
    EXPECT_EQ(dialog.ControlText("Label12"), "Please verify username and password.");
    EXPECT_EQ(dialog.ControlPlace("Label11").left, 135);
    EXPECT_EQ(dialog.ControlPlace("Label12").left, 135);
    EXPECT_FALSE(IsShown(dialog, "JvGIFAnimator1"));
    for (const char* control : {"Edit1", "Edit2", "Button1", "Button2"}) {
        EXPECT_TRUE(IsEnabled(dialog, control)) << control;
    }
}

class AccountTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        Globals->SetCID("");
        // The desktop client's anti-freeze, as the main window switches it on.
        Globals->KeepMessagesFlowing = true;
    }
    // A registration made with the dialog alone; returns the client id.
    std::string RegisterDemo() {
        modals.When("UserPass", [](TForm& dialog) { SignIn(dialog, kDemoEmail, kDemoPassword); });
        TUserPass dialog(nullptr);
        EXPECT_EQ(dialog.ShowModal(), mrOk);
        return Globals->GetCID();
    }
    // The host list as a client with this id and key gets it: "status=3" once unregistered.
    static std::string HostListOf(const std::string& id, const std::string& key) {
        const std::string url = HostListUrl(Globals->Endpoints, id);
        const std::string signature = Globals->HMACSign(std::string(*SignedText(url)), key);
        return Globals->HttpGet(url + SignatureSuffix(signature), "", false);
    }
    MessageBoxScript boxes;
    ModalScript modals;
};

TEST(RegistrationReplyTest, OnlyAnXmlReplyWithIdAndKeyUnderItsRootRegisters) {
    const std::string head = "<?xml version=\"1.0\"?>";
    struct Case {
        std::string reply;
        const char* registration; // id and key, or "" for none
    };
    for (const Case& c : {Case{head + "<client><id>i1</id><key>k1</key></client>", "i1 k1"},
                          {head + "<Anything><KEY>k1</KEY><Id>i1</Id></Anything>", "i1 k1"},
                          {head + "<r><id>i1</id><id>i2</id><key>k1</key></r>", "i2 k1"},
                          {head + "<r><c><id>i1</id><key>k1</key></c></r>", ""},
                          {head + "<r><id>i1</id></r>", ""},
                          {head + "<r><id>i1</id><key>k1</key>", ""},
                          {" " + head + "<r><id>i1</id><key>k1</key></r>", ""},
                          {"<?XML version=\"1.0\"?><r><id>i1</id><key>k1</key></r>", ""},
                          {"<r><id>i1</id><key>k1</key></r>", ""},
                          {"-1", ""},
                          {"403", ""}}) {
        const std::optional<TRegistration> read = ReadRegistrationReply(c.reply);
        EXPECT_EQ(read ? read->id + " " + read->key : "", c.registration) << c.reply;
    }
}

TEST_F(AccountTest, OkIsEnabledByAnEmailOfFourAndAnyPassword) {
    TUserPass dialog(nullptr);
    EXPECT_FALSE(IsEnabled(dialog, "Button1"));
    struct Case {
        const char* email;
        const char* password;
        bool enabled;
    };
    for (const Case& c : {Case{"abc", "secret", false},
                          {"abcd", "s", true},
                          {"abcd", "", false},
                          {"", "s", false}}) {
        Type(dialog, "Edit1", c.email);
        Type(dialog, "Edit2", c.password);
        EXPECT_EQ(IsEnabled(dialog, "Button1"), c.enabled) << c.email << "/" << c.password;
    }
}

// The update server accepts the connection and never answers until the busy state was seen.
TEST_F(AccountTest, TheBusyStateLastsUntilTheRequestEndsAndNoAnswerIsAnError) {
    auto silent = std::make_unique<LoopbackSocket>(SOCK_STREAM);
    Globals->Endpoints.UpdateServerTls = silent->Address();
    modals.When("UserPass", [&](TForm& dialog) {
        bool sawBusy = false;
        PostedAction whileBusy([&] {
            sawBusy = static_cast<TUserPass&>(dialog).Busy();
            EXPECT_EQ(dialog.ControlText("Label12"), "Authorizing VEK...");
            EXPECT_EQ(dialog.ControlPlace("Label12").left, 173);
            EXPECT_TRUE(IsShown(dialog, "JvGIFAnimator1"));
            EXPECT_FALSE(IsShown(dialog, "Label11"));
            for (const char* control : {"Edit1", "Edit2", "Button1", "Button2"}) {
                EXPECT_FALSE(IsEnabled(dialog, control)) << control;
            }
            SaveScreenshot(dialog.Handle(), "account-dialog-busy");
            silent.reset();
        });
        SignIn(dialog, kDemoEmail, kDemoPassword);
        EXPECT_TRUE(sawBusy);
        ExpectErrorState(dialog);
        EXPECT_EQ(dialog.ControlText("Edit1"), kDemoEmail);
        Click(dialog, "Button2");
    });
    TUserPass dialog(nullptr);
    EXPECT_EQ(dialog.ShowModal(), mrCancel);
    EXPECT_EQ(Globals->GetCID(), "");
}

TEST_F(AccountTest, EveryCharacterTheEncodingEscapesArrivesIntact) {
    modals.When("UserPass", [](TForm& dialog) { SignIn(dialog, kSpecialEmail, kSpecialPassword); });
    TUserPass dialog(nullptr);
    EXPECT_EQ(dialog.ShowModal(), mrOk);
    EXPECT_TRUE(std::regex_match(Globals->GetCID(), std::regex("[0-9a-f]{20}")));
}

TEST_F(AccountTest, AFirstRunCancelledAsksNoShowsTheDialogAgainYesEndsTheProgram) {
    boxes.Answer(IDNO);
    boxes.Answer(IDYES);
    modals.When("UserPass", [](TForm& dialog) {
        Type(dialog, "Edit1", kDemoEmail);
        Type(dialog, "Edit2", "typed");
        // A second start meanwhile brings the dialog to the front; the window stays hidden.
        ::SendMessageA(::FindWindowA("TVEK", "Tarvo VEK v3.0.4"), WM_CLIENTNOTIFY, 1, 0);
        EXPECT_FALSE(::IsWindowVisible(::FindWindowA("TVEK", "Tarvo VEK v3.0.4")));
        Click(dialog, "Button2");
    });
    modals.When("UserPass", [](TForm& dialog) {
        EXPECT_EQ(dialog.ControlText("Edit1"), "");
        EXPECT_EQ(dialog.ControlText("Edit2"), "");
        Click(dialog, "Button2");
    });
    window = std::make_unique<TVEK>();
    EXPECT_EQ(modals.shown.size(), 2u);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text, "It is required that you fill out the previous entries to "
                                   "continue.  Are you sure you wish to cancel?");
    EXPECT_EQ(boxes.shown[0].caption, "Tarvo VEK");
    EXPECT_EQ(boxes.shown[0].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
    EXPECT_TRUE(TakeQuit());
    EXPECT_FALSE(HiddenSetting());
    EXPECT_NE(ReadFileBytes(LogFile("VEK.log")).find("Existing instance running"),
              std::string::npos);
    // Creation did not finish: no host selection, no start timer, the window hidden.
    EXPECT_EQ(window->JvTrayIcon1.Tag, 0);
    EXPECT_FALSE(window->Startup.Enabled());
    EXPECT_FALSE(window->Visible());
    MSG click;
    EXPECT_FALSE(::PeekMessageA(&click, window->Control("Button1"), 0, 0, PM_NOREMOVE));
}

TEST_F(AccountTest, AWrongPasswordKeepsTheTextsAndTheDemoAccountRegisters) {
    Globals->SetHidden(true);
    Globals->SetHostPassword("6F3AE0C7");
    SetRawString(HKEY_CURRENT_USER, kSettingsPath, "CKey", Globals->Base64Encode("tOLDKEY"));
    modals.When("UserPass", [](TForm& dialog) {
        SignIn(dialog, kDemoEmail, "wrong-pass");
        ExpectErrorState(dialog);
        EXPECT_EQ(dialog.ControlText("Edit2"), "wrong-pass");
        SaveScreenshot(dialog.Handle(), "account-dialog-error");
        Type(dialog, "Edit2", kDemoPassword);
        Click(dialog, "Button1");
    });
    // The registration unlocked the host list: the selection opens without a prompt.
    modals.When("HostSelect", [](TForm& dialog) { Click(dialog, "Button2"); });
    window = std::make_unique<TVEK>();
    // After a first run the window shows, whatever Hidden holds, and "Select Hosts" is clicked
    // once when the messages flow.
    EXPECT_TRUE(window->Visible());
    int selectHostsClicks = 0;
    ::SetWindowSubclass(window->Handle(), CountSelectHostsClicks, 1,
                        reinterpret_cast<DWORD_PTR>(&selectHostsClicks));
    PumpUntilIdle();
    ::RemoveWindowSubclass(window->Handle(), CountSelectHostsClicks, 1);
    EXPECT_EQ(selectHostsClicks, 1);
    const std::string id = Globals->GetCID();
    EXPECT_TRUE(std::regex_match(id, std::regex("[0-9a-f]{20}"))) << id;
    const std::string keyRecord = Globals->Base64Decode(Raw("CKey")->data.c_str());
    EXPECT_TRUE(std::regex_match(keyRecord, std::regex("f[0-9a-f]{32}"))) << keyRecord;
    EXPECT_FALSE(Globals->GetHostListLocked());
    EXPECT_EQ(Globals->GetHostPassword(), "");
    EXPECT_NE(HostListOf(id, Globals->GetCKey()).find("home.demo.example"), std::string::npos);
}

TEST_F(AccountTest, EditWithOkRegistersAnewAndStartsTheChecksAndTheNoticeFetch) {
    const std::string oldId = RegisterDemo();
    const std::string oldKey = Globals->GetCKey();
    MakeWindow();
    Globals->AddMissingHost("cabin.demo.example");
    Globals->CurrentIP = "203.0.113.9";
    for (const StatusLight light : {StatusLight::JvImageSquare2, StatusLight::JvImageSquare3}) {
        window->SetLightImage(light, LightGood);
    }
    modals.When("UserPass", [](TForm& dialog) {
        Type(dialog, "Edit1", kDemoEmail);
        Type(dialog, "Edit2", kDemoPassword);
        SaveScreenshot(dialog.Handle(), "account-dialog-idle");
        Click(dialog, "Button1");
    });
    Click(*window, "Button4");
    const std::string newId = Globals->GetCID();
    EXPECT_NE(newId, oldId);
    EXPECT_EQ(Globals->MissingHosts.Count(), 0);
    EXPECT_EQ(Globals->CurrentIP, "");
    EXPECT_EQ(window->LightImage(StatusLight::JvImageSquare2), LightNeutral);
    EXPECT_EQ(window->LightImage(StatusLight::JvImageSquare3), LightNeutral);
    EXPECT_TRUE(window->ExternalIPWatcher().Enabled());
    EXPECT_EQ(window->ExternalIPWatcher().Interval(), 1u);
    EXPECT_FALSE(window->InternalIPWatcher().Enabled());
    EXPECT_TRUE(window->UserXML.Enabled());
    EXPECT_EQ(window->UserXML.Interval(), 1u);
    EXPECT_FALSE(IsShown(*window, "Label8"));
    EXPECT_FALSE(IsShown(*window, "Label9"));
    // The old registration went once the new one had arrived.
    EXPECT_EQ(HostListOf(oldId, oldKey), "status=3");
    EXPECT_NE(HostListOf(newId, Globals->GetCKey()).find("home.demo.example"), std::string::npos);
}

TEST_F(AccountTest, EditCancelledAfterAFailureChangesNothing) {
    const std::string id = RegisterDemo();
    const std::string key = Globals->GetCKey();
    MakeWindow();
    Globals->CurrentIP = "203.0.113.9";
    modals.When("UserPass", [](TForm& dialog) {
        SignIn(dialog, kDemoEmail, "wrong-pass");
        ExpectErrorState(dialog);
        Click(dialog, "Button2");
    });
    Click(*window, "Button4");
    EXPECT_EQ(Globals->GetCID(), id);
    EXPECT_EQ(Globals->CurrentIP, "203.0.113.9");
    EXPECT_FALSE(window->ExternalIPWatcher().Enabled());
    EXPECT_FALSE(window->UserXML.Enabled());
    EXPECT_NE(HostListOf(id, key).find("home.demo.example"), std::string::npos);
}

} // namespace
} // namespace vek::testing
