#include "Main/forms/Unit2.h"

#include "Main/core/ProviderUrls.h"
#include "Main/core/VEKGlobals.h"
#include "Main/core/WindowIdentity.h"
#include "Main/forms/HostListLock.h"
#include "Main/forms/HostRowDrawing.h"
#include "Main/forms/PasswordPrompt.h"
#include "Main/forms/RowFinder.h"
#include "Main/res/ControlIds.h"
#include "classlib/HandlerBoundary.h"
#include "classlib/MeasuredText.h"
#include "classlib/UiSeams.h"
#include "common/DelimitedText.h"

#include <windowsx.h>

#include <algorithm>
#include <climits>

namespace vek {
namespace {

// The data values of the rows that stand for no record.
constexpr LPARAM kSectionRow = 0;
constexpr LPARAM kDomainRow = 1;
constexpr LPARAM kMessageRow = 2;

constexpr COLORREF kLinkColor = RGB(0, 0, 255);
constexpr int kFontHeight = -11;
// 5 points at 96 dots per inch.
constexpr int kRowFontHeight = -7;
constexpr int kWidthNudge = 50;
constexpr int kWheelRows = 3;
// "g[]=" or "h[]=" before the name of every entry of the stored choice.
constexpr std::size_t kEntryPrefixLength = 4;
constexpr SIZE kMinimumWindow{265, 470};
constexpr char kSitePage[] = "members/dns/";
constexpr UINT kListClickDone = WM_APP + 1;
constexpr char kGroupWarning[] = "Warning: All hosts within the group will be updated.\r\n"
                                 "You can not select individual hosts within a group\r\n"
                                 "unless you are using the sub-account feature.";
constexpr char kLockPrompt[] = "Please enter a password to lock  the host list.  If this\r\n"
                               "password is lost, you must reenter the account\r\n"
                               "username and password to unlock it.";

class GlobalsHostListSource final : public IHostListSource {
public:
    std::string HttpGet(const std::string& url) override {
        return Globals->HttpGet(url, "", false);
    }
};

bool IsCheckable(HostRowKind kind) {
    return kind == HostRowKind::Group || kind == HostRowKind::Host;
}

// The place of a control as the form's table designs it for the designed client area.
PixelRect DesignedPlace(int id) {
    for (const TFormControl& control : kHostSelectFormLayout.controls) {
        if (control.id == id && control.pixels) {
            return *control.pixels;
        }
    }
    return {};
}

COLORREF ListBackground(HWND list) {
    const COLORREF color = ListView_GetBkColor(list);
    return color == CLR_NONE || color == CLR_DEFAULT ? ::GetSysColor(COLOR_WINDOW) : color;
}

// Stops the list's drawing while it lives; the list draws itself whole afterwards. A list that
// draws (and lays out its scroll bar) at every row added takes minutes for a few thousand rows.
class ScopedNoRedraw {
public:
    explicit ScopedNoRedraw(HWND window) : window_(window) {
        ::SendMessageA(window_, WM_SETREDRAW, FALSE, 0);
    }
    ~ScopedNoRedraw() {
        ::SendMessageA(window_, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(window_, nullptr, TRUE);
    }
    ScopedNoRedraw(const ScopedNoRedraw&) = delete;
    ScopedNoRedraw& operator=(const ScopedNoRedraw&) = delete;

private:
    HWND window_;
};

RECT RowRect(HWND list, int row, int part) {
    RECT rect{};
    ListView_GetItemRect(list, row, &rect, part);
    return rect;
}

} // namespace

THostSelect::THostSelect(HWND owner, SitePageLauncher openSitePage)
    : TForm(kHostSelectFormLayout), Created(1, false, [this] { CreatedTimer(); }),
      openSitePage_(std::move(openSitePage)) {
    OnCommand(IDC_HOSTSELECT_BUTTON1, [this] { Button1Click(); });
    OnCommand(IDC_HOSTSELECT_BUTTON2, [this] { SetModalResult(mrCancel); });
    OnCommand(IDC_HOSTSELECT_LABEL4, [this] { Label4Click(); });
    OnNotify(IDC_HOSTSELECT_LISTVIEW1, NM_CUSTOMDRAW, [this](NMHDR& header) {
        return ListView1AdvancedCustomDrawItem(reinterpret_cast<NMLVCUSTOMDRAW&>(header));
    });
    OnNotify(IDC_HOSTSELECT_LISTVIEW1, LVN_ITEMCHANGING, [this](NMHDR& header) {
        return ListView1ItemChanging(reinterpret_cast<NMLISTVIEW&>(header));
    });
    // The list reports a click before it toggles the row's check box, and a box shown inside the
    // report would swallow the mouse button's release: the warning looks at the rows once the
    // click is complete.
    OnNotify(IDC_HOSTSELECT_LISTVIEW1, NM_CLICK, [this](NMHDR&) -> LRESULT {
        ::PostMessageA(Handle(), kListClickDone, 0, 0);
        return 0;
    });
    OnMessage(
        kListClickDone,
        [this](WPARAM, LPARAM) -> LRESULT {
            ListView1Click();
            return 0;
        },
        true);
    OnNotify(IDC_HOSTSELECT_LISTVIEW1, NM_SETFOCUS, [this](NMHDR&) -> LRESULT {
        ListView1Enter();
        return 0;
    });
    // The list scrolls by the dialog's rule, whichever control the wheel reaches first.
    OnMessage(WM_MOUSEWHEEL,
              [this](WPARAM wParam, LPARAM lParam) { return FormMouseWheel(wParam, lParam); });
    OnControlMessage(IDC_HOSTSELECT_LISTVIEW1, WM_MOUSEWHEEL,
                     [this](WPARAM wParam, LPARAM lParam) -> std::optional<LRESULT> {
                         return FormMouseWheel(wParam, lParam);
                     });
    OnMessage(WM_SIZE, [this](WPARAM, LPARAM lParam) -> LRESULT {
        FormResize(LOWORD(lParam), HIWORD(lParam));
        return 0;
    });
    OnControlMessage(IDC_HOSTSELECT_LABEL4, WM_MOUSEMOVE,
                     [this](WPARAM, LPARAM) -> std::optional<LRESULT> {
                         Label4Hover(true);
                         return std::nullopt;
                     });
    OnControlMessage(IDC_HOSTSELECT_LABEL4, WM_MOUSELEAVE,
                     [this](WPARAM, LPARAM) -> std::optional<LRESULT> {
                         Label4Hover(false);
                         return std::nullopt;
                     });
    OnControlMessage(IDC_HOSTSELECT_LABEL4, WM_PAINT,
                     [this](WPARAM, LPARAM) -> std::optional<LRESULT> {
                         PaintLabel4();
                         return 0;
                     });
    UseHandCursor(IDC_HOSTSELECT_LABEL4);
    // The dialog's own colour, set so that the link's colour applies.
    SetColor(::GetSysColor(COLOR_BTNFACE));
    CreateWindowFromTemplate(owner);
    // The minimum is a window size as measured with the frames the dialog was designed with.
    OnMessage(WM_GETMINMAXINFO, [](WPARAM, LPARAM lParam) -> LRESULT {
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {kMinimumWindow.cx,
                                                                 kMinimumWindow.cy};
        return 0;
    });
    OpenAtLeastAtMinimum();
    FormCreate();
    Created.SetEnabled(true);
}

// Where the system's frames are thinner than those the dialog was designed with, its designed
// client area gives a window below the minimum: it opens at the minimum, about the same centre.
void THostSelect::OpenAtLeastAtMinimum() {
    RECT frame{};
    ::GetWindowRect(Handle(), &frame);
    const SIZE size{frame.right - frame.left, frame.bottom - frame.top};
    const SIZE grown{std::max(size.cx, kMinimumWindow.cx), std::max(size.cy, kMinimumWindow.cy)};
    if (grown.cx != size.cx || grown.cy != size.cy) {
        ::SetWindowPos(Handle(), nullptr, frame.left - (grown.cx - size.cx) / 2,
                       frame.top - (grown.cy - size.cy) / 2, grown.cx, grown.cy,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

THostSelect::~THostSelect() { FormDestroy(); }

void THostSelect::FormCreate() {
    GroupWarningShown = false;
    Button_SetCheck(Control(IDC_HOSTSELECT_CHECKBOX1),
                    Globals->GetHostListLocked() ? BST_CHECKED : BST_UNCHECKED);

    linkFont_ = MakeFont("Tahoma", kFontHeight);
    hoverFont_ = MakeFont("Tahoma", kFontHeight, FW_NORMAL, true);
    rowFont_ = MakeFont("Tahoma", kRowFontHeight);
    SetControlLook(IDC_HOSTSELECT_LABEL4, {kLinkColor, std::nullopt, linkFont_});
    HWND list = Control(IDC_HOSTSELECT_LISTVIEW1);
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT |
                                                LVS_EX_DOUBLEBUFFER);
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    ::SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    AddRow("Downloading group and hosts list...", kMessageRow);
    FitColumn();
}

// The link is drawn by its measure, as its underline is: the underline ends with the text.
void THostSelect::PaintLabel4() {
    HWND link = Control(IDC_HOSTSELECT_LABEL4);
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(link, &paint);
    RECT area{};
    ::GetClientRect(link, &area);
    ::FillRect(dc, &area, ::GetSysColorBrush(COLOR_BTNFACE));
    const ScopedSelection font(dc, label4Hovered_ ? hoverFont_ : linkFont_);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kLinkColor);
    DrawMeasuredText(dc, 0, 0, ControlText(IDC_HOSTSELECT_LABEL4), ETO_CLIPPED, &area);
    ::EndPaint(link, &paint);
}

void THostSelect::FormDestroy() {
    // The rows point at the records: they go first.
    if (Handle() != nullptr) {
        ListView_DeleteAllItems(Control(IDC_HOSTSELECT_LISTVIEW1));
    }
    HostItems.Clear();
}

// An error raised on the way (a request that cannot be signed without a key, say) is shown as
// the class library shows an unhandled error; the rows stay as they were.
void THostSelect::CreatedTimer() {
    Created.SetEnabled(false);
    RunUserAction(Handle(), [this] {
        const std::string url =
            Globals->SignURL(HostListUrl(Globals->Endpoints, Globals->GetCID()));
        ShowReply(seams::Seam<IHostListSource>::Get().HttpGet(url));
    });
}

void THostSelect::ShowReply(const std::string& reply) {
    const HostListReply read = ReadHostListReply(reply);
    {
        const ScopedNoRedraw quiet(Control(IDC_HOSTSELECT_LISTVIEW1));
        ShowRows(read);
    }
    RelayoutList();
}

void THostSelect::ShowRows(const HostListReply& read) {
    ListView_DeleteAllItems(Control(IDC_HOSTSELECT_LISTVIEW1));
    switch (read.outcome) {
    case HostListOutcome::NoAnswer:
        AddRow("Error downloading host list,", kMessageRow);
        AddRow("please verify connection.", kMessageRow);
        break;
    case HostListOutcome::CredentialsRefused:
        AddRow("Error downloading host list,", kMessageRow);
        AddRow("please verify username and password.", kMessageRow);
        break;
    case HostListOutcome::List:
        for (const HostListRecord& record : read.records) {
            HostItems.Add(record);
        }
        FillRows();
        listShown_ = true;
        break;
    }
}

// The rows are planned and ticked from the records first and then added once each, ticked or
// not: every message to the list costs, and reading rows back for each name of the stored choice
// grows with the square of the rows.
void THostSelect::FillRows() {
    std::vector<PlannedRow> rows{{"Groups", kSectionRow}};
    for (const auto& item : HostItems.Items()) {
        if (item->IsGroup()) {
            rows.push_back({item->GroupName, reinterpret_cast<LPARAM>(item.get())});
        }
    }
    rows.push_back({"Hosts", kSectionRow});
    for (const auto& item : HostItems.Items()) {
        if (!item->IsGroup()) {
            rows.push_back({item->Domain, kDomainRow});
            for (const std::string& host : item->Hosts.Items()) {
                rows.push_back({host, reinterpret_cast<LPARAM>(item.get())});
            }
        }
    }
    TickStoredChoice(rows);
    for (const PlannedRow& row : rows) {
        AddRow(row.caption, row.data);
    }
    // A row takes its tick once it is there.
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (rows[row].checked) {
            ListView_SetCheckState(Control(IDC_HOSTSELECT_LISTVIEW1), static_cast<int>(row), TRUE);
        }
    }
}

// Each entry of the stored choice ticks the row of its own kind that bears its name: "g[]="
// entries a group row, the others a host row.
void THostSelect::TickStoredChoice(std::vector<PlannedRow>& rows) {
    std::vector<std::pair<std::string, int>> groups;
    std::vector<std::pair<std::string, int>> hosts;
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const HostRowKind kind = KindOf(rows[row].data);
        if (IsCheckable(kind)) {
            (kind == HostRowKind::Group ? groups : hosts)
                .emplace_back(rows[row].caption, static_cast<int>(row));
        }
    }
    const TRowFinder groupRows(std::move(groups));
    const TRowFinder hostRows(std::move(hosts));
    for (const std::string& entry : ReadDelimitedText(Globals->GetUpdateList(), '&')) {
        if (entry.empty()) {
            continue;
        }
        const std::string name =
            entry.size() > kEntryPrefixLength ? entry.substr(kEntryPrefixLength) : std::string();
        const int row = (entry.front() == 'g' ? groupRows : hostRows).Find(name);
        if (row >= 0) {
            rows[static_cast<std::size_t>(row)].checked = true;
        }
    }
}

void THostSelect::AddRow(const std::string& caption, LPARAM data) {
    HWND list = Control(IDC_HOSTSELECT_LISTVIEW1);
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
    item.iItem = INT_MAX;
    item.pszText = const_cast<char*>(caption.c_str());
    item.lParam = data;
    // Rows of no record get no check box.
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(IsCheckable(KindOf(data)) ? 1 : 0);
    ::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

std::string THostSelect::RowCaption(int row) const {
    char text[1024] = {};
    LVITEMA item{};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ::SendMessageA(Control(IDC_HOSTSELECT_LISTVIEW1), LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&item));
    return text;
}

LPARAM THostSelect::RowData(int row) const {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    ::SendMessageA(Control(IDC_HOSTSELECT_LISTVIEW1), LVM_GETITEMA, 0,
                   reinterpret_cast<LPARAM>(&item));
    return item.lParam;
}

const THostItem* THostSelect::RowItem(int row) const {
    const LPARAM data = RowData(row);
    return data > kMessageRow ? reinterpret_cast<const THostItem*>(data) : nullptr;
}

HostRowKind THostSelect::RowKind(int row) const { return KindOf(RowData(row)); }

HostRowKind THostSelect::KindOf(LPARAM data) {
    if (data > kMessageRow) {
        return reinterpret_cast<const THostItem*>(data)->IsGroup() ? HostRowKind::Group
                                                                   : HostRowKind::Host;
    }
    switch (data) {
    case kDomainRow:
        return HostRowKind::Domain;
    case kMessageRow:
        return HostRowKind::Message;
    default:
        return HostRowKind::Section;
    }
}

bool THostSelect::RowChecked(int row) const {
    return ListView_GetCheckState(Control(IDC_HOSTSELECT_LISTVIEW1), row) != FALSE;
}

std::optional<std::string> THostSelect::NewUpdateList() const {
    if (!listShown_) {
        return std::nullopt;
    }
    std::string list;
    const int count = ListView_GetItemCount(Control(IDC_HOSTSELECT_LISTVIEW1));
    for (int row = 0; row < count; ++row) {
        const THostItem* item = RowItem(row);
        if (item == nullptr || !RowChecked(row)) {
            continue;
        }
        if (!list.empty()) {
            list += "&";
        }
        list += item->IsGroup() ? "g[]=" + item->GroupName : "h[]=" + RowCaption(row);
    }
    return list;
}

bool THostSelect::LockChecked() const {
    return Button_GetCheck(Control(IDC_HOSTSELECT_CHECKBOX1)) == BST_CHECKED;
}

LRESULT THostSelect::ListView1AdvancedCustomDrawItem(NMLVCUSTOMDRAW& draw) {
    HWND list = Control(IDC_HOSTSELECT_LISTVIEW1);
    const int row = static_cast<int>(draw.nmcd.dwItemSpec);
    const COLORREF background = ListBackground(list);
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
        const HostRowKind kind = RowKind(row);
        if (IsCheckable(kind)) {
            // The list draws the check box; its own text, small and in the background's colour,
            // is drawn over afterwards.
            ::SelectObject(draw.nmcd.hdc, rowFont_);
            draw.clrText = background;
            draw.clrTextBk = background;
            return CDRF_NEWFONT | CDRF_NOTIFYPOSTPAINT;
        }
        const ScopedSelection font(draw.nmcd.hdc,
                                   reinterpret_cast<HFONT>(::SendMessageA(list, WM_GETFONT, 0, 0)));
        const RECT whole = RowRect(list, row, LVIR_BOUNDS);
        const std::string caption = RowCaption(row);
        if (kind == HostRowKind::Section) {
            DrawSectionRow(draw.nmcd.hdc, whole, caption, background);
        } else if (kind == HostRowKind::Domain) {
            DrawDomainRow(draw.nmcd.hdc, whole, caption, background);
        } else {
            DrawMessageRow(draw.nmcd.hdc, whole, caption, background);
        }
        return CDRF_SKIPDEFAULT;
    }
    case CDDS_ITEMPOSTPAINT: {
        const ScopedSelection font(draw.nmcd.hdc,
                                   reinterpret_cast<HFONT>(::SendMessageA(list, WM_GETFONT, 0, 0)));
        const RECT label = RowRect(list, row, LVIR_LABEL);
        const THostItem* item = RowItem(row);
        if (item != nullptr && item->IsGroup()) {
            DrawGroupRow(draw.nmcd.hdc, label, item->GroupName, item->Hosts.Count(), background);
        } else {
            DrawHostRow(draw.nmcd.hdc, label, RowCaption(row), background);
        }
        return CDRF_DODEFAULT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

// Only group and host rows can be checked.
LRESULT THostSelect::ListView1ItemChanging(const NMLISTVIEW& change) const {
    const bool checkChange = (change.uChanged & LVIF_STATE) != 0 &&
                             ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK) != 0;
    return checkChange && change.iItem >= 0 && !IsCheckable(RowKind(change.iItem)) ? TRUE : FALSE;
}

void THostSelect::ListView1Click() {
    if (GroupWarningShown) {
        return;
    }
    const int count = ListView_GetItemCount(Control(IDC_HOSTSELECT_LISTVIEW1));
    for (int row = 0; row < count; ++row) {
        if (RowKind(row) == HostRowKind::Group && RowChecked(row)) {
            seams::MessageBoxes().MessageBoxA(Handle(), kGroupWarning, kApplicationTitle,
                                              MB_OK | MB_ICONEXCLAMATION);
            GroupWarningShown = true;
            return;
        }
    }
}

void THostSelect::ListView1Enter() {
    ::SetFocus(Control(IDC_HOSTSELECT_CHECKBOX1));
    ListView_SetItemState(Control(IDC_HOSTSELECT_LISTVIEW1), -1, 0, LVIS_SELECTED);
}

LRESULT THostSelect::FormMouseWheel(WPARAM wParam, LPARAM lParam) {
    POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::ScreenToClient(Handle(), &at);
    HWND list = Control(IDC_HOSTSELECT_LISTVIEW1);
    const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
    if (delta != 0 && ::ChildWindowFromPointEx(Handle(), at, CWP_SKIPINVISIBLE) == list) {
        const RECT first = RowRect(list, 0, LVIR_BOUNDS);
        const int sign = delta > 0 ? 1 : -1;
        ListView_Scroll(list, 0, sign * (first.bottom - first.top) * -kWheelRows);
    }
    return 0;
}

void THostSelect::Label4Click() {
    if (openSitePage_) {
        openSitePage_(kSitePage);
    }
}

void THostSelect::Label4Hover(bool over) {
    if (over == label4Hovered_) {
        return;
    }
    label4Hovered_ = over;
    SetControlLook(IDC_HOSTSELECT_LABEL4,
                   {kLinkColor, std::nullopt, over ? hoverFont_ : linkFont_});
    if (over) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Control(IDC_HOSTSELECT_LABEL4), 0};
        ::TrackMouseEvent(&track);
    }
}

