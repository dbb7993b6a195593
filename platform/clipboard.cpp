// Clipboard text: Windows-874 bytes inside, Unicode on the clipboard.
#include "platform/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/cp874.h"

namespace platform {

bool ClipboardHasText() {
    QClipboard* cb = QGuiApplication::clipboard();
    if (!cb) return false;
    const QMimeData* data = cb->mimeData();
    return data && data->hasText() && !data->text().isEmpty();
}

IncomingText FromUnicode(std::u32string_view text) {
    IncomingText in;
    in.bytes = EncodeCp874(text);
    for (char32_t ch : text) {
        if (UnicodeToCp874(ch) < 0) {
            in.firstUnencodable = ch;
            break;
        }
    }
    return in;
}

// Line breaks are left as they are: CR LF stays CR LF, a bare LF stays LF; the split rules of the
// text controls accept all of them.
IncomingText ClipboardIncomingText() {
    QClipboard* cb = QGuiApplication::clipboard();
    if (!cb) return {};
    const QList<uint> ucs = cb->text().toUcs4();
    const std::u32string text(ucs.begin(), ucs.end());
    return FromUnicode(text);
}

std::string ClipboardText() { return ClipboardIncomingText().bytes; }

void SetClipboardText(std::string_view bytes) {
    QClipboard* cb = QGuiApplication::clipboard();
    if (!cb) return;
    std::u32string u = DecodeCp874(bytes);
    cb->setText(QString::fromUcs4(u.data(), static_cast<qsizetype>(u.size())));
}

}  // namespace platform
