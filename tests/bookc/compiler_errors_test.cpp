// What the compiler refuses, and where it says the fault is; what it
// accepts with a warning; and how it orders and codes text.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/bookc/book_compiler.h"
#include "tools/bookc/text_code.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Result {
    bool ok = false;
    Bytes stream;
    std::string messages;
    bookc::Diagnostics diagnostics;
};

Result Lesson(const std::string& source, bool strict = false, int lessons = 262) {
    Result r;
    r.diagnostics = bookc::Diagnostics(strict);
    bookc::Options options;
    options.lessonCount = lessons;
    options.strict = strict;
    r.ok = bookc::CompileLesson(source, "lesson.txt", options, r.diagnostics, &r.stream);
    r.messages = r.diagnostics.Format();
    return r;
}

Result Index(const std::string& source) {
    Result r;
    bookc::Options options;
    options.lessonCount = 10;
    r.ok = bookc::CompileIndex(source, "index.txt", options, r.diagnostics, &r.stream);
    r.messages = r.diagnostics.Format();
    return r;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The stored bytes of a one-paragraph lesson.
std::string StoredText(const Result& r) {
    if (r.stream.size() < 3) {
        return "<none>";
    }
    return std::string(r.stream.begin() + 2, r.stream.end() - 1);
}

TEST(CompilerText, RightToLeftTextIsStoredInDrawingOrder) {
    // Hebrew reversed; numbers and Latin words keep their own order.
    EXPECT_EQ(StoredText(Lesson("אב 12 CD\n")), "CD 12 ba");
    EXPECT_EQ(StoredText(Lesson("גד (הו)\n")), "(fe) dc");
    EXPECT_EQ(StoredText(Lesson("@p ltr: ab (cd) 12\n")), "ab (cd) 12");
    // Bidi controls steer the order and are not stored: a left-to-right
    // embedding around "12!" keeps the neutral '!' after the number.
    EXPECT_EQ(StoredText(Lesson("א 12!\n")), "!12 a");
    EXPECT_EQ(StoredText(Lesson("א ‪12!‬\n")), "12! a");
    // Hebrew look-alike punctuation and Latin-1 letters.
    EXPECT_EQ(StoredText(Lesson("רש״י־א\n")), "a-j\"zy");
    EXPECT_EQ(StoredText(Lesson("@p ltr: café\n")), "caf\xE9");
}

TEST(CompilerText, LatinRunsInsideHebrewAreJoinedWithNoBreakSpaces) {
    // The words of a left-to-right run keep their order and are joined, so
    // the reader never breaks the line between them.
    EXPECT_EQ(StoredText(Lesson("אב PHOENIX DACTYLIFERA, גד\n")), "dc ,PHOENIX\xA0" "DACTYLIFERA ba");
    EXPECT_EQ(StoredText(Lesson("א ONE TWO THREE ב\n")), "b ONE\xA0TWO\xA0THREE a");
    EXPECT_EQ(StoredText(Lesson("א ו-WORD ONE\n")), "WORD\xA0ONE-f a");
    // A number after a Latin word belongs to its run; numbers among Hebrew
    // words are runs of their own, and a break between them reads correctly.
    EXPECT_EQ(StoredText(Lesson("א WORD 12 ב\n")), "b WORD\xA0" "12 a");
    EXPECT_EQ(StoredText(Lesson("א 12 34 ב\n")), "b 34 12 a");
    // An embedding makes one run of what it holds.
    EXPECT_EQ(StoredText(Lesson("א \u202A12 34\u202C ב\n")), "b 12\xA0" "34 a");
    // Left-to-right paragraphs and the spaces around a run keep plain spaces.
    EXPECT_EQ(StoredText(Lesson("@p ltr: ONE TWO\n")), "ONE TWO");
}

TEST(CompilerText, LatinRunsTooWideForANarrowLineAreAWarning) {
    // 19 characters fit a narrow line of normal type; 31 do not.
    Result r = Lesson("א ABCDEFGHI KLMNOPQRS ב\n");
    EXPECT_EQ(r.messages, "");
    r = Lesson("@title: כותרת\nאב SOME VERY LONG LATIN WORDS HERE\n");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.diagnostics.ErrorCount(), 0);
    EXPECT_TRUE(Has(r.messages, "lesson.txt:2:4: warning: the left-to-right run \"SOME VERY LONG LATIN WORDS "
                                "HERE\" is 31 characters; a line of the narrowest view holds about 19"))
        << r.messages;
    // Bold and large type hold fewer, small type (link captions) more.
    EXPECT_TRUE(Has(Lesson("@title: א ABCDEF HIJKLMN\n").messages, "holds about 13"));
    EXPECT_TRUE(Has(Lesson("@p bold: א ABCDEFGHI KLMNOPQR\n").messages, "holds about 17"));
    EXPECT_EQ(Lesson("א\n@link 2: א ABCDEFGHIJ KLMNOPQRSTU\n").messages, "");
    // A hyphen inside a run is a place the reader may break the line.
    r = Lesson("א X-RAY TUBE ב\n");
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(Has(r.messages, "lesson.txt:1:4: warning: a hyphen inside the left-to-right run \"X-RAY TUBE\""))
        << r.messages;
    EXPECT_EQ(Lesson("א ו-WORD ONE\n").messages, "");
}

