#pragma once
// The preferences dialog TOptionsForm: run on startup, run as a system service, the alternative
// IP detection method and the network adapter. It only shows the settings; the main window
// applies them after OK (ApplyAdapterAndMethod, SetRunOnStartup, ApplyServiceChoice, in order).
#include "classlib/Form.h"

namespace vek {

extern const TFormLayout kOptionsFormLayout;

class TOptionsForm final : public TForm {
public:
    explicit TOptionsForm(HWND owner);

    // Stores the chosen adapter (the item index less one: "Windows Default" is -1) and the
    // detection method.
    void ApplyAdapterAndMethod() const;
    bool RunOnStartupChecked() const;
    bool RunAsServiceChecked() const;

private:
    void FormCreate();
    bool Checked(int id) const;
    void SetChecked(int id, bool checked);
};

} // namespace vek
