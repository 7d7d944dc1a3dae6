#include "platform/resources.h"

namespace plat {

bool AddResourceTable(Module* module, const ResourceTable& table) {
    if (module == nullptr || module->tableCount >= Module::kMaxTables) {
        return false;
    }
    module->tables[module->tableCount++] = table;
    return true;
}

static const ResourceEntry* FindEntry(const Module* module, std::uint16_t type, std::uint16_t id) {
    if (module == nullptr) {
        return nullptr;
    }
    for (int t = 0; t < module->tableCount; ++t) {
        const ResourceTable& table = module->tables[t];
        for (std::size_t i = 0; i < table.count; ++i) {
            const ResourceEntry& entry = table.entries[i];
            if (entry.type == type && entry.id == id) {
                return &entry;
            }
        }
    }
    return nullptr;
}

ResourceData FindResourceData(const Module* module, std::uint16_t type, std::uint16_t id) {
    ResourceData result;
    if (const ResourceEntry* entry = FindEntry(module, type, id)) {
        result.found = true;
        result.bytes = static_cast<const std::uint8_t*>(entry->data);
        result.size = entry->data == nullptr ? 0 : entry->size;
    }
    return result;
}

const void* FindResourceObject(const Module* module, std::uint16_t type, std::uint16_t id) {
    const ResourceEntry* entry = FindEntry(module, type, id);
    return entry == nullptr ? nullptr : entry->data;
}

}  // namespace plat
