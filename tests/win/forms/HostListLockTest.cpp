// The host-list lock: the password's hash, the gate before the host selection in its three states
// (unlocked, locked, damaged), and the password prompt.
#include "Main/forms/HostListLock.h"
#include "Main/forms/PasswordPrompt.h"
#include "tests/win/support/CoreFixture.h"
#include "tests/win/support/FormDriver.h"

namespace vek::testing {
namespace {

using Boxes = std::vector<MessageBoxScript::Box>;

class HostListLockTest : public GlobalsTest, public seams::IRandom {
protected:
    void Seed(std::uint32_t) override {}
    std::uint32_t Next(std::uint32_t range) override {
        ranges.push_back(range);
        return 7;
    }

    std::vector<std::uint32_t> ranges;
    MessageBoxScript boxes;
    ModalScript modals;

private:
    seams::Seam<seams::IRandom>::Override random_{*this};
};

TEST_F(HostListLockTest, TheHashIsTheUpperCaseSha1OfThePasswordBytesAndAFixedText) {
    EXPECT_EQ(HostPasswordHash(""), "21EBE21ABCB2FC547A253CB68284DC6D3B66EAB2");
    EXPECT_EQ(HostPasswordHash("pw"), "3EECD528956EAAE3B26DB372A9441E330203FA8E");
    EXPECT_EQ(HostPasswordHash("P\xE4sswort"), "CD34D77CC5F80007B3E413E8F1E8F50CAD946435");
}

TEST_F(HostListLockTest, TheGateOpensUnlockedAfterTheRightPasswordAndNeverDamaged) {
    const MessageBoxScript::Box wrong{"Incorrect password entered, can not modify host list.",
                                      "Tarvo VEK", 21};
    const MessageBoxScript::Box damaged{"Password database has been corrupted.\r\n"
                                        "Please edit the username and password\r\n"
                                        "for this install to reinitialize the database.",
                                        "Tarvo VEK", 48};
    struct Case {
        bool locked;
        std::string stored;
        // The prompts' answers in order; null cancels.
        std::vector<const char*> prompts;
        std::vector<int> answers;
        bool opens;
        Boxes shown;
    };
    const Case cases[] = {
        {false, "", {}, {}, true, {}},
        {true, HostPasswordHash("pw"), {"pw"}, {}, true, {}},
        {true, HostPasswordHash("pw"), {"nope", "pw"}, {IDRETRY}, true, {wrong}},
        {true, HostPasswordHash("pw"), {"nope"}, {IDCANCEL}, false, {wrong}},
        {true, HostPasswordHash("pw"), {nullptr}, {}, false, {}},
        {true, HostPasswordHash(""), {""}, {}, true, {}},
        {true, "", {}, {IDOK}, false, {damaged}},
    };
    for (const Case& c : cases) {
        Globals->SetHostListLocked(c.locked);
        Globals->SetHostPassword(c.stored);
        for (const char* answer : c.prompts) {
            modals.When("PasswordPrompt", [answer](TForm& prompt) {
                EXPECT_EQ(prompt.ControlText("Label1"),
                          "Please enter password to modify host list.");
                Type(prompt, "Edit1", answer != nullptr ? answer : "");
                Click(prompt, answer != nullptr ? "Button1" : "Button2");
            });
        }
        for (const int answer : c.answers) {
            boxes.Answer(answer);
        }
        boxes.shown.clear();
        modals.shown.clear();
        ranges.clear();
        EXPECT_EQ(PassHostListGate(nullptr), c.opens) << c.stored << c.prompts.size();
        EXPECT_EQ(modals.shown.size(), c.prompts.size());
        EXPECT_EQ(boxes.shown, c.shown);
        EXPECT_EQ(ranges, std::vector<std::uint32_t>(3, 2147483647u));
    }
}

TEST_F(HostListLockTest, ThePromptMasksItsTextAndGivesItOnlyOnOk) {
    std::string value = "start";
    for (const char* button : {"Button2", "Button1"}) {
        modals.When("PasswordPrompt", [button](TForm& prompt) {
            RECT client{};
            ::GetClientRect(prompt.Handle(), &client);
            EXPECT_EQ(client.right, 320);
            EXPECT_EQ(::SendMessageA(prompt.Control("Edit1"), EM_GETPASSWORDCHAR, 0, 0), '*');
            Type(prompt, "Edit1", "secret");
            PumpUntilIdle();
            SaveScreenshot(prompt.Handle(), "password-prompt");
            Click(prompt, button);
        });
        EXPECT_EQ(InputPassword(nullptr, "Tarvo VEK",
                                "Please enter a password to lock  the host list.  If this\r\n"
                                "password is lost, you must reenter the account\r\n"
                                "username and password to unlock it.",
                                value),
                  button == std::string("Button1"));
        EXPECT_EQ(value, button == std::string("Button1") ? "secret" : "start");
    }
}

} // namespace
} // namespace vek::testing
