// Every request of the program: one HTTP GET whose failures become the result text.
#include "Main/core/VEKGlobals.h"

#include "Main/core/ProviderUrls.h"
#include "classlib/AntiFreeze.h"
#include "classlib/HttpClient.h"
#include "classlib/Seams.h"
#include "classlib/WinHttpGet.h"

namespace vek {

std::string TVEKGlobals::HttpGet(const std::string& url, const std::string& boundIP, bool useSSL) {
    std::string userAgent = "VEK v3.0.4/" + GetOSVersion();
    if (MainWindow == nullptr) {
        userAgent += " (Service)";
    }
    HttpReply reply;
    try {
        // WinHTTP offers no local address to bind to; the registration, the one HTTPS request,
        // is sent without one.
        RunBlockingJob(KeepMessagesFlowing, [&] {
            reply = useSSL ? HttpsGet(url, userAgent) : HttpGetPlain(url, boundIP, userAgent);
        });
    } catch (...) {
        // Nothing leaves a request but its result text.
    }
    if (reply.tooLarge) {
        // Only the server's name: the rest of the URL may carry a password.
        Log("Reply from " + url.substr(0, url.find('/')) + " is larger than " +
                std::to_string(kMaxReplyBodyBytes) + " bytes, request failed.",
            true);
    }
    return HttpGetResultText(reply);
}

std::string TVEKGlobals::GetOSVersion() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    seams::Version().GetVersionExA(&info);
    return std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion) + "." +
           std::to_string(info.dwBuildNumber);
}

void TVEKGlobals::Unregister() {
    const std::string clientId = GetCID();
    if (clientId.empty() || GetCKey().empty()) {
        return;
    }
    // The reply is of no interest: the callers keep, replace or delete the id themselves.
    HttpGet(SignURL(UnregistrationUrl(Endpoints, clientId)), "", false);
}

} // namespace vek
