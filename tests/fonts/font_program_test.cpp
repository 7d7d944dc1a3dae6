// Choosing the font in the running program (headless): the first run asks
// for one, the Font command changes it on OK only, and the choice is kept.
#include <gtest/gtest.h>

#include <string>

#include "app/app_state.h"
#include "fonts/font_dialog.h"
#include "platform/dialog.h"
#include "platform/headless/headless.h"
#include "platform/window.h"
#include "support/program_fixture.h"
#include "view/article_view.h"

namespace {

void SelectItem(plat::Window dialog, int id, const std::u16string& text) {
    int count = int(plat::SendDlgItemMessage(dialog, id, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char16_t item[64] = {};
        plat::SendDlgItemMessage(dialog, id, LB_GETTEXT, plat::WParam(i), plat::LParam(item));
        if (text == item) {
            plat::headless::SelectListItem(dialog, id, i);
            return;
        }
    }
    ADD_FAILURE() << "no such item";
}

// The whole program, with the font dialog answered by the test: it picks
// `face` and `size` when they are set, then presses `answer`.
class FontProgram : public Program {
protected:
    int fontDialogs = 0;
    std::u16string face;
    std::u16string size;
    int answer = IDCANCEL;

    void SetUp() override {
        Program::SetUp();
        plat::headless::SetDialogDriver([this](plat::Window dialog, std::uint16_t id) {
            if (id != kDialogFont) return;
            ++fontDialogs;
            if (!face.empty()) SelectItem(dialog, FontControl::FaceList, face);
            if (!size.empty()) SelectItem(dialog, FontControl::SizeList, size);
            plat::SendMessage(dialog, WM_COMMAND, plat::WParam(answer), 0);
        });
    }
    void StoreFontOfSize16(const std::string& name) {
        registry.Write("Windows Registry Editor Version 5.00\n\n"
                       "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tovanel]\n"
                       "\"FontName\"=\"" + name + "\"\n\"FontSize\"=dword:00000010\n");
    }
    bool Stores(const std::string& line) const {
        return registry.Read().find(line) != std::string::npos;
    }
};

TEST_F(FontProgram, AFirstRunAsksForAFontOnceTheWindowIsShownAndKeepsIt) {
    face = u"David CLM";
    size = u"20";
    answer = IDOK;
    steps = {[&] {
        EXPECT_EQ(fontDialogs, 1);
        ASSERT_NE(AppState.View, nullptr);
        EXPECT_EQ(std::u16string(AppState.View->font.FontName), u"David CLM");
        EXPECT_EQ(AppState.View->font.FontSize, 20);
        EXPECT_GT(AppState.View->linesPainted, 0);
    }};
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(Stores("\"FontName\"=\"David CLM\""));
    EXPECT_TRUE(Stores("\"FontSize\"=dword:00000014"));

    // Next time the font is known: no question.
    fontDialogs = 0;
    steps = {[&] { EXPECT_EQ(fontDialogs, 0); }};
    EXPECT_EQ(Run(), 0);
}

TEST_F(FontProgram, AFirstRunThatIsCancelledStillSetsUpTheViewAndAsksAgainNextTime) {
    answer = IDCANCEL;
    steps = {[&] {
        EXPECT_EQ(fontDialogs, 1);
        ASSERT_NE(AppState.View, nullptr);
        EXPECT_EQ(AppState.View->font.FontAsciiBase, AppState.Font.FontAsciiBase);
        EXPECT_EQ(AppState.View->font.FontName[0], 0);
    }};
    EXPECT_EQ(Run(), 0);
    fontDialogs = 0;
    steps = {[&] { EXPECT_EQ(fontDialogs, 1); }};
    EXPECT_EQ(Run(), 0);
}

TEST_F(FontProgram, TheFontCommandChangesTheTextOnlyOnOk) {
    StoreFontOfSize16("Courier");
    steps = {
        [&] {
            EXPECT_EQ(fontDialogs, 0);
            face = u"Headless Sans";
            size = u"32";
            answer = IDCANCEL;
            plat::SendMessage(AppState.MainWindow, WM_COMMAND, Command::Font, 0);
            EXPECT_EQ(fontDialogs, 1);
            EXPECT_EQ(std::u16string(AppState.View->font.FontName), u"Courier");
            EXPECT_EQ(AppState.View->font.FontSize, 16);
        },
        [&] {
            const int linesBefore = AppState.View->totalLines;
            answer = IDOK;
            plat::SendMessage(AppState.MainWindow, WM_COMMAND, Command::Font, 0);
            EXPECT_EQ(std::u16string(AppState.View->font.FontName), u"Headless Sans");
            EXPECT_EQ(AppState.View->font.FontSize, 32);
            EXPECT_GT(AppState.View->totalLines, linesBefore) << "twice the size, more lines";
        },
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(Stores("\"FontName\"=\"Headless Sans\""));
    EXPECT_TRUE(Stores("\"FontSize\"=dword:00000020"));
}

}  // namespace
