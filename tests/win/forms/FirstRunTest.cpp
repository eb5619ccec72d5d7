// The desktop client's first run end to end against the real reference provider (only the network
// crosses processes): with no client id stored, the main window registers through the account
// dialog, opens the host selection by itself once, stores the hosts and the group chosen there
// and submits the echo servers' address for them at once. first-run.sh has the echo servers
// report the address it passes in VEK_FIRST_RUN_ADDRESS, and afterwards reads the provider's
// host list.
#include "tests/win/forms/MainWindowFixture.h"

#include "Main/forms/Unit2.h"

#include <commctrl.h>

#include <cstdlib>

namespace vek::testing {
namespace {

// The row of the dialog with this caption; -1 when there is none.
int RowOf(const THostSelect& dialog, const std::string& caption) {
    HWND list = dialog.Control("ListView1");
    for (int row = 0; row < ListView_GetItemCount(list); ++row) {
        char text[256] = {};
        ListView_GetItemText(list, row, 0, text, sizeof text);
        if (caption == text) {
            return row;
        }
    }
    return -1;
}

class FirstRunTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        Globals->SetCID("");
    }
    MessageBoxScript boxes;
    ModalScript modals;
};

TEST_F(FirstRunTest, RegistersChoosesTwoHostsAndAGroupAndSubmitsTheAddress) {
    const char* address = std::getenv("VEK_FIRST_RUN_ADDRESS");
    ASSERT_NE(address, nullptr) << "run by first-run.sh, which sets the echo servers' address";
    modals.When("UserPass", [](TForm& dialog) {
        Type(dialog, "Edit1", "demo@example.com");
        Type(dialog, "Edit2", "demo-pass");
        Click(dialog, "Button1");
    });
    modals.When("HostSelect", [](TForm& form) {
        auto& dialog = static_cast<THostSelect&>(form);
        // The download, as the dialog's timer starts it.
        dialog.Created.Tick();
        for (const char* chosen : {"family", "garden.demo.example", "office.demo.example"}) {
            const int row = RowOf(dialog, chosen);
            ASSERT_GE(row, 0) << chosen;
            ListView_SetCheckState(dialog.Control("ListView1"), row, TRUE);
        }
        SaveScreenshot(dialog.Handle(), "first-run-host-select");
        Click(dialog, "Button1");
    });
    window = std::make_unique<TVEK>();
    EXPECT_EQ(modals.shown, std::vector<std::string>{"UserPass"});
    // The posted click on "Select Hosts" opens the host selection; its Save checks the address.
    PumpUntilIdle();
    PumpUntilIdle();
    EXPECT_EQ(modals.shown, (std::vector<std::string>{"UserPass", "HostSelect"}));
    EXPECT_EQ(Globals->GetUpdateList(),
              "g[]=family&h[]=garden.demo.example&h[]=office.demo.example");
    EXPECT_FALSE(Globals->GetHostListLocked());
    EXPECT_EQ(Globals->CurrentIP, address);
    const std::string log = ReadFileBytes(LogFile("VEK.log"));
    EXPECT_NE(log.find("IP changed, submitting updates"), std::string::npos) << log;
    EXPECT_NE(log.find("GoodUpdateCount=3,BadUpdatecount=0"), std::string::npos) << log;
    EXPECT_TRUE(boxes.shown.empty());
    SaveScreenshot(window->Handle(), "first-run-main-window");
}

} // namespace
} // namespace vek::testing
