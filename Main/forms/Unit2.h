#pragma once
// The host selection dialog THostSelect: it downloads the account's groups and hosts, lists them
// (section headers, groups, domains with their hosts, messages) with check boxes on the groups
// and hosts, ticks the stored choice, and on Save applies the host-list lock's check box. The
// main window opens it for one modal use and reads the new choice before freeing it.
#include "Main/core/HostItems.h"
#include "classlib/Form.h"
#include "classlib/Seams.h"
#include "classlib/Timer.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <commctrl.h>

namespace vek {

extern const TFormLayout kHostSelectFormLayout;

// The host list's request. The default sends it with Globals over plain HTTP without a bound
// address; tests script it with seams::Seam<IHostListSource>::Override.
class IHostListSource {
public:
    virtual ~IHostListSource() = default;
    virtual std::string HttpGet(const std::string& url) = 0;
};

// Opens a page of the provider's web site, given by its path below the site's root.
using SitePageLauncher = std::function<void(const std::string& page)>;

enum class HostRowKind { Section, Domain, Message, Group, Host };

class THostSelect final : public TForm {
public:
    THostSelect(HWND owner, SitePageLauncher openSitePage);
    ~THostSelect() override;

    // The checked rows, top to bottom, as UpdateList text: "g[]=" + group name or "h[]=" + host
    // name, joined by "&". None when no host list was downloaded (a failed or unfinished
    // download): the stored choice then stays as it is.
    std::optional<std::string> NewUpdateList() const;
    // Whether "Require a password to modify hosts" is checked.
    bool LockChecked() const;

    HostRowKind RowKind(int row) const;

    TTimer Created;

private:
    void OpenAtLeastAtMinimum();
    void FormCreate();
    void PaintLabel4();
    void CreatedTimer();
    void FormDestroy();
    void ShowReply(const std::string& reply);
    void ShowRows(const HostListReply& read);
    struct PlannedRow {
        std::string caption;
        LPARAM data;
        bool checked = false;
    };
    void FillRows();
    void TickStoredChoice(std::vector<PlannedRow>& rows);
    // A row at the end; group and host rows get a check box.
    void AddRow(const std::string& caption, LPARAM data);
    static HostRowKind KindOf(LPARAM data);
    std::string RowCaption(int row) const;
    LPARAM RowData(int row) const;
    const THostItem* RowItem(int row) const;
    bool RowChecked(int row) const;

    LRESULT ListView1AdvancedCustomDrawItem(NMLVCUSTOMDRAW& draw);
    LRESULT ListView1ItemChanging(const NMLISTVIEW& change) const;
    void ListView1Click();
    void ListView1Enter();
    LRESULT FormMouseWheel(WPARAM wParam, LPARAM lParam);
    void Label4Click();
    void Label4Hover(bool over);
    void Button1Click();
    void FormResize(int width, int height);
    void FitColumn();
    void RelayoutList();

    THostItems HostItems;
    bool GroupWarningShown = false;
    // A host list was downloaded and its rows shown.
    bool listShown_ = false;
    bool label4Hovered_ = false;
    SitePageLauncher openSitePage_;
    HFONT linkFont_ = nullptr;
    HFONT hoverFont_ = nullptr;
    // The font of the list's own drawing of a group or host row, whose text the handler draws.
    HFONT rowFont_ = nullptr;
};

} // namespace vek

namespace seams {
template <> vek::IHostListSource*& Seam<vek::IHostListSource>::Current();
}
