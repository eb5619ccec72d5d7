// The main window's creation and end, its timers, its messages, and hiding, showing and exiting.
#include "Main/forms/Unit1.h"

#include "Main/core/VEKGlobals.h"
#include "Main/res/ControlIds.h"
#include "classlib/HandlerBoundary.h"
#include "classlib/Locale.h"

namespace vek {
namespace {

constexpr UINT kStartupInterval = 1;
constexpr UINT kUserXMLInterval = 1;
constexpr UINT kFirstHeartbeat = 1;
constexpr COLORREF kHintColor = RGB(255, 255, 255);

// While the main window exists, it is the core's; the reference goes whichever way the
// constructor ends.
class MainWindowRegistration {
public:
    explicit MainWindowRegistration(IMainWindow& window) : window_(window) {
        Globals->MainWindow = &window;
    }
    ~MainWindowRegistration() {
        if (!committed_ && Globals->MainWindow == &window_) {
            Globals->MainWindow = nullptr;
        }
    }
    MainWindowRegistration(const MainWindowRegistration&) = delete;
    MainWindowRegistration& operator=(const MainWindowRegistration&) = delete;
    void Commit() { committed_ = true; }

private:
    IMainWindow& window_;
    bool committed_ = false;
};

TTimer::Handler Quietly(std::function<void()> handler) {
    return [handler = std::move(handler)] { RunQuietly(handler); };
}

} // namespace

TVEK::TVEK()
    : TForm(kVEKFormLayout), NextIPWatchTimer(kNextIPWatchInterval, true),
      Startup(kStartupInterval, false, Quietly([this] { StartupTimer(); })),
      UserXML(kUserXMLInterval, false),
      LastVEKTime(kFirstHeartbeat, true, Quietly([this] { LastVEKTimeTimer(); })),
      hintWindow_("Tahoma", -11), cycle_(*this, kExternalIntervalAtCreation) {
    MainWindowRegistration registration(*this);
    // The anti-freeze: requests made from this window's handlers keep its messages flowing.
    Globals->KeepMessagesFlowing = true;
    MakeMainForm();
    OnMessage(WM_CLIENTNOTIFY, [this](WPARAM wParam, LPARAM lParam) {
        WMClientNotify(wParam, lParam);
        return 0;
    });
    OnMessage(WM_QUERYENDSESSION, [this](WPARAM, LPARAM) { return WMQueryEndSession(); });
    OnMessage(WM_ENDSESSION, [this](WPARAM wParam, LPARAM) {
        WMEndSession(wParam != FALSE);
        return 0;
    });
    OnMessage(WM_DRAWITEM, [this](WPARAM, LPARAM lParam) {
        return DrawLight(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    });
    OnCommand(IDC_VEK_BUTTON4, [this] { Button4Click(); });
    OnCommand(IDC_VEK_BUTTON7, [this] { Button7Click(); });
    OnCommand(IDC_VEK_BUTTON1, [this] { Button1Click(); });
    OnCommand(IDM_VEK_OPTIONS1, [this] { Options1Click(); });
    RegisterMenuActions();
    RegisterHints();
    NextIPWatchTimer.SetOnTimer(Quietly([this] { NextIPWatchTimerTimer(); }));
    UserXML.SetOnTimer(Quietly([this] { UserXMLTimer(); }));
    CreateWindowFromTemplate(nullptr);
    FitButtonCaptions();
    popupMenu_.reset(::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_VEK_POPUPMENU)));
    ActivateTrayIcon();
    FormCreate();
    registration.Commit();
}

TVEK::~TVEK() {
    Globals->KeepMessagesFlowing = false;
    if (Globals->MainWindow == this) {
        Globals->MainWindow = nullptr;
    }
}

// The tray icon is there from the window's creation on, the first run included.
void TVEK::ActivateTrayIcon() {
    JvTrayIcon1.SetIcon(static_cast<HICON>(
        ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_TARVOVEK), IMAGE_ICON,
                     ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), LR_SHARED)));
    JvTrayIcon1.SetHint(kApplicationTitle);
    JvTrayIcon1.SetPopupMenu(PopupMenu1(), TForm::Handle());
    JvTrayIcon1.OnDblClick = [this] { JvTrayIcon1DblClick(); };
    JvTrayIcon1.SetActive(true);
}

