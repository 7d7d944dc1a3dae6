// Resource service: the program's embedded resources, found by type and
// 16-bit id in a module. Resource bytes live for the whole run and are never
// written.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/types.h"

namespace plat {

struct ResourceEntry {
    std::uint16_t type;  // RT_RCDATA, RT_BITMAP, RT_DIALOG, ...
    std::uint16_t id;
    const void* data;    // bytes, or the typed record for structured kinds
    std::uint32_t size;  // byte size of data
};

struct ResourceTable {
    const ResourceEntry* entries = nullptr;
    std::size_t count = 0;
};

// A module: the program's own resource tables (user interface and book).
// Lookups search the tables in order; the first match wins.
struct Module {
    static constexpr int kMaxTables = 4;
    ResourceTable tables[kMaxTables];
    int tableCount = 0;
};

// Adds a table to a module; returns false when the module is full.
bool AddResourceTable(Module* module, const ResourceTable& table);

struct ResourceData {
    bool found = false;
    const std::uint8_t* bytes = nullptr;
    std::uint32_t size = 0;
};

// Finds a resource; an absent id (or a null module) gives found = false.
ResourceData FindResourceData(const Module* module, std::uint16_t type, std::uint16_t id);

// Typed access for structured kinds (dialog templates, menus, bitmaps);
// nullptr when absent.
const void* FindResourceObject(const Module* module, std::uint16_t type, std::uint16_t id);

}  // namespace plat
