// The names the update server reported missing, and the one-line summary of the selected groups
// and hosts on the main window. Without a main window (the service) only the list and the
// setting change.
#include "Main/core/VEKGlobals.h"

#include "common/DelimitedText.h"

#include <algorithm>

namespace vek {
namespace {

constexpr char kNoGroupsHint[] = "To select groups to keep updated, click Edit.";
constexpr char kNoHostsHint[] = "To select hosts to keep updated, click Edit.";
// "g[]=" or "h[]=" before the name of every update-list item.
constexpr std::size_t kItemPrefixLength = 4;

std::string ItemName(const std::string& item) {
    return item.size() > kItemPrefixLength ? item.substr(kItemPrefixLength) : std::string();
}

bool IsGroupItem(const std::string& item) { return item.front() == 'g'; }

// The items of the stored update list. An empty item (from a doubled or trailing "&") names
// nothing, so it is left out.
std::vector<std::string> UpdateListItems(const std::string& list) {
    std::vector<std::string> items = ReadDelimitedText(list, '&');
    std::erase_if(items, [](const std::string& item) { return item.empty(); });
    return items;
}

// The groups or the hosts of the selection: how many, and their names one per line.
struct SelectionPart {
    int count = 0;
    std::string names;

    void Add(const std::string& name) {
        if (!names.empty()) {
            names += "\r\n";
        }
        names += name;
        ++count;
    }
};

// Places a label where the one before it on its row ends.
void PlaceAfter(IMainWindow& window, MainLabel label, MainLabel before) {
    window.SetLabelLeft(label, window.LabelLeft(before) + window.LabelWidth(before));
}

} // namespace

void TVEKGlobals::AddMissingHost(const std::string& name) {
    MissingHosts.Add(name);
    if (MainWindow == nullptr) {
        return;
    }
    MainWindow->SetLabelCaption(MainLabel::Label8, std::to_string(MissingHosts.Count()));
    // A first name is its own hint, shown at once; the names that follow it in the same reply are
    // joined once, when the handler returns to the message loop.
    if (MissingHosts.Count() == 1) {
        ShowMissingHostsHint();
    } else {
        missingHostsHint_.Post();
    }
    PlaceAfter(*MainWindow, MainLabel::Label8, MainLabel::Label3);
    MainWindow->SetLabelVisible(MainLabel::Label8, true);
    PlaceAfter(*MainWindow, MainLabel::Label9, MainLabel::Label8);
    MainWindow->SetLabelVisible(MainLabel::Label9, true);
}

void TVEKGlobals::ShowMissingHostsHint() {
    if (MainWindow != nullptr) {
        MainWindow->SetLabelHint(MainLabel::Label8, MissingHosts.Join(","));
    }
}

void TVEKGlobals::ClearMissingHosts() {
    MissingHosts.Clear();
    missingHostsHint_.Cancel();
    if (MainWindow != nullptr) {
        MainWindow->SetLabelVisible(MainLabel::Label9, false);
        MainWindow->SetLabelVisible(MainLabel::Label8, false);
    }
}

void TVEKGlobals::SetUpdateList(const std::string& value) {
    Reg.WriteString("UpdateList", value);
    if (MainWindow == nullptr) {
        return;
    }
    SelectionPart groups;
    SelectionPart hosts;
    for (const std::string& item : UpdateListItems(GetUpdateList())) {
        (IsGroupItem(item) ? groups : hosts).Add(ItemName(item));
    }
    IMainWindow& window = *MainWindow;
    window.SetLabelCaption(MainLabel::Label4, std::to_string(groups.count));
    window.SetLabelHint(MainLabel::Label4, groups.names.empty() ? kNoGroupsHint : groups.names);
    window.SetLabelCaption(MainLabel::Label5, groups.count == 1 ? " Group && " : " Groups && ");
    window.SetLabelCaption(MainLabel::Label6, std::to_string(hosts.count));
    window.SetLabelHint(MainLabel::Label6, hosts.names.empty() ? kNoHostsHint : hosts.names);
    window.SetLabelCaption(MainLabel::Label7, hosts.count == 1 ? " Host" : " Hosts");
    if (groups.count == 0 && hosts.count == 0) {
        window.SetLightImage(StatusLight::JvImageSquare3, LightFault);
    }
    PlaceAfter(window, MainLabel::Label4, MainLabel::Label3);
    PlaceAfter(window, MainLabel::Label5, MainLabel::Label4);
    PlaceAfter(window, MainLabel::Label6, MainLabel::Label5);
    PlaceAfter(window, MainLabel::Label7, MainLabel::Label6);
    window.SetLabelVisible(MainLabel::Label8, false);
    window.SetLabelVisible(MainLabel::Label9, false);
    MissingHosts.Clear();
    missingHostsHint_.Cancel();
}

std::string TVEKGlobals::GetUpdateListWithoutMissing() {
    std::vector<std::string> items = UpdateListItems(GetUpdateList());
    std::erase_if(
        items, [this](const std::string& item) { return MissingHosts.Contains(ItemName(item)); });
    return WriteDelimitedText(items, '&');
}

} // namespace vek
