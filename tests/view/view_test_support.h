// Hand-built article streams and a view on a headless image context.
//
// Headless fixed metrics at pixel height 16: narrow characters 4, others 8,
// wide 12 (the widest); small type is 12 high (3, 6, 9), large type 20.
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
    Stream& Separator(std::uint8_t flags, std::uint8_t width) { return Raw({std::uint8_t(flags | 7), width, 0}); }
    Stream& Empty() { return Raw({7, 0, 0}); }
    // Numbers above 127 take two bytes.
    Stream& Link(std::uint8_t flags, std::uint16_t number, const std::string& caption) {
        Raw({std::uint8_t(flags | 7), 1, std::uint8_t(0x80 | (number & 0x7F))});
        if (number > 0x7F) bytes_.push_back(std::uint8_t(0x80 | (number >> 7)));
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

// A copy the view may own and free.
inline std::uint8_t* Owned(const std::vector<std::uint8_t>& bytes) {
    auto* block = static_cast<std::uint8_t*>(plat::Allocate(bytes.size()));
    if (!bytes.empty()) std::memcpy(block, bytes.data(), bytes.size());
    return block;
}

// Bytes right before an unreadable page: any read past the end faults.
class Guarded {
public:
    explicit Guarded(const std::vector<std::uint8_t>& bytes) {
        const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
        span_ = ((bytes.size() + page - 1) / page + 1) * page;
        base_ = static_cast<std::uint8_t*>(
            mmap(nullptr, span_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        mprotect(base_ + span_ - page, page, PROT_NONE);
        data_ = base_ + span_ - page - bytes.size();
        if (!bytes.empty()) std::memcpy(data_, bytes.data(), bytes.size());
    }
    ~Guarded() { munmap(base_, span_); }
    Guarded(const Guarded&) = delete;
    Guarded& operator=(const Guarded&) = delete;
    std::uint8_t* data() { return data_; }

private:
    std::size_t span_ = 0;
    std::uint8_t* base_ = nullptr;
    std::uint8_t* data_ = nullptr;
};

class ViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::headless::Reset();
        ClearAppState();
        AppState.Font.FontSize = 16;
        AppState.Font.FontAsciiBase = 1488;
        dc_ = plat::CreateImageDC(240, 320);
        MakeView(0, 0, 100, 320);
    }
    void TearDown() override {
        plat::testing::ResetAllocationFailure();
        if (view_ != nullptr) DestroyArticleView(view_, 1);
        plat::DeleteImageDC(dc_);
        AppState.Flags = 0;
    }

    void MakeView(int x, int y, int width, int height) {
        if (view_ != nullptr) DestroyArticleView(view_, 1);
        const plat::Rect rect{x, y, x + width, y + height};
        view_ = CreateArticleView(dc_, &rect, &AppState.Font, 100);
        ASSERT_NE(view_, nullptr);
    }

    // Lays a stream out in the view, which then owns it.
    int Layout(const Stream& stream) {
        const std::vector<std::uint8_t> bytes = stream.Bytes();
        std::uint8_t* owned = Owned(bytes);
        const int result = LayoutArticle(view_, owned, 1, std::uint32_t(bytes.size()));
        if (result != 0) plat::Free(owned);
        return result;
    }

    int Paint(int erase = 0) {
        plat::headless::ClearDrawLog();
        return PaintArticleView(view_, erase);
    }

    const DisplayLine& Line(int i) const { return view_->lines[i]; }

    std::vector<plat::headless::DrawOp> Ops(plat::headless::DrawOp::Kind kind) const {
        std::vector<plat::headless::DrawOp> out;
        for (const auto& op : plat::headless::DrawLog()) {
            if (op.kind == kind) out.push_back(op);
        }
        return out;
    }
    std::vector<plat::headless::DrawOp> TextOps() const { return Ops(plat::headless::DrawOp::Text); }

    plat::Dc dc_ = nullptr;
    ArticleView* view_ = nullptr;
};

}  // namespace viewtest
