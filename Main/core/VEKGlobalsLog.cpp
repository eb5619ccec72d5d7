// The log files: "VEK.log" for the desktop client, "Service.log" for the service, none for any
// other role; one timestamped line per event, trimmed to its last 102400 bytes.
#include "Main/core/VEKGlobals.h"

#include "Main/core/ShellFolders.h"
#include "classlib/ClassLibError.h"
#include "classlib/Locale.h"

namespace vek {

void TVEKGlobals::StartLogging() {
    // A log that cannot be created or opened leaves the program running without one.
    try {
        if (!OpenRoleLog()) {
            return;
        }
    } catch (const EClassLibError&) {
        return;
    }
    Log("***Logging started.***", false);
    LogTrimTimer =
        std::make_unique<TTimer>(kLogTrimInterval, true, [this] { LogTrimTimerTimer(); });
    TrimLog();
}

// The service runs as the system account: its log lives in a folder only administrators and the
// system can change, never in a folder the user's settings name. The desktop client logs in
// LogPath.
bool TVEKGlobals::OpenRoleLog() {
    std::string path;
    if (IsServiceRole()) {
        if (!MakeServiceLogFolder()) {
            return false;
        }
        path = ServiceLogFolder() + kServiceLogFileName;
    } else {
        path = GetLogPath() + kLogFileName;
    }
    return SharedLogFile::CreateIfMissing(path) && LogStream.Open(path);
}

void TVEKGlobals::Log(const std::string& text, bool showStatus) {
    if (MainWindow != nullptr && showStatus) {
        const CivilTime now = CivilTimeFrom(seams::Clock().LocalTime());
        MainWindow->SetStatusText(" " + FormatStatusTime(now, LocaleTimeSeparator()) + ": " + text);
    }
    if (!LogStream.IsOpen()) {
        return;
    }
    const CivilTime now = CivilTimeFrom(seams::Clock().LocalTime());
    LogStream.Append(FormatLogTimestamp(now, LocaleDateSeparator(), LocaleTimeSeparator()) + ": " +
                     text + "\r\n");
}

void TVEKGlobals::TrimLog() { LogStream.Trim(kLogKeepBytes); }

void TVEKGlobals::LogTrimTimerTimer() { TrimLog(); }

} // namespace vek
