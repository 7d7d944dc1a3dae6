// The clipboard with named formats, in one process.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <cstring>
#include <string>

#include "platform/clipboard.h"

namespace {

void* Block(const void* bytes, std::uint32_t size) {
    void* block = plat::LocalAlloc(size);
    std::memcpy(block, bytes, size);
    return block;
}

TEST(Clipboard, RegisteredNamesKeepTheirNumbers) {
    std::uint32_t rtf = plat::RegisterClipboardFormat(u"Rich Text Format");
    EXPECT_GE(rtf, 0xC000u);
    EXPECT_EQ(plat::RegisterClipboardFormat(u"rich text format"), rtf);
    EXPECT_NE(plat::RegisterClipboardFormat(u"Something Else"), rtf);
    EXPECT_EQ(plat::RegisterClipboardFormat(u""), 0u);
}

TEST(Clipboard, RichTextAndUnicodeTextRoundTrip) {
    const std::string rtf = "{\\rtf1\\ansi {\\f0 \\u1488?}}";
    const std::u16string text = u"\u05E9\u05DC\u05D5\u05DD and more";
    std::uint32_t rtfFormat = plat::RegisterClipboardFormat(u"Rich Text Format");

    ASSERT_TRUE(plat::OpenClipboard(nullptr));
    EXPECT_FALSE(plat::OpenClipboard(nullptr)) << "only one opening at a time";
    ASSERT_TRUE(plat::EmptyClipboard());
    EXPECT_TRUE(plat::SetClipboardData(rtfFormat, Block(rtf.data(), std::uint32_t(rtf.size())),
                                       std::uint32_t(rtf.size())));
    EXPECT_TRUE(plat::SetClipboardData(CF_UNICODETEXT, Block(text.c_str(), std::uint32_t(text.size() * 2 + 2)),
                                       std::uint32_t(text.size() * 2 + 2)));
    ASSERT_TRUE(plat::CloseClipboard());

    // The desktop sees RTF and plain text.
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->data(QStringLiteral("text/rtf")).toStdString(), rtf);
    EXPECT_EQ(data->data(QStringLiteral("application/rtf")).toStdString(), rtf);
    EXPECT_EQ(data->text(), QString::fromStdU16String(text));

    ASSERT_TRUE(plat::OpenClipboard(nullptr));
    std::uint32_t size = 0;
    const std::uint8_t* bytes = plat::GetClipboardData(rtfFormat, &size);
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes), size), rtf);
    bytes = plat::GetClipboardData(CF_UNICODETEXT, &size);
    ASSERT_NE(bytes, nullptr);
    ASSERT_EQ(size, text.size() * 2 + 2);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(bytes)), text);
    EXPECT_EQ(plat::GetClipboardData(plat::RegisterClipboardFormat(u"Absent Format"), &size), nullptr);
    EXPECT_EQ(size, 0u);
    plat::CloseClipboard();
    EXPECT_EQ(plat::GetClipboardData(rtfFormat, &size), nullptr) << "closed clipboard gives nothing";
}

TEST(Clipboard, AppendingReadsWhatIsThereThenReplacesIt) {
    std::uint32_t rtfFormat = plat::RegisterClipboardFormat(u"Rich Text Format");
    auto* external = new QMimeData;
    external->setData(QStringLiteral("application/rtf"), QByteArray("{\\rtf1 first}"));
    QGuiApplication::clipboard()->setMimeData(external);

    ASSERT_TRUE(plat::OpenClipboard(nullptr));
    std::uint32_t size = 0;
    const std::uint8_t* old = plat::GetClipboardData(rtfFormat, &size);
    ASSERT_NE(old, nullptr) << "another program's RTF comes under either name";
    std::string joined = std::string(reinterpret_cast<const char*>(old), size) + " second";
    EXPECT_EQ(plat::GetClipboardData(CF_UNICODETEXT, &size), nullptr);
    plat::EmptyClipboard();
    plat::SetClipboardData(rtfFormat, Block(joined.data(), std::uint32_t(joined.size())),
                           std::uint32_t(joined.size()));
    plat::CloseClipboard();
    EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->data(QStringLiteral("text/rtf")).toStdString(),
              "{\\rtf1 first} second");
    EXPECT_FALSE(QGuiApplication::clipboard()->mimeData()->hasText()) << "emptying dropped the old formats";
}

TEST(Clipboard, SettingWhileClosedFailsAndStillFreesTheBlock) {
    void* block = plat::LocalAlloc(4);
    EXPECT_FALSE(plat::SetClipboardData(CF_UNICODETEXT, block, 4));
    EXPECT_FALSE(plat::CloseClipboard());
}

}  // namespace
