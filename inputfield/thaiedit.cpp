// The one-line Thai input field: text, input modes, keys, mouse and drawing.
#include "inputfield/thaiedit.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QShowEvent>
#include <algorithm>

#include "platform/qt_surface.h"
#include "script/keytables.h"
#include "script/thai.h"

namespace {

platform::Color FromQColor(const QColor& c) { return platform::RGB(c.red(), c.green(), c.blue()); }

platform::Rect ToRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

}  // namespace

TThaiedit::TThaiedit(QWidget* owner) : QWidget(owner) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setCursor(Qt::IBeamCursor);
    // The sink holds the focus on the field's behalf; giving the field the focus gives it to the sink.
    tce = new platform::KeySink(this, /*acceptReturn=*/false);
    tce->OnKeyDown = [this](int& key, platform::ShiftState shift) { KeyDown(key, shift); };
    tce->OnKeyPress = [this](unsigned char& key) { KeyPress(key); };
    setFocusProxy(tce);
    setFocusPolicy(Qt::StrongFocus);

    platform::SetTarget(canvas_, &image_);
    // Drawing outside a paint event shows on the screen with the next paint.
    canvas_.SetDirtyCallback([this] {
        if (!painting_) update();
    });
    resize(120, 32);
    SyncImageSize();
    SetCanvasMetrics(canvas_, 1);
}

TThaiedit::~TThaiedit() {
    // The sink is a child widget and goes with the field; its handlers must not outlive `this`.
    if (tce) {
        tce->OnKeyDown = nullptr;
        tce->OnKeyPress = nullptr;
    }
    canvas_.Flush();
}

// ---- Text -----------------------------------------------------------------------------------

void TThaiedit::SetText(std::string_view value) {
    text_.assign(value);
    CursorCol = thai::CellCount(text_);
    FollowCursor();
    DrawLine1(LeftCol, LeftCol + VisibleCols);
    DrawCursor();
}

void TThaiedit::SetText2(std::string_view value) {
    text2_.assign(value);
    if (TwoLine) {
        DrawLine2(0, VisibleCols);
        return;
    }
    TwoLine = true;
    SetHeight(2 * RowHeight + 8);
    FireResize();
    PaintAll();
}

void TThaiedit::Clear() {
    text_.clear();
    text2_.clear();
    CursorCol = 0;
    LeftCol = 0;
    SelectedAll = false;
    DrawLine1(0, VisibleCols);
    if (TwoLine) DrawLine2(0, VisibleCols);
    DrawCursor();
}

// ---- Metrics, size, font --------------------------------------------------------------------

void TThaiedit::SetCanvasMetrics(platform::Surface& surface, int size) {
    if (size < 0) return;
    WithdrawOffer();
    surface.SetFillColor(platform::clWhite);
    surface.FillRect({0, 0, ClientWidth(), ClientHeight()});
    TCustomthai::SetCanvasMetrics(surface, size);
    surface.SetFontColor(platform::clBlack);
    VisibleCols = ClientWidth() / CellWidth;
    FollowCursor();
    SetHeight(RowHeight);
    DrawLine1(LeftCol, LeftCol + VisibleCols);
    if (TwoLine) {
        SetHeight(2 * RowHeight + 8);
        DrawLine2(0, VisibleCols);
    }
    FireResize();
    DrawCursor();
}

void TThaiedit::SetGraphicsize(int size) {
    if (size < 0) return;
    Graphicsize = size;
    if (size == 0) {
        canvas_.SetFontName(fontName_);
        canvas_.SetFontHeight(fontHeight_);
        canvas_.SetFontStyle(fontStyle_);
    }
    SetCanvasMetrics(canvas_, size);
}

void TThaiedit::SetAutosize(bool value) {
    Autosize = value;
    if (!value) return;
    SetHeight(TwoLine ? 2 * RowHeight + 8 : RowHeight);
    FireResize();
    PaintAll();
}

void TThaiedit::SetFont(const std::string& name, int height, int style) {
    fontName_ = name;
    fontHeight_ = height;
    fontStyle_ = style;
    canvas_.SetFontName(fontName_);
    canvas_.SetFontHeight(fontHeight_);
    canvas_.SetFontStyle(fontStyle_);
    // Font mode, which the metrics turn into graphics size 1 for "Fixedsys" and "System".
    SetCanvasMetrics(canvas_, 0);
}

