#pragma once
// The desktop client's main window TVEK: class "TVEK", caption "Tarvo VEK v3.0.4". It holds the
// status rows the core writes, answers WM_CLIENTNOTIFY, hides on a plain close and closes for
// real at log-off or shutdown, and writes the heartbeat the service watches.
#include "Form.h"
#include "MainWindowIntf.h"
#include "Timer.h"
#include "WinHandles.h"
#include "WindowIdentity.h"

#include <map>
#include <string>

namespace vek {

extern const TFormSpec kVEKFormSpec;

class TVEK final : public TForm, public IMainWindow {
public:
    static constexpr UINT kHeartbeatInterval = 60000;

    // Creates the window; it is the core's main window from the start of its creation.
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

    TTimer LastVEKTime;

private:
    void FormCreate();
    bool FormCloseQuery() override;
    void WMClientNotify(WPARAM wParam, LPARAM lParam);
    LRESULT WMQueryEndSession();
    void Show1Click();
    void LastVEKTimeTimer();
    LRESULT DrawLight(const DRAWITEMSTRUCT& item);

    HWND Label(MainLabel label) const;
    // Sizes a label to its caption, as an auto-sized label does.
    void FitLabel(HWND label);

    bool Closing = false;
    UniqueImageList ImageList1;
    // Owns the main window while its taskbar button is off, as a hidden application window does.
    UniqueWindow taskbarOwner_;
    std::map<MainLabel, std::string> hints_;
    std::map<StatusLight, int> lights_;
};

} // namespace vek
