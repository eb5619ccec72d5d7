#include "classlib/Registry.h"

#include "classlib/ClassLibError.h"
#include "classlib/WinHandles.h"
#include "common/DateTime.h"

#include <vector>

namespace vek {
namespace {

std::string Quoted(std::string_view format, std::string_view name) {
    return std::string(format) + " '" + std::string(name) + "'";
}

[[noreturn]] void RaiseInvalidType(std::string_view name) {
    throw ERegistryException(Quoted("Invalid data type for", name));
}

// Deletes every subkey of key, depth first.
void DeleteSubkeys(HKEY key) {
    char name[256];
    for (;;) {
        DWORD length = sizeof name;
        if (::RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            return;
        }
        UniqueKey child;
        if (::RegOpenKeyExA(key, name, 0, KEY_ALL_ACCESS, child.put()) == ERROR_SUCCESS) {
            DeleteSubkeys(child.get());
        }
        child.reset();
        if (::RegDeleteKeyA(key, name) != ERROR_SUCCESS) {
            return;
        }
    }
}

} // namespace

TRegistry::TRegistry(HKEY root, REGSAM access) : root_(root), access_(access) {}

void TRegistry::SetRootKey(HKEY root) {
    CloseKey();
    root_ = root;
}

HKEY TRegistry::BaseKey(std::string_view& path) const {
    if (!path.empty() && path.front() == '\\') {
        path.remove_prefix(1);
        return root_;
    }
    return current_ ? current_.get() : root_;
}

bool TRegistry::OpenKey(std::string_view path, bool canCreate) {
    HKEY base = BaseKey(path);
    const std::string subkey(path);
    UniqueKey opened;
    LONG result;
    if (canCreate) {
        result = ::RegCreateKeyExA(base, subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   access_, nullptr, opened.put(), nullptr);
    } else {
        result = ::RegOpenKeyExA(base, subkey.c_str(), 0, access_, opened.put());
    }
    if (result != ERROR_SUCCESS) {
        return false;
    }
    current_ = std::move(opened);
    return true;
}

void TRegistry::CloseKey() { current_.reset(); }

bool TRegistry::ValueExists(std::string_view name) const {
    if (!current_) {
        return false;
    }
    const std::string value(name);
    return ::RegQueryValueExA(current_.get(), value.c_str(), nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

DWORD TRegistry::GetData(std::string_view name, void* buffer, DWORD& size) const {
    const std::string value(name);
    DWORD type = REG_NONE;
    if (!current_ || ::RegQueryValueExA(current_.get(), value.c_str(), nullptr, &type,
                                        static_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS) {
        throw ERegistryException(Quoted("Failed to get data for", name));
    }
    return type;
}

void TRegistry::PutData(std::string_view name, DWORD type, const void* data, DWORD size) {
    const std::string value(name);
    if (!current_ || ::RegSetValueExA(current_.get(), value.c_str(), 0, type,
                                      static_cast<const BYTE*>(data), size) != ERROR_SUCCESS) {
        throw ERegistryException(Quoted("Failed to set data for", name));
    }
}

std::string TRegistry::ReadString(std::string_view name) const {
    if (!current_) {
        return {};
    }
    const std::string value(name);
    DWORD type = REG_NONE;
    DWORD size = 0;
    // A value without data reads as empty whatever its type; any other data must be a string.
    if (::RegQueryValueExA(current_.get(), value.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS ||
        size == 0) {
        return {};
    }
    std::vector<char> data(size + 1, '\0');
    type = GetData(name, data.data(), size);
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        RaiseInvalidType(name);
    }
    return std::string(data.data());
}

void TRegistry::WriteString(std::string_view name, std::string_view value) {
    const std::string text(value);
    PutData(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

std::int32_t TRegistry::ReadInteger(std::string_view name) const {
    std::int32_t result = 0;
    DWORD size = sizeof result;
    if (GetData(name, &result, size) != REG_DWORD) {
        RaiseInvalidType(name);
    }
    return result;
}

void TRegistry::WriteInteger(std::string_view name, std::int32_t value) {
    PutData(name, REG_DWORD, &value, sizeof value);
}

bool TRegistry::ReadBool(std::string_view name) const { return ReadInteger(name) != 0; }

void TRegistry::WriteBool(std::string_view name, bool value) { WriteInteger(name, value ? 1 : 0); }

double TRegistry::ReadDateTime(std::string_view name) const {
    std::array<std::uint8_t, 8> bytes{};
    DWORD size = bytes.size();
    if (GetData(name, bytes.data(), size) != REG_BINARY || size != bytes.size()) {
        RaiseInvalidType(name);
    }
    return DateTimeFromBytes(bytes);
}

void TRegistry::WriteDateTime(std::string_view name, double value) {
    const auto bytes = DateTimeToBytes(value);
    PutData(name, REG_BINARY, bytes.data(), bytes.size());
}

bool TRegistry::DeleteKey(std::string_view path) {
    HKEY base = BaseKey(path);
    std::string subkey(path);
    while (!subkey.empty() && subkey.back() == '\\') {
        subkey.pop_back();
    }
    UniqueKey key;
    if (::RegOpenKeyExA(base, subkey.c_str(), 0, KEY_ALL_ACCESS, key.put()) == ERROR_SUCCESS) {
        DeleteSubkeys(key.get());
    }
    key.reset();
    return ::RegDeleteKeyA(base, subkey.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::KeyExists(std::string_view path) {
    HKEY base = BaseKey(path);
    const std::string subkey(path);
    UniqueKey key;
    return ::RegOpenKeyExA(base, subkey.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

} // namespace vek