platform::Color TThaiedit::ControlColor() const { return FromQColor(palette().color(QPalette::Window)); }

// ---- Input modes ----------------------------------------------------------------------------

void TThaiedit::SetThaiOnAZ(bool on) {
    const bool wasOn = ThaiOnAZ;
    ThaiOnAZ = on;
    // Switching on withdraws any offer. Switching off does the same, so that no highlighted
    // offer or mode cue stays in the cursor cell of a field that no longer offers anything.
    if (on || wasOn) WithdrawOffer();
    DrawCursor();
}

void TThaiedit::RepaintCursorCell() {
    DrawLine1(CursorCol, CursorCol);
    DrawCursor();
}

// ---- Keys -----------------------------------------------------------------------------------

void TThaiedit::SetFocus() {
    if (tce && tce->isVisible() && tce->isEnabled()) tce->setFocus(Qt::OtherFocusReason);
}

void TThaiedit::KeyDown(int& key, platform::ShiftState shift) {
    // Letters and the space may answer a "Thai on A..Z" offer; every other key withdraws it.
    if (!(key == 0x20 || (key >= 0x41 && key <= 0x5A) || (key >= 0x61 && key <= 0x7A))) WithdrawOffer();
    // Ctrl+V pastes the clipboard's first line at the cursor, as the middle button pastes the
    // primary selection.
    if (shift.ctrl && !shift.alt && key == 'V') {
        Paste();
        return;
    }
    if (shift.alt || shift.ctrl) return;
    HideCursor();
    switch (key) {
        case platform::vk::Home:
        case platform::vk::Return:
            Unhighlight();
            CursorCol = 0;
            break;
        case platform::vk::End:
            Unhighlight();
            CursorCol = thai::CellCount(text_);
            break;
        case platform::vk::Left:
            Unhighlight();
            if (CursorCol > 0) --CursorCol;
            break;
        case platform::vk::Right:
            Unhighlight();
            if (CursorCol < LeftCol + VisibleCols - 1) ++CursorCol;
            break;
        case platform::vk::Back:
            Backspace();
            break;
        case platform::vk::Delete:
            DeleteKey();
            break;
        default:
            break;
    }
    ScrollToCursor();
    DrawCursor();
}

void TThaiedit::Unhighlight() {
    if (!SelectedAll) return;
    SelectedAll = false;
    PaintAll();
}

// Removes the whole cell before the cursor: its base and up to two marks.
void TThaiedit::Backspace() {
    Unhighlight();
    if (CursorCol == 0) return;
    --CursorCol;
    if (thai::CellCount(text_) < CursorCol) return;  // the cursor only moved
    thai::EraseCell(text_, CursorCol);
    DrawLine1(CursorCol, LeftCol + VisibleCols);
    FireChange();
}

// Removes the last byte of the cursor cell: a cell loses its marks before its base.
void TThaiedit::DeleteKey() {
    if (SelectedAll) Clear();
    if (thai::CellCount(text_) <= CursorCol) return;
    if (thai::EraseLastOfCell(text_, CursorCol))
        DrawLine1(CursorCol, CursorCol);
    else
        DrawLine1(CursorCol, LeftCol + VisibleCols);
    FireChange();
}

void TThaiedit::KeyPress(unsigned char& key) {
    if (TakeOffer(key)) return;
    InsertChar(key);
    // The highlighted blank in the cursor cell shows that "Thai on A..Z" is on.
    if (ThaiOnAZ) ShowChoice(0x20);
}

int TThaiedit::PrepareInsert() {
    if (SelectedAll) {
        // Typing or a paste replaces the highlighted text.
        SelectedAll = false;
        text_.clear();
        CursorCol = 0;
        LeftCol = 0;
        PaintAll();
    }
    const int cells = thai::CellCount(text_);
    if (cells < CursorCol) text_.append(static_cast<size_t>(CursorCol - cells), ' ');
    return thai::CellToPos(text_, CursorCol);
}

void TThaiedit::InsertChar(unsigned char key) {
    if (!thai::Insertable(key)) return;
    HideCursor();
    PrepareInsert();
    if (thai::TypeByte(text_, CursorCol, key) == thai::Typed::Joined) {
        // A vowel or tone mark joined the cell before the cursor (or was refused); the cursor stays.
        DrawLine1(CursorCol - 1, CursorCol - 1);
    } else {
        DrawLine1(CursorCol, LeftCol + VisibleCols);
        ++CursorCol;
        ScrollToCursor();  // typing past the right edge moves the view with the cursor
    }
    DrawCursor();
    FireChange();
}

