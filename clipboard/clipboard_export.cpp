#include "clipboard/clipboard_export.h"

#include <cstring>

#include "app/app_state.h"
#include "clipboard/export_text.h"
#include "clipboard/rtf_writer.h"
#include "platform/clipboard.h"
#include "platform/memory.h"
#include "platform/unicode.h"
#include "view/article_view.h"

const char16_t kRichTextFormatName[] = u"Rich Text Format";

namespace {

struct ClipboardCopy {
    std::uint8_t* bytes;  // from AllocateOrAbort, or none
    std::uint32_t size;
};

// A copy of the clipboard's data in `format` up to its first zero unit of
// `unit` bytes (1 for 8-bit text, 2 for UTF-16), the zero not copied. Only
// the size the clipboard reports is read.
ClipboardCopy CopyClipboardData(std::uint32_t format, std::uint32_t unit) {
    ClipboardCopy copy{nullptr, 0};
    std::uint32_t size = 0;
    const std::uint8_t* data = plat::GetClipboardData(format, &size);
    if (data == nullptr) return copy;
    std::uint32_t length = 0;
    while (length + unit <= size) {
        bool zero = true;
        for (std::uint32_t k = 0; k < unit; ++k) zero = zero && data[length + k] == 0;
        if (zero) break;
        length += unit;
    }
    if (length == 0) return copy;
    copy.bytes = static_cast<std::uint8_t*>(AllocateOrAbort(length));
    if (copy.bytes != nullptr) {
        std::memcpy(copy.bytes, data, length);
        copy.size = length;
    }
    return copy;
}

// `old` (bytes of UTF-16) followed directly by `text` and a zero, in a
// clipboard block; none when no block was had. *size gets the block's size.
void* JoinedTextBlock(const ClipboardCopy& old, const char16_t* text, std::uint32_t* size) {
    const std::uint64_t textBytes = std::uint64_t(plat::U16Length(text)) * 2;
    const std::uint64_t total = std::uint64_t(old.size) + textBytes + 2;
    *size = 0;
    if (total > 0xFFFFFFFFu) return nullptr;
    auto* block = static_cast<std::uint8_t*>(plat::LocalAlloc(std::uint32_t(total)));
    if (block == nullptr) return nullptr;
    if (old.size > 0) std::memcpy(block, old.bytes, old.size);
    std::memcpy(block + old.size, text, textBytes);
    block[total - 2] = 0;
    block[total - 1] = 0;
    *size = std::uint32_t(total);
    return block;
}

// The Rich Text document in a clipboard block; none when no block was had.
void* RtfBlock(const PreviousRtf& previous, const char16_t* text, std::uint32_t* size) {
    *size = 0;
    const std::uint32_t bodyLength = WriteRtfBody(text, nullptr);
    auto* body = static_cast<char*>(AllocateOrAbort(std::size_t(bodyLength) + 1));
    if (body == nullptr) return nullptr;
    WriteRtfBody(text, body);
    const std::uint64_t length = RtfDocumentLength(previous, bodyLength);
    char* block = length < 0xFFFFFFFFu ? static_cast<char*>(plat::LocalAlloc(std::uint32_t(length + 1)))
                                       : nullptr;
    if (block != nullptr) {
        WriteRtfDocument(block, previous, body, bodyLength);
        *size = std::uint32_t(length + 1);
    }
    plat::Free(body);
    return block;
}

}  // namespace

bool ExportsRichText() { return AppState.Font.FontAsciiBase > 256; }

void PutRtfOnClipboard(const char16_t* text, bool append) {
    const std::uint32_t format = plat::RegisterClipboardFormat(kRichTextFormatName);
    ClipboardCopy oldDocument{nullptr, 0};
    ClipboardCopy oldText{nullptr, 0};
    PreviousRtf previous{nullptr, 0, false};
    if (append && plat::OpenClipboard(nullptr)) {
        oldDocument = CopyClipboardData(format, 1);
        previous = ExaminePreviousRtf(oldDocument.bytes, oldDocument.size);
        if (previous.bytes != nullptr) oldText = CopyClipboardData(CF_UNICODETEXT, 2);
        plat::CloseClipboard();
    }
    if (plat::OpenClipboard(nullptr)) {
        plat::EmptyClipboard();
        std::uint32_t size = 0;
        void* block = RtfBlock(previous, text, &size);
        if (block != nullptr) {
            plat::SetClipboardData(format, block, size);
            void* plain = JoinedTextBlock(oldText, text, &size);
            if (plain != nullptr) plat::SetClipboardData(CF_UNICODETEXT, plain, size);
        }
        plat::CloseClipboard();
    }
    plat::Free(oldDocument.bytes);
    plat::Free(oldText.bytes);
}

void PutTextOnClipboard(const char16_t* text, bool append) {
    ClipboardCopy old{nullptr, 0};
    if (append && plat::OpenClipboard(nullptr)) {
        old = CopyClipboardData(CF_UNICODETEXT, 2);
        plat::CloseClipboard();
    }
    std::uint32_t size = 0;
    void* block = JoinedTextBlock(old, text, &size);
    plat::Free(old.bytes);
    if (plat::OpenClipboard(nullptr)) {
        plat::EmptyClipboard();
        plat::SetClipboardData(CF_UNICODETEXT, block, size);
        plat::CloseClipboard();
    } else {
        plat::LocalFree(block);
    }
}

char16_t* DecodeForExport(const std::uint8_t* stream, std::uint32_t length) {
    const std::uint32_t size = ExportBufferSize(stream, length);
    auto* buffer = static_cast<char16_t*>(AllocateOrAbort(size));
    if (buffer == nullptr) return nullptr;
    const std::uint32_t savedFlags = AppState.Flags;
    if (AppState.Font.FontAsciiBase > 256) AppState.Flags ^= AppFlags::Reverse;
    const int result = DecodeArticleText(stream, length, buffer, size);
    AppState.Flags = savedFlags;
    if (result != 0) {
        plat::Free(buffer);
        return nullptr;
    }
    return buffer;
}

void ExportArticle(ArticleView* view, bool append) {
    if (view == nullptr || view->text == nullptr || view->textLength == 0 || view->text[0] == 0) {
        return;
    }
    char16_t* text = DecodeForExport(view->text, view->textLength);
    if (text == nullptr) return;
    if (ExportsRichText()) {
        PutRtfOnClipboard(text, append);
    } else {
        PutTextOnClipboard(text, append);
    }
    plat::Free(text);
}
