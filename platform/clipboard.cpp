// Clipboard text: Windows-874 bytes inside, Unicode on the clipboard.
#include "platform/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <cstdio>

#include "platform/cp874.h"
#include "platform/services.h"

namespace platform {

namespace {

QClipboard::Mode ModeOf(ClipSource source) {
    return source == ClipSource::Primary ? QClipboard::Selection : QClipboard::Clipboard;
}

QString ToUnicode(std::string_view bytes) {
    const std::u32string u = DecodeCp874(bytes);
    return QString::fromUcs4(u.data(), static_cast<qsizetype>(u.size()));
}

// A selection offered as the primary selection: its text is made only when another program (or
// a paste) asks for it.
class OfferedSelection : public QMimeData {
public:
    OfferedSelection(const void* owner, std::function<std::string()> selected)
        : owner_(owner), selected_(std::move(selected)) {}
    const void* Owner() const { return owner_; }
    void Keep(std::string_view text) {
        if (!text.empty()) last_ = Convert(text);
        selected_ = nullptr;
    }
    QStringList formats() const override { return {QStringLiteral("text/plain")}; }
    bool hasFormat(const QString& mimeType) const override { return mimeType == QLatin1String("text/plain"); }

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override {
        if (mimeType != QLatin1String("text/plain") && !mimeType.startsWith(QLatin1String("text/plain;")))
            return QMimeData::retrieveData(mimeType, type);
        if (selected_) {
            const std::string bytes = selected_();
            if (!bytes.empty()) last_ = Convert(bytes);
        }
        return last_;
    }

private:
    static QString Convert(std::string_view bytes) {
        QString text = ToUnicode(bytes);
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        return text;
    }
    const void* owner_;
    std::function<std::string()> selected_;
    mutable QString last_;
};

OfferedSelection* Offered() {
    QClipboard* cb = QGuiApplication::clipboard();
    if (!cb || !cb->supportsSelection()) return nullptr;
    return dynamic_cast<OfferedSelection*>(const_cast<QMimeData*>(cb->mimeData(QClipboard::Selection)));
}

}  // namespace

bool ClipboardHasText(ClipSource source) {
    QClipboard* cb = QGuiApplication::clipboard();
    if (!cb) return false;
    if (source == ClipSource::Primary && !cb->supportsSelection()) return false;
    const QMimeData* data = cb->mimeData(ModeOf(source));
    return data && data->hasText() && !data->text().isEmpty();
}

IncomingText FromUnicode(std::u32string_view text) {
    IncomingText in;
    in.bytes = EncodeCp874(text);
    for (size_t i = 0; i < text.size(); ++i) {
        if (UnicodeToCp874(text[i]) < 0) {
            in.firstUnencodable = text[i];
            in.firstUnencodableAt = i;  // one byte for every character
            break;
        }
    }
    return in;
}

bool AgreeToReplacements(char32_t firstUnencodable) {
    // Nothing of the user's text is replaced by "?" without a word.
    if (!firstUnencodable) return true;
    const std::string question = CharacterName(firstUnencodable) +
                                 " and any other character that TIS-620 lacks would be pasted as \"?\"."
                                 " Paste with these replacements?";
    return Current().AskQuestion(question) == mrYes;
}

bool AgreeToPaste(const IncomingText& text) {
    if (text.tooLarge) {
        Current().ShowMessage("The text to paste is " + TooLargeReason() + ".");
        return false;
    }
    return AgreeToReplacements(text.firstUnencodable);
}

bool AgreeToReplacements(const Unencodable& found, const std::string& path) {
    if (found.count == 0) return true;
    const size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string more = found.count == 1 ? std::string(", the only character there that TIS-620 lacks")
                                              : ", and " + std::to_string(found.count - 1) + " more characters that TIS-620 lacks";
    const std::string question = "\"" + name + "\" holds " + CharacterName(found.first) + " at " + found.place + more +
                                 ". Open it with " + (found.count == 1 ? "this character" : "each of them") +
                                 " replaced by \"?\"?";
    return Current().AskQuestion(question) == mrYes;
}

std::string CharacterName(char32_t ch) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(ch));
    std::string name = code;
    if (ch < 0x20 || (ch >= 0x7F && ch < 0xA0) || (ch >= 0xD800 && ch < 0xE000) || ch > 0x10FFFF) return name;
    return name + " (" + QString::fromUcs4(&ch, 1).toStdString() + ")";
}

// Line breaks are left as they are: CR LF stays CR LF, a bare LF stays LF; the split rules of the
// text controls accept all of them. A text is held to the size of a file that can be read: every
// character becomes one byte, so no more UTF-16 units than that are taken.
IncomingText ClipboardIncomingText(ClipSource source) {
    QClipboard* cb = QGuiApplication::clipboard();
    if (!cb) return {};
    if (source == ClipSource::Primary && !cb->supportsSelection()) return {};
    const QString unicode = cb->text(ModeOf(source));
    if (static_cast<size_t>(unicode.size()) > LargestReadableFile()) {
        IncomingText refused;
        refused.tooLarge = true;
        return refused;
    }
    const QList<uint> ucs = unicode.toUcs4();
    const std::u32string text(ucs.begin(), ucs.end());
    return FromUnicode(text);
}

std::string ClipboardText(ClipSource source) { return ClipboardIncomingText(source).bytes; }

void SetClipboardText(std::string_view bytes) {
    QClipboard* cb = QGuiApplication::clipboard();
    if (!cb) return;
    cb->setText(ToUnicode(bytes));
}

bool HasPrimarySelection() {
    QClipboard* cb = QGuiApplication::clipboard();
    return cb && cb->supportsSelection();
}

void OfferPrimarySelection(const void* owner, std::function<std::string()> selected) {
    QClipboard* cb = QGuiApplication::clipboard();
    if (!cb || !cb->supportsSelection()) return;
    cb->setMimeData(new OfferedSelection(owner, std::move(selected)), QClipboard::Selection);
}

void KeepPrimarySelection(const void* owner, std::string_view text) {
    if (OfferedSelection* offered = Offered(); offered && offered->Owner() == owner) offered->Keep(text);
}

bool OwnsPrimarySelection(const void* owner) {
    const OfferedSelection* offered = Offered();
    return offered && offered->Owner() == owner;
}

}  // namespace platform