void TVEK::FormCreate() {
    NoticeForm = std::make_unique<TNoticeForm>(NoticeList,
                                               [this](const std::string& url) { OpenLink(url); });
    applicationWindow_.reset(::CreateWindowExA(0, "STATIC", kApplicationTitle, WS_POPUP, 0, 0, 0, 0,
                                               nullptr, nullptr, ::GetModuleHandleA(nullptr),
                                               nullptr));
    MakeLook();
    NoticeList.clear();
    ::SetWindowTextA(TForm::Handle(), kMainWindowCaption);
    SetControlText(IDC_VEK_LABEL10, "");
    // Closing is false from the window's construction on, and nothing clears it once set: the end
    // of the session may already have been announced while the tray icon was being added (a call
    // that lets messages of other threads in).
    hintWindow_.SetHintPause(kHintPause);
    hintWindow_.SetColor(kHintColor);
    const bool firstRun = Globals->GetCID().empty();
    if (firstRun && !RunFirstRun()) {
        return;
    }
    JvTrayIcon1.Tag = 1;
    Startup.SetEnabled(true);
    // The window starts hidden in the tray when Hidden is set, except after a first run.
    if (firstRun || !Globals->GetHidden()) {
        Show();
    }
}

// The window closes for real (the program ends): its tray icon goes with it.
void TVEK::FormClose() { JvTrayIcon1.SetActive(false); }

bool TVEK::FormCloseQuery() {
    if (!Closing) {
        Globals->SetHidden(true);
    }
    return Closing;
}

void TVEK::StartupTimer() {
    Startup.SetEnabled(false);
    RunQuietly([] {
        Globals->SetCID(Globals->GetCID());
        Globals->SetUpdateList(Globals->GetUpdateList());
    });
    UserXML.SetEnabled(true);
}

void TVEK::LastVEKTimeTimer() {
    RunQuietly([] { Globals->SetLastVEKTime(Now()); });
    LastVEKTime.SetEnabled(false);
    LastVEKTime.SetInterval(kHeartbeatInterval);
    LastVEKTime.SetEnabled(true);
}

void TVEK::WMClientNotify(WPARAM wParam, LPARAM lParam) {
    if (wParam == 1) {
        ClickMenuItem(IDM_VEK_SHOW1);
        Globals->Log("Existing instance running and brought to front.", true);
    } else if (wParam == 2 && lParam == 1) {
        Globals->Log("Service application has started.", true);
    } else if (wParam == 2 && lParam == 2) {
        Globals->Log("Service application has stopped.", true);
    }
}

LRESULT TVEK::WMQueryEndSession() {
    Closing = true;
    return 1;
}

// The session ends: the program ends as Exit ends it, also from inside a modal loop.
void TVEK::WMEndSession(bool ending) {
    if (ending) {
        EndProgram();
    }
}

void TVEK::Hide1Click() { Close(); }

// Until the window's creation has finished (the first-run account dialog is up), the dialog
// comes to the front instead of the window. The tray's menu has made the tray's own window the
// active one, so the dialog is found as the last active pop-up of the application window, which
// owns it.
void TVEK::Show1Click() {
    if (JvTrayIcon1.Tag == 1) {
        Globals->SetHidden(false);
        return;
    }
    ::SetForegroundWindow(::GetLastActivePopup(applicationWindow_.get()));
}

void TVEK::JvTrayIcon1DblClick() { ClickMenuItem(IDM_VEK_SHOW1); }

void TVEK::Exit1Click() { EndProgram(); }

// The window closes for real, and with it the program's loop (a modal loop first).
void TVEK::EndProgram() {
    Closing = true;
    if (TForm::Handle() != nullptr) {
        Close();
    }
}

void TVEK::Exit2Click() { ClickMenuItem(IDM_VEK_EXIT1); }

void TVEK::Button7Click() { CheckIP(); }

void TVEK::ClickMenuItem(int id) {
    ::SendMessageA(TForm::Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

} // namespace vek
