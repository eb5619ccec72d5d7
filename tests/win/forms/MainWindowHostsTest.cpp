// The main window's "Select Hosts": the host-list lock in its three states before the host
// selection opens, and what its Save and Cancel leave behind: the choice, the lock, the address
// to submit again, the update light and the IP check.
#include "CycleFakes.h"
#include "HostListLock.h"
#include "MainWindowFixture.h"
#include "Unit2.h"

#include <commctrl.h>
#include <windowsx.h>

namespace vek::testing {
namespace {

constexpr char kStoredChoice[] = "h[]=b.x.example";
constexpr char kAddress[] = "203.0.113.9";
// Rows: Groups, team, Hosts, x.example, b, c.
constexpr char kHostList[] = "team,a.x.example|#,b.x.example|#,c.x.example|\n";
constexpr int kTeamRow = 1;
constexpr int kHostCRow = 5;

using Boxes = std::vector<MessageBoxScript::Box>;

// What "Select Hosts" may change.
struct Choice {
    std::string updateList;
    std::string hostPassword;
    bool locked;
    std::string currentIP;
    std::size_t missingHosts;
    int updateLight;
    std::size_t checks;
    bool operator==(const Choice&) const = default;
    friend void PrintTo(const Choice& c, std::ostream* out) {
        *out << "{\"" << c.updateList << "\", \"" << c.hostPassword << "\", " << c.locked << ", \""
             << c.currentIP << "\", " << c.missingHosts << ", " << c.updateLight << ", " << c.checks
             << "}";
    }
};

class SelectHostsTest : public MainWindowTest, public IHostListSource {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        Globals->SetCKey("key-7");
        MakeWindow();
        Reset();
    }
    // The state before each case: a stored choice, a missing host, an address and a good update.
    void Reset() {
        Globals->SetUpdateList(kStoredChoice);
        Globals->ClearMissingHosts();
        Globals->AddMissingHost("gone.x.example");
        Globals->CurrentIP = kAddress;
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
            Type(prompt, "Edit1", password != nullptr ? password : "");
            Click(prompt, password != nullptr ? "Button1" : "Button2");
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

void Tick(THostSelect& dialog, int row, bool checked) {
    ListView_SetCheckState(dialog.Control("ListView1"), row, checked ? TRUE : FALSE);
}

void SetLockBox(THostSelect& dialog, bool checked) {
    Button_SetCheck(dialog.Control("CheckBox1"), checked ? BST_CHECKED : BST_UNCHECKED);
}

// Whether the dialog opens, in each lock state; cancelled or never opened, it changes nothing and
// checks nothing.
TEST_F(SelectHostsTest, TheLockDecidesWhetherTheDialogOpensAndCancelChangesNothing) {
    const Boxes wrong{{"Incorrect password entered, can not modify host list.", "Tarvo VEK", 21}};
    const Boxes damaged{{"Password database has been corrupted.\r\n"
                         "Please edit the username and password\r\n"
                         "for this install to reinitialize the database.",
                         "Tarvo VEK", 48}};
    struct Case {
        const char* name;
        bool locked;
        std::string password;
        std::vector<const char*> prompts; // null cancels
        std::vector<int> answers;
        Boxes shown;
        bool opens;
    };
    const std::string hash = HostPasswordHash("pw");
    const Case cases[] = {
        {"unlocked", false, "", {}, {}, {}, true},
        {"locked, right", true, hash, {"pw"}, {}, {}, true},
        {"locked, wrong then Retry", true, hash, {"nope", "pw"}, {IDRETRY}, wrong, true},
        {"locked, wrong then Cancel", true, hash, {"nope"}, {IDCANCEL}, wrong, false},
        {"locked, prompt cancelled", true, hash, {nullptr}, {}, {}, false},
        {"damaged", true, "", {}, {IDOK}, damaged, false},
    };
    for (const Case& c : cases) {
        SetLock(c.locked, c.password);
        for (const char* password : c.prompts) {
            WhenPrompted(password);
        }
        for (const int answer : c.answers) {
            boxes.Answer(answer);
        }
        bool lockBoxChecked = false;
        if (c.opens) {
            WhenHostSelect([&](THostSelect& dialog) {
                lockBoxChecked = dialog.LockChecked();
                // Changes that Cancel throws away.
                Tick(dialog, kHostCRow, true);
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
        EXPECT_EQ(boxes.shown, c.shown) << c.name;
        EXPECT_EQ(lockBoxChecked, c.opens && c.locked) << c.name;
        EXPECT_EQ(Now(), before) << c.name;
    }
}

// Save stores the checked rows in row order and the lock box, forgets the missing hosts and the
// address, so that the IP check it runs submits the new choice.
TEST_F(SelectHostsTest, SaveStoresTheChoiceAndTheLockThenChecksTheAddress) {
    struct Case {
        const char* name;
        bool locked;
        std::string password;
        bool lockBox;
        const char* lockPassword; // asked at Save when the box is checked and none is stored
        Choice after;
    };
    const std::string hash = HostPasswordHash("pw");
    const std::string chosen = "g[]=team&h[]=b.x.example&h[]=c.x.example";
    const Case cases[] = {
        {"stays unlocked", false, "", false, nullptr, {chosen, "", false, "", 0, LightNeutral, 1}},
        {"locks", false, "", true, "pw", {chosen, hash, true, "", 0, LightNeutral, 1}},
        {"stays locked", true, hash, true, nullptr, {chosen, hash, true, "", 0, LightNeutral, 1}},
        {"unlocks", true, hash, false, nullptr, {chosen, "", false, "", 0, LightNeutral, 1}},
    };
    for (const Case& c : cases) {
        Reset();
        SetLock(c.locked, c.password);
        if (c.locked) {
            WhenPrompted("pw");
        }
        WhenHostSelect([&](THostSelect& dialog) {
            Tick(dialog, kHostCRow, true);
            Tick(dialog, kTeamRow, true);
            SetLockBox(dialog, c.lockBox);
            Click(dialog, "Button1");
        });
        if (c.lockPassword != nullptr) {
            WhenPrompted(c.lockPassword);
        }
        Click(*window, "Button1");
        EXPECT_EQ(Now(), c.after) << c.name;
        EXPECT_EQ(window->ControlText("Label4"), "1") << "the summary shows the new choice";
    }
}

// Without a downloaded list nothing can be chosen: the stored choice stays, and Save still
// applies the lock and checks the address.
TEST_F(SelectHostsTest, ASaveAfterAFailedDownloadKeepsTheStoredChoice) {
    for (const char* failure : {"-1", "status=3"}) {
        Reset();
        reply = failure;
        WhenHostSelect([](THostSelect& dialog) { Click(dialog, "Button1"); });
        Click(*window, "Button1");
        EXPECT_EQ(Now(), (Choice{kStoredChoice, "", false, "", 1, LightNeutral, 1})) << failure;
    }
}

} // namespace
} // namespace vek::testing
