// The update query's address, and the About box with its link on the
// headless backend.
#include <gtest/gtest.h>

#include <string>

#include "about/about_dialog.h"
#include "about/update_url.h"
#include "app/app_state.h"
#include "platform/headless/headless.h"
#include "platform/window.h"
#include "resources/ui_resources.h"

namespace {

std::u16string Url(const char16_t* productPath, std::size_t capacity = kUpdateUrlCapacity) {
    char16_t buffer[400];
    std::size_t length = BuildUpdateUrl(u"example.org", productPath, u"1.84a", buffer, capacity);
    EXPECT_EQ(length, std::u16string(buffer).size());
    return buffer;
}

TEST(UpdateUrl, TheProductPathIsPercentEncodedAsTheServerExpects) {
    struct Case {
        const char16_t* path;
        const char16_t* encoded;
    };
    const Case cases[] = {
        {u"ab c-d/e.f", u"ab+c%2Dd/e.f"},
        {u"\u05D0", u"%5D0"},                // above 0xFF: three digits
        {u"\uFB2E", u"%FB2E"},               // four digits
        {u"_~\u00E9\t", u"%5F%7E%E9%09"},   // two digits at least
        {u"AZaz09./", u"AZaz09./"},
        {u"", u""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Url(c.path),
                  u"http://example.org/cgi-bin/upgrade?p=arm/" + std::u16string(c.encoded) +
                      u"&v=1.84a");
    }
}

TEST(UpdateUrl, AnAddressThatDoesNotFitIsNotCutOff) {
    const std::u16string whole = Url(u"ab c-d/e.f");
    EXPECT_EQ(Url(u"ab c-d/e.f", whole.size() + 1), whole);
    // One unit short (the terminator needs its place), or short inside an
    // escape: nothing at all.
    EXPECT_EQ(Url(u"ab c-d/e.f", whole.size()), u"");
    const std::u16string upToEscape = u"http://example.org/cgi-bin/upgrade?p=arm/ab+c%2";
    EXPECT_EQ(Url(u"ab c-d/e.f", upToEscape.size() + 1), u"");
}

TEST(UpdateUrl, TheProgramAsksForItsOwnProductAndVersionOnItsMakersServer) {
    plat::headless::Reset();
    CheckForUpdates(nullptr);
    ASSERT_EQ(plat::headless::OpenedUrls().size(), 1u);
    EXPECT_EQ(plat::headless::OpenedUrls()[0], u"http://" + std::u16string(MakerHost()) +
                                                   u"/cgi-bin/upgrade?p=arm/Quillmark/Tovanel&v=1.84a");
    EXPECT_EQ(std::u16string(HomePageUrl()), u"http://" + std::u16string(MakerHost()) + u"/");
    plat::headless::Reset();
}

class AboutBox : public ::testing::Test {
protected:
    plat::Module module;
    void SetUp() override {
        plat::headless::Reset();
        plat::AddResourceTable(&module, UiResourceTable());
    }
    void TearDown() override { plat::headless::Reset(); }
};

TEST_F(AboutBox, TheLinkIsABoldUnderlinedBlueButtonFittedToItsText) {
    plat::Font seen = nullptr;
    plat::headless::SetDialogDriver([&](plat::Window dialog, std::uint16_t id) {
        ASSERT_EQ(id, kDialogAbout);
        seen = AboutLinkFont;
        ASSERT_NE(seen, nullptr);
        plat::LogFont link;
        ASSERT_TRUE(plat::GetFontDescription(seen, &link));
        EXPECT_TRUE(link.underline);
        EXPECT_EQ(link.weight, 800);
        EXPECT_EQ(std::u16string(link.faceName), u"Tahoma");
        EXPECT_EQ(link.height, -13);  // ten points at 96 dots an inch

        plat::Window button = plat::GetDlgItem(dialog, kAboutLinkButton);
        char16_t text[101] = {};
        int length = plat::GetWindowText(button, text, 101);
        EXPECT_EQ(std::u16string(text), MakerHost());
        plat::Rect r;
        plat::GetWindowRect(button, &r);
        int textWidth = 0;
        for (int i = 0; i < length; ++i) textWidth += plat::headless::CharAdvance(link, text[i]);
        EXPECT_EQ(r.right - r.left, textWidth + 4);  // the text and an edge on each side
        EXPECT_EQ(r.bottom - r.top, 13 + 4);
        EXPECT_EQ(r.left, 14);  // where the template puts it: 7, 58 dialog units
        EXPECT_EQ(r.top, 116);

        // The button was drawn as the link: blue on white, transparently.
        bool drawn = false;
        for (const auto& op : plat::headless::DrawLog()) {
            if (op.kind != plat::headless::DrawOp::Text || op.text != text) continue;
            drawn = true;
            EXPECT_EQ(op.textColour, kAboutLinkColour);
            EXPECT_EQ(op.backMode, TRANSPARENT);
            EXPECT_EQ(op.rect.left, 1);  // half an edge in
            EXPECT_EQ(op.rect.top, 0);
        }
        EXPECT_TRUE(drawn);

        // A tap opens the home page and the box stays open.
        plat::headless::ClickControl(dialog, kAboutLinkButton);
        ASSERT_EQ(plat::headless::OpenedUrls().size(), 1u);
        EXPECT_EQ(plat::headless::OpenedUrls()[0], HomePageUrl());
        EXPECT_TRUE(plat::IsWindow(dialog));
        plat::SendMessage(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(RunAboutDialog(&module, nullptr), IDOK);
    EXPECT_EQ(AboutLinkFont, nullptr) << "closing the box deletes the link font";

    // Opening it again makes a new font; Cancel also lets it go.
    plat::headless::SetDialogDriver([&](plat::Window dialog, std::uint16_t) {
        EXPECT_NE(AboutLinkFont, nullptr);
        plat::SendMessage(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(RunAboutDialog(&module, nullptr), IDCANCEL);
    EXPECT_EQ(AboutLinkFont, nullptr);
}

}  // namespace
