// The registry file: keys and typed values in the registry-export text
// syntax, UTF-8.
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Quillmark\Tovanel]
//   "FontName"="David CLM"
//   "Flags"=dword:d1140040
//   "Bookmarks"=hex:1e,00,00,00
//   "Other"=hex(7):41,00,00,00
//
// REG_SZ values are written as quoted strings when their bytes are a clean
// NUL-terminated UTF-16 text, otherwise as hex(1): so every type and every
// byte survives a round trip. "@" names the default (unnamed) value. Lines
// that cannot be read are skipped; a line ending in "\" continues on the next.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plat::registry {

struct Value {
    std::u16string name;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
};

struct Key {
    std::u16string path;  // full path, e.g. HKEY_CURRENT_USER\Software\X
    std::vector<Value> values;
};

struct Document {
    std::vector<Key> keys;
    bool hasHeader = false;
    int unreadableLines = 0;
};

Document Parse(std::string_view text);
std::string Serialize(const Document& document);

// Lookups compare names without regard to letter case.
Key* FindKey(Document& document, std::u16string_view path);
const Key* FindKey(const Document& document, std::u16string_view path);
Key& FindOrAddKey(Document& document, std::u16string_view path);
const Value* FindValue(const Key& key, std::u16string_view name);
void SetValue(Key& key, const Value& value);

// True when the file has content but nothing in it could be read.
bool IsUnreadable(std::string_view text, const Document& document);

// Reads the file; a missing file gives an empty document.
Document Load(const std::string& path);

// One key's changes, applied by Save.
struct Change {
    std::u16string keyPath;
    std::vector<Value> values;
};

// Merges the changes into what the file holds now and writes it back under
// an advisory lock, through a temporary file renamed over the old one. A
// file with nothing readable is first kept aside as path + ".bad". Returns
// false (and leaves the old file whole) when anything fails.
bool Save(const std::string& path, const std::vector<Change>& changes);

namespace testing {
// Makes the next saves stop after writing this many bytes of the temporary
// file, as a full disk would; negative turns it off.
void FailWriteAfter(long bytes);
}  // namespace testing

}  // namespace plat::registry