TEST(CompilerText, CharactersTheCodeCannotHoldAreErrorsAtTheirColumn) {
    Result r = Lesson("@title: כותרת\nשלום world\n");
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(Has(r.messages, "lesson.txt:2:6: error: cannot store U+0077 'w'")) << r.messages;
    r = Lesson("@title: כותרת\n@p ltr: Hello שלום\n");
    EXPECT_TRUE(Has(r.messages, "lesson.txt:2:15: error: cannot store U+05E9")) << r.messages;
    r = Lesson("אמר “כן”\n");
    EXPECT_TRUE(Has(r.messages, "lesson.txt:1:5: error: cannot store U+201C")) << r.messages;
    EXPECT_TRUE(Has(r.messages, "write \" instead")) << r.messages;
    r = Lesson("אב\tגד\n");
    EXPECT_TRUE(Has(r.messages, "lesson.txt:1:3: error: cannot store U+0009")) << r.messages;
    r = Lesson("אב ~ גד\n");
    EXPECT_TRUE(Has(r.messages, "lesson.txt:1:4: error")) << r.messages;
    r = Lesson("אב \xFF\xFE גד\n");
    EXPECT_TRUE(Has(r.messages, "lesson.txt:1:4: error: invalid UTF-8")) << r.messages;
    r = Lesson("אב 漢\n");
    EXPECT_TRUE(Has(r.messages, "lesson.txt:1:4: error: cannot store U+6F22")) << r.messages;
    EXPECT_EQ(r.diagnostics.ErrorCount(), 1);
}

TEST(CompilerText, HebrewPointsAreDroppedOrRefusedWhenStrict) {
    Result r = Lesson("שָׁלוֹם עוֹלָם\n");
    EXPECT_TRUE(r.ok) << r.messages;
    EXPECT_EQ(StoredText(r), StoredText(Lesson("שלום עולם\n")));
    EXPECT_TRUE(Has(r.messages, "lesson.txt:1:2: warning: 5 Hebrew point(s)")) << r.messages;
    r = Lesson("שָׁלוֹם\n", true);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(Has(r.messages, "lesson.txt:1:2: error: Hebrew point")) << r.messages;
}

TEST(CompilerText, AByteOrderMarkAtTheStartIsDropped) {
    const std::string bom = "\xEF\xBB\xBF";
    // A first line that is a comment stays a comment; text and directives
    // compile as without the mark.
    for (const char* source : {"# a comment\nשלום\n", "שלום\n", "@title: כותרת\nשלום\n"}) {
        const Result plain = Lesson(source);
        const Result marked = Lesson(bom + source);
        ASSERT_TRUE(plain.ok) << plain.messages;
        EXPECT_TRUE(marked.ok) << source << "\n" << marked.messages;
        EXPECT_EQ(marked.stream, plain.stream) << source;
        EXPECT_EQ(marked.messages, plain.messages) << source;
    }
    const char* index = "# outline\n+ א\n  1 ב\n";
    const Result plain = Index(index);
    const Result marked = Index(bom + index);
    ASSERT_TRUE(plain.ok) << plain.messages;
    EXPECT_TRUE(marked.ok) << marked.messages;
    EXPECT_EQ(marked.stream, plain.stream);
    // Errors on the first line keep their column.
    EXPECT_TRUE(Has(Lesson(bom + "שלום world\n").messages, "lesson.txt:1:6: error: cannot store U+0077"));
    // Only the start: a mark inside the text is a character the code cannot hold.
    EXPECT_TRUE(Has(Lesson("שלום" + bom + "\n").messages, "lesson.txt:1:5: error: cannot store U+FEFF"));
}

