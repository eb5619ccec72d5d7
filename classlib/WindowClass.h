#pragma once
// Window classes of the program's own module.
#include <windows.h>

namespace vek {

// Registers the class (its size and module are filled in) unless the module has it already;
// raises an error naming the class when the registration fails.
void RegisterWindowClassOnce(WNDCLASSEXA windowClass);

} // namespace vek
