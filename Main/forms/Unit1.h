#pragma once
// The desktop client's main window TVEK: class "TVEK", caption "Tarvo VEK v3.0.4". This window
// holds the status rows the core writes, answers WM_CLIENTNOTIFY, hides on a plain close and
// closes for real at log-off or shutdown, and writes the heartbeat the service watches.
#include "MainWindowIntf.h"
#include "Timer.h"
#include "WindowIdentity.h"

#include <map>
#include <string>

namespace vek {

class TVEK final : public IMainWindow {
public:
    // Creates the window; it is the core's main window from the start of its creation.
    explicit TVEK(HINSTANCE instance);
    ~TVEK() override;
    TVEK(const TVEK&) = delete;
    TVEK& operator=(const TVEK&) = delete;

    // IMainWindow.
    HWND Handle() override { return window_; }
    void SetLabelCaption(MainLabel label, const std::string& caption) override;
    void SetLabelHint(MainLabel label, const std::string& hint) override;
    int LabelLeft(MainLabel label) override;
    void SetLabelLeft(MainLabel label, int left) override;
    int LabelWidth(MainLabel label) override;
    void SetLabelVisible(MainLabel label, bool visible) override;
    void SetLightImage(StatusLight light, int imageIndex) override;
    void SetStatusText(const std::string& text) override;
    bool Visible() override;
    void SetVisible(bool visible) override;
    void SetShowOnTaskbar(bool show) override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void FormCreate();
    void CreateControls();
    void WMClientNotify(WPARAM wParam, LPARAM lParam);
    LRESULT WMQueryEndSession();
    void FormCloseQuery();
    void Show1Click();
    void LastVEKTimeTimer();

    HWND Label(MainLabel label) const;
    // Sizes a label to its caption, as an auto-sized label does.
    void FitLabel(HWND label);

    HINSTANCE instance_;
    HWND window_ = nullptr;
    HWND statusBar_ = nullptr;
    HFONT font_ = nullptr;
    std::map<MainLabel, HWND> labels_;
    std::map<MainLabel, std::string> hints_;
    std::map<StatusLight, int> lights_;
    bool Closing = false;
    TTimer LastVEKTime;
};

} // namespace vek
