// Registry keys over the registry file. Reads share one parse of the file
// while it is unchanged on disk; a key opened for reading sees the file as
// it was when opened. A key opened for writing collects its changes and
// saves them, merged with the file's current content, when closed, unless
// writes are being collected for one save.
#include "platform/registry.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/common/registry_file.h"
#include "platform/unicode.h"

namespace plat {

struct RegistryKeyObject {
    std::u16string path;
    bool writable = false;
    std::shared_ptr<const registry::Document> document;  // the file as read at open
    std::vector<registry::Value> changes;
};

namespace {

const std::u16string kRoot = u"HKEY_CURRENT_USER\\";

std::string g_pathStorage;

struct ReadCache {
    std::string path;
    registry::Snapshot snapshot;
};
ReadCache g_cache;

struct CollectedWrites {
    bool active = false;
    registry::Document changes;  // only the values written
};
CollectedWrites g_writes;

std::u16string FullPath(const char16_t* path) { return kRoot + std::u16string(path); }

bool ValidPath(const char16_t* path) {
    return path != nullptr && path[0] != 0 && registry::IsWritableName(path);
}

// The file's content, parsed again only when the file changed on disk.
std::shared_ptr<const registry::Document> CurrentDocument() {
    std::string path = RegistryFilePath();
    if (g_cache.path != path || !registry::IsCurrent(g_cache.snapshot, path)) {
        g_cache.path = path;
        g_cache.snapshot = registry::LoadSnapshot(path);
    }
    return g_cache.snapshot.document;
}

const registry::Value* FindIn(const std::vector<registry::Value>& values, std::u16string_view name) {
    for (const registry::Value& value : values) {
        if (U16EqualNoCase(value.name, name)) return &value;
    }
    return nullptr;
}

// What a key shows for a value: its own unsaved changes, then the collected
// writes, then the file.
const registry::Value* LookUp(const RegistryKeyObject& key, std::u16string_view name) {
    if (const registry::Value* own = FindIn(key.changes, name)) return own;
    if (g_writes.active) {
        if (const registry::Key* collected = registry::FindKey(g_writes.changes, key.path)) {
            if (const registry::Value* value = registry::FindValue(*collected, name)) return value;
        }
    }
    if (const registry::Key* stored = registry::FindKey(*key.document, key.path)) {
        return registry::FindValue(*stored, name);
    }
    return nullptr;
}

bool KeyExists(const std::shared_ptr<const registry::Document>& document,
               const std::u16string& path) {
    if (registry::FindKey(*document, path) != nullptr) return true;
    return g_writes.active && registry::FindKey(g_writes.changes, path) != nullptr;
}

bool SaveNow(const std::vector<registry::Change>& changes, std::string* reason) {
    std::string path = RegistryFilePath();
    if (g_cache.path != path) {
        g_cache.path = path;
        g_cache.snapshot = registry::Snapshot{};
    }
    std::string error;
    if (registry::Save(path, changes, &error, &g_cache.snapshot)) return true;
    std::fprintf(stderr, "tovanel: the settings could not be saved to %s: %s\n", path.c_str(),
                 error.c_str());
    if (reason != nullptr) *reason = error;
    return false;
}

}  // namespace

const char* RegistryFilePath() {
    if (const char* forced = std::getenv("TOVANEL_REGISTRY"); forced != nullptr && *forced) {
        g_pathStorage = forced;
    } else if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config) {
        g_pathStorage = std::string(config) + "/Quillmark/registry.reg";
    } else {
        const char* home = std::getenv("HOME");
        g_pathStorage = std::string(home != nullptr ? home : ".") + "/.config/Quillmark/registry.reg";
    }
    return g_pathStorage.c_str();
}

std::int32_t RegOpenKey(const char16_t* path, RegKey* key) {
    if (key == nullptr) return ERROR_INVALID_PARAMETER;
    *key = nullptr;
    if (!ValidPath(path)) return ERROR_INVALID_PARAMETER;
    auto document = CurrentDocument();
    std::u16string full = FullPath(path);
    if (!KeyExists(document, full)) return ERROR_FILE_NOT_FOUND;
    *key = new RegistryKeyObject{full, false, std::move(document), {}};
    return ERROR_SUCCESS;
}

std::int32_t RegCreateKey(const char16_t* path, RegKey* key) {
    if (key == nullptr) return ERROR_INVALID_PARAMETER;
    *key = nullptr;
    if (!ValidPath(path)) return ERROR_INVALID_PARAMETER;
    *key = new RegistryKeyObject{FullPath(path), true, CurrentDocument(), {}};
    return ERROR_SUCCESS;
}

std::int32_t RegQueryValue(RegKey key, const char16_t* name, std::uint32_t* type,
                           std::uint8_t* data, std::uint32_t* size) {
    if (key == nullptr) return ERROR_INVALID_HANDLE;
    const registry::Value* value = LookUp(*key, name ? name : u"");
    if (value == nullptr) return ERROR_FILE_NOT_FOUND;
    if (type != nullptr) *type = value->type;
    std::uint32_t needed = std::uint32_t(value->data.size());
    if (data == nullptr) {
        if (size != nullptr) *size = needed;
        return ERROR_SUCCESS;
    }
    if (size == nullptr) return ERROR_INVALID_PARAMETER;
    if (*size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    for (std::uint32_t i = 0; i < needed; ++i) data[i] = value->data[i];
    *size = needed;
    return ERROR_SUCCESS;
}

std::int32_t RegSetValue(RegKey key, const char16_t* name, std::uint32_t type,
                         const std::uint8_t* data, std::uint32_t size) {
    if (key == nullptr) return ERROR_INVALID_HANDLE;
    if (!key->writable) return ERROR_ACCESS_DENIED;
    if (data == nullptr && size != 0) return ERROR_INVALID_PARAMETER;
    if (name != nullptr && !registry::IsWritableName(name)) return ERROR_INVALID_PARAMETER;
    registry::Value value{name ? std::u16string(name) : std::u16string(), type,
                          std::vector<std::uint8_t>(data, data + size)};
    for (registry::Value& change : key->changes) {
        if (U16EqualNoCase(change.name, value.name)) {
            change = std::move(value);
            return ERROR_SUCCESS;
        }
    }
    key->changes.push_back(std::move(value));
    return ERROR_SUCCESS;
}

std::int32_t RegCloseKey(RegKey key) {
    if (key == nullptr) return ERROR_INVALID_HANDLE;
    std::int32_t result = ERROR_SUCCESS;
    if (key->writable && g_writes.active) {
        registry::Key& collected = registry::FindOrAddKey(g_writes.changes, key->path);
        for (const registry::Value& value : key->changes) registry::SetValue(collected, value);
    } else if (key->writable) {
        std::vector<registry::Change> changes{{key->path, key->changes}};
        if (!SaveNow(changes, nullptr)) result = ERROR_ACCESS_DENIED;
    }
    delete key;
    return result;
}

void RegBeginWrites() {
    g_writes = CollectedWrites{};
    g_writes.active = true;
}

std::int32_t RegCommitWrites(std::string* reason) {
    if (!g_writes.active) return ERROR_SUCCESS;
    std::vector<registry::Change> changes;
    for (registry::Key& key : g_writes.changes.keys) {
        changes.push_back(registry::Change{key.path, std::move(key.values)});
    }
    g_writes = CollectedWrites{};
    if (changes.empty()) return ERROR_SUCCESS;
    return SaveNow(changes, reason) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

}  // namespace plat
