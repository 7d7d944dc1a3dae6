// The index stream's records are defined with the book's other formats.
#pragma once

#include "format/index_stream.h"
