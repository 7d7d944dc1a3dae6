// An export on the desktop's real clipboard: the rich type word processors
// read, and plain text beside it.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <string>

#include "app/app_state.h"
#include "clipboard/clipboard_export.h"
#include "clipboard/rtf_writer.h"

namespace {

const char16_t kText[] = u"\u05E9\u05E0\u05EA 1948\r\n";
const std::string kBody = "\\u1513\\u1504\\u1514  1948\\par\\par\r\n\\par\\par\r\n";

TEST(ClipboardExport, RichTextAndPlainTextReachTheDesktop) {
    PutRtfOnClipboard(kText, false);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    ASSERT_TRUE(data->hasFormat(QStringLiteral("text/rtf")));
    EXPECT_EQ(data->data(QStringLiteral("text/rtf")).toStdString(),
              std::string(kRtfHeader) + kBody + "}\r\n")
        << "the document without its terminating zero";
    EXPECT_EQ(data->text(), QString::fromStdU16String(kText));
}

TEST(ClipboardExport, AppendReadsAnotherProgramsRichText) {
    auto* external = new QMimeData;
    external->setData(QStringLiteral("application/rtf"), QByteArray("{\\rtf1\\ansi Hello\\par}\r\n"));
    external->setText(QStringLiteral("Hello\n"));
    QGuiApplication::clipboard()->setMimeData(external);

    PutRtfOnClipboard(kText, true);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->data(QStringLiteral("text/rtf")).toStdString(),
              "{\\rtf1\\ansi Hello\\par" + std::string(kRtfSeparator) + "\\pard\\rtlpar\\qr\\uc0\r\n" + kBody +
                  "}\r\n");
    EXPECT_EQ(data->text(), QStringLiteral("Hello\n") + QString::fromStdU16String(kText));
}

}  // namespace
