#pragma once
// Text between the bytes of a code page and UTF-16. The program's own texts are bytes of the
// ANSI code page (CP_ACP).
#include <windows.h>

#include <string>
#include <string_view>

namespace vek {

// Empty when the bytes are empty or the code page cannot convert them.
std::wstring WideFromCodePage(std::string_view bytes, UINT codePage);
// Characters the code page lacks become its default character.
std::string CodePageFromWide(std::wstring_view text, UINT codePage);

} // namespace vek
