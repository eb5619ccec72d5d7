#include "Main/forms/Unit5.h"

#include "Main/core/VEKGlobals.h"
#include "Main/res/ControlIds.h"
#include "classlib/HandlerBoundary.h"
#include "classlib/Seams.h"
#include "classlib/WinHandles.h"
#include "common/Trim.h"

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

// A longer body is shown cut, with "...": laying out and drawing megabytes of text would hold
// the program for minutes, and no screen shows more.
constexpr std::size_t kLongestBody = 4096;
constexpr char kCutMark[] = "...";
// Labels wrap their lines between words, and inside a word wider than the label.
constexpr UINT kWrapping = DT_WORDBREAK | DT_EDITCONTROL | DT_EXPANDTABS | DT_NOPREFIX;

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

std::string ShownBody(const std::string& body) {
    return body.size() > kLongestBody ? body.substr(0, kLongestBody) + kCutMark : body;
}

// The ink a font leaves for a few letters: where the system has no bold face at a size, the bold
// font draws no darker than the regular one.
int InkOf(HFONT font) {
    constexpr char kSample[] = "Hbm";
    constexpr SIZE kArea{64, 32};
    const UniqueWindowDc screen(nullptr);
    const UniqueMemoryDc memory(::CreateCompatibleDC(screen.get()));
    const UniqueGdiObject<HBITMAP> bitmap(
        ::CreateCompatibleBitmap(screen.get(), kArea.cx, kArea.cy));
    const ScopedSelection canvas(memory.get(), bitmap.get());
    const ScopedSelection selected(memory.get(), font);
    const RECT area{0, 0, kArea.cx, kArea.cy};
    ::FillRect(memory.get(), &area, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SetTextColor(memory.get(), RGB(0, 0, 0));
    ::SetBkMode(memory.get(), TRANSPARENT);
    ::TextOutA(memory.get(), 0, 0, kSample, static_cast<int>(sizeof kSample - 1));
    int ink = 0;
    for (int y = 0; y < kArea.cy; ++y) {
        for (int x = 0; x < kArea.cx; ++x) {
            ink += 255 - GetRValue(::GetPixel(memory.get(), x, y));
        }
    }
    return ink;
}

bool DrawsBolderThanRegular(HFONT bold) {
    LOGFONTA shape{};
    ::GetObjectA(bold, sizeof shape, &shape);
    shape.lfWeight = FW_NORMAL;
    const UniqueGdiObject<HFONT> regular(::CreateFontIndirectA(&shape));
    return InkOf(bold) > InkOf(regular.get());
}

// The notice bar's "Next": a push button whose focus rectangle keeps clear of its caption in a
// bar too low for the system's own.
void DrawNextButton(const DRAWITEMSTRUCT& item) {
    RECT area = item.rcItem;
    const bool pushed = (item.itemState & ODS_SELECTED) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    ::DrawFrameControl(item.hDC, &area, DFC_BUTTON,
                       DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0) |
                           (disabled ? DFCS_INACTIVE : 0));
    char caption[32] = {};
    const int length = ::GetWindowTextA(item.hwndItem, caption, sizeof caption);
    const ScopedSelection font(
        item.hDC, reinterpret_cast<HFONT>(::SendMessageA(item.hwndItem, WM_GETFONT, 0, 0)));
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, ::GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    RECT text = area;
    if (pushed) {
        ::OffsetRect(&text, 1, 1);
    }
    ::DrawTextA(item.hDC, caption, length, &text,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if ((item.itemState & ODS_FOCUS) != 0) {
        RECT extent{0, 0, 0, 0};
        ::DrawTextA(item.hDC, caption, length, &extent, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        const int middle = (area.left + area.right) / 2;
        // Inside the button's edge, a pixel clear of the caption.
        constexpr SIZE kFocusInset{3, 2};
        const RECT focus{middle - extent.right / 2 - kFocusInset.cx, area.top + kFocusInset.cy,
                         middle + extent.right / 2 + kFocusInset.cx, area.bottom - kFocusInset.cy};
        ::DrawFocusRect(item.hDC, &focus);
    }
}

RECT WorkArea() {
    RECT area{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return area;
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
    OnControlMessage(IDC_NOTICE_LABEL1, WM_PAINT, [this](WPARAM, LPARAM) -> std::optional<LRESULT> {
        PaintTitle();
        return 0;
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
    HFONT title = MakeFont("Tahoma", -13, FW_BOLD);
    SetControlLook(IDC_NOTICE_LABEL1, {std::nullopt, std::nullopt, title});
    titleOverstrike_ = DrawsBolderThanRegular(title) ? 0 : 1;
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
    SetControlText(IDC_NOTICE_LABEL3, "Displaying notice " + std::to_string(CurrentIndex + 1) +
                                          " of " + std::to_string(count));
    counterCaption_.Fit(Control(IDC_NOTICE_LABEL3),
                        reinterpret_cast<HFONT>(::SendMessageA(Handle(), WM_GETFONT, 0, 0)),
                        ControlPlace(IDC_NOTICE_LABEL3).width);
    SetControlEnabled(IDC_NOTICE_BUTTON1, count > 1);
}

// The title as a label draws it, and once more a pixel to the right where the bold font draws no
// bolder than the regular one.
void TNoticeForm::PaintTitle() {
    HWND label = Control(IDC_NOTICE_LABEL1);
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(label, &paint);
    RECT area{};
    ::GetClientRect(label, &area);
    ::FillRect(dc, &area, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    const std::string caption = ControlText(IDC_NOTICE_LABEL1);
    const ScopedSelection font(dc,
                               reinterpret_cast<HFONT>(::SendMessageA(label, WM_GETFONT, 0, 0)));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    area.right -= titleOverstrike_;
    // Wrapped as measured, each pass in the same width.
    for (int pass = 0; pass <= titleOverstrike_; ++pass) {
        RECT line = area;
        ::OffsetRect(&line, pass, 0);
        ::DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &line, kWrapping);
    }
    ::EndPaint(label, &paint);
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
    FitWrappedLabel(IDC_NOTICE_LABEL1, kTitleLeft, kTitleTop, kTitleWidth, fields.title,
                    titleOverstrike_);
    const PixelRect title = ControlPlace(IDC_NOTICE_LABEL1);
    int bodyTop = title.top + title.height + kGapBelowTitle;
    if (bodyTop <= kBodyTop) {
        // A short title stands level with the icon.
        bodyTop = kBodyTop;
        SetControlPlace(IDC_NOTICE_LABEL1,
                        {title.left, title.height / 2 + kTitleTop, title.width, title.height});
    }
    FitWrappedLabel(IDC_NOTICE_LABEL2, kBodyLeft, bodyTop, kBodyWidth, ShownBody(fields.body), 0);
    CurrentLink = fields.link;
    PixelRect body = ControlPlace(IDC_NOTICE_LABEL2);
    const bool barShown = HasStyle(Control(IDC_NOTICE_PANEL1), WS_VISIBLE);
    // The window is never taller than the work area: a body too long for it is cut at the
    // bottom, and the close picture and the bottom bar stay on the screen.
    const RECT area = WorkArea();
    const int tallest = area.bottom - area.top - 2 * kScreenMargin -
                        (barShown ? kBottomBarHeight : 0) - kGapBelowBody - body.top;
    if (body.height > tallest) {
        body.height = std::max(tallest, 0);
        SetControlPlace(IDC_NOTICE_LABEL2, body);
    }
    const int entryHeight = body.top + body.height + kGapBelowBody;
    PlacePanels(entryHeight, barShown);
    PlaceWindow(entryHeight + (barShown ? kBottomBarHeight : 0));
    ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TNoticeForm::FitWrappedLabel(int id, int left, int top, int width, const std::string& caption,
                                  int overstrike) {
    HWND label = Control(id);
    ::SetWindowTextA(label, caption.c_str());
    // An empty caption is measured as a blank: one line high.
    const std::string measured = caption.empty() ? std::string(" ") : caption;
    RECT extent{0, 0, width - overstrike, kUnboundedHeight};
    const UniqueWindowDc dc(label);
    const ScopedSelection font(dc.get(),
                               reinterpret_cast<HFONT>(::SendMessageA(label, WM_GETFONT, 0, 0)));
    ::DrawTextA(dc.get(), measured.c_str(), static_cast<int>(measured.size()), &extent,
                DT_CALCRECT | kWrapping);
    SetControlPlace(id, {left, top, extent.right + overstrike, extent.bottom});
}

void TNoticeForm::SetBottomBarVisible(bool visible) {
    for (const int part : {IDC_NOTICE_PANEL1, IDC_NOTICE_LABEL3, IDC_NOTICE_BUTTON1}) {
        SetControlVisible(part, visible);
    }
}

void TNoticeForm::PlacePanels(int entryHeight, bool barShown) {
    SetControlPlace(IDC_NOTICE_PANEL2, {0, 0, kWidth, entryHeight});
    if (!barShown) {
        return;
    }
    SetControlPlace(IDC_NOTICE_PANEL1, {0, entryHeight, kWidth, kBottomBarHeight});
    const PixelRect counter = ControlPlace(IDC_NOTICE_LABEL3);
    SetControlPlace(IDC_NOTICE_LABEL3,
                    {counter.left, entryHeight + kBarControlTop, counter.width, counter.height});
    const PixelRect next = ControlPlace(IDC_NOTICE_BUTTON1);
    SetControlPlace(IDC_NOTICE_BUTTON1,
                    {next.left, entryHeight + kBarControlTop, next.width, next.height});
}

void TNoticeForm::PlaceWindow(int height) {
    const int left = ::GetSystemMetrics(SM_CXSCREEN) - kWidth - kScreenMargin;
    const int top =
        std::max(static_cast<int>(WorkArea().top),
                 ::GetSystemMetrics(SM_CYSCREEN) - height - GetTaskbarHeight() - kScreenMargin);
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
    } else if (item.CtlID == IDC_NOTICE_BUTTON1) {
        DrawNextButton(item);
    } else {
        return FALSE;
    }
    return TRUE;
}

} // namespace vek
