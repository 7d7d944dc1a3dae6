// Readable listings of decompressed article and index streams, for people
// who check what the reader will show (tovanel-cli dump) and for tests.
// Text is given in reading order: right-to-left text, stored in visual
// order, is turned back, with runs of Latin words and numbers kept in their
// own order, and the Hebrew letter codes become Unicode letters (UTF-8).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Stored 8-bit text to UTF-8. With rightToLeft the bytes are in visual order
// and use the Hebrew letter code; without it they are Latin-1.
std::string StoredTextToReadingOrder(const std::uint8_t* bytes, std::size_t count, bool rightToLeft);

// One line per LineRecord: offset, flag and layout bytes in hex, then the
// kind (text, title, subtitle, rule, link, empty) with its attributes and,
// after ": ", the text. Reads no further than `length` bytes.
std::string DescribeArticleStream(const std::uint8_t* text, std::size_t length);

// One line per IndexRecord: offset, id, flags and level in hex, then the
// kind (section, article, entry) with its number and attributes and, after
// ": ", the text indented two spaces per level.
std::string DescribeIndexStream(const std::uint8_t* data, std::size_t length);

// The listing of one lesson of AppState.Instance (the index as lesson
// 31767): a header line with its sizes, then the records. The stream is
// checked before it is loaded, so a damaged one gives no message box. False,
// with a one-line reason in *error, when the lesson does not load.
bool DescribeLesson(int lesson, std::string* listing, std::string* error);
