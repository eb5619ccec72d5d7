// Benchmark of the windows with large replies (not a test): the host selection filled with 5,000
// hosts (a list of about 130 KB) and drawn, and the notice pop-up showing a notices reply of
// 4 MiB whose one notice carries the whole body. It prints the time of each, from the reply to
// the window drawn. It writes a client id and key to the prefix's settings key. On a display:
//   VEK_NEEDS_DISPLAY=1 <build>/wine-run <build>/tests/win/forms/FormsBenchmark.exe
#include "Main/core/NoticesReply.h"
#include "Main/forms/Unit2.h"
#include "Main/forms/Unit5.h"
#include "tests/win/support/FormDriver.h"
#include "tests/win/support/ScopedGlobals.h"

#include <cstdio>
#include <functional>
#include <string>

namespace {

// The hosts of the list; the benchmark's argument may give another number.
int kHosts = 5000;
constexpr std::size_t kNoticesReplySize = 4 * 1024 * 1024;

double Seconds(const std::function<void()>& action) {
    LARGE_INTEGER frequency, start, end;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    action();
    ::QueryPerformanceCounter(&end);
    return static_cast<double>(end.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

// A group in every tenth record, the other hosts spread over 50 domains.
std::string HostList() {
    std::string list;
    for (int i = 0; i < kHosts; ++i) {
        const std::string group = i % 10 == 0 ? "group" + std::to_string(i % 40) : "#";
        list +=
            group + ",host" + std::to_string(i) + ".domain" + std::to_string(i % 50) + ".example|";
    }
    return list;
}

class ListSource final : public vek::IHostListSource {
public:
    std::string HttpGet(const std::string&) override { return list; }
    std::string list = HostList();
};

// Every hundredth host of the list chosen.
std::string UpdateList() {
    std::string list;
    for (int i = 0; i < kHosts; i += 100) {
        list += (list.empty() ? "h[]=host" : "&h[]=host") + std::to_string(i) + ".domain" +
                std::to_string(i % 50) + ".example";
    }
    return list;
}

double ShowHostSelection() {
    vek::Globals->SetUpdateList(UpdateList());
    ListSource source;
    const seams::Seam<vek::IHostListSource>::Override installed(source);
    std::printf("host list: %d hosts, %zu bytes\n", kHosts, source.list.size());
    return Seconds([] {
        vek::THostSelect dialog(nullptr, nullptr);
        dialog.Show();
        vek::testing::PumpUntil([&] { return !dialog.Created.Enabled(); }, 600000);
        ::UpdateWindow(dialog.Handle());
        vek::testing::PumpUntilIdle();
    });
}

// One notice whose body fills the reply up to its size.
std::string NoticesReply() {
    const std::string head = "<?xml version=\"1.0\"?><user><notices><notice id=\"5\" "
                             "title=\"Scheduled maintenance\" link=\"http://example.org/\">";
    const std::string tail = "</notice></notices></user>";
    std::string body;
    while (head.size() + body.size() + tail.size() < kNoticesReplySize) {
        body += "word" + std::to_string(body.size() % 97) + " ";
    }
    body.resize(kNoticesReplySize - head.size() - tail.size());
    return head + body + tail;
}

double ShowNotices() {
    const std::string reply = NoticesReply();
    std::printf("notices reply: %zu bytes\n", reply.size());
    vek::TNoticeList list;
    vek::TNoticeForm form(list, [](const std::string&) {});
    return Seconds([&] {
        list = vek::ReadNoticesReply(reply).user.notices;
        form.CurrentIndex = -1;
        form.ShowNextNotice();
        ::UpdateWindow(form.Handle());
        vek::testing::PumpUntilIdle();
    });
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        kHosts = std::stoi(argv[1]);
    }
    vek::TVEKGlobals globals(vek::TVEKGlobalsOptions{{"-benchmark"}, nullptr});
    const vek::testing::ScopedGlobals installed(globals);
    globals.SetCID("benchmark");
    globals.SetCKey("benchmark-key");
    std::printf("host selection filled and drawn: %.3f s\n", ShowHostSelection());
    std::printf("notices reply shown: %.3f s\n", ShowNotices());
    return 0;
}
