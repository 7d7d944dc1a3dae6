// Hand-built index streams and an index view on a headless image context.
//
// Text uses letter base 97, so stored bytes are drawn as they are: at pixel
// height 16 the narrow characters (space, i, l, j) are 4 wide, m and w 12,
// the others 8. Bold adds 1; the large bold heading type is 20 high.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "index/index_view.h"
#include "platform/gdi.h"
#include "platform/headless/headless.h"
#include "platform/memory.h"
#include "resources/ui_resources.h"

namespace indextest {

constexpr std::uint8_t kShown = kVisibleBit | 1;
constexpr std::uint8_t kHidden = 1;
constexpr std::uint8_t kOpen = kVisibleBit | kExpandedBit | 1;
constexpr std::uint8_t kClosed = kVisibleBit | 1;

inline std::uint16_t Section(int key) { return std::uint16_t(kSectionBit | key); }
inline std::uint16_t Article(int lesson) { return std::uint16_t(kArticleBit | lesson); }

// Text in reading order, stored reversed (display order) as the book does.
inline std::string Stored(const std::string& reading) {
    return std::string(reading.rbegin(), reading.rend());
}

class IndexStream {
public:
    IndexStream& Record(std::uint16_t id, std::uint8_t flags, std::uint8_t level,
                        const std::string& reading) {
        const std::string text = Stored(reading);
        bytes_.push_back(std::uint8_t(id & 0xFF));
        bytes_.push_back(std::uint8_t(id >> 8));
        bytes_.push_back(flags);
        bytes_.push_back(level);
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        bytes_.push_back(0);
        return *this;
    }
    // The records and the five zero bytes that end a stream.
    std::vector<std::uint8_t> Bytes() const {
        std::vector<std::uint8_t> out = bytes_;
        out.insert(out.end(), 5, 0);
        return out;
    }

private:
    std::vector<std::uint8_t> bytes_;
};

inline std::uint8_t* Owned(const std::vector<std::uint8_t>& bytes) {
    auto* block = static_cast<std::uint8_t*>(plat::Allocate(bytes.size()));
    if (!bytes.empty()) std::memcpy(block, bytes.data(), bytes.size());
    return block;
}

class IndexViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::headless::Reset();
        ClearAppState();
        AppState.Font.FontSize = 16;
        AppState.Font.FontAsciiBase = 97;
        plat::AddResourceTable(&module_, UiResourceTable());
        const std::uint16_t ids[3] = {kBitmapSectionClosed, kBitmapSectionOpen, kBitmapArticle};
        for (int i = 0; i < 3; ++i) AppState.OutlineBitmaps[i] = plat::LoadBitmap(&module_, ids[i]);
        dc_ = plat::CreateImageDC(240, 320);
        MakeView(100, 320);
    }
    void TearDown() override {
        plat::testing::ResetAllocationFailure();
        DestroyIndexView(view_, 1);
        for (plat::Bitmap bitmap : AppState.OutlineBitmaps) plat::DeleteBitmap(bitmap);
        plat::DeleteImageDC(dc_);
    }

    void MakeView(int width, int height) {
        DestroyIndexView(view_, 1);
        view_ = CreateIndexView(dc_, 0, 0, width, height, &AppState.Font, 100);
        ASSERT_NE(view_, nullptr);
    }

    int Layout(const IndexStream& stream) {
        const std::vector<std::uint8_t> bytes = stream.Bytes();
        std::uint8_t* owned = Owned(bytes);
        const int result = LayoutIndex(view_, owned, 1, std::uint32_t(bytes.size()));
        if (result == -4) plat::Free(owned);
        return result;
    }

    const IndexLine& Line(int i) const { return view_->lines[i]; }
    // The stored bytes a line draws.
    std::string LineText(int i) const {
        return std::string(reinterpret_cast<const char*>(view_->data + Line(i).textOffset),
                           Line(i).charCount);
    }
    int VisibleLines() const {
        int n = 0;
        for (int i = 0; i < view_->lineCount; ++i) n += IsVisibleLine(Line(i)) ? 1 : 0;
        return n;
    }
    // The table index of the nth line drawn from the top of the box.
    int DrawnLine(int n) const {
        int i = FirstDrawnLine(view_);
        for (; i < view_->lineCount; ++i) {
            if (!IsVisibleLine(Line(i))) continue;
            if (n-- == 0) return i;
        }
        return -1;
    }
    std::vector<plat::headless::DrawOp> Ops(plat::headless::DrawOp::Kind kind) const {
        std::vector<plat::headless::DrawOp> out;
        for (const auto& op : plat::headless::DrawLog()) {
            if (op.kind == kind) out.push_back(op);
        }
        return out;
    }

    plat::Module module_;
    plat::Dc dc_ = nullptr;
    IndexView* view_ = nullptr;
};

}  // namespace indextest
