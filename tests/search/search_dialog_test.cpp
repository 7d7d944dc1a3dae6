// The Search dialog on the headless backend: which key a tap hits, the order
// taps and typed letters build, how the text is stored, and what OK does.
#include <string>

#include "platform/dialog.h"
#include "resources/search_resources.h"
#include "search/search.h"
#include "search/search_dialog.h"
#include "search_support.h"

namespace {

using searchtest::SearchFixture;
using viewtest::Stream;

constexpr std::uint32_t EM_GETSEL = 0x00B0;
// Headless dialog units are 2 pixels both ways: the picture's top left
// corner lies at (14, 142) of the dialog's client area.
constexpr int kBaseX = 8;
constexpr int kBaseY = 16;
constexpr int kPictureX = 14;
constexpr int kPictureY = 142;

TEST(KeyAtTap, FindsTheKeyAtTheEdgesOfEveryRow) {
    struct Case {
        int ox, oy, key;
    } cases[] = {
        {0, 0, 9},     {16, 0, 9},    {17, 0, 8},   {135, 0, 2},  {136, 0, 1},  {152, 0, 1},
        {0, 24, 9},    {0, 25, 18},   {16, 49, 18}, {152, 25, 10}, {0, 50, 27}, {152, 74, 19},
        {34, 75, 0},   {118, 94, 0},  {76, 80, 0},  {33, 80, -1},  {119, 80, -1}, {0, 94, -1},
        {153, 0, -1},  {153, 30, -1}, {153, 60, -1},  // the picture's last column holds no key
        {-1, 0, -1},   {0, -1, -1},   {154, 0, -1}, {0, 95, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KeyAtTap(kPictureX + c.ox, kPictureY + c.oy, kBaseX, kBaseY), c.key)
            << c.ox << "," << c.oy;
    }
}

TEST(StoreSearchText, MapsLettersBackAndKeepsTheLastSpaceOfARun) {
    struct Case {
        std::int32_t base;
        std::u16string text;
        std::string stored;
    } cases[] = {
        {1488, u"\u05D0\u05EA", "a{"},
        {1488, u"\u05D2 \u05D1", "c b"},
        {1488, u"a  b   c", "a b c"},
        {1488, u"  a  ", " a "},
        {1488, u"A?*", "A?*"},
        {1488, u"{", "{"},          // the brace 0x7E shows as is not turned back
        {224, u"\u00E0\u00FA", "a{"},
        {224, u"\u05D0", "\xD0"},   // outside the letters: the low 8 bits
        {97, u"az{", "az{"},
    };
    for (const Case& c : cases) {
        ClearAppState();
        AppState.Font.FontAsciiBase = c.base;
        StoreSearchText(c.text.c_str());
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(AppState.SearchString)), c.stored);
    }
    // 33 characters fill the pattern; more are cut.
    AppState.Font.FontAsciiBase = 1488;
    const std::u16string full(40, u'\u05D1');
    StoreSearchText(full.c_str());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(AppState.SearchString)),
              std::string(33, 'b'));
}

class SearchDialog : public SearchFixture {
protected:
    void SetUp() override {
        SearchFixture::SetUp();
        std::map<int, Stream> book;
        book[5] = Stream().Text(0x10, 0, "start");
        book[8] = Stream().Text(0xCC, 0, "ttl").Text(0x10, 0, "xx nfmz cba yy");
        UseBook(book);
        Show(5);
    }

    // Runs the dialog; `drive` acts in it, as a person would.
    std::intptr_t Run(std::function<void(plat::Window)> drive) {
        plat::headless::SetDialogDriver(
            [drive](plat::Window dialog, std::uint16_t id) {
                EXPECT_EQ(id, kDialogSearch);
                drive(dialog);
            });
        return RunSearchDialog(window_);
    }

    static void TapKey(plat::Window dialog, int key) {
        int x = 0;
        int y = 0;
        if (key == 0) {
            x = 3 * kKeyWidth;
            y = 3 * kKeyHeight + 5;
        } else {
            const int row = (key - 1) / kKeyColumns;
            const int col = kKeyColumns * (row + 1) - key;
            x = col * kKeyWidth + 8;
            y = row * kKeyHeight + 12;
        }
        plat::SendMessage(dialog, WM_LBUTTONDOWN, 0,
                          plat::MakeLParam(std::uint16_t(kPictureX + x), std::uint16_t(kPictureY + y)));
    }
    static std::u16string BoxText(plat::Window dialog) {
        char16_t text[64] = {};
        plat::GetDlgItemText(dialog, kSearchEditId, text, 64);
        return text;
    }
    static std::pair<std::uint32_t, std::uint32_t> Selection(plat::Window dialog) {
        std::uint32_t start = 0;
        std::uint32_t end = 0;
        plat::SendDlgItemMessage(dialog, kSearchEditId, EM_GETSEL, plat::WParam(&start),
                                 plat::LParam(&end));
        return {start, end};
    }
    static void Ok(plat::Window dialog) { plat::SendMessage(dialog, WM_COMMAND, IDOK, 0); }
    static std::string Pattern() { return reinterpret_cast<const char*>(AppState.SearchString); }
};

