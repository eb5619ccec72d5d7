// The log files: "VEK.log" for the desktop client, "Service.log" for the service, none for any
// other role; one timestamped line per event, trimmed to its last 102400 bytes.
#include "VEKGlobals.h"

#include "ClassLibError.h"
#include "Locale.h"

namespace vek {

void TVEKGlobals::StartLogging() {
    // A log that cannot be created or opened leaves the program running without one.
    try {
        SharedLogFile::CreateIfMissing(GetLogPath() + kServiceLogFileName);
        if (arguments_.empty()) {
            SharedLogFile::CreateIfMissing(GetLogPath() + kLogFileName);
        }
        const char* name = IsServiceRole() ? kServiceLogFileName : kLogFileName;
        if (!LogStream.Open(GetLogPath() + name)) {
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
