// The admin server as regsvr32 registered it in the prefix: its registration; and a copy of it
// installed with the test service as "TarvoVEK.exe": the end states it leaves (those of
// ServiceControl), what it refuses to install, and the call carried into the surrogate process
// by the server's own proxy and stub.
#include <gtest/gtest.h>

#include "classlib/Registry.h"
#include "classlib/WinHandles.h"
#include "servicecontrol/AdminManager.h"
#include "servicecontrol/SPGetSid.h"
#include "servicecontrol/ServiceActions.h"
#include "tests/win/support/CoreFixture.h"
#include "tests/win/support/ScmTestSupport.h"

#include <tlhelp32.h>

#include <cstring>

namespace vek::testing {
namespace {

constexpr char kClassKey[] = "CLSID\\{138740A1-4B08-46CE-AE44-CCC67F24FA56}";
constexpr char kInterfaceId[] = "{ABB1F70C-8CD2-4F4D-BAFD-1CAD71610CDE}";

std::string ClassesValue(const std::string& key, const std::string& name) {
    TRegistry classes(HKEY_CLASSES_ROOT, KEY_READ);
    return classes.OpenKey(key, false) ? classes.ReadString(name) : std::string("<no key>");
}

using DllGetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
using DllRegisterServerFn = HRESULT(WINAPI*)();

std::string InstalledServer() { return InstalledFolder() + "AdminManager.dll"; }

HRESULT RegisterServer(const std::string& path) {
    const UniqueModule server(::LoadLibraryA(path.c_str()));
    const auto registerServer = reinterpret_cast<DllRegisterServerFn>(reinterpret_cast<void*>(
        server ? ::GetProcAddress(server.get(), "DllRegisterServer") : nullptr));
    return registerServer != nullptr ? registerServer() : E_FAIL;
}

class AdminServerTest : public ::testing::Test {
protected:
    AdminServerTest() { RemoveTestService(); }
    ~AdminServerTest() override { RemoveTestService(); }

    // The installed copy of the server, created in this process from the copy itself.
    ComPtr<IServiceAdmin> CreateInstalled() {
        installed_.reset(::LoadLibraryA(InstalledServer().c_str()));
        const auto getClassObject = reinterpret_cast<DllGetClassObjectFn>(reinterpret_cast<void*>(
            installed_ ? ::GetProcAddress(installed_.get(), "DllGetClassObject") : nullptr));
        ComPtr<IClassFactory> factory;
        ComPtr<IServiceAdmin> admin;
        EXPECT_NE(getClassObject, nullptr) << InstalledServer();
        if (getClassObject != nullptr &&
            SUCCEEDED(getClassObject(CLSID_ServiceAdmin, IID_IClassFactory, factory.put()))) {
            EXPECT_EQ(factory->CreateInstance(nullptr, IID_IServiceAdmin, admin.put()), S_OK);
        }
        return admin;
    }

    ComPtr<IServiceAdmin> Create(DWORD context) {
        ComPtr<IServiceAdmin> admin;
        const HRESULT result = ::CoCreateInstance(CLSID_ServiceAdmin, nullptr, context,
                                                  IID_IServiceAdmin, admin.put());
        EXPECT_EQ(result, S_OK);
        return admin;
    }

