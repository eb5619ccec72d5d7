#include "Main/forms/Unit3.h"

#include "Main/core/StartupShortcut.h"
#include "Main/core/VEKGlobals.h"
#include "Main/res/ControlIds.h"
#include "classlib/FileSystem.h"

#include <windowsx.h>

namespace vek {

TOptionsForm::TOptionsForm(HWND owner) : TForm(kOptionsFormLayout) {
    OnCommand(IDOK, [this] { SetModalResult(mrOk); });
    OnCommand(IDCANCEL, [this] { SetModalResult(mrCancel); });
    SetColor(::GetSysColor(COLOR_BTNFACE));
    CreateWindowFromTemplate(owner);
    FormCreate();
}

void TOptionsForm::FormCreate() {
    HWND adapters = Control(IDC_OPTIONS_COMBOBOX1);
    for (const std::string& line : Globals->GetAdapterList(true)) {
        ComboBox_AddString(adapters, line.c_str());
    }
    ComboBox_InsertString(adapters, 0, "Windows Default");
    ComboBox_SetCurSel(adapters, Globals->GetAdapter() + 1);
    SetChecked(IDC_OPTIONS_JVCHECKBOX4, Globals->GetAlternateIP());
    SetChecked(IDC_OPTIONS_JVCHECKBOX2, FileExists(StartupShortcutPath()));
    if (Globals->IsWinNT()) {
        SetChecked(IDC_OPTIONS_JVCHECKBOX1, Globals->IsServiceInstalled());
    } else {
        SetControlEnabled(IDC_OPTIONS_JVCHECKBOX1, false);
    }
}

void TOptionsForm::ApplyAdapterAndMethod() const {
    Globals->SetAdapter(ComboBox_GetCurSel(Control(IDC_OPTIONS_COMBOBOX1)) - 1);
    Globals->SetAlternateIP(Checked(IDC_OPTIONS_JVCHECKBOX4));
}

bool TOptionsForm::RunOnStartupChecked() const { return Checked(IDC_OPTIONS_JVCHECKBOX2); }

bool TOptionsForm::RunAsServiceChecked() const { return Checked(IDC_OPTIONS_JVCHECKBOX1); }

bool TOptionsForm::Checked(int id) const { return Button_GetCheck(Control(id)) == BST_CHECKED; }

void TOptionsForm::SetChecked(int id, bool checked) {
    Button_SetCheck(Control(id), checked ? BST_CHECKED : BST_UNCHECKED);
}

} // namespace vek
