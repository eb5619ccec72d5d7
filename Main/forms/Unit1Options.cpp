// The main window's File > Preferences, applied after OK in this order: the adapter and the
// detection method, the startup shortcut, the service, then an IP check. Cancel changes nothing.
#include "Main/forms/Unit1.h"

#include "Main/core/StartupShortcut.h"
#include "Main/forms/ServiceChoice.h"
#include "Main/forms/Unit3.h"

namespace vek {

void TVEK::Options1Click() {
    TOptionsForm dialog(TForm::Handle());
    if (dialog.ShowModal() != mrOk) {
        return;
    }
    dialog.ApplyAdapterAndMethod();
    SetRunOnStartup(dialog.RunOnStartupChecked());
    ApplyServiceChoice(TForm::Handle(), dialog.RunAsServiceChecked());
    CheckIP();
}

void TVEK::SetRunOnStartup(bool enable) { vek::SetRunOnStartup(enable); }

HRESULT TVEK::CreateShortcut(const std::string& target, const std::string& linkFile,
                             const std::string& description, const std::string& arguments,
                             const std::string& iconFile, int iconIndex) {
    return vek::CreateShortcut(target, linkFile, description, arguments, iconFile, iconIndex);
}

} // namespace vek
