// The account dialog's registration: one HTTPS request with the typed e-mail address and
// password, and what a reply that carries a client id and key stores.
#include "Main/forms/Unit4.h"

#include "Main/core/ProviderUrls.h"
#include "Main/core/VEKGlobals.h"
#include "Main/res/ControlIds.h"
#include "classlib/XmlDocument.h"

namespace vek {
namespace {

constexpr std::string_view kXmlStart = "<?xml version";

} // namespace

std::optional<TRegistration> ReadRegistrationReply(const std::string& reply) {
    if (reply.compare(0, kXmlStart.size(), kXmlStart) != 0) {
        return std::nullopt;
    }
    const std::optional<XmlElement> root = ReadXmlDocument(reply);
    if (!root) {
        return std::nullopt;
    }
    const XmlElement* id = root->Child("id");
    const XmlElement* key = root->Child("key");
    if (id == nullptr || key == nullptr) {
        return std::nullopt;
    }
    return TRegistration{id->text, key->text};
}

void TUserPass::Button1Click() {
    ShowBusy();
    std::optional<TRegistration> registration;
    try {
        // The fields as typed, not trimmed; the password travels only in this request.
        const std::string reply =
            Globals->HttpGet(RegistrationUrl(Globals->Endpoints, ControlText(IDC_USERPASS_EDIT1),
                                             ControlText(IDC_USERPASS_EDIT2)),
                             "", true);
        registration = ReadRegistrationReply(reply);
        if (registration) {
            Register(*registration);
        }
    } catch (...) {
        ShowError();
        throw;
    }
    if (!registration) {
        ShowError();
        return;
    }
    busy_ = false;
    animation_.SetEnabled(false);
    SetModalResult(mrOk);
}

// The previous registration is given up only now that the new one has arrived.
void TUserPass::Register(const TRegistration& registration) {
    Globals->Unregister();
    Globals->SetCID(registration.id);
    Globals->SetCKey(registration.key);
    Globals->SetHostPassword("");
    Globals->SetHostListLocked(false);
}

} // namespace vek
