// A service run by the service application, for the tests against the real service control
// manager. Arguments: the file that receives one line per event, and optionally "refuse" to
// refuse the start with the service-specific code 7.
#include "classlib/ServiceApplication.h"
#include "classlib/Timer.h"
#include "classlib/WinHandles.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr char kProbeServiceName[] = "VekProbeService";

class ProbeModule final : public vek::TService {
public:
    ProbeModule(std::string recordPath, bool refuse)
        : TService(kProbeServiceName, kProbeServiceName), recordPath_(std::move(recordPath)),
          refuse_(refuse), mainThread_(::GetCurrentThreadId()) {}
    ~ProbeModule() override { Record("destroyed"); }

    void ServiceStart(bool& started) override {
        serviceThread_ = ::GetCurrentThreadId();
        Record("start " + ThreadText() + " " + OwnStatus());
        startRecorded_ = true;
        started = !refuse_;
        ErrCode = refuse_ ? 7 : 0;
    }
    void ServiceStop(bool& stopped) override {
        Record("stop " + ThreadText() + " " + OwnStatus() +
               " same-thread=" + std::to_string(serviceThread_ == ::GetCurrentThreadId()));
        stopped = true;
    }

    void Record(const std::string& line) {
        if (FILE* file = std::fopen(recordPath_.c_str(), "ab")) {
            std::fprintf(file, "%s\n", line.c_str());
            std::fclose(file);
        }
    }

    // The main loop's timer records one tick once the start is recorded, so that the record's
    // order does not hang on how soon the service thread is scheduled.
    vek::TTimer tick{50, true, [this] {
                         if (!startRecorded_) {
                             return;
                         }
                         tick.SetEnabled(false);
                         Record("tick " + ThreadText());
                     }};

private:
    std::string ThreadText() const {
        return ::GetCurrentThreadId() == mainThread_ ? "main" : "other";
    }

    // The state the manager holds for this service, with its check point and wait hint.
    static std::string OwnStatus() {
        const vek::UniqueService manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
        const vek::UniqueService service(
            ::OpenServiceA(manager.get(), kProbeServiceName, SERVICE_QUERY_STATUS));
        SERVICE_STATUS status{};
        ::QueryServiceStatus(service.get(), &status);
        return "state=" + std::to_string(status.dwCurrentState) +
               " checkpoint=" + std::to_string(status.dwCheckPoint) +
               " hint=" + std::to_string(status.dwWaitHint);
    }

    std::string recordPath_;
    bool refuse_;
    DWORD mainThread_;
    DWORD serviceThread_ = 0;
    std::atomic<bool> startRecorded_{false};
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return 2;
    }
    const bool refuse = argc > 2 && std::strcmp(argv[2], "refuse") == 0;
    DWORD result = 0;
    {
        vek::TServiceApplication application;
        ProbeModule module(argv[1], refuse);
        result = application.Run(module);
        module.Record("run returned " + std::to_string(result));
    }
    return static_cast<int>(result);
}
