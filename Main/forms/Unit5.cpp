#include "Unit5.h"

#include "ControlIds.h"
#include "HandlerBoundary.h"
#include "Seams.h"
#include "Trim.h"
#include "VEKGlobals.h"
#include "WinHandles.h"

#include <algorithm>
#include <string_view>

namespace vek {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
// The window has no frame: its client area is the whole window.
constexpr int kWidth = 216;
constexpr int kBottomBarHeight = 20;
// The bar's counter and button, from the bar's top.
constexpr int kBarControlTop = 2;
constexpr int kTitleLeft = 42;
constexpr int kTitleTop = 4;
constexpr int kTitleWidth = 165;
constexpr int kBodyLeft = 4;
// The body starts below the icon, or below a title that reaches further down.
constexpr int kBodyTop = 39;
constexpr int kBodyWidth = 200;
constexpr int kGapBelowTitle = 5;
// Below the body: a margin and the panel's bevel.
constexpr int kGapBelowBody = 5 + 2;
// A label sized to its text is first given room for any number of lines.
constexpr int kUnboundedHeight = 1000;
constexpr int kScreenMargin = 3;
constexpr UINT kFadeInterval = 1;
constexpr int kFadeStep = 3;
constexpr BYTE kOpaque = 255;

constexpr int kNoticeKind = 1;
constexpr int kAlertKind = 2;

struct NoticeFields {
    std::string title;
    std::string body;
    std::string link;
};

// Title, body and link of a notice item: the parts before the first "|", between the first and
// the second, and after the second; a part the item lacks is empty.
NoticeFields SplitNoticeItem(std::string_view item) {
    const std::size_t first = item.find('|');
    const std::string_view rest =
        first == std::string_view::npos ? std::string_view() : item.substr(first + 1);
    const std::size_t second = rest.find('|');
    const std::string_view link =
        second == std::string_view::npos ? std::string_view() : rest.substr(second + 1);
    return {Trim(item.substr(0, first)), Trim(rest.substr(0, second)), Trim(link)};
}

bool HasStyle(HWND window, LONG_PTR style) {
    return (::GetWindowLongPtrA(window, GWL_STYLE) & style) != 0;
}

} // namespace

