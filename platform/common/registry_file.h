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
// NUL-terminated UTF-16 text that fits on one line, otherwise as hex(1): so
// every type and every byte survives a round trip. "@" names the default
// (unnamed) value. A line ending in "\" continues on the next. Comments and
// lines that cannot be read are kept as they were written, in their place,
// and written back unchanged; so is a key header that cannot be read, with
// every line below it up to the next header.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace plat::registry {

struct Value {
    std::u16string name;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
};

// A line kept verbatim (without its final "\n"; a continued line keeps its
// inner line breaks). It is written just before the value at `before`;
// values.size() places it after the last value.
struct KeptLine {
    std::size_t before = 0;
    std::string text;
};

// Positions by case-folded name, brought up to date on lookup.
struct NameIndex {
    std::unordered_map<std::u16string, std::size_t> positions;
    std::size_t covered = 0;
};

struct Key {
    std::u16string path;  // full path, e.g. HKEY_CURRENT_USER\Software\X
    std::vector<Value> values;
    std::vector<KeptLine> keptLines;  // in file order
    // Not empty: a header that could not be read, written back as it was.
    // Such a key is never found by path and holds only kept lines.
    std::string keptHeader;
    mutable NameIndex index;
};

struct Document {
    std::vector<KeptLine> preamble;  // kept lines before the first key
    std::vector<Key> keys;
    bool hasHeader = false;
    int unreadableLines = 0;
    mutable NameIndex index;
};

Document Parse(std::string_view text);
std::string Serialize(const Document& document);

// Lookups compare names without regard to letter case; each costs constant
// time on average, so reading or building a document is linear in its size.
Key* FindKey(Document& document, std::u16string_view path);
const Key* FindKey(const Document& document, std::u16string_view path);
Key& FindOrAddKey(Document& document, std::u16string_view path);
const Value* FindValue(const Key& key, std::u16string_view name);
void SetValue(Key& key, const Value& value);
void SetValue(Key& key, Value&& value);

// Whether a name or key path can be written into the file and read back:
// one line of valid text.
bool IsWritableName(std::u16string_view name);

// True when the file had lines but nothing in it could be read.
bool IsUnreadable(const Document& document);

// What identifies one version of the file on disk.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t modifiedNs = 0;
    bool operator==(const FileStamp&) const = default;
};

// A document as read from the file, and which version of the file it is.
struct Snapshot {
    std::shared_ptr<const Document> document;
    FileStamp stamp;
    std::size_t textHash = 0;  // of the text the document was read from
    std::int64_t readAtNs = 0;  // when, on the clock file times use
    bool readable = true;  // false: the file exists but could not be read
    std::string error;     // why, when not readable
};

// Whether the file still holds what the snapshot was read from. The stamp
// decides, except for a file changed so shortly before it was read that a
// later change could keep the same stamp (file times are coarse): its text
// is then read again and compared.
bool IsCurrent(const Snapshot& snapshot, const std::string& path);

// Reads the file (through symbolic links); a missing file gives an empty
// document.
Snapshot LoadSnapshot(const std::string& path);
Document Load(const std::string& path);
FileStamp StampOf(const std::string& path);

// One key's changes, applied by Save.
struct Change {
    std::u16string keyPath;
    std::vector<Value> values;
};

// Merges the changes into what the file holds now and writes it back under
// an advisory lock, through one temporary file renamed over the old one,
// keeping the file's permissions (a new file gets 0600). A symbolic link is
// followed and its target written. A file with nothing readable is first
// kept aside as a numbered backup (path.bad, path.bad.1, ...). A file that
// exists but cannot be read is never replaced. Temporary files left by
// saves of processes that no longer run are removed.
//
// When `cache` holds the file's current version it is used instead of
// reading the file again; after a successful save it holds what was
// written. Returns false, with the reason in *error, when anything fails;
// the old file is then left whole.
bool Save(const std::string& path, const std::vector<Change>& changes, std::string* error = nullptr,
          Snapshot* cache = nullptr);

namespace testing {
// Makes the next saves stop after writing this many bytes of the temporary
// file, as a full disk would; negative turns it off.
void FailWriteAfter(long bytes);
// How many times a file's text was parsed, and files written, so far.
long ParseCount();
long WriteCount();
}  // namespace testing

}  // namespace plat::registry
