// Search patterns given on the command line.
#pragma once

#include <cstdint>
#include <string>

// Turns a UTF-8 pattern into stored codes: Hebrew letters U+05D0..U+05EA
// become 0x61..0x7B, printable ASCII characters (the space and the
// wildcards "?" and "*" among them) stand for their own byte. A pattern in
// reading order (visual false) is put into the order a right-to-left line
// is stored in: reversed, with Latin words and numbers in their own order
// and brackets outside them mirrored. False,
// with a one-line reason in *error, for an empty pattern, one longer than
// 33 codes or a character outside that set.
bool ParseSearchPattern(const std::string& utf8, bool visual, std::string* codes,
                        std::string* error);
