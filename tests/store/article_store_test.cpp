// LoadArticle, OpenContainer and UnCompress over resource tables built here.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "platform/headless/headless.h"
#include "platform/memory.h"
#include "platform/resources.h"
#include "store/article_store.h"
#include "store/palmdoc.h"
#include "support/test_container.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Container bytes around a compressed stream claiming `textLength`.
Bytes Container(const Bytes& stream, unsigned textLength) {
    return testsupport::ContainerAround(stream, textLength);
}

class ArticleStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::headless::ClearMessageBoxes();
        plat::testing::ResetAllocationFailure();
    }
    void TearDown() override {
        plat::testing::ResetAllocationFailure();
        AppState.Instance = nullptr;
    }

    // Makes the given resources (id -> bytes) the program's own.
    void UseResources(std::vector<std::pair<std::uint16_t, Bytes>> resources) {
        resources_ = std::move(resources);
        entries_.clear();
        for (const auto& [id, bytes] : resources_) {
            entries_.push_back({RT_RCDATA, id, bytes.empty() ? nullptr : bytes.data(), std::uint32_t(bytes.size())});
        }
        module_ = plat::Module{};
        plat::AddResourceTable(&module_, plat::ResourceTable{entries_.data(), entries_.size()});
        AppState.Instance = &module_;
    }

    // Runs UnCompress on a stream and returns the text, or the code.
    std::string Decode(const Bytes& stream, unsigned textLength, int* code) {
        CompressedBlock block{stream.data(), std::uint32_t(stream.size()), textLength};
        *code = 0;
        std::uint8_t* text = UnCompress(&block, code);
        if (text == nullptr) {
            return "<none>";
        }
        EXPECT_EQ(text[textLength], 0);
        std::string s(reinterpret_cast<const char*>(text), textLength);
        plat::Free(text);
        return s;
    }

    static bool BufferErrorShown() {
        const auto& boxes = plat::headless::MessageBoxes();
        if (boxes.size() != 1) {
            return false;
        }
        return boxes[0].text == u"UnCompress() buffer error!" && boxes[0].caption.empty() &&
               boxes[0].owner == nullptr && boxes[0].type == MB_OK;
    }

    std::vector<std::pair<std::uint16_t, Bytes>> resources_;
    std::vector<plat::ResourceEntry> entries_;
    plat::Module module_;
};

TEST_F(ArticleStoreTest, LoadsLessonsAndTheIndexByResourceId) {
    const std::string lesson = std::string("\x31\x00", 2) + "abc";
    const Bytes text(lesson.begin(), lesson.end());
    UseResources({{1004, Container(PalmDocCompress(text.data(), text.size()), unsigned(text.size()))},
                  {32767, Container({'i', 'x'}, 2)}});
    int code = 0;
    std::uint8_t* buffer = LoadArticle(4, &code);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(0, std::memcmp(buffer, text.data(), text.size()));
    EXPECT_EQ(buffer[text.size()], 0);
    EXPECT_EQ(buffer[text.size() + 1], 0);
    plat::Free(buffer);
    buffer = LoadArticle(kIndexLesson, &code);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer)), "ix");
    plat::Free(buffer);
    EXPECT_TRUE(plat::headless::MessageBoxes().empty());
}

