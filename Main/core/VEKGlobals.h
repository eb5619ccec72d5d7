#pragma once
// The client core: one object, Globals, shared by every role of the program. It holds the
// settings key, the log, the adapter list, the public-IP detection state and the list of names
// the update server reported missing.
#include "Main/core/AdapterApi.h"
#include "Main/core/Endpoints.h"
#include "Main/core/MainWindowIntf.h"
#include "classlib/PostedCall.h"
#include "classlib/Registry.h"
#include "classlib/SharedLogFile.h"
#include "classlib/Timer.h"
#include "common/SortedNameSet.h"
#include "servicecontrol/SettingsKey.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vek {

// The log files, and how much of the program's log each trim keeps and how often.
inline constexpr char kLogFileName[] = "VEK.log";
inline constexpr char kServiceLogFileName[] = "Service.log";
inline constexpr std::size_t kLogKeepBytes = 102400;
inline constexpr UINT kLogTrimInterval = 43200000;

struct TVEKGlobalsOptions {
    // The command-line arguments after the program name.
    std::vector<std::string> Arguments;
    // The adapter query; the system's when not given.
    std::unique_ptr<IAdapterApi> Adapters;
};

class TVEKGlobals {
public:
    // VEKGlobals.cpp: creation (the adapter query, the role's settings key and its log).
    explicit TVEKGlobals(TVEKGlobalsOptions options);
    ~TVEKGlobals();
    TVEKGlobals(const TVEKGlobals&) = delete;
    TVEKGlobals& operator=(const TVEKGlobals&) = delete;

    // The desktop client's main window from the start of its creation; none in other roles.
    IMainWindow* MainWindow = nullptr;

    // The public address last accepted by an IP check; empty at start.
    std::string CurrentIP;
    // Tick count at the end of the last public-IP detection.
    std::uint32_t LastIPCheckTick = 0;
    // The provider's servers and web hosts (in-process tests hand the core another set).
    ProviderEndpoints Endpoints;
    // The desktop client's anti-freeze: blocking requests keep window messages flowing.
    bool KeepMessagesFlowing = false;
    // Names the update server reported missing: sorted, case-insensitive, no duplicates.
    SortedNameSet MissingHosts;

    // VEKGlobals.cpp: the role, and whether its settings key could be opened (the service role
    // reports it when not).
    bool SettingsOpen() const { return Reg.HasCurrentKey(); }
    bool IsServiceRole() const;

    // VEKGlobalsSettings.cpp: the settings.
    void SetCurrentIP(const std::string& value);
    std::string GetCID();
    void SetCID(const std::string& value);
    std::string GetCKey();
    bool GetHostListLocked();
    void SetCKey(const std::string& key);
    void SetHostListLocked(bool value);
    std::string GetUpdateList();
    std::int32_t GetRemoteInterval();
    void SetRemoteInterval(std::int32_t value);
    std::string GetHostPassword();
    void SetHostPassword(const std::string& value);
    bool GetHidden();
    void SetHidden(bool value);
    double GetLastVEKTime();
    void SetLastVEKTime(double value);
    std::string GetLogPath();
    void SetLogPath(const std::string& value);
    std::int32_t GetNoticeID();
    void SetNoticeID(std::int32_t value);
    std::int32_t GetAlertID();
    void SetAlertID(std::int32_t value);
    bool GetAlternateIP();
    void SetAlternateIP(bool value);
    void SetEnhanced(bool value);
    std::string GetLocalAppDataFolder();
    std::string GetShellFolder(const std::string& name);

    // VEKGlobalsLog.cpp: the log.
    void Log(const std::string& text, bool showStatus);
    void TrimLog();
    void LogTrimTimerTimer();
    bool LogOpen() const { return LogStream.IsOpen(); }

    // VEKGlobalsSigning.cpp: signing and encodings.
    std::string SignURL(const std::string& url);
    std::string HMACSign(const std::string& data, const std::string& key);
    std::string URLEncode(const std::string& text);
    std::string Base64Encode(const std::string& data);
    std::string Base64Decode(const std::string& text);

    // VEKGlobalsAdapters.cpp: local adapters and the private-address test.
    bool AdaptersAvailable() const { return getAdaptersInfo_ != nullptr; }
    const std::vector<std::string>& GetAdapterList(bool withNames);
    std::int32_t GetAdapter();
    void SetAdapter(std::int32_t value);
    bool IsPrivateIP(const std::string& ip);

    // VEKGlobalsHttp.cpp: HTTP GET and unregistration.
    std::string HttpGet(const std::string& url, const std::string& boundIP, bool useSSL);
    std::string GetOSVersion();
    void Unregister();
    // VEKGlobalsRemoteIP.cpp: public-IP detection.
    std::string GetRemoteIP(const std::string& boundIP);

    // VEKGlobalsMissingHosts.cpp: missing hosts and the update-list summary on the main window.
    // The missing names' hint is joined once the handler that added them returns to the message
    // loop, so the names of one reply are joined once (a first name shows at once).
    void AddMissingHost(const std::string& name);
    void ClearMissingHosts();
    void SetUpdateList(const std::string& value);
    std::string GetUpdateListWithoutMissing();

    // VEKGlobalsService.cpp: whether the Windows service is installed, and its installation and
    // control. The front ends act in the process up to Windows major version 5 and through the
    // elevated admin server from 6 on; ServiceControl returns 1 on success, 0 on failure.
    bool IsServiceInstalled();
    bool IsWinNT();
    bool InstallService();
    bool UninstallService();
    bool RestartService();
    LONG ServiceControl(LONG action, const std::string& commandLine);
    bool ElevatedServiceControl(LONG action, const std::string& commandLine);

private:
    // VEKGlobals.cpp.
    void OpenSettings();
    // VEKGlobalsLog.cpp.
    void StartLogging();
    bool OpenRoleLog();
    // VEKGlobalsAdapters.cpp.
    void ProbeAdapterApi();
    void AddAdapterQueryItems(bool withNames);

    std::vector<std::string> arguments_;
    std::unique_ptr<IAdapterApi> adapters_;
    // The entry point of GetAdaptersInfo; none when the adapter query is unusable.
    GetAdaptersInfoFn getAdaptersInfo_ = nullptr;
    std::vector<std::string> AdapterList;
    SharedLogFile LogStream;
    std::unique_ptr<TTimer> LogTrimTimer;
    // The settings key, open for the whole run.
    TRegistry Reg;
    // VEKGlobalsMissingHosts.cpp: sets the missing names' hint on the main window.
    void ShowMissingHostsHint();
    TPostedCall missingHostsHint_{[this] { ShowMissingHostsHint(); }};
};

// The one instance, created before the entry's main block and freed at program end.
extern TVEKGlobals* Globals;

} // namespace vek
