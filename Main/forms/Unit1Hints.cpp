// The hints of the main window: the info picture of each status row, and the summary labels whose
// hints the core writes (the selected groups, the selected hosts, the missing hosts).
#include "Main/forms/Unit1.h"

#include "Main/res/ControlIds.h"

namespace vek {
namespace {

constexpr char kImage2Hint[] =
    "<b>Client ID:</b> This is a unique ID for this client used for authentication.<br>The "
    "update client does not store your username and as such<br>modifications to your username "
    "will not effect this client.<br><br><b>Account:</b> This is the e-mail address associated "
    "with this client.<br>This address can be used to sign into the website to manage<br>the "
    "account this client is associated to.";
constexpr char kImage3Hint[] =
    "<b>Updating:</b> This is a count of the number of hosts or groups you have selected<br>for "
    "updates.  Please click <i>Select Hosts</i> to modify this selection.";
constexpr char kImage4Hint[] =
    "<b>IP:</b> This is the current IP detected by the update client, either local<br>to this "
    "system, or external through a NAT, router, or proxy.<br><br><b>Next Check:</b> This is a "
    "countdown timer to the next time a check<br>will be done for a change to the IP address of "
    "this system.";

} // namespace

void TVEK::RegisterHints() {
    HintOnHover(IDC_VEK_IMAGE2, [] { return std::string(kImage2Hint); });
    HintOnHover(IDC_VEK_IMAGE3, [] { return std::string(kImage3Hint); });
    HintOnHover(IDC_VEK_IMAGE4, [] { return std::string(kImage4Hint); });
    for (const MainLabel label : {MainLabel::Label4, MainLabel::Label6, MainLabel::Label8}) {
        HintOnHover(LabelId(label), [this, label] { return hints_[label]; });
    }
}

void TVEK::HintOnHover(int id, std::function<std::string()> hint) {
    OnControlMessage(id, WM_MOUSEMOVE, [this, id, hint](WPARAM, LPARAM) {
        hintWindow_.MouseOver(Control(id), hint());
        return std::nullopt;
    });
    OnControlMessage(id, WM_MOUSELEAVE, [this, id](WPARAM, LPARAM) {
        hintWindow_.MouseLeft(Control(id));
        return std::nullopt;
    });
}

} // namespace vek
