// The Choose Font dialog on the headless backend, whose font families are
// "Headless Sans", "Headless Hebrew" (Hebrew), "David CLM" (Hebrew) and
// "Courier": the lists, the letter base, the preview, OK and Cancel.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "fonts/font_dialog.h"
#include "platform/dialog.h"
#include "platform/headless/headless.h"
#include "platform/memory.h"
#include "platform/shell.h"
#include "platform/window.h"
#include "resources/ui_resources.h"

namespace {

FontDescription Description(const char16_t* face, std::int32_t size, std::int32_t base) {
    FontDescription d{};
    for (int i = 0; face[i] != 0 && i < 31; ++i) d.FontName[i] = face[i];
    d.FontSize = size;
    d.FontAsciiBase = base;
    return d;
}

std::vector<std::u16string> Items(plat::Window dialog, int id) {
    std::vector<std::u16string> items;
    int count = int(plat::SendDlgItemMessage(dialog, id, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char16_t text[64] = {};
        plat::SendDlgItemMessage(dialog, id, LB_GETTEXT, plat::WParam(i), plat::LParam(text));
        items.push_back(text);
    }
    return items;
}

// The selected item's text, or "-" without a selection.
std::u16string Selected(plat::Window dialog, int id) {
    plat::LResult index = plat::SendDlgItemMessage(dialog, id, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) return u"-";
    return Items(dialog, id)[std::size_t(index)];
}

int IndexOf(plat::Window dialog, int id, const std::u16string& text) {
    std::vector<std::u16string> items = Items(dialog, id);
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] == text) return int(i);
    }
    return -1;
}

std::u16string Preview(plat::Window dialog) {
    char16_t text[64] = {};
    plat::GetDlgItemText(dialog, FontControl::Preview, text, 64);
    return text;
}

