// The first run's account dialog, whose modal loop runs inside the main window's creation: a tray
// Exit, the end of the session or a quit met there ends the program as Exit does, without asking;
// the tray's Show brings the dialog to the front; and the hidden application window is made once.
#include "Main/res/ControlIds.h"
#include "tests/win/forms/MainWindowFixture.h"

#include <stdexcept>

namespace vek::testing {
namespace {

// The main window while it is being made.
TVEK& Making() { return dynamic_cast<TVEK&>(*Globals->MainWindow); }

// Runs the action when the first modal form is shown. A second one means the first loop did not
// end the program: it fails the test and leaves the window's creation.
class FirstModalForm final : public IModalHook {
public:
    explicit FirstModalForm(std::function<void(TForm&)> action) : action_(std::move(action)) {}
    void Showing(TForm& form) override {
        shown.emplace_back(form.Name());
        if (shown.size() > 1) {
            throw std::runtime_error(std::string(form.Name()) + " was shown again");
        }
        action_(form);
    }
    std::vector<std::string> shown;

private:
    std::function<void(TForm&)> action_;
    seams::Seam<IModalHook>::Override override_{*this};
};

class FirstRunEndTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        Globals->SetCID("");
    }
    MessageBoxScript boxes;
};

TEST_F(FirstRunEndTest, AQuitDuringTheDialogEndsTheProgramAsExitDoes) {
    const std::pair<const char*, std::function<void(TForm&)>> ways[] = {
        // The tray posts its menu's command.
        {"tray Exit",
         [](TForm&) { ::PostMessageA(Making().Handle(), WM_COMMAND, IDM_VEK_EXIT2, 0); }},
        // The Cancel after it ends the loop, should the end of the session not.
        {"session end",
         [](TForm& dialog) {
             ::PostMessageA(Making().Handle(), WM_QUERYENDSESSION, 0, 0);
             ::PostMessageA(Making().Handle(), WM_ENDSESSION, TRUE, 0);
             ::PostMessageA(dialog.Handle(), WM_COMMAND, IDCANCEL, 0);
         }},
        {"quit", [](TForm&) { ::PostQuitMessage(0); }},
        // Exit while the registration request runs, which then succeeds.
        {"Exit during the registration",
         [](TForm& dialog) {
             ::SendMessageA(Making().Handle(), WM_COMMAND, IDM_VEK_EXIT2, 0);
             Globals->SetCID("client-9");
             dialog.SetModalResult(mrOk);
         }},
    };
    for (const auto& [way, action] : ways) {
        Globals->SetCID("");
        FirstModalForm modal(action);
        window.reset();
        ASSERT_NO_THROW(window = std::make_unique<TVEK>()) << way;
        EXPECT_EQ(modal.shown, std::vector<std::string>{"UserPass"}) << way;
        EXPECT_EQ(window->Handle(), nullptr) << way;
        EXPECT_TRUE(TakeQuit()) << way;
        EXPECT_FALSE(trayArea.shown) << way;
        EXPECT_EQ(window->JvTrayIcon1.Tag, 0) << way;
        EXPECT_FALSE(window->Startup.Enabled()) << way;
    }
    EXPECT_TRUE(boxes.shown.empty());
}

// The tray's menu makes the tray's own window the active one before its Show runs.
TEST_F(FirstRunEndTest, TrayShowBringsTheDialogToTheFront) {
    HWND active = nullptr;
    FirstModalForm modal([&active](TForm& dialog) {
        ::SetForegroundWindow(Making().JvTrayIcon1.Handle());
        ChooseMenuItem(Making(), Making().PopupMenu1(), "Show1");
        active = ::GetActiveWindow();
        EXPECT_EQ(active, dialog.Handle());
        Click(dialog, "Button2");
    });
    boxes.Answer(IDYES);
    window = std::make_unique<TVEK>();
    EXPECT_NE(active, nullptr);
    EXPECT_TRUE(TakeQuit());
}

// Counts the windows made with the application window's caption and no owner.
int applicationWindows = 0;

LRESULT CALLBACK CountApplicationWindows(int code, WPARAM wParam, LPARAM lParam) {
    const CREATESTRUCTA* made =
        code == HCBT_CREATEWND ? reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs : nullptr;
    if (made != nullptr && made->hwndParent == nullptr && made->lpszName != nullptr &&
        lstrcmpA(made->lpszName, "Tarvo VEK") == 0) {
        ++applicationWindows;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(MainWindowTest, TheHiddenApplicationWindowIsMadeOnce) {
    HHOOK hook =
        ::SetWindowsHookExA(WH_CBT, CountApplicationWindows, nullptr, ::GetCurrentThreadId());
    MakeWindow();
    ::UnhookWindowsHookEx(hook);
    EXPECT_EQ(applicationWindows, 1);
}

} // namespace
} // namespace vek::testing