void THostSelect::Button1Click() {
    if (!LockChecked()) {
        Globals->SetHostPassword("");
        SetModalResult(mrOk);
        return;
    }
    if (!Globals->GetHostPassword().empty()) {
        SetModalResult(mrOk);
        return;
    }
    std::string password;
    if (InputPassword(Handle(), kApplicationTitle, kLockPrompt, password)) {
        Globals->SetHostPassword(HostPasswordHash(password));
        SetModalResult(mrOk);
    }
}

// The list stretches with the width and keeps its height; it, the check box and the buttons keep
// their distance to the bottom edge.
void THostSelect::FormResize(int width, int height) {
    if (Handle() == nullptr) {
        return;
    }
    const int dx = width - kHostSelectFormLayout.clientSize.cx;
    const int dy = height - kHostSelectFormLayout.clientSize.cy;
    for (const int id : {IDC_HOSTSELECT_LISTVIEW1, IDC_HOSTSELECT_CHECKBOX1, IDC_HOSTSELECT_BUTTON1,
                         IDC_HOSTSELECT_BUTTON2}) {
        PixelRect place = DesignedPlace(id);
        place.top += dy;
        if (id == IDC_HOSTSELECT_LISTVIEW1) {
            place.width += dx;
        }
        SetControlPlace(id, place);
    }
    FitColumn();
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

// The one column fills the list's width beside its scroll bar.
void THostSelect::FitColumn() {
    HWND list = Control(IDC_HOSTSELECT_LISTVIEW1);
    RECT client{};
    ::GetClientRect(list, &client);
    ListView_SetColumnWidth(list, 0, client.right);
}

// Widened and set back, the list lays its scroll bar out again for the new rows.
void THostSelect::RelayoutList() {
    PixelRect place = ControlPlace(IDC_HOSTSELECT_LISTVIEW1);
    place.width += kWidthNudge;
    SetControlPlace(IDC_HOSTSELECT_LISTVIEW1, place);
    place.width -= kWidthNudge;
    SetControlPlace(IDC_HOSTSELECT_LISTVIEW1, place);
    FitColumn();
}

} // namespace vek

namespace seams {
VEK_DEFAULT_SEAM(vek::IHostListSource, vek::GlobalsHostListSource)
}
