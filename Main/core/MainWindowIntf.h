#pragma once
// What the core may do to the desktop client's main window. The window implements it and hands
// it to Globals from the start of its creation; the service and "-unregister" roles have none.
#include <windows.h>

#include <string>

namespace vek {

// The labels the core writes or measures, by their component numbers.
enum class MainLabel { Label2 = 2, Label3, Label4, Label5, Label6, Label7, Label8, Label9 };

// The status lights, by their component numbers.
enum class StatusLight { JvImageSquare1 = 1, JvImageSquare2, JvImageSquare3 };

// Image indexes of the status lights.
enum LightImage { LightNeutral = 0, LightGood = 1, LightFault = 2 };

class IMainWindow {
public:
    virtual ~IMainWindow() = default;

    // The native window: owner of the elevation prompt, target of SetForegroundWindow.
    virtual HWND Handle() = 0;

    // A label's caption; its width follows the caption, as a label sized to its text does.
    virtual void SetLabelCaption(MainLabel label, const std::string& caption) = 0;
    virtual void SetLabelHint(MainLabel label, const std::string& hint) = 0;
    virtual int LabelLeft(MainLabel label) = 0;
    virtual void SetLabelLeft(MainLabel label, int left) = 0;
    virtual int LabelWidth(MainLabel label) = 0;
    virtual void SetLabelVisible(MainLabel label, bool visible) = 0;

    virtual void SetLightImage(StatusLight light, int imageIndex) = 0;

    // The text of StatusBar1's first panel.
    virtual void SetStatusText(const std::string& text) = 0;

    virtual bool Visible() = 0;
    virtual void SetVisible(bool visible) = 0;
    // Whether the main window itself owns the taskbar button.
    virtual void SetShowOnTaskbar(bool show) = 0;
};

} // namespace vek
