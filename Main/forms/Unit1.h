#pragma once
// The desktop client's main window TVEK: class "TVEK", caption "Tarvo VEK v3.0.4". A small status
// window that lives in the notification area. It holds the status rows the core writes, the
// menus and the tray icon; runs the first-run registration when no client id is stored; owns the
// desktop's timers and its IP check cycle; answers WM_CLIENTNOTIFY; hides on a plain close and
// closes for real on Exit or at the end of the session; and writes the heartbeat the service
// watches.
#include "Main/core/IPCheckCycle.h"
#include "Main/core/MainWindowIntf.h"
#include "Main/core/NoticeList.h"
#include "Main/core/NoticesReply.h"
#include "Main/core/WindowIdentity.h"
#include "Main/forms/Unit5.h"
#include "Main/forms/pvlUrl.h"
#include "classlib/AutoSizeLabel.h"
#include "classlib/Form.h"
#include "classlib/HintWindow.h"
#include "classlib/Timer.h"
#include "classlib/TrayIcon.h"
#include "classlib/WinHandles.h"

#include <map>
#include <memory>
#include <string>

namespace vek {

extern const TFormLayout kVEKFormLayout;

class TVEK final : public TForm, public IMainWindow, private IIPCheckHooks {
public:
    static constexpr UINT kHeartbeatInterval = 60000;
    static constexpr UINT kNextIPWatchInterval = 1000;
    static constexpr UINT kExternalIntervalAtCreation = 10000;
    static constexpr UINT kHintPause = 50;

    // Creates the window; it is the core's main window from the start of its creation. Without a
    // stored client id the account dialog runs first; when the user gives up there, the program
    // is asked to end (WM_QUIT is posted) and the window stays hidden.
    TVEK();
    ~TVEK() override;

    // IMainWindow.
    HWND Handle() override { return TForm::Handle(); }
    void SetLabelCaption(MainLabel label, const std::string& caption) override;
    void SetLabelHint(MainLabel label, const std::string& hint) override;
    int LabelLeft(MainLabel label) override;
    void SetLabelLeft(MainLabel label, int left) override;
    int LabelWidth(MainLabel label) override;
    void SetLabelVisible(MainLabel label, bool visible) override;
    void SetLightImage(StatusLight light, int imageIndex) override;
    void SetStatusText(const std::string& text) override;
    bool Visible() override { return TForm::Visible(); }
    void SetVisible(bool visible) override;
    void SetShowOnTaskbar(bool show) override;

    int LightImage(StatusLight light) const { return lights_.at(light); }
    const std::string& LabelHint(MainLabel label) { return hints_[label]; }

    // The IP check cycle; its two watchers are the window's watch timers.
    TTimer& InternalIPWatcher() { return cycle_.InternalIPWatcher; }
    TTimer& ExternalIPWatcher() { return cycle_.ExternalIPWatcher; }
    void CheckIP() { cycle_.CheckIP(); }
    void ScheduleIPCheck(bool internal, UINT interval) {
        cycle_.ScheduleIPCheck(internal, interval);
    }
    void StopIPWatchers() { cycle_.StopIPWatchers(); }

    // Unit1Options.cpp: the startup shortcut, "Tarvo VEK.lnk" in the Startup folder.
    void SetRunOnStartup(bool enable);
    HRESULT CreateShortcut(const std::string& target, const std::string& linkFile,
                           const std::string& description, const std::string& arguments,
                           const std::string& iconFile, int iconIndex);

    // Enables or disables a menu item of either menu by its id.
    void SetMenuItemEnabled(int id, bool enabled);
    // The tray icon's menu.
    HMENU PopupMenu1() const { return ::GetSubMenu(popupMenu_.get(), 0); }
    // The hint window of the info pictures and the summary labels.
    const THintWindow& HintWindow() const { return hintWindow_; }

