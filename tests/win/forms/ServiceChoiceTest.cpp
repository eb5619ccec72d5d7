// The "Run as a system service" preference applied through the core's service front ends: the
// installed state comes from the real service control manager, the actions go to a scripted
// admin object (the road from Windows 6 on), and a failure is offered again with Retry.
#include "Main/forms/ServiceChoice.h"
#include "classlib/WinHandles.h"
#include "servicecontrol/ServiceActions.h"
#include "tests/win/support/CoreFixture.h"
#include "tests/win/support/FormDriver.h"
#include "tests/win/support/ScmTestSupport.h"
#include "tests/win/support/ServiceFakes.h"

namespace vek::testing {
namespace {

// A registration under the service's name that is never started.
void RegisterService() {
    UniqueService manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
    UniqueService service(::CreateServiceA(
        manager.get(), kServiceName, kServiceDisplayName, SERVICE_ALL_ACCESS,
        SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE,
        "\"C:\\vek-absent\\TarvoVEK.exe\" -service", nullptr, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(service) << ::GetLastError();
}

class ServiceChoiceTest : public GlobalsTest, public seams::IMessageBoxApi {
protected:
    void SetUp() override {
        GlobalsTest::SetUp();
        RemoveTestService();
    }
    void TearDown() override { RemoveTestService(); }

    // Answers Retry or Cancel as scripted, after the scripted change to the service.
    int MessageBoxA(HWND, const std::string& text, const std::string& caption, UINT type) override {
        EXPECT_EQ(text, "An error occured while managing the service application.");
        EXPECT_EQ(caption, "Tarvo VEK");
        EXPECT_EQ(type, static_cast<UINT>(MB_RETRYCANCEL | MB_ICONERROR));
        if (removeAtBox) {
            RemoveTestService();
        }
        const int answer = answers.empty() ? IDCANCEL : answers.front();
        if (!answers.empty()) {
            answers.pop_front();
        }
        return answer;
    }

    std::vector<std::string> Calls(std::initializer_list<LONG> actions) const {
        std::vector<std::string> calls;
        for (const LONG action : actions) {
            calls.push_back(std::to_string(action) + " " +
                            ServiceCommandLine(RunningProgramPath()));
        }
        return calls;
    }

    FakeVersion version{6, 1};
    FakeToken token;
    FakeCom com;
    std::deque<int> answers;
    bool removeAtBox = false;

private:
    seams::Seam<seams::IMessageBoxApi>::Override boxes_{*this};
};

TEST_F(ServiceChoiceTest, InstallsRestartsOrRemovesAndRetriesAFailure) {
    struct Case {
        bool installed;
        bool wanted;
        std::deque<LONG> results;
        std::deque<int> answers;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {false, true, {}, {}, Calls({ServiceInstall})},
        {true, true, {}, {}, Calls({ServiceRestart})},
        {true, false, {}, {}, Calls({ServiceUninstall})},
        {false, false, {}, {}, {}},
        {false, true, {0, 1}, {IDRETRY}, Calls({ServiceInstall, ServiceInstall})},
        {true, true, {0}, {IDCANCEL}, Calls({ServiceRestart})},
    };
    for (const Case& c : cases) {
        if (c.installed) {
            RegisterService();
        }
        com.admin.calls.clear();
        com.admin.results = c.results;
        answers = c.answers;
        ApplyServiceChoice(nullptr, c.wanted);
        EXPECT_EQ(com.admin.calls, c.calls);
        EXPECT_TRUE(answers.empty()) << "every scripted box was shown";
        RemoveTestService();
    }
}

// The service went away while the failure's box was open: the next pass has nothing to do.
TEST_F(ServiceChoiceTest, ARetryThatNeedsNoActionSucceeds) {
    RegisterService();
    com.admin.results = {0};
    answers = {IDRETRY};
    removeAtBox = true;
    ApplyServiceChoice(nullptr, false);
    EXPECT_TRUE(answers.empty());
    EXPECT_EQ(com.admin.calls, Calls({ServiceUninstall}));
}

} // namespace
} // namespace vek::testing