    UniqueModule installed_;
    ComInit com;
    const std::string commandLine = ServiceCommandLine(TestServicePath());
};

TEST_F(AdminServerTest, IsRegisteredForTheProcessAndForElevation) {
    const std::string server = ClassesValue(std::string(kClassKey) + "\\InprocServer32", "");
    EXPECT_NE(server.find("AdminManager.dll"), std::string::npos) << server;
    EXPECT_EQ(ClassesValue(std::string(kClassKey) + "\\InprocServer32", "ThreadingModel"), "Both");
    EXPECT_EQ(ClassesValue(kClassKey, "LocalizedString"), "@" + server + ",-101");
    EXPECT_EQ(ClassesValue(kClassKey, "AppID"), "{138740A1-4B08-46CE-AE44-CCC67F24FA56}");
    {
        TRegistry elevation(HKEY_CLASSES_ROOT, KEY_READ);
        ASSERT_TRUE(elevation.OpenKey(std::string(kClassKey) + "\\Elevation", false));
        EXPECT_EQ(elevation.ReadInteger("Enabled"), 1);
    }
    {
        TRegistry appId(HKEY_CLASSES_ROOT, KEY_READ);
        ASSERT_TRUE(appId.OpenKey("AppID\\{138740A1-4B08-46CE-AE44-CCC67F24FA56}", false));
        EXPECT_TRUE(appId.ValueExists("DllSurrogate"));
        EXPECT_EQ(appId.ReadString("DllSurrogate"), "");
    }
    // The prompt's name is a resource of the server.
    UniqueModule module(::LoadLibraryExA(server.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    char name[64] = {};
    ASSERT_TRUE(module);
    ::LoadStringA(module.get(), 101, name, sizeof name);
    EXPECT_STREQ(name, "Tarvo VEK Service Admin");
    // The proxy and stub that carry IServiceAdmin across processes.
    const std::string interfaceKey = std::string("Interface\\") + kInterfaceId;
    EXPECT_EQ(ClassesValue(interfaceKey + "\\ProxyStubClsid32", ""), kInterfaceId);
    EXPECT_EQ(ClassesValue(std::string("CLSID\\") + kInterfaceId + "\\InprocServer32", ""), server);
}

// The server's actions wait their real 5000 ms.
TEST_F(AdminServerTest, LeavesTheEndStatesOfServiceControl) {
    ComPtr<IServiceAdmin> admin = CreateInstalled();
    ASSERT_TRUE(admin);

    EXPECT_EQ(admin->ManageService(ServiceInstall, commandLine.c_str()), 1);
    ASSERT_TRUE(WaitForServiceState(SERVICE_RUNNING));
    EXPECT_EQ(MachineValue("ServiceUser"), GetCurrentUserSid());
    const DWORD process = ServiceProcessId();

    EXPECT_EQ(admin->ManageService(4, commandLine.c_str()), 0);
    EXPECT_EQ(ServiceProcessId(), process);

    EXPECT_EQ(admin->ManageService(ServiceRestart, commandLine.c_str()), 1);
    ASSERT_TRUE(WaitForServiceState(SERVICE_RUNNING));
    EXPECT_NE(ServiceProcessId(), process);

    EXPECT_EQ(admin->ManageService(ServiceUninstall, commandLine.c_str()), 1);
    EXPECT_FALSE(MachineKeyExists());
    EXPECT_TRUE(WaitUntilServiceGone());
}

// Only the program of the server's own folder, with " -service" alone: anything else is refused
// at once, before the machine-wide key is written.
TEST_F(AdminServerTest, RefusesToInstallAnyOtherCommandLine) {
    const TempFolder elsewhere;
    const std::string copy = elsewhere.Path() + "TarvoVEK.exe";
    ASSERT_TRUE(::CopyFileA(TestServicePath().c_str(), copy.c_str(), FALSE));
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    ComPtr<IServiceAdmin> admin = CreateInstalled();
    ASSERT_TRUE(admin);
    const std::string refused[] = {
        ServiceCommandLine(self), // a foreign program
        commandLine + " -debug",  // extra arguments
        ServiceCommandLine(copy), // the right name in another folder
    };
    for (const std::string& requested : refused) {
        EXPECT_NE(admin->ManageService(ServiceInstall, requested.c_str()), 1) << requested;
        EXPECT_EQ(ServiceState(), 0u);
        EXPECT_FALSE(MachineKeyExists());
    }
}

// The installed copy registered in place of the build's server for one scope; the build's
// registration is put back at the end.
class ScopedInstalledRegistration {
public:
    ScopedInstalledRegistration()
        : previous_(ClassesValue(std::string(kClassKey) + "\\InprocServer32", "")) {
        EXPECT_EQ(RegisterServer(InstalledServer()), S_OK);
    }
    ~ScopedInstalledRegistration() { EXPECT_EQ(RegisterServer(previous_), S_OK); }
    ScopedInstalledRegistration(const ScopedInstalledRegistration&) = delete;
    ScopedInstalledRegistration& operator=(const ScopedInstalledRegistration&) = delete;

private:
    std::string previous_;
};

// The surrogate processes this test process had COM start: the system's surrogate does not end
// by itself when its objects are gone (under Wine it stays, holding the test runner's output
// open), so the test ends the ones it started, found by their parent's id.
class StartedSurrogates {
public:
    ~StartedSurrogates() { EndAll(); }
    int Ended() const { return ended_; }

    void EndAll() {
        UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        PROCESSENTRY32 entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = ::Process32First(snapshot.get(), &entry); more;
             more = ::Process32Next(snapshot.get(), &entry)) {
            if (entry.th32ParentProcessID == ::GetCurrentProcessId() &&
                _stricmp(entry.szExeFile, "dllhost.exe") == 0) {
                End(entry.th32ProcessID);
            }
        }
    }

private:
    void End(DWORD processId) {
        UniqueHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId));
        if (process && ::TerminateProcess(process.get(), 0)) {
            ::WaitForSingleObject(process.get(), 10000);
            ++ended_;
        }
    }

    int ended_ = 0;
};

// Created as a local server, the DLL runs in the system's surrogate process and the call goes
// through the generated proxy and stub: the install there registers the service with the
// command line the proxy carried, for the calling user.
TEST_F(AdminServerTest, RunsInTheSurrogateProcessThroughItsProxy) {
    if (sizeof(void*) == 8) {
        GTEST_SKIP() << "Wine's 64-bit COM does not start the surrogate (0x80070002)";
    }
    const ScopedInstalledRegistration registration;
    StartedSurrogates surrogates;
    {
        ComPtr<IServiceAdmin> admin = Create(CLSCTX_LOCAL_SERVER);
        ASSERT_TRUE(admin);
        EXPECT_EQ(admin->ManageService(ServiceInstall, commandLine.c_str()), 1);
        EXPECT_TRUE(WaitForServiceState(SERVICE_RUNNING));
        EXPECT_EQ(MachineValue("ServiceUser"), GetCurrentUserSid());
    }
    surrogates.EndAll();
    EXPECT_EQ(surrogates.Ended(), 1) << "the object ran in one surrogate process";
}

} // namespace
} // namespace vek::testing
