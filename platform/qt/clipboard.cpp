// Clipboard on Qt. Formats are numbers as on the handheld; registered names
// map to mime types: "Rich Text Format" is RTF ("text/rtf", also offered
// as "application/rtf"), CF_UNICODETEXT is plain text. What the program
// sets between EmptyClipboard and CloseClipboard goes to the desktop's
// clipboard at CloseClipboard.
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

#include <map>
#include <memory>
#include <vector>

#include "platform/clipboard.h"
#include "platform/memory.h"
#include "platform/qt/qt_internal.h"
#include "platform/unicode.h"

namespace plat {
namespace {

constexpr std::uint32_t kFirstRegistered = 0xC000;

std::vector<std::u16string> g_names;  // registered format names, by id - 0xC000
bool g_open = false;
std::unique_ptr<QMimeData> g_pending;  // what the program set, until CloseClipboard
std::map<std::uint32_t, QByteArray> g_read;  // data handed out while open

bool IsRtfName(const std::u16string& name) { return U16EqualNoCase(name, u"Rich Text Format"); }

bool IsRichText(std::uint32_t format) {
    return format >= kFirstRegistered && format - kFirstRegistered < g_names.size() &&
           IsRtfName(g_names[format - kFirstRegistered]);
}

// Mime types of a format, the preferred one first.
QStringList MimeTypes(std::uint32_t format) {
    if (format == CF_UNICODETEXT || format == CF_TEXT) {
        return {QStringLiteral("text/plain")};
    }
    if (format < kFirstRegistered || format - kFirstRegistered >= g_names.size()) {
        return {};
    }
    const std::u16string& name = g_names[format - kFirstRegistered];
    if (IsRtfName(name)) {
        return {QStringLiteral("text/rtf"), QStringLiteral("application/rtf"),
                QStringLiteral("text/richtext")};
    }
    return {QStringLiteral("application/x-tovanel-") +
            QString::fromUtf8(QUrl::toPercentEncoding(qtb::ToQString(name)))};
}

const QMimeData* Current() {
    if (g_pending) {
        return g_pending.get();
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard != nullptr ? clipboard->mimeData() : nullptr;
}

QMimeData* Pending() {
    if (!g_pending) {
        // Setting without emptying first adds to what is there.
        g_pending = std::make_unique<QMimeData>();
        if (const QMimeData* now = Current()) {
            for (const QString& type : now->formats()) {
                g_pending->setData(type, now->data(type));
            }
        }
    }
    return g_pending.get();
}

}  // namespace

bool OpenClipboard(Window) {
    if (g_open || QCoreApplication::instance() == nullptr) {
        return false;
    }
    g_open = true;
    g_read.clear();
    return true;
}

bool CloseClipboard() {
    if (!g_open) {
        return false;
    }
    g_open = false;
    g_read.clear();
    if (g_pending) {
        if (QClipboard* clipboard = QGuiApplication::clipboard()) {
            clipboard->setMimeData(g_pending.release());
        }
        g_pending.reset();
    }
    return true;
}

bool EmptyClipboard() {
    if (!g_open) {
        return false;
    }
    g_pending = std::make_unique<QMimeData>();
    g_read.clear();
    return true;
}

std::uint32_t RegisterClipboardFormat(const char16_t* name) {
    if (name == nullptr || name[0] == 0) {
        return 0;
    }
    for (std::size_t i = 0; i < g_names.size(); ++i) {
        if (U16EqualNoCase(g_names[i], name)) {
            return kFirstRegistered + std::uint32_t(i);
        }
    }
    g_names.emplace_back(name);
    return kFirstRegistered + std::uint32_t(g_names.size() - 1);
}

const std::uint8_t* GetClipboardData(std::uint32_t format, std::uint32_t* size) {
    if (size != nullptr) {
        *size = 0;
    }
    if (!g_open) {
        return nullptr;
    }
    const QMimeData* data = Current();
    if (data == nullptr) {
        return nullptr;  // another program's clipboard may offer nothing at all
    }
    QByteArray bytes;
    if (format == CF_UNICODETEXT || format == CF_TEXT) {
        if (!data->hasText()) {
            return nullptr;
        }
        QString text = data->text();
        if (format == CF_UNICODETEXT) {
            bytes = QByteArray(reinterpret_cast<const char*>(text.utf16()),
                               qsizetype(text.size() * 2));
            bytes.append('\0').append('\0');
        } else {
            bytes = text.toLatin1();
            bytes.append('\0');
        }
    } else {
        bool found = false;
        for (const QString& type : MimeTypes(format)) {
            if (data->hasFormat(type)) {
                bytes = data->data(type);
                found = true;
                break;
            }
        }
        if (!found) {
            return nullptr;
        }
    }
    QByteArray& kept = g_read[format];
    kept = bytes;
    if (size != nullptr) {
        *size = std::uint32_t(kept.size());
    }
    return reinterpret_cast<const std::uint8_t*>(kept.constData());
}

bool SetClipboardData(std::uint32_t format, void* block, std::uint32_t size) {
    QByteArray bytes;
    if (block != nullptr) {
        bytes = QByteArray(static_cast<const char*>(block), qsizetype(size));
    }
    LocalFree(block);  // the clipboard owns the block from now on
    if (!g_open || (block == nullptr && size != 0)) {
        return false;
    }
    QStringList types = MimeTypes(format);
    if (types.isEmpty()) {
        return false;
    }
    QMimeData* data = Pending();
    if (format == CF_UNICODETEXT) {
        // UTF-16 up to the terminating zero.
        qsizetype units = bytes.size() / 2;
        const auto* p = reinterpret_cast<const char16_t*>(bytes.constData());
        qsizetype n = 0;
        while (n < units && p[n] != 0) {
            ++n;
        }
        data->setText(QString::fromUtf16(p, n));
    } else if (format == CF_TEXT) {
        qsizetype n = bytes.indexOf('\0');
        data->setText(QString::fromLatin1(n >= 0 ? bytes.left(n) : bytes));
    } else {
        if (IsRichText(format)) {
            // 8-bit text up to its terminating zero.
            qsizetype n = bytes.indexOf('\0');
            if (n >= 0) bytes.truncate(n);
        }
        for (const QString& type : types) {
            data->setData(type, bytes);
        }
    }
    g_read.erase(format);
    return true;
}

void* LocalAlloc(std::uint32_t size) { return Allocate(size); }

void LocalFree(void* block) { Free(block); }

}  // namespace plat
