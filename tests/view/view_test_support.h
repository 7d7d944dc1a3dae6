// Hand-built article streams and a view on a headless image context.
#pragma once

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "platform/gdi.h"
#include "platform/headless/headless.h"
#include "platform/memory.h"
#include "view/article_view.h"

namespace viewtest {

// Builds a stream record by record; Bytes() adds the end mark.
class Stream {
public:
    Stream& Text(std::uint8_t flags, std::uint8_t layout, const std::string& text) {
        bytes_.push_back(flags);
        bytes_.push_back(layout);
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        bytes_.push_back(0);
        return *this;
    }
    Stream& Separator(std::uint8_t flags, std::uint8_t width) {
        bytes_.insert(bytes_.end(), {std::uint8_t(flags | 7), width, 0});
        return *this;
    }
    Stream& Empty(std::uint8_t flags = 7) {
        bytes_.insert(bytes_.end(), {std::uint8_t(flags | 7), 0, 0});
        return *this;
    }
    // Numbers above 127 take two bytes.
    Stream& Link(std::uint8_t flags, std::uint16_t number, const std::string& caption) {
        bytes_.push_back(std::uint8_t(flags | 7));
        bytes_.push_back(1);
        bytes_.push_back(std::uint8_t(0x80 | (number & 0x7F)));
        if (number > 0x7F) {
            bytes_.push_back(std::uint8_t(0x80 | (number >> 7)));
        }
        bytes_.insert(bytes_.end(), caption.begin(), caption.end());
        bytes_.push_back(0);
        return *this;
    }
    Stream& Raw(std::initializer_list<std::uint8_t> raw) {
        bytes_.insert(bytes_.end(), raw);
        return *this;
    }
    std::size_t Size() const { return bytes_.size(); }
    std::vector<std::uint8_t> Bytes() const {
        std::vector<std::uint8_t> out = bytes_;
        out.push_back(0);
        return out;
    }

private:
    std::vector<std::uint8_t> bytes_;
};

// A copy in memory the view may own and free.
inline std::uint8_t* Owned(const std::vector<std::uint8_t>& bytes) {
    auto* block = static_cast<std::uint8_t*>(plat::Allocate(bytes.size()));
    if (!bytes.empty()) {
        std::memcpy(block, bytes.data(), bytes.size());
    }
    return block;
}

// Bytes placed so that the last one is followed by an unreadable page: any
// read past the end faults.
class Guarded {
public:
    explicit Guarded(const std::vector<std::uint8_t>& bytes) {
        page_ = std::size_t(sysconf(_SC_PAGESIZE));
        span_ = ((bytes.size() + page_ - 1) / page_ + 1) * page_;
        void* map = mmap(nullptr, span_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        base_ = static_cast<std::uint8_t*>(map);
        mprotect(base_ + span_ - page_, page_, PROT_NONE);
        data_ = base_ + span_ - page_ - bytes.size();
        if (!bytes.empty()) {
            std::memcpy(data_, bytes.data(), bytes.size());
        }
    }
    ~Guarded() { munmap(base_, span_); }
    Guarded(const Guarded&) = delete;
    Guarded& operator=(const Guarded&) = delete;
    std::uint8_t* data() { return data_; }

private:
    std::size_t page_ = 0;
    std::size_t span_ = 0;
    std::uint8_t* base_ = nullptr;
    std::uint8_t* data_ = nullptr;
};

// Headless fixed metrics at pixel height 16: narrow 4, normal 8, wide 12;
// small type is 12 high (narrow 3, normal 6), large type 20 (5, 10, 15).
constexpr int kHeight = 16;
constexpr int kNormal = 8;
constexpr int kNarrow = 4;

class ViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::headless::Reset();
        ClearAppState();
        AppState.Font.FontSize = kHeight;
        AppState.Font.FontAsciiBase = 1488;
        dc_ = plat::CreateImageDC(240, 320);
        MakeView(0, 0, 100, 320);
    }
    void TearDown() override {
        plat::testing::ResetAllocationFailure();
        if (view_ != nullptr) {
            DestroyArticleView(view_, 1);
        }
        plat::DeleteImageDC(dc_);
        AppState.Flags = 0;
    }

    void MakeView(int x, int y, int width, int height) {
        if (view_ != nullptr) {
            DestroyArticleView(view_, 1);
        }
        const plat::Rect rect{x, y, x + width, y + height};
        view_ = CreateArticleView(dc_, &rect, &AppState.Font, 100);
        ASSERT_NE(view_, nullptr);
    }

    // Lays a stream out in the view, which then owns it.
    int Layout(const Stream& stream) {
        const std::vector<std::uint8_t> bytes = stream.Bytes();
        std::uint8_t* owned = Owned(bytes);
        const int result = LayoutArticle(view_, owned, 1, std::uint32_t(bytes.size()));
        if (result != 0) {
            plat::Free(owned);
        }
        return result;
    }

    const DisplayLine& Line(int i) const { return view_->lines[i]; }

    std::vector<plat::headless::DrawOp> Ops(plat::headless::DrawOp::Kind kind) const {
        std::vector<plat::headless::DrawOp> out;
        for (const auto& op : plat::headless::DrawLog()) {
            if (op.kind == kind) {
                out.push_back(op);
            }
        }
        return out;
    }
    std::vector<plat::headless::DrawOp> TextOps() const {
        return Ops(plat::headless::DrawOp::Text);
    }

    plat::Dc dc_ = nullptr;
    ArticleView* view_ = nullptr;
};

// UTF-16 of a Latin string.
inline std::u16string U(const std::string& s) { return std::u16string(s.begin(), s.end()); }

}  // namespace viewtest
