#include "about/update_url.h"

#include <cstdio>
#include <string>

#include "platform/unicode.h"

#ifndef TOVANEL_MAKER_HOST
#define TOVANEL_MAKER_HOST "www.quillmark.example"
#endif

const char16_t kProductPath[] = u"Quillmark/Tovanel";

namespace {

const std::u16string& Host() {
    static const std::u16string host = plat::Utf8ToUtf16(TOVANEL_MAKER_HOST);
    return host;
}

bool Unreserved(char16_t unit) {
    return (unit >= u'0' && unit <= u'9') || (unit >= u'A' && unit <= u'Z') ||
           (unit >= u'a' && unit <= u'z') || unit == u'.' || unit == u'/';
}

// Appends text when it fits; returns false (and writes nothing) otherwise.
bool Append(const char16_t* text, char16_t* out, std::size_t capacity, std::size_t* length) {
    std::size_t n = plat::U16Length(text);
    if (*length + n >= capacity) return false;
    for (std::size_t i = 0; i < n; ++i) out[*length + i] = text[i];
    *length += n;
    return true;
}

}  // namespace

const char16_t* MakerHost() { return Host().c_str(); }

const char16_t* HomePageUrl() {
    static const std::u16string url = u"http://" + Host() + u"/";
    return url.c_str();
}

std::size_t AppendQueryUnit(char16_t unit, char16_t* out, std::size_t room) {
    if (unit == u' ' || Unreserved(unit)) {
        if (room < 1) return 0;
        out[0] = unit == u' ' ? u'+' : unit;
        return 1;
    }
    char hex[8];
    int n = std::snprintf(hex, sizeof hex, "%%%.2X", unsigned(unit));
    if (n <= 0 || std::size_t(n) > room) return 0;
    for (int i = 0; i < n; ++i) out[i] = char16_t(hex[i]);
    return std::size_t(n);
}

std::size_t BuildUpdateUrl(const char16_t* host, const char16_t* productPath,
                           const char16_t* version, char16_t* out, std::size_t capacity) {
    if (out == nullptr || capacity == 0) return 0;
    for (std::size_t i = 0; i < capacity; ++i) out[i] = 0;
    std::size_t length = 0;
    bool fits = Append(u"http://", out, capacity, &length) &&
                Append(host != nullptr ? host : u"", out, capacity, &length) &&
                Append(u"/cgi-bin/upgrade?p=arm/", out, capacity, &length);
    for (const char16_t* p = productPath; fits && p != nullptr && *p != 0; ++p) {
        std::size_t n = AppendQueryUnit(*p, out + length, capacity - 1 - length);
        fits = n != 0;
        length += n;
    }
    fits = fits && Append(u"&v=", out, capacity, &length) &&
           Append(version != nullptr ? version : u"", out, capacity, &length);
    if (!fits) {
        for (std::size_t i = 0; i < capacity; ++i) out[i] = 0;
        return 0;
    }
    out[length] = 0;
    return length;
}