void TThaiedit::ShowChoice(unsigned char byte) {
    canvas_.SetFillColor(HighLightColor);
    DrawGlyphAt(canvas_, 0, byte, CursorCol - LeftCol);
    canvas_.SetFillColor(platform::clWhite);
}

// ---- Mouse ----------------------------------------------------------------------------------

void TThaiedit::MouseDown(platform::MouseButton button, platform::ShiftState, int x, int y) {
    if (y > RowHeight) return;  // line 2 is display only
    const bool paste = button == platform::MouseButton::Middle;
    if (paste && !platform::HasPrimarySelection()) return;
    Unhighlight();
    WithdrawOffer();
    SelectedAll = false;
    HideCursor();
    CursorCol = std::max(0, x) / CellWidth + LeftCol;
    DrawCursor();
    if (paste) Paste(platform::ClipSource::Primary);
}

void TThaiedit::Paste(platform::ClipSource source) {
    if (!platform::ClipboardHasText(source)) return;
    PasteText(platform::ClipboardIncomingText(source));
}

bool TThaiedit::PasteText(const platform::IncomingText& text) {
    if (text.tooLarge && !platform::AgreeToPaste(text)) return false;  // said so, nothing taken
    // The field holds one line: the text up to its first line break (or NUL).
    const size_t length = std::min(text.bytes.find_first_of(std::string_view("\r\n\0", 3)), text.bytes.size());
    if (length == 0) return false;
    if (!platform::AgreeToReplacements(text.firstUnencodableAt < length ? text.firstUnencodable : 0)) return false;
    WithdrawOffer();
    HideCursor();
    const size_t at = static_cast<size_t>(PrepareInsert() - 1);
    text_.insert(at, text.bytes, 0, length);
    // A mark at the start joins the cell before the cursor, which is drawn again too.
    const int from = std::max(CursorCol - 1, 0);
    CursorCol = thai::CellCount(std::string_view(text_).substr(0, at + length));
    thai::TrimTrailing(text_);
    if (FollowCursor())
        PaintAll();
    else
        DrawLine1(from, LeftCol + VisibleCols);
    DrawCursor();
    FireChange();
    return true;
}

void TThaiedit::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    MouseDown(platform::ButtonFromQt(event->button()), platform::ShiftFromQt(event->modifiers(), event->buttons()),
              pos.x(), pos.y());
    event->accept();
}

// ---- Drawing --------------------------------------------------------------------------------

void TThaiedit::DrawLine1(int firstCol, int lastCol) {
    firstCol = std::max(firstCol, LeftCol);
    if (lastCol < firstCol) return;
    canvas_.SetFillColor(SelectedAll ? HighLightColor : platform::clWhite);
    DrawY = 0;
    DrawX = (firstCol - LeftCol) * CellWidth;
    int i = thai::CellToPos(text_, firstCol);
    for (int col = firstCol; col <= lastCol; ++col) DrawCell(canvas_, text_, i);
    canvas_.SetFillColor(platform::clWhite);
}

void TThaiedit::DrawLine2(int firstCol, int lastCol) {
    DrawX = firstCol * CellWidth;
    DrawY = RowHeight + 8;
    int i = thai::CellToPos(text2_, firstCol);
    for (int col = firstCol; col <= lastCol; ++col) DrawCell(canvas_, text2_, i);
}

namespace {
void Underline(platform::Surface& surface, const TThaiedit& field, platform::Color color) {
    const int pen = surface.PenWidth();
    const int x = pen / 2 + (field.CursorCol - field.LeftCol) * field.CellWidth;
    surface.SetPenColor(color);
    surface.MoveTo(x, field.LowerLevel);
    surface.LineTo(x + field.CellWidth - pen, field.LowerLevel);
}
}  // namespace

void TThaiedit::DrawCursor() { Underline(canvas_, *this, platform::clBlack); }

void TThaiedit::HideCursor() {
    Underline(canvas_, *this, platform::clWhite);
    canvas_.SetPenColor(platform::clBlack);
    // The underline runs through the top of a lower vowel: the cell is drawn again from the text
    // so that hiding the cursor leaves no gap in it. A pending offer keeps its glyph in the cell.
    if (PendingLetter == 0) DrawLine1(CursorCol, CursorCol);
}

