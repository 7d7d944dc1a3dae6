// A small hand-made book and a headless main window with its view, for
// running searches over whole passes.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "app/app_state.h"
#include "platform/gdi.h"
#include "platform/headless/headless.h"
#include "platform/resources.h"
#include "platform/window.h"
#include "resources/ui_resources.h"
#include "store/article_store.h"
#include "store/palmdoc.h"
#include "support/test_container.h"
#include "view/article_view.h"
#include "view/view_test_support.h"

namespace searchtest {

using Bytes = std::vector<std::uint8_t>;

// A lesson resource: the container around the compressed stream.
inline Bytes Container(const Bytes& text) { return testsupport::CompressedContainer(text); }

inline plat::LResult PlainWindowProc(plat::Window w, std::uint32_t m, plat::WParam wp,
                                     plat::LParam lp) {
    return plat::DefWindowProc(w, m, wp, lp);
}

class SearchFixture : public ::testing::Test {
protected:
    void SetUp() override {
        plat::headless::Reset();
        ClearAppState();
        AppState.Font = FontDescription{u"Headless Hebrew", 16, 1488};
        plat::WindowClass windowClass;
        windowClass.proc = PlainWindowProc;
        windowClass.className = u"SearchTest";
        plat::RegisterClass(windowClass);
        window_ = plat::CreateWindowEx(0, u"SearchTest", u"Tovanel", 0, 0, 0, 240, 320, nullptr,
                                       nullptr, nullptr);
        AppState.MainWindow = window_;
        dc_ = plat::GetDC(window_);
        const plat::Rect rect{0, 0, 240, 320};
        AppState.View = CreateArticleView(dc_, &rect, &AppState.Font, 100);
        ASSERT_NE(AppState.View, nullptr);
    }
    void TearDown() override {
        if (AppState.View != nullptr) DestroyArticleView(AppState.View, 1);
        AppState.View = nullptr;
        AppState.Instance = nullptr;
        plat::ReleaseDC(window_, dc_);
        plat::headless::Reset();
    }

    // Makes these lessons (and the user-interface resources) the program's.
    void UseBook(const std::map<int, viewtest::Stream>& lessons) {
        resources_.clear();
        for (const auto& [lesson, stream] : lessons) {
            resources_.emplace_back(std::uint16_t(kArticleResourceBase + lesson),
                                    Container(stream.Bytes()));
        }
        entries_.clear();
        for (const auto& [id, bytes] : resources_) {
            entries_.push_back({RT_RCDATA, id, bytes.data(), std::uint32_t(bytes.size())});
        }
        module_ = plat::Module{};
        plat::AddResourceTable(&module_, plat::ResourceTable{entries_.data(), entries_.size()});
        plat::AddResourceTable(&module_, UiResourceTable());
        AppState.Instance = &module_;
    }

    // Shows a lesson as opening it would, without touching the history.
    void Show(LessonNumber lesson) {
        std::uint32_t length = 0;
        std::uint8_t* text = LoadArticle(lesson, nullptr, &length);
        ASSERT_NE(text, nullptr);
        ASSERT_EQ(LayoutArticle(AppState.View, text, 1, length), 0);
        AppState.Lesson = lesson;
    }

    static void SetPattern(const char* pattern) {
        std::strncpy(reinterpret_cast<char*>(AppState.SearchString), pattern, 33);
        AppState.SearchString[33] = 0;
    }

    static ArticleView* View() { return AppState.View; }

    plat::Window window_ = nullptr;
    plat::Dc dc_ = nullptr;
    plat::Module module_;
    std::vector<std::pair<std::uint16_t, Bytes>> resources_;
    std::vector<plat::ResourceEntry> entries_;
};

}  // namespace searchtest
