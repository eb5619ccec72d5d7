// The "-unregister" run against the real service control manager, with the update server's
// endpoint recorded: the signed request first, in the service's user agent, and only then the
// service stopped, the machine-wide key deleted and the service deleted; the user's own settings
// stay. Nothing is sent without a client id and key.
#include "tests/win/roads/ProgramRun.h"
#include "tests/win/roads/RoadsFixture.h"
#include "tests/win/support/LoopbackRecorder.h"
#include "tests/win/support/PollUntil.h"
#include "tests/win/support/ScmTestSupport.h"

#include "Main/core/Endpoints.h"
#include "Main/core/ShellFolders.h"
#include "servicecontrol/AdminManager.h"
#include "servicecontrol/ServiceActions.h"

namespace vek::testing {
namespace {

constexpr DWORD kRoadBoundMs = 30000;
constexpr DWORD kArrivalBoundMs = 30000;
constexpr DWORD kServiceEndBoundMs = 30000;
const std::string kCid = "0123456789abcdef0123";
const std::string kCKey = "00112233445566778899aabbccddeeff";
constexpr char kMarker[] = "S-1-5-21-9-9-9-1000";

class UnregisterRoadTest : public RoadsTest {
protected:
    void SetUp() override { ASSERT_TRUE(recorder.Listening()) << recorder.Failures(); }

    LoopbackRecorder recorder;
};

TEST_F(UnregisterRoadTest, NothingIsSentWithoutAClientIdAndKey) {
    struct Case {
        const char* cid;
        const char* ckey;
    };
    for (const Case& c : {Case{"", ""}, Case{"0123456789abcdef0123", ""}, Case{"", "00ff"}}) {
        SCOPED_TRACE(std::string(c.cid) + "/" + c.ckey);
        StoreClient(c.cid, c.ckey);
        // Without a service the machine-wide key stays as it is.
        WriteMachineValue("ServiceUser", kMarker);
        ProgramRun run("-unregister");
        EXPECT_EQ(run.WaitForExit(kRoadBoundMs), std::optional<DWORD>(0));
        EXPECT_EQ(MachineValue("ServiceUser"), kMarker);
        EXPECT_EQ(UserValue("CID"), c.cid);
        EXPECT_EQ(UserValue("CKey"), KeyRecord(c.ckey));
    }
    EXPECT_TRUE(recorder.Arrivals().empty()) << recorder.Arrivals().front().requestLine;
    EXPECT_TRUE(FileNames(folder.Path()).empty());
}

TEST_F(UnregisterRoadTest, TheSignedRequestGoesFirstThenTheServiceIsRemoved) {
    StoreClient(kCid, kCKey);
    {
        // Installed as the desktop client installs it: the program's own quoted path, the
        // current user as ServiceUser; started at once by the manager.
        TVEKGlobals installer(TVEKGlobalsOptions{{"-tests"}, nullptr});
        PollingSleeper sleeper;
        ASSERT_EQ(installer.ServiceControl(ServiceInstall, ServiceCommandLine(ProgramCopyPath())),
                  1);
    }
    ASSERT_TRUE(WaitForServiceState(SERVICE_RUNNING));
    EXPECT_EQ(MachineValue("ServiceUser"), sid);
    // The running service checks the address at once: the recorder hears it on a DNS endpoint.
    ASSERT_TRUE(recorder.WaitForArrival("", kArrivalBoundMs)) << "the service made no check";

    recorder.HoldReplies();
    ProgramRun run("-unregister");
    ASSERT_TRUE(recorder.WaitForArrival("/client/unregister.php", kArrivalBoundMs));
    // While the reply is held, nothing of the service has been touched.
    EXPECT_EQ(ServiceState(), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_TRUE(MachineKeyExists());
    recorder.ReleaseReplies();
    EXPECT_EQ(run.WaitForExit(kRoadBoundMs), std::optional<DWORD>(0));

    std::vector<LoopbackRecorder::Arrival> requests;
    for (const LoopbackRecorder::Arrival& arrival : recorder.Arrivals()) {
        if (!arrival.requestLine.empty()) {
            requests.push_back(arrival);
        }
    }
    ASSERT_EQ(requests.size(), 1u) << "only the unregistration request";
    EXPECT_EQ(requests[0].endpoint, ProviderEndpoints().UpdateServer);
    // Signed as the core signs, with the stored key.
    TVEKGlobals signer(TVEKGlobalsOptions{{"-tests"}, nullptr});
    const std::string url =
        signer.SignURL(ProviderEndpoints().UpdateServer + "/client/unregister.php?email=" + kCid);
    EXPECT_NE(url.find("&pass=HMAC{"), std::string::npos);
    EXPECT_EQ(requests[0].requestLine, "GET " + url.substr(url.find('/')) + " HTTP/1.1");
    const std::string suffix = " (Service)";
    ASSERT_GE(requests[0].userAgent.size(), suffix.size());
    EXPECT_EQ(requests[0].userAgent.substr(requests[0].userAgent.size() - suffix.size()), suffix)
        << requests[0].userAgent;

    EXPECT_TRUE(WaitUntilServiceGone());
    EXPECT_FALSE(MachineKeyExists());
    // The stopped service wrote its end line, in its own folder.
    EXPECT_TRUE(PollUntil(
        [&] {
            const std::vector<std::string> lines = LogTexts(ServiceLogFolder() + "Service.log");
            return !lines.empty() && lines.back() == "***Logging ending.***";
        },
        kServiceEndBoundMs));
    EXPECT_EQ(UserValue("CID"), kCid);
    EXPECT_EQ(UserValue("CKey"), KeyRecord(kCKey));
    EXPECT_EQ(UserValue("LogPath"), folder.Path());
}

} // namespace
} // namespace vek::testing