TEST_F(ArticleStoreTest, MissingAndBadContainersGiveTheirCodesSilently) {
    UseResources({{1001, {}},
                  {1002, Container({'a'}, 1)},
                  {1003, {0x00, 0x04, 0, 0, 0, 0, 0, 1, 0, 1}},      // remainder 4
                  {1005, Container({}, 3)},                           // compressed length 0
                  {1006, {0x00, 0x20, 0, 1, 0, 1, 0, 1, 0, 1, 'a'}},  // remainder past the resource
                  {1007, {0x00, 0x06, 0, 1, 0, 1, 0, 3, 0, 1, 'a', 'b'}},  // stream past the remainder
                  {1008, {0x00, 0x01, 0}}});                          // shorter than the header
    int code = 99;
    EXPECT_EQ(LoadArticle(0, &code), nullptr);
    EXPECT_EQ(LoadArticle(-5, &code), nullptr);
    EXPECT_EQ(code, 99) << "a number below 1 sets no code";
    EXPECT_EQ(LoadArticle(9, &code), nullptr);
    EXPECT_EQ(code, ArticleError::NotFound);
    EXPECT_EQ(LoadArticle(70000, &code), nullptr);
    EXPECT_EQ(code, ArticleError::NotFound);
    EXPECT_EQ(LoadArticle(1, &code), nullptr);
    EXPECT_EQ(code, ArticleError::CannotLoad);
    for (int lesson : {3, 5, 6, 7, 8}) {
        code = 0;
        EXPECT_EQ(LoadArticle(lesson, &code), nullptr) << lesson;
        EXPECT_EQ(code, ArticleError::BadContainer) << lesson;
    }
    EXPECT_EQ(LoadArticle(9), nullptr) << "the code argument is optional";
    EXPECT_TRUE(plat::headless::MessageBoxes().empty());

    plat::testing::FailAllocationsAfter(0);
    code = 0;
    EXPECT_EQ(LoadArticle(2, &code), nullptr);
    EXPECT_EQ(code, ArticleError::CannotLoad);
    plat::testing::ResetAllocationFailure();
    EXPECT_TRUE(plat::headless::MessageBoxes().empty());

    EXPECT_EQ(OpenContainer(nullptr, 10, &code), nullptr);
    EXPECT_EQ(code, ArticleError::BadContainer);
    const Bytes tail = {0, 1, 0, 1, 'a'};
    std::uint8_t* text = OpenContainer(tail.data(), 5, &code);
    ASSERT_NE(text, nullptr) << "remainder 5 with one stream byte is enough";
    EXPECT_EQ(text[0], 'a');
    plat::Free(text);
}

TEST_F(ArticleStoreTest, BlocksWithoutInputOrOutputAreRefused) {
    int code = 0;
    EXPECT_EQ(UnCompress(nullptr, &code), nullptr);
    EXPECT_EQ(code, ArticleError::BadBlock);
    const Bytes stream = {'a'};
    CompressedBlock noOutput{stream.data(), 1, 0};
    code = 0;
    EXPECT_EQ(UnCompress(&noOutput, &code), nullptr);
    EXPECT_EQ(code, ArticleError::BadBlock);
    CompressedBlock noInput{nullptr, 1, 1};
    code = 0;
    EXPECT_EQ(UnCompress(&noInput, &code), nullptr);
    EXPECT_EQ(code, ArticleError::BadBlock);
    EXPECT_TRUE(plat::headless::MessageBoxes().empty());
}

TEST_F(ArticleStoreTest, TokensPastTheTextLengthAreCutAndExtraInputIgnored) {
    int code = 0;
    EXPECT_EQ(Decode({'a', 0xE2}, 2, &code), "a ") << "space pair with one byte of room";
    EXPECT_EQ(Decode({0x03, 'x', 'y', 'z'}, 2, &code), "xy");
    EXPECT_EQ(Decode({'a', 'b', 0x80, 0x17}, 5, &code), "ababa");
    EXPECT_EQ(Decode({'a', 'b', 'c', 'd', 'e'}, 3, &code), "abc");
    EXPECT_EQ(Decode({'q', 0x80, 0x0F}, 11, &code), std::string(11, 'q'));
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(plat::headless::MessageBoxes().empty());
}

TEST_F(ArticleStoreTest, ShortAndCorruptStreamsShowTheBufferError) {
    const std::vector<std::pair<Bytes, unsigned>> cases = {
        {{'a', 'b', 'c'}, 4},          // one byte short
        {{'a', 0x80, 0x00}, 4},        // distance 0
        {{'a', 'b', 0x80, 0x18}, 6},   // distance 3 after two bytes
        {{0x05, 'a', 'b'}, 5},         // run past the input
        {{'a', 'b', 0x80}, 5},         // pair without its second byte
        {{0xBF, 0xFF}, 10},            // reference before any output
    };
    for (const auto& [stream, length] : cases) {
        plat::headless::ClearMessageBoxes();
        int code = 0;
        EXPECT_EQ(Decode(stream, length, &code), "<none>");
        EXPECT_EQ(code, ArticleError::BufferError);
        EXPECT_TRUE(BufferErrorShown());
    }
    // Through the whole path, from the resource.
    plat::headless::ClearMessageBoxes();
    UseResources({{1010, Container({'a', 'b'}, 3)}});
    int code = 0;
    EXPECT_EQ(LoadArticle(10, &code), nullptr);
    EXPECT_EQ(code, ArticleError::BufferError);
    EXPECT_TRUE(BufferErrorShown());
}

}  // namespace
