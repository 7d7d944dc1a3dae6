// Copy and Append to ClipBoard: the whole article shown in the view goes to
// the clipboard as a right-to-left Rich Text document when the font's
// Hebrew letters are the Unicode ones (letter base above 256), else as
// Unicode text. Append joins it to what the clipboard holds.
#pragma once

#include <cstdint>

struct ArticleView;

// Name of the registered clipboard format of Rich Text.
extern const char16_t kRichTextFormatName[];

// Exports the view's article; append false for Copy, true for Append to
// ClipBoard. Does nothing without a view or article text.
void ExportArticle(ArticleView* view, bool append);

// True when exports are Rich Text: the font's letter base is above 256.
bool ExportsRichText();

// The decoded text of an export (zero-terminated UTF-16, a block from
// AllocateOrAbort that the caller frees with plat::Free), or none when the
// text does not fit or memory ran out. With the Unicode Hebrew letters
// (letter base above 256) the Reverse flag is inverted while decoding, so
// the article comes out in reading order when the display shows it in
// storage order.
char16_t* DecodeForExport(const std::uint8_t* stream, std::uint32_t length);

// Puts the text on the clipboard as a Rich Text document, joined to the
// Rich Text there when appending; alongside it, the same text as Unicode
// text (joined to the clipboard's Unicode text when a document was joined).
void PutRtfOnClipboard(const char16_t* text, bool append);

// Puts the text on the clipboard as Unicode text, directly after the
// clipboard's Unicode text when appending.
void PutTextOnClipboard(const char16_t* text, bool append);