TEST_F(SearchDialog, OpensWithTheStoredPatternInTheArticleFont) {
    SetPattern("cba");
    AppState.Font = FontDescription{u"David CLM", 20, 1488};
    View()->font = AppState.Font;
    Run([](plat::Window dialog) {
        EXPECT_EQ(BoxText(dialog), u"\u05D2\u05D1\u05D0");
        auto font = reinterpret_cast<plat::Font>(
            plat::SendDlgItemMessage(dialog, kSearchEditId, WM_GETFONT, 0, 0));
        plat::LogFont description;
        ASSERT_TRUE(plat::GetFontDescription(font, &description));
        EXPECT_EQ(description.height, 20);
        EXPECT_EQ(std::u16string(description.faceName), u"David CLM");
        // The box takes 33 characters.
        plat::headless::TypeKeys(dialog, kSearchEditId, std::u16string(40, u'x'));
        EXPECT_EQ(BoxText(dialog).size(), 33u);
    });
}

TEST_F(SearchDialog, TapsBuildTheWordRightToLeftAndOkFindsIt) {
    const std::intptr_t result = Run([](plat::Window dialog) {
        plat::SetDlgItemText(dialog, kSearchEditId, u"");
        for (int key : {1, 2, 3}) TapKey(dialog, key);
        EXPECT_EQ(BoxText(dialog), u"\u05D2\u05D1\u05D0");
        EXPECT_EQ(Selection(dialog), std::make_pair(0u, 0u));
        TapKey(dialog, 0);
        TapKey(dialog, 27);
        EXPECT_EQ(BoxText(dialog), u"\u05EA \u05D2\u05D1\u05D0");
        plat::SetDlgItemText(dialog, kSearchEditId, u"\u05D2\u05D1\u05D0");
        Ok(dialog);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(Pattern(), "cba");
    EXPECT_EQ(AppState.Lesson, 8);
    EXPECT_TRUE(plat::headless::MessageBoxes().empty());
}

TEST_F(SearchDialog, NotFoundKeepsTheDialogOpenWithItsTextSelected) {
    const std::intptr_t result = Run([](plat::Window dialog) {
        plat::SetDlgItemText(dialog, kSearchEditId, u"\u05D8\u05D8");
        Ok(dialog);
        ASSERT_EQ(plat::headless::MessageBoxes().size(), 1u);
        EXPECT_EQ(plat::headless::MessageBoxes()[0].text, u"Not Found!");
        EXPECT_EQ(plat::headless::MessageBoxes()[0].owner, dialog);
        EXPECT_EQ(Selection(dialog), std::make_pair(0u, 2u));
        plat::SendMessage(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(Pattern(), "ii");
    EXPECT_EQ(AppState.Lesson, 5);
}

TEST_F(SearchDialog, AnEmptyBoxStoresAnEmptyPatternAndCloses) {
    SetPattern("abc");
    const std::intptr_t result = Run([](plat::Window dialog) {
        plat::SetDlgItemText(dialog, kSearchEditId, u"");
        Ok(dialog);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(Pattern(), "");
    EXPECT_TRUE(plat::headless::MessageBoxes().empty());
}

TEST_F(SearchDialog, AWordTypedInReadingOrderIsStoredInTheArticleOrder) {
    const std::intptr_t result = Run([](plat::Window dialog) {
        plat::SetDlgItemText(dialog, kSearchEditId, u"");
        // "shalom" typed letter by letter, as a Hebrew keyboard sends it.
        plat::headless::TypeKeys(dialog, kSearchEditId, u"\u05E9\u05DC\u05D5\u05DD");
        EXPECT_EQ(BoxText(dialog), u"\u05DD\u05D5\u05DC\u05E9");
        Ok(dialog);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(Pattern(), "nfmz");
    EXPECT_EQ(AppState.Lesson, 8);
}

TEST_F(SearchDialog, TypingMixesWordsLatinAndDeletionAsAReaderExpects) {
    Run([](plat::Window dialog) {
        plat::SetDlgItemText(dialog, kSearchEditId, u"");
        // Two Hebrew words with a space between them, in reading order.
        plat::headless::TypeKeys(dialog, kSearchEditId, u"\u05D0\u05D1 \u05D2\u05D3");
        EXPECT_EQ(BoxText(dialog), u"\u05D3\u05D2 \u05D1\u05D0");
        // Backspace takes the letter typed last, then the one before it
        // and the space; Delete takes the letter on the caret's left.
        plat::headless::PressEditKey(dialog, kSearchEditId, VK_BACK);
        EXPECT_EQ(BoxText(dialog), u"\u05D2 \u05D1\u05D0");
        plat::headless::PressEditKey(dialog, kSearchEditId, VK_BACK);
        plat::headless::PressEditKey(dialog, kSearchEditId, VK_BACK);
        EXPECT_EQ(BoxText(dialog), u"\u05D1\u05D0");
        plat::SendDlgItemMessage(dialog, kSearchEditId, EM_SETSEL, 1, 1);
        plat::headless::PressEditKey(dialog, kSearchEditId, VK_DELETE);
        EXPECT_EQ(BoxText(dialog), u"\u05D0");
        // Latin letters, digits and punctuation go where the caret is.
        plat::SetDlgItemText(dialog, kSearchEditId, u"");
        plat::headless::TypeKeys(dialog, kSearchEditId, u"ab 1?");
        EXPECT_EQ(BoxText(dialog), u"ab 1?");
        plat::headless::PressEditKey(dialog, kSearchEditId, VK_BACK);
        EXPECT_EQ(BoxText(dialog), u"ab 1");
        plat::SendMessage(dialog, WM_COMMAND, IDCANCEL, 0);
    });
}

}  // namespace
