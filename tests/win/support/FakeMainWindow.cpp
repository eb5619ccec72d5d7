#include "tests/win/support/FakeMainWindow.h"

namespace vek::testing {

void FakeMainWindow::SetLabelCaption(MainLabel label, const std::string& caption) {
    labels[label].caption = caption;
    calls.push_back("caption" + std::to_string(static_cast<int>(label)) + "=" + caption);
}

int FakeMainWindow::LabelWidth(MainLabel label) {
    const std::string& caption = labels[label].caption;
    int shown = 0;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size() && caption[i + 1] == '&') {
            ++i;
        }
        ++shown;
    }
    return shown * kPixelsPerCharacter;
}

void FakeMainWindow::SetVisible(bool value) {
    visible = value;
    calls.push_back(std::string("visible=") + (value ? "1" : "0"));
}

void FakeMainWindow::SetShowOnTaskbar(bool show) {
    showOnTaskbar = show;
    calls.push_back(std::string("taskbar=") + (show ? "1" : "0"));
}

} // namespace vek::testing
