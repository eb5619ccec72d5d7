#include "servicecontrol/SPGetSid.h"

#include "classlib/Seams.h"

#include <cstdio>

namespace vek {
namespace {

// The largest text of one sub-authority ("-4294967295" and room to spare) and of the rest
// ("S-1-", the authority in its "0x" form, the NUL).
constexpr DWORD kCharactersPerSubAuthority = 12;
constexpr DWORD kCharactersBesideSubAuthorities = 28;

// A zero-filled block of the process heap.
class HeapBlock {
public:
    explicit HeapBlock(DWORD size)
        : block_(::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, size)) {}
    ~HeapBlock() {
        if (block_ != nullptr) {
            ::HeapFree(::GetProcessHeap(), 0, block_);
        }
    }
    HeapBlock(const HeapBlock&) = delete;
    HeapBlock& operator=(const HeapBlock&) = delete;
    void* get() const { return block_; }

private:
    void* block_;
};

// The identifier authority: in hexadecimal when either of its two high bytes is set, else its
// low four bytes as one big-endian number in decimal.
int WriteAuthority(const SID_IDENTIFIER_AUTHORITY& authority, char* out, std::size_t room) {
    const BYTE* v = authority.Value;
    if (v[0] != 0 || v[1] != 0) {
        return std::snprintf(out, room, "0x%02X%02X%02X%02X%02X%02X", v[0], v[1], v[2], v[3], v[4],
                             v[5]);
    }
    const unsigned long value = (static_cast<unsigned long>(v[2]) << 24) |
                                (static_cast<unsigned long>(v[3]) << 16) |
                                (static_cast<unsigned long>(v[4]) << 8) | v[5];
    return std::snprintf(out, room, "%lu", value);
}

} // namespace

bool SidToText(PSID sid, char* buffer, DWORD& size) {
    if (!::IsValidSid(sid)) {
        return false;
    }
    const SID_IDENTIFIER_AUTHORITY& authority = *::GetSidIdentifierAuthority(sid);
    const DWORD count = *::GetSidSubAuthorityCount(sid);
    const DWORD needed = kCharactersPerSubAuthority * count + kCharactersBesideSubAuthorities;
    if (needed > size) {
        size = needed;
        ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return false;
    }
    // The needed size bounds the text, so every write below fits.
    std::size_t used = std::snprintf(buffer, size, "S-1-");
    used += WriteAuthority(authority, buffer + used, size - used);
    for (DWORD i = 0; i < count; ++i) {
        used += std::snprintf(buffer + used, size - used, "-%lu",
                              static_cast<unsigned long>(*::GetSidSubAuthority(sid, i)));
    }
    return true;
}

bool GetTokenUserSidText(HANDLE token, char* buffer, DWORD& size) {
    seams::ITokenApi& tokens = seams::Token();
    DWORD length = 0;
    if (!tokens.GetTokenInformation(token, TokenUser, nullptr, 0, &length) &&
        ::GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        return false;
    }
    HeapBlock block(length);
    if (block.get() == nullptr) {
        return false;
    }
    if (!tokens.GetTokenInformation(token, TokenUser, block.get(), length, &length)) {
        return false;
    }
    return SidToText(static_cast<TOKEN_USER*>(block.get())->User.Sid, buffer, size);
}

std::string GetCurrentUserSid() {
    seams::ITokenApi& tokens = seams::Token();
    seams::SeamToken token;
    if (!tokens.OpenThreadToken(TOKEN_QUERY, TRUE, token.put())) {
        if (::GetLastError() != ERROR_NO_TOKEN ||
            !tokens.OpenProcessToken(TOKEN_QUERY, token.put())) {
            return {};
        }
    }
    char buffer[kSidTextBufferSize] = {};
    DWORD size = kSidTextBufferSize;
    if (!GetTokenUserSidText(token.get(), buffer, size)) {
        return {};
    }
    return buffer;
}

} // namespace vek
