// Registry keys over the registry file. A key opened for reading sees the
// file as it was when opened; a key opened for writing collects its changes
// and saves them, merged with the file's current content, when closed.
#include "platform/registry.h"

#include <cstdlib>
#include <string>

#include "platform/common/registry_file.h"
#include "platform/unicode.h"

namespace plat {

struct RegistryKeyObject {
    std::u16string path;
    bool writable = false;
    registry::Key snapshot;              // values as read at open
    std::vector<registry::Value> changes;
};

namespace {

const std::u16string kRoot = u"HKEY_CURRENT_USER\\";

std::string g_pathStorage;

std::u16string FullPath(const char16_t* path) { return kRoot + std::u16string(path); }

bool ValidPath(const char16_t* path) { return path != nullptr && path[0] != 0; }

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
    registry::Document document = registry::Load(RegistryFilePath());
    const registry::Key* found = registry::FindKey(document, FullPath(path));
    if (found == nullptr) return ERROR_FILE_NOT_FOUND;
    *key = new RegistryKeyObject{FullPath(path), false, *found, {}};
    return ERROR_SUCCESS;
}

std::int32_t RegCreateKey(const char16_t* path, RegKey* key) {
    if (key == nullptr) return ERROR_INVALID_PARAMETER;
    *key = nullptr;
    if (!ValidPath(path)) return ERROR_INVALID_PARAMETER;
    registry::Document document = registry::Load(RegistryFilePath());
    registry::Key snapshot{FullPath(path), {}};
    if (const registry::Key* found = registry::FindKey(document, snapshot.path)) {
        snapshot = *found;
    }
    *key = new RegistryKeyObject{snapshot.path, true, snapshot, {}};
    return ERROR_SUCCESS;
}

std::int32_t RegQueryValue(RegKey key, const char16_t* name, std::uint32_t* type,
                           std::uint8_t* data, std::uint32_t* size) {
    if (key == nullptr) return ERROR_INVALID_HANDLE;
    const registry::Value* value = registry::FindValue(key->snapshot, name ? name : u"");
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
    registry::Value value{name ? std::u16string(name) : std::u16string(), type,
                          std::vector<std::uint8_t>(data, data + size)};
    registry::SetValue(key->snapshot, value);
    for (registry::Value& change : key->changes) {
        if (U16EqualNoCase(change.name, value.name)) {
            change = value;
            return ERROR_SUCCESS;
        }
    }
    key->changes.push_back(value);
    return ERROR_SUCCESS;
}

std::int32_t RegCloseKey(RegKey key) {
    if (key == nullptr) return ERROR_INVALID_HANDLE;
    std::int32_t result = ERROR_SUCCESS;
    if (key->writable) {
        std::vector<registry::Change> changes{{key->path, key->changes}};
        if (!registry::Save(RegistryFilePath(), changes)) result = ERROR_ACCESS_DENIED;
    }
    delete key;
    return result;
}

}  // namespace plat
