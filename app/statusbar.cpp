#include "app/statusbar.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>
#include <QLabel>
#include <QProgressBar>
#include <algorithm>
#include <map>

#include "app/umekalon.h"
#include "platform/qt_events.h"

namespace {

// The input modes, in the colours of their title-bar icons.
struct ModeLook {
    const char* name;
    const char* tip;
    const char* colour;
};
constexpr ModeLook kModes[] = {
    {"EN", "Keys type as the keyboard layout of the system does", "#0000a0"},
    {"TH", "Keys type Thai through the built-in Thai layout (Kbd F2, Alt+K or F2)", "#007800"},
    {"A..Z", "Thai on A..Z: a letter key offers the Thai letters filed under it (Alt+T)", "#a00000"},
};

// The cursor's place, drawn from the glyphs kept for each character it has shown: its text changes
// with every key, and a label lays a new text out and shapes it again at every paint, which cost
// more than drawing the key's own cells in the editor. Left-aligned and centred in height, as the
// label would draw it; a font without glyphs for the text falls back to the label's drawing.
class PositionPart : public QLabel {
public:
    explicit PositionPart(QWidget* parent) : QLabel(parent) {}

protected:
    void paintEvent(QPaintEvent* event) override {
        if (!fontKnown_ || font() != font_) {
            fontKnown_ = true;
            font_ = font();
            raw_ = QRawFont::fromFont(font_);
            glyphs_.clear();
        }
        QList<quint32> indexes;
        QList<QPointF> positions;
        const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
        qreal x = area.left();
        for (const QChar ch : text()) {
            auto it = glyphs_.find(ch.unicode());
            if (it == glyphs_.end()) {
                const QList<quint32> one = raw_.isValid() ? raw_.glyphIndexesForString(QString(ch)) : QList<quint32>();
                if (one.size() != 1 || one[0] == 0) {
                    QLabel::paintEvent(event);
                    return;
                }
                it = glyphs_.emplace(ch.unicode(), Glyph{one[0], raw_.advancesForGlyphIndexes(one)[0].x()}).first;
            }
            indexes.append(it->second.index);
            positions.append(QPointF(x, 0));
            x += it->second.advance;
        }
        QPainter painter(this);
        const QFontMetrics metrics(font_);
        QGlyphRun run;
        run.setRawFont(raw_);
        run.setGlyphIndexes(indexes);
        run.setPositions(positions);
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
        painter.drawGlyphRun(QPointF(0, area.top() + (area.height() - metrics.height()) / 2 + metrics.ascent()), run);
    }

private:
    struct Glyph {
        quint32 index;
        qreal advance;
    };
    QFont font_;
    QRawFont raw_;
    // A default font compares equal to the label's own until it is set: the first paint sets it.
    bool fontKnown_ = false;
    std::map<char16_t, Glyph> glyphs_;
};

int ModeIndex(bool thaiKeyboard, bool thaiOnAZ) { return thaiOnAZ ? 2 : thaiKeyboard ? 1 : 0; }

QLabel* Part(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setContentsMargins(6, 0, 6, 0);
    return label;
}

}  // namespace

const char* InputModeName(bool thaiKeyboard, bool thaiOnAZ) { return kModes[ModeIndex(thaiKeyboard, thaiOnAZ)].name; }

std::string FileFormatName(const platform::TextFormat& format) {
    std::string name = platform::EncodingName(format.encoding);
    if (format.encoding == platform::TextEncoding::Utf8 && format.byteOrderMark) name += " BOM";
    switch (format.lineEnd) {
        case platform::LineEnd::CrLf: return name + " CRLF";
        case platform::LineEnd::Lf: return name + " LF";
        case platform::LineEnd::Cr: return name + " CR";
    }
    return name;
}

