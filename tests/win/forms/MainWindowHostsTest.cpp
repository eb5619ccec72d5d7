// The main window's "Select Hosts": the host-list lock in its three states before the host
// selection opens, and what its Save and Cancel leave behind: the choice, the lock, the address
// to submit again, the missing hosts, the update light and the IP check.
#include "Main/forms/HostListLock.h"
#include "Main/forms/Unit2.h"
#include "tests/win/forms/MainWindowFixture.h"
#include "tests/win/support/CycleFakes.h"

#include <commctrl.h>
#include <windowsx.h>

namespace vek::testing {
namespace {

constexpr char kStoredChoice[] = "h[]=b.x.example";
// Rows: Groups, team, Hosts, x.example, b (ticked by the stored choice), c.
constexpr char kHostList[] = "team,a.x.example|#,b.x.example|#,c.x.example|\n";
constexpr int kTeamRow = 1;
constexpr int kHostCRow = 5;

// What "Select Hosts" may change: UpdateList, HostPassword, the lock flag, the current address,
// the number of missing hosts, the update light, the IP checks run.
using Choice =
    std::tuple<std::string, std::string, bool, std::string, std::size_t, int, std::size_t>;

class SelectHostsTest : public MainWindowTest, public IHostListSource {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        Globals->SetCKey("key-7");
        MakeWindow();
        Reset();
    }
    // Before each case: a stored choice, a missing host, an address and a good update.
    void Reset() {
        Globals->SetUpdateList(kStoredChoice);
        Globals->ClearMissingHosts();
        Globals->AddMissingHost("gone.x.example");
        Globals->CurrentIP = "203.0.113.9";
        window->SetLightImage(StatusLight::JvImageSquare3, LightGood);
        network.boundIPs.clear();
    }
    std::string HttpGet(const std::string&) override { return reply; }

    void SetLock(bool locked, const std::string& password) {
        Globals->SetHostListLocked(locked);
        Globals->SetHostPassword(password);
    }
    // The host selection's step, once its download has run.
    void WhenHostSelect(std::function<void(THostSelect&)> step) {
        modals.When("HostSelect", [step = std::move(step)](TForm& form) {
            auto& dialog = static_cast<THostSelect&>(form);
            dialog.Created.Tick();
            step(dialog);
        });
    }
    void WhenPrompted(const char* password) {
        modals.When("PasswordPrompt", [password](TForm& prompt) {
            Type(prompt, "Edit1", password);
            Click(prompt, "Button1");
        });
    }
    Choice Now() const {
        return {Globals->GetUpdateList(),      Globals->GetHostPassword(),
                Globals->GetHostListLocked(),  Globals->CurrentIP,
                Globals->MissingHosts.Count(), window->LightImage(StatusLight::JvImageSquare3),
                network.boundIPs.size()};
    }

