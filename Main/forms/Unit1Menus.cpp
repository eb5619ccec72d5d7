// The main window's menus and its logo: hiding, showing and exiting, copies to the clipboard, the
// web links and the log viewers.
#include "Main/forms/Unit1.h"

#include "Main/core/ShellFolders.h"
#include "Main/core/VEKGlobals.h"
#include "Main/core/WebSite.h"
#include "Main/res/ControlIds.h"
#include "classlib/ClassLibError.h"
#include "classlib/SystemLibrary.h"
#include "classlib/UiSeams.h"

#include <utility>

namespace vek {
namespace {

std::string QuotedIfBlank(const std::string& path) {
    return path.find(' ') == std::string::npos ? path : "\"" + path + "\"";
}

} // namespace

void TVEK::RegisterMenuActions() {
    OnCommand(IDM_VEK_HIDE1, [this] { Hide1Click(); });
    OnCommand(IDM_VEK_EXIT1, [this] { Exit1Click(); });
    OnCommand(IDM_VEK_SHOW1, [this] { Show1Click(); });
    OnCommand(IDM_VEK_EXIT2, [this] { Exit2Click(); });
    OnCommand(IDM_VEK_COPYCLIENTID1, [this] { CopyToClipboard(Globals->GetCID()); });
    // The address alone, as the last IP check accepted it.
    OnCommand(IDM_VEK_COPYIPADDRESS1, [this] { CopyToClipboard(Globals->CurrentIP); });
    OnCommand(IDM_VEK_COPYIPADDRESS2, [this] { CopyToClipboard(Globals->CurrentIP); });
    OnCommand(IDM_VEK_GRAPHICALCLIENTLOG1,
              [this] { OpenLog(Globals->GetLogPath() + kLogFileName); });
    // The service keeps its log in a folder of the machine, not in LogPath.
    OnCommand(IDM_VEK_BACKGROUNDSERVICELOG1,
              [this] { OpenLog(QuotedIfBlank(ServiceLogFolder() + kServiceLogFileName)); });
    const ProviderEndpoints& endpoints = Globals->Endpoints;
    const std::pair<int, std::string> links[] = {
        {IDM_VEK_GETTINGSTARTED1, WebSiteUrl(endpoints, "getting_started.php")},
        {IDM_VEK_SUPPORT1, WebSiteUrl(endpoints, "support/")},
        {IDM_VEK_ERMSOFSERVICE1, WebSiteUrl(endpoints, "legal/tos.php")},
        {IDM_VEK_DOMAINREGISTRATIONSEARCH1, WebSiteUrl(endpoints, "domain-search.php")},
        {IDC_VEK_IMAGE1, WebSiteUrl(endpoints, "")},
        {IDM_VEK_OPENPORTCHECKTOOL1, PortCheckToolUrl(endpoints)},
        {IDM_VEK_CHECKANOPENRELAY1, OpenRelayToolUrl(endpoints)},
    };
    for (const auto& [id, url] : links) {
        OnCommand(id, [this, url] { OpenLink(url); });
    }
}

void TVEK::SetMenuItemEnabled(int id, bool enabled) {
    const UINT state = MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED);
    ::EnableMenuItem(::GetMenu(TForm::Handle()), static_cast<UINT>(id), state);
    ::EnableMenuItem(PopupMenu1(), static_cast<UINT>(id), state);
}

void TVEK::OpenLink(const std::string& url) {
    pvlUrl1.Url = url;
    pvlUrl1.LaunchUrl();
}

// Plain text, replacing what the clipboard held.
void TVEK::CopyToClipboard(const std::string& text) {
    if (!seams::Clipboard().SetText(TForm::Handle(), text)) {
        throw EClassLibError("Cannot open clipboard");
    }
}

// Notepad from the Windows folder, never one found along the search path, and the log's path as
// given; whether Notepad started is not looked at.
void TVEK::OpenLog(const std::string& path) {
    seams::Programs().WinExec(WindowsProgramPath("notepad.exe") + " " + path, SW_SHOWNORMAL);
}

} // namespace vek