TNoticeForm::TNoticeForm(const TNoticeList& noticeList, LinkLauncher launchLink)
    : TForm(kNoticeFormLayout),
      FadeTimer(kFadeInterval, false, [this] { RunQuietly([this] { FadeTimerTimer(); }); }),
      noticeList_(noticeList), launchLink_(std::move(launchLink)) {
    for (const int entryPart :
         {IDC_NOTICE_PANEL2, IDC_NOTICE_IMAGE1, IDC_NOTICE_LABEL1, IDC_NOTICE_LABEL2}) {
        OnCommand(entryPart, [this] { Panel2Click(); });
    }
    OnCommand(IDC_NOTICE_BUTTON1, [this] { Button1Click(); });
    OnCommand(IDC_NOTICE_IMAGE2, [this] { Image2Click(); });
    OnMessage(WM_DRAWITEM, [this](WPARAM, LPARAM lParam) {
        return DrawPanel(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    });
    // The hand over the whole window: a control asks its parent first what cursor to show.
    OnMessage(WM_SETCURSOR, [](WPARAM, LPARAM lParam) -> LRESULT {
        if (LOWORD(lParam) != HTCLIENT) {
            return FALSE;
        }
        ::SetCursor(::LoadCursorA(nullptr, IDC_HAND));
        return TRUE;
    });
    TakeNoFocusAtCreation();
    // The desktop as the parent leaves the window unowned: it stays up while the main window
    // hides.
    CreateWindowFromTemplate(::GetDesktopWindow());
    FormCreate();
}

void TNoticeForm::FormCreate() {
    CurrentIndex = -1;
    // A close stores both ids; a kind not shown in this run keeps its stored id.
    HighestNoticeID = Globals->GetNoticeID();
    HighestAlertID = Globals->GetAlertID();
    ::SetWindowTextA(Handle(), "Tarvo Account Notice");
    SetColor(kWhite);
    SetControlLook(IDC_NOTICE_LABEL1,
                   {std::nullopt, std::nullopt, MakeFont("Tahoma", -13, FW_BOLD)});
    SetControlLook(IDC_NOTICE_LABEL3, {std::nullopt, ::GetSysColor(COLOR_BTNFACE)});
    if (!Globals->IsWinNT()) {
        HWND window = Handle();
        ::SetWindowLongPtrA(window, GWL_EXSTYLE,
                            ::GetWindowLongPtrA(window, GWL_EXSTYLE) | WS_EX_NOACTIVATE);
    }
}

void TNoticeForm::ShowNextNotice() {
    ++CurrentIndex;
    const auto count = static_cast<std::int32_t>(noticeList_.size());
    if (count == 0) {
        Hide();
        return;
    }
    if (CurrentIndex < 0 || CurrentIndex > count - 1) {
        CurrentIndex = 0;
    }
    const TNoticeEntry& entry = noticeList_[static_cast<std::size_t>(CurrentIndex)];
    RaiseHighestID(entry.NoticeCode);
    if (!Visible()) {
        StartFadeIn();
        SetBottomBarVisible(count > 1);
    } else if (count > 1) {
        SetBottomBarVisible(true);
    }
    LayOut(entry.NoticeItem);
    SetControlText("Label3", "Displaying notice " + std::to_string(CurrentIndex + 1) + " of " +
                                 std::to_string(count));
    SetControlEnabled("Button1", count > 1);
}

void TNoticeForm::RaiseHighestID(std::int32_t noticeCode) {
    // The code is the id followed by one kind digit.
    const std::int32_t id = noticeCode / 10;
    switch (noticeCode % 10) {
    case kNoticeKind:
        HighestNoticeID = std::max(HighestNoticeID, id);
        break;
    case kAlertKind:
        HighestAlertID = std::max(HighestAlertID, id);
        break;
    default:
        break;
    }
}

void TNoticeForm::StartFadeIn() {
    HWND window = Handle();
    ::SetWindowLongPtrA(window, GWL_EXSTYLE,
                        ::GetWindowLongPtrA(window, GWL_EXSTYLE) | WS_EX_LAYERED);
    alpha_ = 0;
    ::SetLayeredWindowAttributes(window, 0, alpha_, LWA_ALPHA);
    ::ShowWindow(window, SW_SHOWNOACTIVATE);
    FadeTimer.SetEnabled(true);
}

void TNoticeForm::FadeTimerTimer() {
    alpha_ = static_cast<BYTE>(std::min(alpha_ + kFadeStep, static_cast<int>(kOpaque)));
    ::SetLayeredWindowAttributes(Handle(), 0, alpha_, LWA_ALPHA);
    if (alpha_ == kOpaque) {
        FadeTimer.SetEnabled(false);
    }
}

void TNoticeForm::LayOut(const std::string& noticeItem) {
    const NoticeFields fields = SplitNoticeItem(noticeItem);
    FitWrappedLabel("Label1", kTitleLeft, kTitleTop, kTitleWidth, fields.title);
    const PixelRect title = ControlPlace("Label1");
    int bodyTop = title.top + title.height + kGapBelowTitle;
    if (bodyTop <= kBodyTop) {
        // A short title stands level with the icon.
        bodyTop = kBodyTop;
        SetControlPlace("Label1",
                        {title.left, title.height / 2 + kTitleTop, title.width, title.height});
    }
    FitWrappedLabel("Label2", kBodyLeft, bodyTop, kBodyWidth, fields.body);
    CurrentLink = fields.link;
    const PixelRect body = ControlPlace("Label2");
    const bool barShown = HasStyle(Control("Panel1"), WS_VISIBLE);
    const int entryHeight = body.top + body.height + kGapBelowBody;
    PlacePanels(entryHeight, barShown);
    PlaceWindow(entryHeight + (barShown ? kBottomBarHeight : 0));
    ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TNoticeForm::FitWrappedLabel(std::string_view name, int left, int top, int width,
                                  const std::string& caption) {
    HWND label = Control(name);
    ::SetWindowTextA(label, caption.c_str());
    // An empty caption is measured as a blank: one line high.
    const std::string measured = caption.empty() ? std::string(" ") : caption;
    RECT extent{0, 0, width, kUnboundedHeight};
    const UniqueWindowDc dc(label);
    const ScopedSelection font(dc.get(),
                               reinterpret_cast<HFONT>(::SendMessageA(label, WM_GETFONT, 0, 0)));
    ::DrawTextA(dc.get(), measured.c_str(), static_cast<int>(measured.size()), &extent,
                DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    SetControlPlace(name, {left, top, extent.right, extent.bottom});
}

void TNoticeForm::SetBottomBarVisible(bool visible) {
    for (const char* part : {"Panel1", "Label3", "Button1"}) {
        SetControlVisible(part, visible);
    }
}

void TNoticeForm::PlacePanels(int entryHeight, bool barShown) {
    SetControlPlace("Panel2", {0, 0, kWidth, entryHeight});
    if (!barShown) {
        return;
    }
    SetControlPlace("Panel1", {0, entryHeight, kWidth, kBottomBarHeight});
    const PixelRect counter = ControlPlace("Label3");
    SetControlPlace("Label3",
                    {counter.left, entryHeight + kBarControlTop, counter.width, counter.height});
    const PixelRect next = ControlPlace("Button1");
    SetControlPlace("Button1", {next.left, entryHeight + kBarControlTop, next.width, next.height});
}

void TNoticeForm::PlaceWindow(int height) {
    const int left = ::GetSystemMetrics(SM_CXSCREEN) - kWidth - kScreenMargin;
    const int top = ::GetSystemMetrics(SM_CYSCREEN) - height - GetTaskbarHeight() - kScreenMargin;
    ::SetWindowPos(Handle(), nullptr, left, top, kWidth, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

int TNoticeForm::GetTaskbarHeight() const {
    HWND taskbar = seams::Windows().FindWindowA("Shell_TrayWnd", "");
    if (taskbar == nullptr) {
        return 0;
    }
    RECT place{};
    ::GetWindowRect(taskbar, &place);
    return place.bottom - place.top;
}

void TNoticeForm::Panel2Click() {
    if (CurrentLink.empty()) {
        return;
    }
    // A launch that fails raises: the error reaches the click's boundary and the window stays.
    launchLink_(CurrentLink);
    if (CurrentIndex == static_cast<std::int32_t>(noticeList_.size()) - 1) {
        Close();
    }
}

void TNoticeForm::FormClose() {
    CurrentIndex = -1;
    Globals->SetNoticeID(HighestNoticeID);
    Globals->SetAlertID(HighestAlertID);
}

LRESULT TNoticeForm::DrawPanel(const DRAWITEMSTRUCT& item) {
    // The entry's panel is white with a bevel all round; the bottom bar has the face colour of
    // the buttons and a bevel on its top edge.
    RECT area = item.rcItem;
    if (item.CtlID == IDC_NOTICE_PANEL2) {
        ::FillRect(item.hDC, &area, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        ::DrawEdge(item.hDC, &area, EDGE_RAISED, BF_RECT);
    } else if (item.CtlID == IDC_NOTICE_PANEL1) {
        ::FillRect(item.hDC, &area, ::GetSysColorBrush(COLOR_BTNFACE));
        ::DrawEdge(item.hDC, &area, EDGE_RAISED, BF_TOP);
    } else {
        return FALSE;
    }
    return TRUE;
}

} // namespace vek