    std::string reply = kHostList;
    ScriptedNetwork network;
    MessageBoxScript boxes;
    ModalScript modals;

private:
    seams::Seam<IHostListSource>::Override source_{*this};
};

void Check(THostSelect& dialog, int row) {
    ListView_SetCheckState(dialog.Control("ListView1"), row, TRUE);
}

void SetLockBox(THostSelect& dialog, bool checked) {
    Button_SetCheck(dialog.Control("CheckBox1"), checked ? BST_CHECKED : BST_UNCHECKED);
}

// Whether the dialog opens, in each lock state; cancelled or never opened, it changes nothing and
// checks nothing.
TEST_F(SelectHostsTest, TheLockDecidesWhetherTheDialogOpensAndCancelChangesNothing) {
    struct Case {
        const char* name;
        bool locked;
        std::string password;
        std::vector<const char*> prompts;
        std::vector<int> boxAnswers;
        bool opens;
    };
    const std::string hash = HostPasswordHash("pw");
    const Case cases[] = {
        {"unlocked", false, "", {}, {}, true},
        {"locked, wrong, Retry, right", true, hash, {"nope", "pw"}, {IDRETRY}, true},
        {"locked, wrong, Cancel", true, hash, {"nope"}, {IDCANCEL}, false},
        {"damaged", true, "", {}, {IDOK}, false},
    };
    for (const Case& c : cases) {
        SetLock(c.locked, c.password);
        for (const char* password : c.prompts) {
            WhenPrompted(password);
        }
        for (const int answer : c.boxAnswers) {
            boxes.Answer(answer);
        }
        bool lockBoxChecked = false;
        if (c.opens) {
            WhenHostSelect([&](THostSelect& dialog) {
                lockBoxChecked = dialog.LockChecked();
                // Changes that Cancel throws away.
                Check(dialog, kHostCRow);
                SetLockBox(dialog, !c.locked);
                Click(dialog, "Button2");
            });
        }
        boxes.shown.clear();
        modals.shown.clear();
        const Choice before = Now();
        Click(*window, "Button1");
        std::vector<std::string> forms(c.prompts.size(), "PasswordPrompt");
        if (c.opens) {
            forms.push_back("HostSelect");
        }
        EXPECT_EQ(modals.shown, forms) << c.name;
        EXPECT_EQ(boxes.shown.size(), c.boxAnswers.size()) << c.name;
        EXPECT_EQ(lockBoxChecked, c.opens && c.locked) << c.name;
        EXPECT_EQ(Now(), before) << c.name;
    }
}

// Save stores the checked rows in row order and the lock box, forgets the missing hosts and the
// address, so that the IP check it runs submits the new choice.
TEST_F(SelectHostsTest, SaveStoresTheChoiceAndTheLockThenChecksTheAddress) {
    const std::string hash = HostPasswordHash("pw");
    struct Case {
        const char* name;
        bool locked;
        bool lockBox;
        std::string passwordAfter;
    };
    for (const Case& c : {Case{"stays unlocked", false, false, ""},
                          {"locks, asking for the password", false, true, hash},
                          {"stays locked", true, true, hash},
                          {"unlocks", true, false, ""}}) {
        Reset();
        SetLock(c.locked, c.locked ? hash : "");
        if (c.locked) {
            WhenPrompted("pw");
        }
        WhenHostSelect([&](THostSelect& dialog) {
            Check(dialog, kHostCRow);
            Check(dialog, kTeamRow);
            SetLockBox(dialog, c.lockBox);
            Click(dialog, "Button1");
        });
        if (c.lockBox && !c.locked) {
            WhenPrompted("pw");
        }
        Click(*window, "Button1");
        EXPECT_EQ(Now(), (Choice{"g[]=team&h[]=b.x.example&h[]=c.x.example", c.passwordAfter,
                                 c.lockBox, "", 0, LightNeutral, 1}))
            << c.name;
        EXPECT_EQ(window->ControlText("Label4"), "1") << "the summary shows the new choice";
    }
}

// Without a downloaded list nothing can be chosen: the stored choice stays, and Save still
// forgets the missing hosts, applies the lock and checks the address. A request that cannot be
// signed is the class library's error, shown in its box; the rows stay as they were.
TEST_F(SelectHostsTest, ASaveAfterAFailedDownloadKeepsTheStoredChoice) {
    for (const char* failure : {"-1", "status=3", "unsigned"}) {
        Reset();
        reply = failure;
        const bool unsigned_ = failure == std::string("unsigned");
        Globals->SetCKey(unsigned_ ? "" : "key-7");
        if (unsigned_) {
            boxes.Answer(IDOK);
        }
        std::string firstRow;
        WhenHostSelect([&firstRow](THostSelect& dialog) {
            char text[64] = {};
            ListView_GetItemText(dialog.Control("ListView1"), 0, 0, text, sizeof text);
            firstRow = text;
            Click(dialog, "Button1");
        });
        Click(*window, "Button1");
        EXPECT_EQ(Now(), (Choice{kStoredChoice, "", false, "", 0, LightNeutral, 1})) << failure;
        EXPECT_EQ(firstRow, unsigned_ ? "Downloading group and hosts list..."
                                      : "Error downloading host list,")
            << failure;
    }
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "Tarvo VEK");
    EXPECT_EQ(boxes.shown[0].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_NE(boxes.shown[0].text.find("key"), std::string::npos) << boxes.shown[0].text;
}

} // namespace
} // namespace vek::testing
