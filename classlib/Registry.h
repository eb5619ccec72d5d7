#pragma once
// The registry object the program's settings go through: one open key below a root, the value
// forms the settings use, and the class library's error texts naming the value.
#include "classlib/WinHandles.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vek {

class TRegistry {
public:
    explicit TRegistry(HKEY root = HKEY_CURRENT_USER, REGSAM access = KEY_ALL_ACCESS);
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    // Closes the current key and switches the root.
    void SetRootKey(HKEY root);

    // Opens a key (creating it when allowed) and makes it the current key. A path that begins
    // with "\" is taken from the root; any other path from the current key when one is open,
    // else from the root. Returns whether the key is now open.
    bool OpenKey(std::string_view path, bool canCreate);
    void CloseKey();
    bool HasCurrentKey() const { return static_cast<bool>(current_); }

    // Whether a value of that name exists under the current key (false without a key).
    bool ValueExists(std::string_view name) const;

    // REG_SZ or REG_EXPAND_SZ up to the first NUL, unexpanded; empty when missing.
    std::string ReadString(std::string_view name) const;
    void WriteString(std::string_view name, std::string_view value);
    // REG_DWORD only.
    std::int32_t ReadInteger(std::string_view name) const;
    void WriteInteger(std::string_view name, std::int32_t value);
    bool ReadBool(std::string_view name) const;
    void WriteBool(std::string_view name, bool value);
    // REG_BINARY of exactly 8 bytes: the date-time double.
    double ReadDateTime(std::string_view name) const;
    void WriteDateTime(std::string_view name, double value);

    // Deletes a key below the root (or below the current key, as OpenKey resolves paths) with
    // all its subkeys and values. Returns whether the key is gone.
    bool DeleteKey(std::string_view path);
    bool KeyExists(std::string_view path);

private:
    // The key a path is resolved from, and the path without a leading "\".
    HKEY BaseKey(std::string_view& path) const;
    // Queries a value into a fixed buffer; raises "Failed to get data" when that fails.
    DWORD GetData(std::string_view name, void* buffer, DWORD& size) const;
    void PutData(std::string_view name, DWORD type, const void* data, DWORD size);

    HKEY root_;
    REGSAM access_;
    UniqueKey current_;
};

} // namespace vek
