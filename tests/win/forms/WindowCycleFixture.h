#pragma once
// The main window with its IP check cycle and notice fetch on the scripted network: a core with a
// client id, key and selection, one local adapter, and the pause of each check recorded instead
// of slept. The start timer is held back, so that no notice fetch runs unless a test asks; the
// tests begin half a second after the window was made.
#include "tests/win/forms/MainWindowFixture.h"
#include "tests/win/support/AdapterFakes.h"
#include "tests/win/support/CycleFakes.h"
#include "tests/win/support/CycleObservers.h"
#include "tests/win/support/ServiceFakes.h"

#include <memory>
#include <string>
#include <vector>

namespace vek::testing {

class WindowCycleTest : public MainWindowTest {
protected:
    std::unique_ptr<IAdapterApi> Adapters() override {
        return std::make_unique<FakeAdapters>(adapters);
    }
    void SetUp() override {
        MainWindowTest::SetUp();
        Globals->Endpoints.UpdateServer = "192.0.2.10:8080";
        Globals->SetCKey("0123456789abcdef");
        Globals->SetUpdateList("h[]=a.example&g[]=home");
        MakeWindow();
        window->Startup.SetEnabled(false);
        // Half a second on, the count-down ticks half-way between the watchers' due times.
        timers.Advance(500);
        log.Take();
    }
    std::string Watching() {
        return WatchingState(window->InternalIPWatcher(), window->ExternalIPWatcher(), timers);
    }
    // The three lights' images: the IP row's, the account row's, the update row's.
    std::string Lights() const {
        std::string images;
        for (const StatusLight light : {StatusLight::JvImageSquare1, StatusLight::JvImageSquare2,
                                        StatusLight::JvImageSquare3}) {
            images += (images.empty() ? "" : " ") + std::to_string(window->LightImage(light));
        }
        return images;
    }
    // Label11's text when it is shown, else "-".
    std::string AccountLine() const {
        return IsShown(*window, "Label11") ? window->ControlText("Label11") : "-";
    }
    // The next notice fetch: its interval, or "off".
    std::string NoticeFetch() const {
        return window->UserXML.Enabled() ? std::to_string(window->UserXML.Interval()) : "off";
    }

    ScriptedNetwork network;
    RecordingSleeper sleeper;
    std::shared_ptr<std::vector<std::string>> adapters =
        std::make_shared<std::vector<std::string>>(std::vector<std::string>{"192.0.2.77"});
    LogLineReader log{LogFile("VEK.log")};
};

} // namespace vek::testing