TStatusLine::TStatusLine(QWidget* parent) : QStatusBar(parent) {
    setObjectName("statusline");
    position = new PositionPart(this);
    position->setObjectName(QStringLiteral("position"));
    position->setContentsMargins(6, 0, 6, 0);
    // It fills its own background, the window colour the bar shows behind it: a new position
    // draws the part alone, not the bar and the window under it as well.
    position->setAutoFillBackground(true);
    mode = Part(this, "mode");
    mode->setAlignment(Qt::AlignCenter);
    // Wide enough for the widest name, so that the parts beside it stay in place.
    mode->setMinimumWidth(mode->fontMetrics().horizontalAdvance(QStringLiteral("A..Z")) + 16);
    format = Part(this, "format");
    dictionary = Part(this, "dictionary");
    progress = new QProgressBar(this);
    progress->setObjectName("progress");
    progress->setRange(0, 100);
    progress->setMaximumWidth(160);
    progress->setMaximumHeight(fontMetrics().height());
    progress->hide();
    addPermanentWidget(progress);
    for (QLabel* part : {position, mode, format, dictionary}) addPermanentWidget(part);
    soon_.setSingleShot(true);
    soon_.setInterval(0);
    platform::OnTimeout(soon_, this, [this] {
        if (OnRefresh) OnRefresh();
    });
}

void TStatusLine::ShowPosition(int line, int column) {
    if (line == line_ && column == column_) return;
    line_ = line;
    column_ = column;
    const QString text = QStringLiteral("Ln %1, Col %2").arg(line).arg(column);
    // The part keeps one size, so that a new position draws only the part again: a label whose
    // size may change lays the whole bar out with every key. It grows when a number needs more
    // digits than it had room for.
    const int lineDigits = static_cast<int>(QString::number(line).size());
    const int columnDigits = static_cast<int>(QString::number(column).size());
    if (lineDigits > lineDigits_ || columnDigits > columnDigits_) {
        lineDigits_ = std::max(lineDigits_, lineDigits);
        columnDigits_ = std::max(columnDigits_, columnDigits);
        const QString widest =
            QStringLiteral("Ln %1, Col %2").arg(QString(lineDigits_, u'0'), QString(columnDigits_, u'0'));
        const QFontMetrics metrics = position->fontMetrics();
        const QMargins margins = position->contentsMargins();
        const int width = std::max(metrics.horizontalAdvance(widest), metrics.horizontalAdvance(text)) +
                          margins.left() + margins.right() + 2 * position->margin() + 2;
        position->setText(text);
        position->setFixedSize(width, position->sizeHint().height());
        return;
    }
    position->setText(text);
}

void TStatusLine::ShowMode(bool thaiKeyboard, bool thaiOnAZ) {
    const int index = ModeIndex(thaiKeyboard, thaiOnAZ);
    if (index == modeShown_) return;
    modeShown_ = index;
    const ModeLook& look = kModes[index];
    mode->setText(QString::fromLatin1(look.name));
    mode->setToolTip(QString::fromLatin1(look.tip));
    mode->setStyleSheet(QStringLiteral("QLabel { color: white; background: %1; font-weight: bold; }").arg(QLatin1String(look.colour)));
}

void TStatusLine::ShowFormat(const platform::TextFormat& f) {
    if (formatShown_ && f == format_) return;
    formatShown_ = true;
    format_ = f;
    format->setText(QString::fromStdString(FileFormatName(f)));
}

void TStatusLine::ShowDictionary(const QString& name, int lines) {
    if (lines == dictionaryLines_ && name == dictionaryName_) return;
    dictionaryLines_ = lines;
    dictionaryName_ = name;
    dictionary->setText(QStringLiteral("%1 (%2 lines)").arg(name).arg(lines));
}

void TStatusLine::ShowProgress(const QString& text, int percent) {
    if (percent < 0) {
        progress->hide();
        clearMessage();
        return;
    }
    showMessage(text);
    progress->setValue(std::min(percent, 100));
    progress->show();
}

void TStatusLine::RefreshSoon() {
    if (!soon_.isActive()) soon_.start();
}

// ---- The main window's side ----------------------------------------------------------------

void Tfmekalon::ShowStatus() {
    if (!statusLine || !Tm1) return;
    statusLine->ShowPosition(Tm1->CursorLine + 1, Tm1->CursorCol + 1);
    statusLine->ShowMode(Tm1->ThaiKeyboard, Tm1->ThaiOnAZ);
    statusLine->ShowFormat(Tm1->Document().FileFormat);
    statusLine->ShowDictionary(dictname->text(), diclist.Count());
}

void Tfmekalon::ShowStatusMessage(const std::string& text, int milliseconds) {
    statusLine->showMessage(QString::fromStdString(text), std::max(milliseconds, 0));
}

void Tfmekalon::ShowStatusProgress(const std::string& text, int percent) {
    statusLine->ShowProgress(QString::fromStdString(text), percent);
}
