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
    HWND adapters = Control("ComboBox1");
    for (const std::string& line : Globals->GetAdapterList(true)) {
        ComboBox_AddString(adapters, line.c_str());
    }
    ComboBox_InsertString(adapters, 0, "Windows Default");
    ComboBox_SetCurSel(adapters, Globals->GetAdapter() + 1);
    SetChecked("JvCheckBox4", Globals->GetAlternateIP());
    SetChecked("JvCheckBox2", FileExists(StartupShortcutPath()));
    if (Globals->IsWinNT()) {
        SetChecked("JvCheckBox1", Globals->IsServiceInstalled());
    } else {
        SetControlEnabled("JvCheckBox1", false);
    }
}

void TOptionsForm::ApplyAdapterAndMethod() const {
    Globals->SetAdapter(ComboBox_GetCurSel(Control("ComboBox1")) - 1);
    Globals->SetAlternateIP(Checked("JvCheckBox4"));
}

bool TOptionsForm::RunOnStartupChecked() const { return Checked("JvCheckBox2"); }

bool TOptionsForm::RunAsServiceChecked() const { return Checked("JvCheckBox1"); }

bool TOptionsForm::Checked(const char* name) const {
    return Button_GetCheck(Control(name)) == BST_CHECKED;
}

void TOptionsForm::SetChecked(const char* name, bool checked) {
    Button_SetCheck(Control(name), checked ? BST_CHECKED : BST_UNCHECKED);
}

} // namespace vek
