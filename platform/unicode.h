// Small UTF-16 helpers shared by the engine, the backends and the tools.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace plat {

std::size_t U16Length(const char16_t* text);  // units before the terminator
// Case-insensitive comparison for ASCII letters (registry names, switches).
bool U16EqualNoCase(std::u16string_view a, std::u16string_view b);
bool U16StartsWithNoCase(std::u16string_view text, std::u16string_view prefix);
// Order without regard to case (ASCII and Latin-1 letters): negative, 0 or
// positive as a sorts before, with or after b.
int U16CompareNoCase(std::u16string_view a, std::u16string_view b);
// Conversions; invalid input becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace plat