TEST(CompilerLessons, DirectivesCheckTheirArguments) {
    const std::pair<const char*, const char*> cases[] = {
        {"א\n@link 263: אל\n", "lesson.txt:2:7: error: lesson number 263 out of range 1-262"},
        {"א\n@link 0: אל\n", "lesson.txt:2:7: error: lesson number 0 out of range"},
        {"א\n@link: אל\n", "lesson.txt:2:1: error: @link needs the number"},
        {"א\n@link 5\n", "lesson.txt:2:1: error: a link needs a caption"},
        {"א\n@rule 161px\n", "lesson.txt:2:7: error: a rule is 1 to 160 pixels wide"},
        {"א\n@rule 51%\n", "lesson.txt:2:7: error: a rule's percentage is even"},
        {"א\n@rule 192%\n", "lesson.txt:2:7: error: a rule's percentage is even"},
        {"א\n@rule centre\n", "lesson.txt:2:1: error: a rule needs a width"},
        {"א\n@rule 5px: טקסט\n", "lesson.txt:2:10: error: a rule has no text"},
        {"א\n@p indent=64: ב\n", "lesson.txt:2:11: error: indent must be a number from 0 to 63"},
        {"א\n@p label=4: ב\n", "lesson.txt:2:10: error: label must be a number from 0 to 3"},
        {"א\n@p cont: ב\n", "lesson.txt:2:4: error: 'cont' continues a labelled paragraph"},
        {"@p label=1 cont: ב\n", "lesson.txt:1:12: error: the first paragraph cannot continue"},
        {"א\n@p huge: ב\n", "lesson.txt:2:4: error: unknown attribute 'huge'"},
        {"א\n@title big: ב\n", "lesson.txt:2:8: error: unknown attribute 'big'"},
        {"א\n@quote: ב\n", "lesson.txt:2:1: error: unknown directive '@quote'"},
        {"@p:\nא\n", "lesson.txt:1:1: error: the first paragraph of a lesson needs text"},
        {"# only a comment\n\n", "lesson.txt: error: the lesson has no paragraphs"},
        {"@title:\n", "lesson.txt:1:1: error: a title needs text"},
    };
    for (const auto& [source, message] : cases) {
        const Result r = Lesson(source);
        EXPECT_FALSE(r.ok) << source;
        EXPECT_TRUE(Has(r.messages, message)) << source << "\n" << r.messages;
    }
}

TEST(CompilerLessons, LinkNumbersUseTheTwoByteFormWhenTheyMust) {
    // 133 = 5 + (1 << 7): bytes 0x85 0x81.
    Result r = Lesson("א\n@link 133: אל\n");
    ASSERT_TRUE(r.ok) << r.messages;
    const std::string s(r.stream.begin(), r.stream.end());
    EXPECT_TRUE(Has(s, std::string("\x37\x01\x85\x81", 4)));
    r = Lesson("א\n@link 5: אל\n");
    EXPECT_TRUE(Has(std::string(r.stream.begin(), r.stream.end()), std::string("\x37\x01\x05", 3)));
    r = Lesson("א\n@link 128: אל\n");
    EXPECT_TRUE(Has(std::string(r.stream.begin(), r.stream.end()), std::string("\x37\x01\x80\x81", 4)))
        << "128 never gives a zero first byte";
}

TEST(CompilerLessons, StreamsOverTheLimitAreRefusedWhereTheyPassIt) {
    std::string source = "@title: א\n";
    const std::string line(1000, 'A');
    for (int i = 0; i < 70; ++i) {
        source += "@p ltr: " + line + "\n";
    }
    const Result r = Lesson(source);
    EXPECT_FALSE(r.ok);
    // Each record is 1003 bytes; the title 5: line 67 passes 65,535.
    EXPECT_TRUE(Has(r.messages, "lesson.txt:67:1: error: the lesson's stream passes 65,535 bytes")) << r.messages;
    EXPECT_EQ(r.diagnostics.ErrorCount(), 1);
}

TEST(CompilerIndex, EntriesAreCheckedWhereTheyStand) {
    const std::pair<const char*, const char*> cases[] = {
        {"+ א\n   3 ב\n", "index.txt:2:4: error: indent by two spaces per level"},
        {"+ א\n\t3 ב\n", "index.txt:2:1: error: indent with spaces"},
        {"+ א\n  11 ב\n", "index.txt:2:3: error: lesson number 11 out of range 1-10"},
        {"+ {id=4} א\n+ {id=4} ב\n", "index.txt:2:4: error: section number 4 is already used on line 1"},
        {"+ {id=2167} א\n", "index.txt:1:4: error: section number 2167 belongs to the reader's Bookmarks"},
        {"+ {id=0} א\n", "index.txt:1:7: error: id must be a number from 1 to 16383"},
        {"+ {wide} א\n", "index.txt:1:4: error: unknown attribute 'wide'"},
        {"3 {id=5} א\n", "index.txt:1:4: error: unknown attribute 'id=5'"},
        {"+\n", "index.txt:1:1: error: an index entry needs text"},
        {"* א\n", "index.txt:1:1: error: an index line starts with"},
        {"+ {bold א\n", "index.txt:1:3: error: '{' without '}'"},
        {"3 world\n", "index.txt:1:3: error: cannot store U+0077"},
        {"# nothing\n", "index.txt: error: the index has no entries"},
    };
    for (const auto& [source, message] : cases) {
        const Result r = Index(source);
        EXPECT_FALSE(r.ok) << source;
        EXPECT_TRUE(Has(r.messages, message)) << source << "\n" << r.messages;
    }
    // Text that is not UTF-8 is reported once, not also as missing.
    const Result r = Index("+ \xff\n");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.diagnostics.ErrorCount(), 1) << r.messages;
    EXPECT_FALSE(Has(r.messages, "needs text")) << r.messages;
}

