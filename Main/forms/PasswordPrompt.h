#pragma once
// The password input dialog: a modal message dialog without an icon, 320 pixels wide inside, with
// the caller's title and prompt, an edit field that shows each typed character as "*", and OK
// and Cancel.
#include "classlib/Form.h"

#include <string>

namespace vek {

extern const TFormLayout kPasswordPromptFormLayout;

class TPasswordPrompt final : public TForm {
public:
    // The edit field starts with value.
    TPasswordPrompt(HWND owner, const std::string& title, const std::string& prompt,
                    const std::string& value);

    std::string Entered() const;

private:
    void FormCreate(const std::string& title, const std::string& prompt, const std::string& value);
};

// Asks with the dialog; true, and the entered text in value, only when it was closed with OK.
bool InputPassword(HWND owner, const std::string& title, const std::string& prompt,
                   std::string& value);

} // namespace vek