bool Checked(plat::Window dialog, int id) {
    return plat::IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

class FontDialogTest : public ::testing::Test {
protected:
    plat::Module module;

    void SetUp() override {
        plat::headless::Reset();
        plat::AddResourceTable(&module, UiResourceTable());
    }
    void TearDown() override {
        plat::headless::Reset();
        plat::testing::ResetAllocationFailure();
    }

    // Runs the dialog over no owner; `act` runs once it is open.
    std::intptr_t Run(FontDescription* description, std::function<void(plat::Window)> act) {
        plat::headless::SetDialogDriver([&](plat::Window dialog, std::uint16_t id) {
            ASSERT_EQ(id, kDialogFont);
            act(dialog);
        });
        return RunFontDialog(&module, nullptr, description);
    }
    static void Select(plat::Window dialog, int id, const std::u16string& text) {
        int index = IndexOf(dialog, id, text);
        ASSERT_GE(index, 0) << "no item " << std::string(text.begin(), text.end());
        plat::headless::SelectListItem(dialog, id, index);
    }
    static void Ok(plat::Window dialog) {
        plat::SendMessage(dialog, WM_COMMAND, IDOK, 0);
    }
};

TEST_F(FontDialogTest, StoredSizesPickTheirItem) {
    struct Case {
        std::int32_t stored;
        std::size_t itemCount;
        std::u16string firstItem;
        std::u16string selected;
    };
    const Case cases[] = {
        {13, 14, u"10", u"-"},   // not among the choices: nothing selected
        {8, 15, u"8", u"8"},     // below the first choice: added first
        {1, 15, u"1", u"1"},     // "1" comes before "10"
        {10, 14, u"10", u"10"},  // the first choice is not added twice
        {5, 15, u"5", u"5"},     // not "52"
        {0, 14, u"10", u"-"},    // the default size selects nothing
        {20, 14, u"10", u"20"},
        {52, 14, u"10", u"52"},
        {72, 14, u"10", u"72"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        FontDescription d = Description(u"Courier", c.stored, 1488);
        EXPECT_EQ(Run(&d, [&](plat::Window dialog) {
                      std::vector<std::u16string> sizes = Items(dialog, FontControl::SizeList);
                      ASSERT_EQ(sizes.size(), c.itemCount);
                      EXPECT_EQ(sizes.front(), c.firstItem);
                      EXPECT_EQ(sizes.back(), u"72");
                      EXPECT_EQ(Selected(dialog, FontControl::SizeList), c.selected);
                      Ok(dialog);
                  }),
                  IDOK);
        EXPECT_EQ(d.FontSize, c.stored) << "OK without touching the list keeps the size";
    }
}

TEST_F(FontDialogTest, FacesAreSortedAndTheStoredFaceIsFoundByItsBeginning) {
    struct Case {
        const char16_t* stored;
        std::u16string selected;
    };
    const Case cases[] = {
        {u"David CLM", u"David CLM"},
        {u"headless", u"Headless Hebrew"},  // letters without regard to case, first match
        {u"Frank Ruehl", u"-"},
    };
    for (const Case& c : cases) {
        FontDescription d = Description(c.stored, 16, 1488);
        Run(&d, [&](plat::Window dialog) {
            EXPECT_EQ(Items(dialog, FontControl::FaceList),
                      (std::vector<std::u16string>{u"Courier", u"David CLM", u"Headless Hebrew",
                                                   u"Headless Sans"}));
            EXPECT_EQ(Selected(dialog, FontControl::FaceList), c.selected);
            Ok(dialog);
        });
        EXPECT_EQ(std::u16string(d.FontName),
                  c.selected == u"-" ? std::u16string(c.stored) : c.selected);
    }
}

TEST_F(FontDialogTest, AHebrewFamilySelectsTheUnicodeBaseAndOthersLeaveTheBase) {
    FontDescription d = Description(u"Courier", 16, 224);
    Run(&d, [&](plat::Window dialog) {
        EXPECT_TRUE(Checked(dialog, FontControl::Base224));
        EXPECT_EQ(Preview(dialog)[26], char16_t(224));
        Select(dialog, FontControl::FaceList, u"Headless Sans");
        EXPECT_TRUE(Checked(dialog, FontControl::Base224)) << "a Latin family keeps the base";
        EXPECT_EQ(Preview(dialog)[26], char16_t(224));

        Select(dialog, FontControl::FaceList, u"David CLM");
        EXPECT_TRUE(Checked(dialog, FontControl::Base1488));
        EXPECT_FALSE(Checked(dialog, FontControl::Base224));
        EXPECT_EQ(Preview(dialog)[26], u'\u05D0');
        EXPECT_EQ(Preview(dialog)[0], u'\u05EA');

        // Back to 224 by hand; choosing a Latin family afterwards keeps it.
        plat::headless::ClickControl(dialog, FontControl::Base224);
        EXPECT_EQ(Preview(dialog)[26], char16_t(224));
        Select(dialog, FontControl::FaceList, u"Courier");
        EXPECT_TRUE(Checked(dialog, FontControl::Base224));
        Select(dialog, FontControl::FaceList, u"Headless Hebrew");
        Ok(dialog);
    });
    EXPECT_EQ(std::u16string(d.FontName), u"Headless Hebrew");
    EXPECT_EQ(d.FontAsciiBase, 1488);
}

TEST_F(FontDialogTest, AStoredBaseOf97IsKeptUntilAButtonIsChosen) {
    FontDescription d = Description(u"Courier", 16, 97);
    Run(&d, [&](plat::Window dialog) {
        EXPECT_FALSE(Checked(dialog, FontControl::Base224));
        EXPECT_FALSE(Checked(dialog, FontControl::Base1488));
        std::u16string preview = Preview(dialog);
        ASSERT_EQ(preview.size(), 27u);
        EXPECT_EQ(preview, u"{zyxwvutsrqponmlkjihgfedcba");
        Select(dialog, FontControl::SizeList, u"24");
        Ok(dialog);
    });
    EXPECT_EQ(d.FontAsciiBase, 97);
    EXPECT_EQ(d.FontSize, 24);

    Run(&d, [&](plat::Window dialog) {
        plat::headless::ClickControl(dialog, FontControl::Base224);
        Ok(dialog);
    });
    EXPECT_EQ(d.FontAsciiBase, 224);
}

TEST_F(FontDialogTest, CancelKeepsTheDescriptionButABaseOfZeroBecomesUnicode) {
    struct Case {
        bool ok;
        std::int32_t base;
        std::u16string face;
        std::int32_t size;
        std::int32_t expectedBase;
    };
    const Case cases[] = {
        {false, 224, u"Courier", 12, 224},
        {false, 0, u"Courier", 12, 1488},
        {true, 224, u"David CLM", 32, 1488},  // the Hebrew family chose 5D0
        {true, 0, u"Headless Sans", 32, 1488},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ok ? "OK" : "Cancel");
        FontDescription d = Description(u"Courier", 12, c.base);
        std::intptr_t result = Run(&d, [&](plat::Window dialog) {
            Select(dialog, FontControl::FaceList, u"David CLM");
            Select(dialog, FontControl::SizeList, u"32");
            if (c.face != u"David CLM") Select(dialog, FontControl::FaceList, c.face);
            plat::SendMessage(dialog, WM_COMMAND, c.ok ? IDOK : IDCANCEL, 0);
        });
        EXPECT_EQ(result, c.ok ? IDOK : IDCANCEL);
        EXPECT_EQ(std::u16string(d.FontName), c.face);
        EXPECT_EQ(d.FontSize, c.size);
        EXPECT_EQ(d.FontAsciiBase, c.expectedBase);
    }
}

TEST_F(FontDialogTest, ControlsFollowTheDialogSize) {
    FontDescription d = Description(u"Courier", 16, 1488);
    Run(&d, [&](plat::Window dialog) {
        // Full-screen set-up of the dialog, with the Done button.
        EXPECT_EQ(plat::headless::InitDialogFlags(dialog), 31u);
        plat::SendMessage(dialog, WM_SIZE, 0, plat::MakeLParam(200, 300));
        // c = 186, e = 286, d = 124, f = 190
        struct Expected {
            int id;
            plat::Rect rect;
        };
        const Expected expected[] = {
            {FontControl::FaceList, {7, 7, 124, 190}},
            {FontControl::SizeList, {131, 59, 193, 190}},
            {FontControl::Preview, {7, 190, 193, 286}},
            {FontControl::Base224, {131, 24, 193, 34}},
            {FontControl::Base1488, {131, 41, 193, 51}},
        };
        for (const Expected& e : expected) {
            plat::Rect r;
            ASSERT_TRUE(plat::GetWindowRect(plat::GetDlgItem(dialog, e.id), &r));
            EXPECT_EQ(r.left, e.rect.left) << e.id;
            EXPECT_EQ(r.top, e.rect.top) << e.id;
            EXPECT_EQ(r.right, e.rect.right) << e.id;
            EXPECT_EQ(r.bottom, e.rect.bottom) << e.id;
        }
        Ok(dialog);
    });
}

TEST(FontFamilyList, EntriesComeFromPoolsOfTwentyFiveAndAreAllReleased) {
    ResetFontList();
    for (int i = 0; i < 60; ++i) {
        std::u16string name = u"Family " + std::u16string(1, char16_t(u'A' + i % 26)) +
                              std::u16string(1, char16_t(u'0' + i / 26));
        ASSERT_TRUE(EnumFontFamilyEntry(name.c_str(), i % 2 ? HEBREW_CHARSET : 0, nullptr));
    }
    // A name a font description cannot hold is left out.
    EXPECT_TRUE(EnumFontFamilyEntry(u"A family name of thirty-two units", 0, nullptr));
    int count = 0;
    std::vector<int> poolStarts;
    for (const FontListEntry* e = FontDialog.fontList; e != nullptr; e = e->next, ++count) {
        if (e->poolStart) poolStarts.push_back(count);
        EXPECT_EQ(e->charSet, count % 2 ? HEBREW_CHARSET : 0);
    }
    EXPECT_EQ(count, 60);
    EXPECT_EQ(poolStarts, (std::vector<int>{0, 25, 50}));
    EXPECT_EQ(FontDialog.poolRemaining, 15);
    FreeFontList();
    EXPECT_EQ(FontDialog.fontList, nullptr);
    EXPECT_EQ(FontDialog.tailLink, &FontDialog.fontList);
}

TEST(FontFamilyList, APoolThatCannotBeHadEndsTheWalkWithWhatWasListed) {
    ResetFontList();
    plat::testing::FailAllocationsAfter(1);
    bool more = true;
    int listed = 0;
    for (int i = 0; i < 40 && more; ++i) {
        more = EnumFontFamilyEntry(u"Family", 0, nullptr);
        if (more) ++listed;
    }
    plat::testing::ResetAllocationFailure();
    EXPECT_EQ(listed, kFontPoolSize);
    EXPECT_FALSE(more);
    FreeFontList();
}

}  // namespace
