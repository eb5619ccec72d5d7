// The main window's roads through the account dialog: the first run, while no client id is
// stored, and the "Edit" button beside the client id.
#include "Main/forms/Unit1.h"

#include "Main/core/VEKGlobals.h"
#include "Main/forms/Unit4.h"
#include "Main/res/ControlIds.h"
#include "classlib/UiSeams.h"

namespace vek {
namespace {

constexpr char kConfirmCancel[] = "It is required that you fill out the previous entries to "
                                  "continue.  Are you sure you wish to cancel?";
// An IP check and a notice fetch right after a new registration.
constexpr UINT kAtOnce = 1;

} // namespace

// Returns false when the user gave up: the program is asked to end. A quit or the end of the
// session met inside the dialog, or the window closed by Exit meanwhile (during the registration
// request, say), ends the program as Exit does, without asking.
bool TVEK::RunFirstRun() {
    // Made without an owner: the hidden application window owns it.
    TUserPass dialog(applicationWindow_.get());
    do {
        dialog.SetControlText(IDC_USERPASS_EDIT1, "");
        dialog.SetControlText(IDC_USERPASS_EDIT2, "");
        const int result = dialog.ShowModal();
        if (dialog.EndedOnQuit() || TForm::Handle() == nullptr) {
            EndProgram();
            return false;
        }
        if (result == mrCancel && seams::MessageBoxes().MessageBoxA(
                                      nullptr, kConfirmCancel, kApplicationTitle,
                                      MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES) {
            ::PostQuitMessage(0);
            return false;
        }
    } while (Globals->GetCID().empty());
    // Host selection opens as soon as the message loop runs: "Select Hosts" is clicked.
    HWND selectHosts = Control(IDC_VEK_BUTTON1);
    ::PostMessageA(selectHosts, WM_LBUTTONDOWN, 0, 0);
    ::PostMessageA(selectHosts, WM_LBUTTONUP, 0, 0);
    return true;
}

void TVEK::Button4Click() {
    TUserPass dialog(TForm::Handle());
    if (dialog.ShowModal() != mrOk) {
        return;
    }
    Globals->MissingHosts.Clear();
    // The next successful check submits the address for the new registration.
    Globals->SetCurrentIP("");
    SetLightImage(StatusLight::JvImageSquare2, LightNeutral);
    SetLightImage(StatusLight::JvImageSquare3, LightNeutral);
    ScheduleIPCheck(false, kAtOnce);
    UserXML.SetEnabled(false);
    UserXML.SetInterval(kAtOnce);
    UserXML.SetEnabled(true);
    Globals->ClearMissingHosts();
}

} // namespace vek
