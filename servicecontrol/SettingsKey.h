#pragma once
// The settings key: below the role's root for the program's settings, and under
// HKEY_LOCAL_MACHINE for the machine-wide ones the service reads (the admin server writes
// ServiceUser there and removes the key with the service).

namespace vek {

inline constexpr char kSettingsKey[] = "Software\\Halvenor\\VEK\\v3\\";

} // namespace vek
