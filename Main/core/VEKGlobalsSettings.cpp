// The registry-backed settings of the core: read on every call, so that the desktop client and
// the service of one user always see each other's latest write.
#include "Main/core/VEKGlobals.h"

#include "Main/core/ShellFolders.h"
#include "classlib/ClassLibError.h"
#include "common/Ascii.h"

#include <shlobj.h>

namespace vek {
namespace {

constexpr std::int32_t kRemoteIntervalFloor = 300000;

bool HasFlagOnly(const std::string& decoded) { return decoded.size() <= 1; }

} // namespace

void TVEKGlobals::SetCurrentIP(const std::string& value) { CurrentIP = value; }

std::string TVEKGlobals::GetCID() { return Reg.ReadString("CID"); }

void TVEKGlobals::SetCID(const std::string& value) {
    if (value != Reg.ReadString("CID")) {
        Reg.WriteString("CID", value);
    }
    if (MainWindow != nullptr) {
        MainWindow->SetLabelCaption(MainLabel::Label2, "Client ID: " + value);
    }
}

std::string TVEKGlobals::GetCKey() {
    const std::string decoded = Base64Decode(Reg.ReadString("CKey"));
    return HasFlagOnly(decoded) ? std::string() : LowerAscii(decoded.substr(1));
}

bool TVEKGlobals::GetHostListLocked() {
    const std::string decoded = Base64Decode(Reg.ReadString("CKey"));
    return !decoded.empty() && decoded.front() == 't';
}

void TVEKGlobals::SetCKey(const std::string& key) {
    const std::string decoded = Base64Decode(Reg.ReadString("CKey"));
    const char flag = decoded.empty() ? 'f' : decoded.front();
    Reg.WriteString("CKey", Base64Encode(flag + key));
}

void TVEKGlobals::SetHostListLocked(bool value) {
    const char flag = value ? 't' : 'f';
    Reg.WriteString("CKey", Base64Encode(flag + GetCKey()));
}

std::string TVEKGlobals::GetUpdateList() { return Reg.ReadString("UpdateList"); }

std::int32_t TVEKGlobals::GetRemoteInterval() {
    if (!Reg.ValueExists("RemoteInterval")) {
        return kRemoteIntervalFloor;
    }
    const std::int32_t stored = Reg.ReadInteger("RemoteInterval");
    return stored < kRemoteIntervalFloor ? kRemoteIntervalFloor : stored;
}

void TVEKGlobals::SetRemoteInterval(std::int32_t value) {
    Reg.WriteInteger("RemoteInterval", value);
}

std::string TVEKGlobals::GetHostPassword() { return Reg.ReadString("HostPassword"); }

void TVEKGlobals::SetHostPassword(const std::string& value) {
    Reg.WriteString("HostPassword", value);
}

bool TVEKGlobals::GetHidden() {
    if (!Reg.ValueExists("Hidden")) {
        Reg.WriteBool("Hidden", false);
    }
    return Reg.ReadBool("Hidden");
}

void TVEKGlobals::SetHidden(bool value) {
    Reg.WriteBool("Hidden", value);
    if (MainWindow == nullptr) {
        return;
    }
    // The taskbar setting is switched once more after the visibility changed, and ends as
    // not Value, so that the taskbar button follows the window.
    MainWindow->SetShowOnTaskbar(!value);
    MainWindow->SetVisible(!value);
    MainWindow->SetShowOnTaskbar(value);
    MainWindow->SetShowOnTaskbar(!value);
    if (MainWindow->Visible()) {
        ::SetForegroundWindow(MainWindow->Handle());
    }
}

double TVEKGlobals::GetLastVEKTime() {
    return Reg.ValueExists("LastVEKTime") ? Reg.ReadDateTime("LastVEKTime") : 0.0;
}

void TVEKGlobals::SetLastVEKTime(double value) { Reg.WriteDateTime("LastVEKTime", value); }

std::string TVEKGlobals::GetLogPath() {
    if (!Reg.ValueExists("LogPath")) {
        std::string folder = GetLocalAppDataFolder() + "Halvenor\\";
        ::CreateDirectoryA(folder.c_str(), nullptr);
        folder += "VEK\\";
        ::CreateDirectoryA(folder.c_str(), nullptr);
        SetLogPath(folder);
    }
    return Reg.ReadString("LogPath");
}

void TVEKGlobals::SetLogPath(const std::string& value) { Reg.WriteString("LogPath", value); }

std::int32_t TVEKGlobals::GetNoticeID() {
    return Reg.ValueExists("NoticeID") ? Reg.ReadInteger("NoticeID") : -1;
}

void TVEKGlobals::SetNoticeID(std::int32_t value) { Reg.WriteInteger("NoticeID", value); }

std::int32_t TVEKGlobals::GetAlertID() {
    return Reg.ValueExists("AlertID") ? Reg.ReadInteger("AlertID") : -1;
}

void TVEKGlobals::SetAlertID(std::int32_t value) { Reg.WriteInteger("AlertID", value); }

bool TVEKGlobals::GetAlternateIP() {
    return Reg.ValueExists("AlternateIP") && Reg.ReadBool("AlternateIP");
}

void TVEKGlobals::SetAlternateIP(bool value) { Reg.WriteBool("AlternateIP", value); }

void TVEKGlobals::SetEnhanced(bool value) { Reg.WriteBool("Enhanced", value); }

std::string TVEKGlobals::GetLocalAppDataFolder() { return ShellFolderPath(CSIDL_LOCAL_APPDATA); }

std::string TVEKGlobals::GetShellFolder(const std::string& name) {
    TRegistry shellFolders(HKEY_CURRENT_USER);
    if (!shellFolders.OpenKey(
            "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", false)) {
        return {};
    }
    try {
        return shellFolders.ReadString(name);
    } catch (const ERegistryException&) {
        return {};
    }
}

} // namespace vek
