#pragma once
// The account dialog TUserPass: asks for the e-mail address and password of the user's account
// and registers this client at the update server over HTTPS. A registration stores the new
// client id and key (the key unlocked, the host-list password emptied) after the previous
// registration was given up, and closes the dialog with OK; the password itself is never stored.
// Links open the provider's sign-up and password-reset pages.
#include "Main/forms/pvlUrl.h"
#include "classlib/Form.h"
#include "classlib/Timer.h"
#include "classlib/WinHandles.h"

#include <map>
#include <optional>
#include <string>

namespace vek {

extern const TFormLayout kUserPassFormLayout;

// The client id and key a registration reply carries.
struct TRegistration {
    std::string id;
    std::string key;
};

// The registration of a reply that begins with "<?xml version" and whose root element, of any
// name, has direct children "id" and "key" (names in any letter case, the last of a name
// counting); none for any other reply, also for one that cannot be read as XML.
std::optional<TRegistration> ReadRegistrationReply(const std::string& reply);

class TUserPass final : public TForm {
public:
    static constexpr UINT kAnimationInterval = 100;

    // An owner that is hidden (or none) leaves the dialog its own taskbar button.
    explicit TUserPass(HWND owner);

    // Whether the registration request is under way.
    bool Busy() const { return busy_; }

    TpvlUrl pvlUrl1;

private:
    void FormCreate();
    bool FormCloseQuery() override;
    void Button1Click();
    void Edit1Change();
    void Image1Click();
    void Label4Click();
    void Label6Click();
    void Label4MouseEnter(int label);
    void Label4MouseLeave(int label);

    void ShowBusy();
    void ShowError();
    void Register(const TRegistration& registration);
    void OpenLink(const std::string& url);
    void SetLinkLook(int label, bool underlined);
    void PlaceAfter(int label, int before);
    void MoveLeft(int label, int left);
    LRESULT EraseBackground(HDC dc);
    LRESULT DrawAnimation(const DRAWITEMSTRUCT& item);

    bool busy_ = false;
    int frame_ = 0;
    UniqueImageList frames_;
    TTimer animation_;
    HFONT linkFont_ = nullptr;
    HFONT hoverFont_ = nullptr;
    std::map<int, bool> hovered_;
};

} // namespace vek
