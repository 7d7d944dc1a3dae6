// What each backend supplies to the shared platform code.
#pragma once

#include "platform/time.h"

namespace plat::backend {
// The real local date of the machine.
LocalDate LocalDateNow();
// The real zone's Windows-style standard-time name; false when unknown.
bool ZoneStandardName(char16_t name[32]);
}  // namespace plat::backend
