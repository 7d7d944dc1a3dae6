// The addresses the program hands to the desktop's browser: the maker's home
// page and the update query, which names the product and its version.
#pragma once

#include <cstddef>

#include "resources/version.h"

// The update query is built in a buffer of this many UTF-16 units.
constexpr std::size_t kUpdateUrlCapacity = 200;

// The maker's web server (a build option) and what the query names.
const char16_t* MakerHost();
const char16_t* HomePageUrl();       // "http://" + host + "/"
extern const char16_t kProductPath[];  // maker, a slash and the book's title
inline constexpr char16_t kVersion[] = TOVANEL_VERSION_TEXT;

// Appends one unit of a query value: a space as "+", digits, ASCII letters,
// "." and "/" as they are, anything else as "%" and at least two upper-case
// hex digits. Returns the units written, or 0 when they do not fit in
// `room` (terminator not counted).
std::size_t AppendQueryUnit(char16_t unit, char16_t* out, std::size_t room);

// Writes "http://HOST/cgi-bin/upgrade?p=arm/ENCODED-PATH&v=VERSION" and a
// terminator into out (cleared first). Returns the length, or 0 when the
// address does not fit in `capacity` units (out is then left empty, so a
// cut-off query is never opened).
std::size_t BuildUpdateUrl(const char16_t* host, const char16_t* productPath,
                           const char16_t* version, char16_t* out, std::size_t capacity);
