#pragma once
// The main window made in the test process with a core of its own (client id "client-7"), fake
// timers and clock, and a recorded notification area; errors of handlers are logged into
// `errors`.
#include "Main/forms/Unit1.h"
#include "classlib/HandlerBoundary.h"
#include "tests/win/support/CoreFixture.h"
#include "tests/win/support/FakeClock.h"
#include "tests/win/support/FakeTimerScheduler.h"
#include "tests/win/support/FormDriver.h"
#include "tests/win/support/ScopedGlobals.h"

#include <commctrl.h>

namespace vek::testing {

class MainWindowTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        globals_ = MakeGlobals({}, Adapters());
        installed_.emplace(*globals_);
        Globals->SetCID("client-7");
        SetHandlerErrorReporting("Tarvo VEK",
                                 [this](const std::string& text) { errors.push_back(text); });
    }
    void TearDown() override {
        window.reset();
        SetHandlerErrorReporting("", nullptr);
    }
    // The adapter layer of the core; none: the system's.
    virtual std::unique_ptr<IAdapterApi> Adapters() { return nullptr; }
    // A window made before is gone first, with its tray icon.
    void MakeWindow() {
        window.reset();
        window = std::make_unique<TVEK>();
        PumpUntilIdle();
    }
    // The status bar's echo of the last log line, without its time.
    std::string StatusEcho() const {
        char text[256] = {};
        ::SendMessageA(window->Control("StatusBar1"), SB_GETTEXTA, 0,
                       reinterpret_cast<LPARAM>(text));
        const std::string echo = text;
        const std::size_t colon = echo.find(": ");
        return colon == std::string::npos ? echo : echo.substr(colon + 2);
    }
    bool HiddenSetting() const { return Raw("Hidden") && Raw("Hidden")->data[0] == 1; }
    // Whether the window has its own taskbar button: an unowned application window.
    bool HasTaskbarButton() const {
        return ::GetWindow(window->Handle(), GW_OWNER) == nullptr &&
               (::GetWindowLongPtrA(window->Handle(), GWL_EXSTYLE) & WS_EX_APPWINDOW) != 0;
    }
    // What the tray icon's window hears from the notification area.
    void TrayMouse(UINT mouseMessage) {
        ::SendMessageA(window->JvTrayIcon1.Handle(), TTrayIcon::WM_TRAYICONNOTIFY, 1, mouseMessage);
    }
    // Takes the WM_QUIT a closing main window posts; false when there is none.
    static bool TakeQuit() {
        MSG quit;
        return ::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
    }

    FakeClock clock;
    FakeTimerScheduler timers{clock};
    NotifyIconRecorder trayArea;
    std::vector<std::string> errors;

private:
    std::unique_ptr<TVEKGlobals> globals_;
    std::optional<ScopedGlobals> installed_;

protected:
    // Made after Globals, and gone before it.
    std::unique_ptr<TVEK> window;
};

} // namespace vek::testing
