#include "Main/forms/HostListLock.h"

#include "Main/core/VEKGlobals.h"
#include "Main/core/WindowIdentity.h"
#include "Main/forms/PasswordPrompt.h"
#include "classlib/ClassLibError.h"
#include "classlib/HmacSha1.h"
#include "classlib/Seams.h"
#include "classlib/UiSeams.h"

namespace vek {
namespace {

constexpr char kHashSuffix[] = "quietlybrewedcoffeefillsthemorningair";
constexpr char kAskPassword[] = "Please enter password to modify host list.";
constexpr char kWrongPassword[] = "Incorrect password entered, can not modify host list.";
constexpr char kDamagedLock[] = "Password database has been corrupted.\r\n"
                                "Please edit the username and password\r\n"
                                "for this install to reinitialize the database.";
constexpr std::uint32_t kRandomRange = 2147483647;

// Three pseudo-random integers written one after another: never a hash, never empty, so it
// opens nothing until a branch below replaces it.
std::string ClosedGate() {
    std::string gate;
    for (int i = 0; i < 3; ++i) {
        gate += std::to_string(seams::Random().Next(kRandomRange));
    }
    return gate;
}

int Box(HWND owner, const char* text, UINT type) {
    return seams::MessageBoxes().MessageBoxA(owner, text, kApplicationTitle, type);
}

// Asks until the password is right or the user cancels; the gate value of the last answer.
std::string AskForPassword(HWND owner, const std::string& stored) {
    for (;;) {
        std::string entered;
        if (!InputPassword(owner, kApplicationTitle, kAskPassword, entered)) {
            return {};
        }
        std::string gate = HostPasswordHash(entered);
        if (gate == stored || Box(owner, kWrongPassword, MB_RETRYCANCEL | MB_ICONHAND) != IDRETRY) {
            return gate;
        }
    }
}

} // namespace

std::string HostPasswordHash(const std::string& password) {
    const auto digest = Sha1(password + kHashSuffix);
    if (!digest) {
        throw EClassLibError("The password could not be hashed");
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (const std::uint8_t byte : *digest) {
        text += kHex[byte >> 4];
        text += kHex[byte & 15];
    }
    return text;
}

bool PassHostListGate(HWND owner) {
    std::string gate = ClosedGate();
    const std::string stored = Globals->GetHostPassword();
    if (Globals->GetHostListLocked()) {
        if (stored.empty()) {
            Box(owner, kDamagedLock, MB_OK | MB_ICONEXCLAMATION);
        } else {
            gate = AskForPassword(owner, stored);
        }
    } else {
        gate = stored;
    }
    return gate == Globals->GetHostPassword();
}

} // namespace vek
