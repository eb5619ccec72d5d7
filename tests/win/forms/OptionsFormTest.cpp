// The preferences dialog: what it shows of the settings when it opens, and the adapter and
// detection method it stores after OK.
#include "Main/forms/Unit3.h"
#include "tests/win/support/AdapterFakes.h"
#include "tests/win/support/CoreFixture.h"
#include "tests/win/support/FormDriver.h"

#include <windowsx.h>

namespace vek::testing {
namespace {

class OptionsFormTest : public GlobalsTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        ScriptedAdapters() = AdapterScript{};
        ScriptedAdapters().adapters = {{"Fast Ethernet", {"192.0.2.10"}},
                                       {"Wireless", {"198.51.100.7", "198.51.100.8"}}};
        InstallGlobals(std::make_unique<FakeAdapters>(std::make_shared<std::vector<std::string>>(),
                                                      &ScriptedGetAdaptersInfo));
    }
    void TearDown() override { ScriptedAdapters() = AdapterScript{}; }

    static bool Checked(const TForm& dialog, const char* name) {
        return Button_GetCheck(dialog.Control(name)) == BST_CHECKED;
    }
};

TEST_F(OptionsFormTest, OpensOnTheStoredSettings) {
    // The stored adapter (none: not stored), the detection method, the line selected.
    const std::tuple<std::optional<int>, bool, const char*> cases[] = {
        {std::nullopt, false, "Windows Default"},
        {1, true, "198.51.100.7 | Wireless"},
        {2, false, "198.51.100.8 | Wireless"},
        {7, true, "Windows Default"},
    };
    for (const auto& [adapter, alternate, selected] : cases) {
        if (adapter) {
            Globals->SetAdapter(*adapter);
        }
        Globals->SetAlternateIP(alternate);
        TOptionsForm dialog(nullptr);
        HWND combo = dialog.Control("ComboBox1");
        std::vector<std::string> items(ComboBox_GetCount(combo));
        for (std::size_t i = 0; i < items.size(); ++i) {
            char text[64] = {};
            ComboBox_GetLBText(combo, i, text);
            items[i] = text;
        }
        EXPECT_EQ(items,
                  (std::vector<std::string>{"Windows Default", "192.0.2.10 | Fast Ethernet",
                                            "198.51.100.7 | Wireless", "198.51.100.8 | Wireless"}));
        EXPECT_EQ(dialog.ControlText("ComboBox1"), selected);
        EXPECT_EQ(Checked(dialog, "JvCheckBox4"), alternate);
        EXPECT_EQ(Checked(dialog, "JvCheckBox1"), Globals->IsServiceInstalled());
    }
    TOptionsForm dialog(nullptr);
    RECT client{};
    ::GetClientRect(dialog.Handle(), &client);
    EXPECT_EQ(client.right, 466);
    EXPECT_EQ(client.bottom, 332);
    dialog.Show();
    PumpUntilIdle();
    SaveScreenshot(dialog.Handle(), "preferences");
}

TEST_F(OptionsFormTest, StoresTheChosenAdapterAndMethod) {
    for (const auto& [item, stored] : {std::pair{0, -1}, {1, 0}, {3, 2}}) {
        TOptionsForm dialog(nullptr);
        ComboBox_SetCurSel(dialog.Control("ComboBox1"), item);
        Button_SetCheck(dialog.Control("JvCheckBox4"), item == 1 ? BST_CHECKED : BST_UNCHECKED);
        dialog.ApplyAdapterAndMethod();
        EXPECT_EQ(Globals->GetAdapter(), stored);
        EXPECT_EQ(Globals->GetAlternateIP(), item == 1);
    }
}

} // namespace
} // namespace vek::testing
