#include "Main/forms/ServiceChoice.h"

#include "Main/core/VEKGlobals.h"
#include "Main/core/WindowIdentity.h"
#include "classlib/UiSeams.h"

#include <exception>

namespace vek {
namespace {

constexpr char kServiceFailure[] = "An error occured while managing the service application.";

bool ServicePass(bool runAsService) {
    try {
        const bool installed = Globals->IsServiceInstalled();
        if (runAsService) {
            return installed ? Globals->RestartService() : Globals->InstallService();
        }
        return installed ? Globals->UninstallService() : true;
    } catch (const std::exception& error) {
        Globals->Log(error.what(), false);
        return false;
    }
}

} // namespace

void ApplyServiceChoice(HWND owner, bool runAsService) {
    if (!Globals->IsWinNT()) {
        return;
    }
    while (!ServicePass(runAsService)) {
        if (seams::MessageBoxes().MessageBoxA(owner, kServiceFailure, kApplicationTitle,
                                              MB_RETRYCANCEL | MB_ICONERROR) != IDRETRY) {
            return;
        }
    }
}

} // namespace vek
