#pragma once
// A main window that records what the core does to it. Label widths follow their captions
// (6 pixels a byte, "&&" shown as one "&"), as labels sized to their text do.
#include "Main/core/MainWindowIntf.h"

#include <map>
#include <string>
#include <vector>

namespace vek::testing {

struct FakeLabel {
    std::string caption;
    std::string hint;
    int left = 0;
    bool visible = true;
};

class FakeMainWindow final : public IMainWindow {
public:
    static constexpr int kPixelsPerCharacter = 6;

    HWND Handle() override { return handle; }
    void SetLabelCaption(MainLabel label, const std::string& caption) override;
    void SetLabelHint(MainLabel label, const std::string& hint) override {
        labels[label].hint = hint;
    }
    int LabelLeft(MainLabel label) override { return labels[label].left; }
    void SetLabelLeft(MainLabel label, int left) override { labels[label].left = left; }
    int LabelWidth(MainLabel label) override;
    void SetLabelVisible(MainLabel label, bool visible) override {
        labels[label].visible = visible;
    }
    void SetLightImage(StatusLight light, int imageIndex) override { lights[light] = imageIndex; }
    void SetStatusText(const std::string& text) override { statusText = text; }
    bool Visible() override { return visible; }
    void SetVisible(bool value) override;
    void SetShowOnTaskbar(bool show) override;

    HWND handle = reinterpret_cast<HWND>(0x1234);
    std::map<MainLabel, FakeLabel> labels;
    std::map<StatusLight, int> lights;
    std::string statusText;
    bool visible = true;
    bool showOnTaskbar = true;
    // "visible=0", "taskbar=1", ... in call order.
    std::vector<std::string> calls;
};

} // namespace vek::testing
