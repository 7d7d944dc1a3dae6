// The book's resources, generated at build time by the book compiler from
// the book folder (TOVANEL_BOOK_DIR): RT_RCDATA resources 1001-1262, one per
// lesson, and 32767, the index, each an article container.
#pragma once

#include "platform/resources.h"

const plat::ResourceTable& BookResourceTable();
