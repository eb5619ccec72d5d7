#pragma once
// The notice pop-up TNoticeForm: the entries of the main window's notice list, one at a time, in
// a small borderless window that fades in at the bottom-right corner of the screen above the
// taskbar. "Next" pages through the entries, a click on an entry opens its link, and the close
// picture closes the window, storing the highest notice and alert ids shown.
#include "Main/core/NoticeList.h"
#include "classlib/AutoSizeLabel.h"
#include "classlib/Form.h"
#include "classlib/Timer.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vek {

extern const TFormLayout kNoticeFormLayout;

class TNoticeForm final : public TForm {
public:
    // Opens a link in the browser; raises when the browser cannot be started.
    using LinkLauncher = std::function<void(const std::string& url)>;

    // Makes the hidden pop-up. It reads `noticeList` whenever it shows an entry, so the list must
    // outlive it; `launchLink` opens the link of an entry that is clicked. Its window is not owned
    // by any window of the program, so it stays up while the main window hides.
    TNoticeForm(const TNoticeList& noticeList, LinkLauncher launchLink);

    // Shows the entry after CurrentIndex (the first after the last); hides the window when the
    // list is empty. A hidden window fades in; a shown one changes its entry in place.
    void ShowNextNotice();

    // The index of the entry shown; -1 when none.
    std::int32_t CurrentIndex = -1;
    // The link of the entry shown; empty when it has none.
    std::string CurrentLink;
    // The highest ids shown, starting from the stored ones; a close stores them.
    std::int32_t HighestNoticeID = 0;
    std::int32_t HighestAlertID = 0;
    // One fade-in step every millisecond while the window becomes opaque.
    TTimer FadeTimer;

private:
    void FormCreate();
    void FormClose() override;
    void Button1Click() { ShowNextNotice(); }
    void Panel2Click();
    void Image2Click() { Close(); }
    void FadeTimerTimer();

    void RaiseHighestID(std::int32_t noticeCode);
    void StartFadeIn();
    void LayOut(const std::string& noticeItem);
    // Sizes a word-wrapping label to its caption within `width`, as an auto-sized label does;
    // `overstrike` pixels of the width are kept for a title drawn twice, that far apart.
    void FitWrappedLabel(int id, int left, int top, int width, const std::string& caption,
                         int overstrike);
    // The bottom bar with its counter and button.
    void SetBottomBarVisible(bool visible);
    // The entry's panel above the bottom bar, when that is shown.
    void PlacePanels(int entryHeight, bool barShown);
    // Above the taskbar at the bottom-right corner of the primary screen.
    void PlaceWindow(int height);
    int GetTaskbarHeight() const;
    LRESULT DrawPanel(const DRAWITEMSTRUCT& item);
    void PaintTitle();

    const TNoticeList& noticeList_;
    LinkLauncher launchLink_;
    BYTE alpha_ = 255;
    // 1 when the title's bold is drawn twice, a pixel apart: the system draws it no bolder.
    int titleOverstrike_ = 0;
    TFittedCaption counterCaption_;
};

} // namespace vek