void TThaiedit::Paint(const platform::Rect& clip) {
    if (clip.Empty()) return;
    const int a = clip.left / CellWidth;
    const int b = clip.right / CellWidth;
    canvas_.SetFillColor(platform::clWhite);
    canvas_.FillRect(clip);
    DrawLine1(a + LeftCol, b + LeftCol);
    DrawCursor();
    if (TwoLine && clip.bottom > RowHeight) {
        canvas_.SetFillColor(ControlColor());
        canvas_.FillRect({0, RowHeight, clip.right, RowHeight + 8});
        canvas_.SetFillColor(platform::clWhite);
        DrawLine2(a, b);
    }
}

void TThaiedit::PaintAll() { Paint({0, 0, ClientWidth(), ClientHeight()}); }

bool TThaiedit::FollowCursor() {
    const int cols = std::max(VisibleCols, 1);
    const int left = std::clamp(LeftCol, std::max(CursorCol - cols + 1, 0), std::max(CursorCol, 0));
    if (left == LeftCol) return false;
    LeftCol = left;
    return true;
}

void TThaiedit::ScrollToCursor() {
    if (FollowCursor()) PaintAll();
}

const QImage& TThaiedit::BackingImage() const {
    const_cast<platform::Surface&>(canvas_).Flush();
    return image_;
}

void TThaiedit::Invalidate() {
    fullPaintDue_ = true;
    update();
}

// A field that is shown (again) repaints itself from its state, like any window that is exposed.
void TThaiedit::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Invalidate();
}

void TThaiedit::paintEvent(QPaintEvent* event) {
    painting_ = true;
    // On a screen of another device pixel ratio the image is made again at its resolution.
    if (!image_.isNull() && image_.devicePixelRatio() != devicePixelRatioF()) {
        SyncImageSize();
        fullPaintDue_ = true;
    }
    if (fullPaintDue_) {
        fullPaintDue_ = false;
        PaintAll();
    }
    canvas_.Flush();
    // Everything drawn so far goes to the screen with this paint (a drawing asked for the whole
    // field). Emptying the dirty area lets the next drawing ask for a repaint again; otherwise
    // only the first drawing after construction would ever reach the screen.
    canvas_.TakeDirty();
    QPainter painter(this);
    const QRect r = event->rect() & QRect(0, 0, canvas_.Width(), canvas_.Height());
    const double s = image_.devicePixelRatio();
    if (!r.isEmpty()) painter.drawImage(QRectF(r), image_, QRectF(r.x() * s, r.y() * s, r.width() * s, r.height() * s));
    painting_ = false;
}

void TThaiedit::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QRegion added = SyncImageSize();
    if (CellWidth > 0) VisibleCols = ClientWidth() / CellWidth;
    // A wider field shows more of the text's start, a narrower one keeps the cursor in view.
    const int left = LeftCol;
    LeftCol = std::min(LeftCol, std::max(0, CursorCol - std::max(VisibleCols, 1) + 1));
    FollowCursor();
    if (LeftCol != left) {
        PaintAll();
        return;
    }
    for (const QRect& r : added) Paint(ToRect(r));
}

void TThaiedit::SetHeight(int h) {
    if (h != height()) resize(width(), h);
    SyncImageSize();
}

// The backing image holds the screen's device pixels; the field draws in its units.
QRegion TThaiedit::SyncImageSize() {
    const QSize size = this->size();
    const double scale = devicePixelRatioF();
    const QSize held(canvas_.Width(), canvas_.Height());
    const bool sameScale = image_.isNull() || image_.devicePixelRatio() == scale;
    if (size == held && sameScale) return {};
    canvas_.Flush();
    const QRect oldRect = sameScale ? QRect(QPoint(0, 0), held) : QRect();
    if (size.isEmpty()) {
        image_ = QImage();
        platform::SetTarget(canvas_, &image_);
        return {};
    }
    image_ = platform::ResizedBackingImage(image_, size, ControlColor(), scale);
    platform::SetTarget(canvas_, &image_);
    return QRegion(QRect(QPoint(0, 0), size)) - QRegion(oldRect);
}

void TThaiedit::FireChange() {
    if (OnChange) OnChange(*this);
}

void TThaiedit::FireResize() {
    if (OnResize) OnResize(*this);
}
