#include "store/article_store.h"

#include "app/app_state.h"
#include "platform/memory.h"
#include "platform/resources.h"
#include "platform/types.h"
#include "platform/window.h"
#include "store/palmdoc.h"

namespace {

// OpenContainer is handed the container from its compressed length on.
constexpr std::size_t kCompressedAt = 0;
constexpr std::size_t kTextLengthAt = kContainerTextLengthAt - kContainerCompressedAt;
constexpr std::size_t kStreamAt = kContainerStreamAt - kContainerCompressedAt;

inline void SetCode(int* errorCode, int code) {
    if (errorCode != nullptr) {
        *errorCode = code;
    }
}

}  // namespace

std::uint8_t* LoadArticle(int lesson, int* errorCode, std::uint32_t* bufferLength) {
    if (lesson < 1) {
        return nullptr;
    }
    const int id = kArticleResourceBase + lesson;
    if (id > 0xFFFF) {
        SetCode(errorCode, ArticleError::NotFound);
        return nullptr;
    }
    const plat::ResourceData resource =
        plat::FindResourceData(AppState.Instance, RT_RCDATA, std::uint16_t(id));
    if (!resource.found) {
        SetCode(errorCode, ArticleError::NotFound);
        return nullptr;
    }
    if (resource.size == 0 || resource.bytes == nullptr) {
        SetCode(errorCode, ArticleError::CannotLoad);
        return nullptr;
    }
    // The header must be there, and the remainder it announces must be
    // inside the resource.
    if (resource.size < kContainerLeadSize) {
        SetCode(errorCode, ArticleError::BadContainer);
        return nullptr;
    }
    const std::uint32_t remainder = ReadBig16(resource.bytes + kContainerRemainderAt);
    if (remainder > resource.size - kContainerLeadSize) {
        SetCode(errorCode, ArticleError::BadContainer);
        return nullptr;
    }
    std::uint8_t* text = OpenContainer(resource.bytes + kContainerCompressedAt, remainder, errorCode);
    if (text != nullptr && bufferLength != nullptr) {
        *bufferLength = ReadBig16(resource.bytes + kContainerTextLengthAt) + 2;
    }
    return text;
}

std::uint8_t* OpenContainer(const std::uint8_t* bytes, std::uint32_t remainderLength, int* errorCode) {
    if (remainderLength < kContainerMinRemainder || bytes == nullptr) {
        SetCode(errorCode, ArticleError::BadContainer);
        return nullptr;
    }
    const std::uint32_t compressed = ReadBig16(bytes + kCompressedAt);
    // The stream must lie inside the remainder, after the two lengths.
    if (compressed == 0 || compressed > remainderLength - kStreamAt) {
        SetCode(errorCode, ArticleError::BadContainer);
        return nullptr;
    }
    CompressedBlock block;
    block.input = bytes + kStreamAt;
    block.inputLength = compressed;
    block.outputLength = ReadBig16(bytes + kTextLengthAt);
    return UnCompress(&block, errorCode);
}

std::uint8_t* UnCompress(const CompressedBlock* block, int* errorCode) {
    if (block == nullptr || block->outputLength == 0 || block->input == nullptr) {
        SetCode(errorCode, ArticleError::BadBlock);
        return nullptr;
    }
    const std::size_t textLength = block->outputLength;
    auto* text = static_cast<std::uint8_t*>(plat::Allocate(textLength + 2));
    if (text == nullptr) {
        SetCode(errorCode, ArticleError::CannotLoad);
        return nullptr;
    }
    const PalmDocDecodeResult result = PalmDocDecode(block->input, block->inputLength, text, textLength);
    if (result.status != PalmDocStatus::Complete) {
        plat::Free(text);
        plat::MessageBox(nullptr, u"UnCompress() buffer error!", nullptr, MB_OK);
        SetCode(errorCode, ArticleError::BufferError);
        return nullptr;
    }
    text[textLength] = 0;
    text[textLength + 1] = 0;
    return text;
}
