#pragma once
// Direct registry access for tests: values of any type and size, written and inspected without
// the registry object under test.
#include "classlib/WinHandles.h"

#include <optional>
#include <string>
#include <string_view>

namespace vek::testing {

struct RawValue {
    DWORD type = REG_NONE;
    std::string data;
};

inline void SetRawValue(HKEY root, const std::string& key, const std::string& name, DWORD type,
                        std::string_view data) {
    UniqueKey opened;
    if (::RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, opened.put(),
                          nullptr) != ERROR_SUCCESS) {
        return;
    }
    ::RegSetValueExA(opened.get(), name.c_str(), 0, type,
                     reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
}

inline void SetRawString(HKEY root, const std::string& key, const std::string& name,
                         const std::string& text, DWORD type = REG_SZ) {
    SetRawValue(root, key, name, type, std::string_view(text.c_str(), text.size() + 1));
}

inline void SetRawDword(HKEY root, const std::string& key, const std::string& name, DWORD value) {
    SetRawValue(root, key, name, REG_DWORD,
                std::string_view(reinterpret_cast<const char*>(&value), sizeof value));
}

inline std::optional<RawValue> GetRawValue(HKEY root, const std::string& key,
                                           const std::string& name) {
    UniqueKey opened;
    if (::RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, opened.put()) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    RawValue value;
    DWORD size = 0;
    std::optional<RawValue> result;
    if (::RegQueryValueExA(opened.get(), name.c_str(), nullptr, &value.type, nullptr, &size) ==
        ERROR_SUCCESS) {
        value.data.resize(size);
        if (::RegQueryValueExA(opened.get(), name.c_str(), nullptr, &value.type,
                               reinterpret_cast<BYTE*>(value.data.data()),
                               &size) == ERROR_SUCCESS) {
            value.data.resize(size);
            result = value;
        }
    }
    return result;
}

inline bool RawKeyExists(HKEY root, const std::string& key) {
    UniqueKey opened;
    return ::RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, opened.put()) == ERROR_SUCCESS;
}

inline void DeleteRawValue(HKEY root, const std::string& key, const std::string& name) {
    ::RegDeleteKeyValueA(root, key.c_str(), name.c_str());
}

inline void DeleteRawTree(HKEY root, const std::string& key) {
    ::RegDeleteTreeA(root, key.c_str());
    ::RegDeleteKeyA(root, key.c_str());
}

// The names of the direct subkeys of a key, in enumeration order.
inline std::string SubkeyNames(HKEY key) {
    std::string names;
    char name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        if (::RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            return names;
        }
        names.append(name, length).append("\n");
    }
}

} // namespace vek::testing