TEST(CompilerIndex, SectionNumbersSkipThoseGivenAndTheBookmarks) {
    const Result r = Index("+ {id=1} א\n- ב\n- {id=3} ג\n- ד\n");
    ASSERT_TRUE(r.ok) << r.messages;
    std::vector<unsigned> ids;
    for (std::size_t pos = 0; pos + 4 < r.stream.size() && r.stream[pos + 2] != 0;) {
        ids.push_back(r.stream[pos] | unsigned(r.stream[pos + 1]) << 8);
        pos += 4;
        while (r.stream[pos] != 0) {
            ++pos;
        }
        ++pos;
    }
    EXPECT_EQ(ids, (std::vector<unsigned>{0x8001, 0x8002, 0x8003, 0x8004}));
}

class CompilerBookTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("bookc-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::copy(TOVANEL_SOURCE_DIR "/tests/fixtures/features", dir_,
                              std::filesystem::copy_options::recursive);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string Compile(bool* ok) {
        bookc::Options options;
        options.lessonCount = 4;
        bookc::Diagnostics diagnostics;
        std::vector<bookc::CompiledResource> resources;
        *ok = bookc::CompileBook(dir_, options, diagnostics, &resources);
        return diagnostics.Format();
    }

    void Write(const std::string& name, const std::string& text) {
        std::ofstream(dir_ / name, std::ios::binary) << text;
    }

    std::filesystem::path dir_;
};

TEST_F(CompilerBookTest, MissingAndStrayFilesStopTheBook) {
    bool ok = false;
    Compile(&ok);
    EXPECT_TRUE(ok);

    std::filesystem::remove(dir_ / "lessons/003.txt");
    std::filesystem::remove(dir_ / "index.txt");
    Write("lessons/005.txt", "א\n");
    Write("lessons/notes.txt", "א\n");
    const std::string messages = Compile(&ok);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(Has(messages, "lessons/003.txt: error: missing lesson 3")) << messages;
    EXPECT_TRUE(Has(messages, "index.txt: error: missing index")) << messages;
    EXPECT_TRUE(Has(messages, "lessons/005.txt:1:1: error: lesson number 5 out of range 1-4")) << messages;
    EXPECT_TRUE(Has(messages, "lessons/notes.txt: error: a lesson file is named by its three-digit number"))
        << messages;
}

TEST_F(CompilerBookTest, AFolderInPlaceOfASourceIsAnError) {
    std::filesystem::remove(dir_ / "lessons/003.txt");
    std::filesystem::create_directory(dir_ / "lessons/003.txt");
    std::filesystem::remove(dir_ / "index.txt");
    std::filesystem::create_directory(dir_ / "index.txt");
    bool ok = true;
    const std::string messages = Compile(&ok);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(Has(messages, "lessons/003.txt: error: lesson 3 is a folder, not a file")) << messages;
    EXPECT_TRUE(Has(messages, "index.txt: error: index is a folder, not a file")) << messages;
}

TEST_F(CompilerBookTest, LessonsTheIndexDoesNotNameAreAWarning) {
    Write("index.txt", "+ א\n  1 ב\n  3 ג\n");
    bool ok = false;
    const std::string messages = Compile(&ok);
    EXPECT_TRUE(ok) << messages;
    EXPECT_TRUE(Has(messages, "index.txt: warning: lessons not listed (the Bookmarks section cannot name them): 2, 4"))
        << messages;
}

TEST(CompilerOutput, GeneratedSourceHoldsEveryByteOnce) {
    std::vector<bookc::CompiledResource> resources(2);
    resources[0].id = 1001;
    for (int b = 0; b < 256; ++b) {
        resources[0].bytes.push_back(std::uint8_t(b));
    }
    resources[1].id = 32767;
    resources[1].bytes = {'?', '?', '=', '"', '\\', '7', 0, '7'};
    const std::string source = bookc::GenerateResourceSource(resources, "here");
    EXPECT_TRUE(Has(source, "{RT_RCDATA, 1001, kResource1001, 256}"));
    EXPECT_TRUE(Has(source, "{RT_RCDATA, 32767, kResource32767, 8}"));
    // Escapes are fixed-width octal, so a digit after one is its own byte;
    // '?' is escaped so no trigraph forms.
    EXPECT_TRUE(Has(source, "\"\\077\\077=\\042\\134" "7\\000" "7\""));
    EXPECT_FALSE(Has(source, "??"));
}

}  // namespace
