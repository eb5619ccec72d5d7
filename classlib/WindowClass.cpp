#include "classlib/WindowClass.h"

#include "classlib/ClassLibError.h"

#include <string>

namespace vek {

void RegisterWindowClassOnce(WNDCLASSEXA windowClass) {
    windowClass.cbSize = sizeof windowClass;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA existing{};
    if (::GetClassInfoExA(windowClass.hInstance, windowClass.lpszClassName, &existing)) {
        return;
    }
    if (::RegisterClassExA(&windowClass) == 0) {
        const DWORD error = ::GetLastError();
        throw EClassLibError(std::string("The window class ") + windowClass.lpszClassName +
                             " could not be registered (error " + std::to_string(error) + ")");
    }
}

} // namespace vek
