// The main window's "Select Hosts": past the host-list lock, the host selection opens; its Save
// stores the new choice and the lock, and checks the address at once so that the next good check
// submits it.
#include "Main/forms/Unit1.h"

#include "Main/core/VEKGlobals.h"
#include "Main/core/WebSite.h"
#include "Main/forms/HostListLock.h"
#include "Main/forms/Unit2.h"

namespace vek {

void TVEK::Button1Click() {
    if (!PassHostListGate(TForm::Handle())) {
        return;
    }
    THostSelect dialog(TForm::Handle(), [this](const std::string& page) {
        OpenLink(WebSiteUrl(Globals->Endpoints, page));
    });
    if (dialog.ShowModal() != mrOk) {
        return;
    }
    Globals->ClearMissingHosts();
    // Without a downloaded list (a failed or unfinished download) the stored choice stays: a
    // network failure does not empty it.
    if (const std::optional<std::string> chosen = dialog.NewUpdateList()) {
        Globals->SetUpdateList(*chosen);
    }
    Globals->SetCurrentIP("");
    SetLightImage(StatusLight::JvImageSquare3, LightNeutral);
    Globals->SetHostListLocked(dialog.LockChecked());
    CheckIP();
}

} // namespace vek
