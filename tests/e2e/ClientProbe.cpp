// e2e_client_probe: one exchange of the client core with the provider on the built-in endpoints,
// for the end-to-end scripts. The requests are built by the client's own URL builders, signed
// by TVEKGlobals::SignURL with the client key stored in the settings key, and sent by
// TVEKGlobals::HttpGet; the public-IP detection is TVEKGlobals::GetRemoteIP. The reply text is
// written to standard output byte for byte.
//
//   e2e_client_probe register <email> <password>
//   e2e_client_probe hosts <client-id> <client-key>
//   e2e_client_probe notices <client-id> <client-key> <last-notice> <last-alert>
//   e2e_client_probe update <client-id> <client-key> <update-list> <address>
//   e2e_client_probe unregister <client-id> <client-key>
//   e2e_client_probe detect <alternate 0|1> <ms-since-last-detection> <server 1|2>
//
// `detect` runs one detection by HTTP echo (alternate 1) or DNS echo (0) with the tick count
// fixed, the previous detection the given time before. The other server of the method is
// pointed at a loopback address where nothing answers, so an address in the reply proves both
// that the client chose the expected server and that this server answered.
//
// The settings key is cleared before and after (the caller holds the settings lock).
#include "Main/core/ProviderUrls.h"
#include "Main/core/VEKGlobals.h"
#include "classlib/Seams.h"
#include "tests/win/support/RawRegistry.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using vek::TVEKGlobals;
using Args = std::vector<std::string>;

constexpr char kSettingsPath[] = "Software\\Halvenor\\VEK\\v3";
// Loopback, and no provider endpoint: nothing listens here on the echo ports.
constexpr char kSilentAddress[] = "127.0.0.1";
constexpr char kSilentHttpEcho[] = "127.0.0.1:9";
constexpr DWORD kNow = 5000000;

class UsageError : public std::runtime_error {
public:
    UsageError() : std::runtime_error("usage") {}
};

class FixedTicks final : public seams::IClock {
public:
    SYSTEMTIME LocalTime() override {
        SYSTEMTIME now{};
        ::GetLocalTime(&now);
        return now;
    }
    DWORD TickCount() override { return kNow; }

private:
    seams::Seam<seams::IClock>::Override override_{*this};
};

// The settings key holds nothing before and after the probe.
class ScratchSettings {
public:
    ScratchSettings() { vek::testing::DeleteRawTree(HKEY_CURRENT_USER, kSettingsPath); }
    ~ScratchSettings() { vek::testing::DeleteRawTree(HKEY_CURRENT_USER, kSettingsPath); }
    ScratchSettings(const ScratchSettings&) = delete;
    ScratchSettings& operator=(const ScratchSettings&) = delete;
};

void Register(TVEKGlobals& g, const Args& a) {
    std::fputs(g.HttpGet(vek::RegistrationUrl(g.Endpoints, a.at(0), a.at(1)), "", true).c_str(),
               stdout);
}

// The client id and key stored as a registration stores them.
void StoreClient(TVEKGlobals& g, const Args& a) {
    g.SetCID(a.at(0));
    g.SetCKey(a.at(1));
}

// A signed exchange with the stored key.
std::string SignedGet(TVEKGlobals& g, const Args& a, const std::string& url) {
    StoreClient(g, a);
    return g.HttpGet(g.SignURL(url), "", false);
}

void Hosts(TVEKGlobals& g, const Args& a) {
    std::fputs(SignedGet(g, a, vek::HostListUrl(g.Endpoints, a.at(0))).c_str(), stdout);
}

void Notices(TVEKGlobals& g, const Args& a) {
    const auto url = vek::NoticesUrl(g.Endpoints, a.at(0), std::stoi(a.at(2)), std::stoi(a.at(3)));
    std::fputs(SignedGet(g, a, url).c_str(), stdout);
}

void Update(TVEKGlobals& g, const Args& a) {
    const auto url = vek::UpdateUrl(g.Endpoints, a.at(2), a.at(0), a.at(3));
    std::fputs(SignedGet(g, a, url).c_str(), stdout);
}

void Unregister(TVEKGlobals& g, const Args& a) {
    StoreClient(g, a);
    g.Unregister();
}

void Detect(TVEKGlobals& g, const Args& a) {
    const bool http = a.at(0) == "1";
    const auto elapsed = static_cast<DWORD>(std::stoul(a.at(1)));
    const bool first = a.at(2) == "1";
    if (!http && a.at(0) != "0")
        throw UsageError();
    if (!first && a.at(2) != "2")
        throw UsageError();
    auto& silenced = http ? (first ? g.Endpoints.HttpEcho2 : g.Endpoints.HttpEcho1)
                          : (first ? g.Endpoints.DnsEcho2 : g.Endpoints.DnsEcho1);
    silenced = http ? kSilentHttpEcho : kSilentAddress;
    g.SetAlternateIP(http);
    const FixedTicks ticks;
    g.LastIPCheckTick = kNow - elapsed;
    std::fputs(g.GetRemoteIP("").c_str(), stdout);
}

struct Command {
    std::size_t arguments;
    void (*run)(TVEKGlobals&, const Args&);
};

const std::map<std::string, Command>& Commands() {
    static const std::map<std::string, Command> kCommands = {
        {"register", {2, Register}}, {"hosts", {2, Hosts}},           {"notices", {4, Notices}},
        {"update", {4, Update}},     {"unregister", {2, Unregister}}, {"detect", {3, Detect}},
    };
    return kCommands;
}

} // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    try {
        if (argc < 2)
            throw UsageError();
        const auto found = Commands().find(argv[1]);
        const Args args(argv + 2, argv + argc);
        if (found == Commands().end() || args.size() != found->second.arguments)
            throw UsageError();
        const ScratchSettings settings;
        TVEKGlobals globals(vek::TVEKGlobalsOptions{{"-tests"}, nullptr});
        found->second.run(globals, args);
        std::fflush(stdout);
        return 0;
    } catch (const UsageError&) {
        std::fputs("usage: e2e_client_probe register|hosts|notices|update|unregister|detect ...\n"
                   "(see the head of ClientProbe.cpp)\n",
                   stderr);
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "e2e_client_probe: %s\n", e.what());
        return 1;
    }
}