    TTimer NextIPWatchTimer;
    TTimer Startup;
    TTimer UserXML;
    TTimer LastVEKTime;
    TTrayIcon JvTrayIcon1;
    TpvlUrl pvlUrl1;
    // Pending notices and alerts: the notice fetch fills it, the notice pop-up reads it; it goes
    // with the window object.
    TNoticeList NoticeList;
    // The notice pop-up, made first when the window is made; it reads NoticeList, declared before
    // it so that the list outlives it.
    std::unique_ptr<TNoticeForm> NoticeForm;

private:
    // Unit1.cpp: creation, closing, the timers and the messages.
    void FormCreate();
    bool FormCloseQuery() override;
    void FormClose() override;
    void StartupTimer();
    void LastVEKTimeTimer();
    void WMClientNotify(WPARAM wParam, LPARAM lParam);
    LRESULT WMQueryEndSession();
    void WMEndSession(bool ending);
    void EndProgram();
    void Hide1Click();
    void Show1Click();
    void JvTrayIcon1DblClick();
    void Exit1Click();
    void Exit2Click();
    void Button7Click();
    void ClickMenuItem(int id);
    void ActivateTrayIcon();

    // Unit1Cycle.cpp: the IP check cycle's hooks and the count-down.
    void Log(const std::string& text, bool statusEcho) override;
    // The desktop client never defers a check.
    bool StandAside() override { return false; }
    void WatchScheduled(bool internal, UINT interval) override;
    void AddressStillLocal() override;
    void CheckStarting() override;
    void CheckFailed() override;
    void AddressFound(const std::string& address, bool local) override;
    void SubmitStarting() override;
    void ReplyArrived() override;
    void NoAnswer() override;
    void AccountRejected() override;
    void ServerError() override;
    void ClientIdDisabled(TIPCheckCycle& cycle) override;
    void UpdatesCounted(int good) override;
    void NextIPWatchTimerTimer();
    // A label's caption, the label sized to it.
    void SetLabelText(int id, const std::string& text);
    void SetCopyIPAddressEnabled(bool enabled);

    // Unit1Notices.cpp: the notice fetch.
    void UserXMLTimer();
    void FetchNotices();
    void ApplyNoticesUser(const TNoticesUser& user);
    void ScheduleNoticeFetch(UINT interval);
    // The client id was disabled within the account: stopped, said, asked again in an hour.
    void StopForDisabledClientId();

    // Unit1Account.cpp: the first run and the "Edit" button.
    bool RunFirstRun();
    void Button4Click();

    // Unit1Hosts.cpp: "Select Hosts".
    void Button1Click();
    // Unit1Options.cpp: File > Preferences.
    void Options1Click();

    // Unit1Menus.cpp: the menu items' actions and the web links.
    void RegisterMenuActions();
    void OpenLink(const std::string& url);
    void CopyToClipboard(const std::string& text);
    void OpenLog(const std::string& path);

    // Unit1Layout.cpp: the row buttons' captions inside their boxes.
    void FitButtonCaptions();

    // Unit1Hints.cpp: the hints of the info pictures and the summary labels.
    void RegisterHints();
    void HintOnHover(int id, std::function<std::string()> hint);

    // Unit1Status.cpp: the look of the status rows.
    void MakeLook();
    static int LabelId(MainLabel label);
    HWND Label(MainLabel label) const;
    LRESULT DrawLight(const DRAWITEMSTRUCT& item);

    bool Closing = false;
    // The last notices reply was rejected: a next rejection is asked again in an hour.
    bool noticesRejected_ = false;
    // When the armed watcher is due (a date-time); the count-down reads it.
    double NextCheckTime = 0;
    UniqueImageList ImageList1;
    UniqueMenu popupMenu_;
    // The hidden application window: it owns the main window while its taskbar button is off,
    // and the dialogs made without an owner.
    UniqueWindow applicationWindow_;
    THintWindow hintWindow_;
    TFittedCaption buttonCaptions_[3];
    TIPCheckCycle cycle_;
    std::map<MainLabel, std::string> hints_;
    std::map<StatusLight, int> lights_{{StatusLight::JvImageSquare1, LightNeutral},
                                       {StatusLight::JvImageSquare2, LightNeutral},
                                       {StatusLight::JvImageSquare3, LightNeutral}};
};

} // namespace vek
