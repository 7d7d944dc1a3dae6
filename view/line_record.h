// The article stream's records are defined with the book's other formats.
#pragma once

#include "format/book_format.h"
