// Registry service: the current user's keys and typed values, kept in one
// file in the registry-export text syntax (see platform/common/registry_file.h).
// Key and value names compare without regard to letter case.
#pragma once

#include <cstdint>
#include <string>

#include "platform/types.h"

namespace plat {

struct RegistryKeyObject;
using RegKey = RegistryKeyObject*;

// Opens an existing key under HKEY_CURRENT_USER for reading.
// ERROR_SUCCESS, or ERROR_FILE_NOT_FOUND when the key does not exist.
std::int32_t RegOpenKey(const char16_t* path, RegKey* key);
// Creates the key if needed and opens it for reading and writing.
std::int32_t RegCreateKey(const char16_t* path, RegKey* key);
// Queries a value. With data null only type and size are returned. With data
// given and *size too small: ERROR_MORE_DATA and *size set to the need.
// Absent value: ERROR_FILE_NOT_FOUND.
std::int32_t RegQueryValue(RegKey key, const char16_t* name, std::uint32_t* type,
                           std::uint8_t* data, std::uint32_t* size);
// Sets a value of any type. Changes reach the file when the key is closed
// (or, while writes are collected, when they are committed). A name that
// cannot be written on one line is ERROR_INVALID_PARAMETER.
std::int32_t RegSetValue(RegKey key, const char16_t* name, std::uint32_t type,
                         const std::uint8_t* data, std::uint32_t size);
// Closes the key; a key opened for writing with changes is saved now (merged
// into the file under a lock, through a temporary file and a rename), or
// added to the collected writes.
std::int32_t RegCloseKey(RegKey key);

// Reads share one parse of the file for as long as the file is unchanged on
// disk. Between RegBeginWrites and RegCommitWrites the changes of every
// closed key are collected (and seen by reads) instead of being saved one
// by one; the commit saves them all at once: one lock, one temporary file,
// one rename, so the file holds either all of them or none.
void RegBeginWrites();
// ERROR_SUCCESS, or a failure whose reason goes to *reason (when given) and
// to stderr with the file's name. Ends the collecting either way.
std::int32_t RegCommitWrites(std::string* reason = nullptr);

// The file in use: $TOVANEL_REGISTRY, else $XDG_CONFIG_HOME/Quillmark/registry.reg
// (~/.config when XDG_CONFIG_HOME is unset). Returned as UTF-8.
const char* RegistryFilePath();

}  // namespace plat
