// The one-line Thai input field: text, input modes, keys, mouse and drawing.
#include "inputfield/thaiedit.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QShowEvent>
#include <algorithm>

#include "platform/qt_host.h"
#include "script/keytables.h"
#include "script/thai.h"

namespace {

platform::Color FromQColor(const QColor& c) { return platform::RGB(c.red(), c.green(), c.blue()); }

}  // namespace

TThaiedit::TThaiedit(QWidget* owner) : QWidget(owner) {
    // The host covers the whole field: a client area without frame or scroll bars.
    host_ = new platform::ThaiHost(this);
    host_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    host_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    host_->SetColor(ControlColor());
    host_->SetHandler(this);
    // The sink holds the focus on the field's behalf; giving the field the focus gives it to the
    // sink. Return belongs to the field's window (its default button).
    tce = host_->CreateKeySink();
    tce->SetAcceptReturn(false);
    setFocusProxy(tce);
    setFocusPolicy(Qt::StrongFocus);
    host_->SetFocusTarget(tce);

    resize(120, 32);
    host_->setGeometry(rect());
    SetCanvasMetrics(Canvas(), 1);
}

// The host is a child widget and goes after the field: it must not call back into it.
TThaiedit::~TThaiedit() { host_->SetHandler(nullptr); }

platform::Surface& TThaiedit::Canvas() { return host_->Canvas(); }

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
        Canvas().SetFontName(fontName_);
        Canvas().SetFontHeight(fontHeight_);
        Canvas().SetFontStyle(fontStyle_);
    }
    SetCanvasMetrics(Canvas(), size);
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
    Canvas().SetFontName(fontName_);
    Canvas().SetFontHeight(fontHeight_);
    Canvas().SetFontStyle(fontStyle_);
    // Font mode, which the metrics turn into graphics size 1 for "Fixedsys" and "System".
    SetCanvasMetrics(Canvas(), 0);
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
    Canvas().SetFillColor(HighLightColor);
    DrawGlyphAt(Canvas(), 0, byte, CursorCol - LeftCol);
    Canvas().SetFillColor(platform::clWhite);
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

// ---- Drawing --------------------------------------------------------------------------------

void TThaiedit::DrawLine1(int firstCol, int lastCol) {
    firstCol = std::max(firstCol, LeftCol);
    if (lastCol < firstCol) return;
    Canvas().SetFillColor(SelectedAll ? HighLightColor : platform::clWhite);
    DrawY = 0;
    DrawX = (firstCol - LeftCol) * CellWidth;
    int i = thai::CellToPos(text_, firstCol);
    for (int col = firstCol; col <= lastCol; ++col) DrawCell(Canvas(), text_, i);
    Canvas().SetFillColor(platform::clWhite);
}

void TThaiedit::DrawLine2(int firstCol, int lastCol) {
    DrawX = firstCol * CellWidth;
    DrawY = RowHeight + 8;
    int i = thai::CellToPos(text2_, firstCol);
    for (int col = firstCol; col <= lastCol; ++col) DrawCell(Canvas(), text2_, i);
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

void TThaiedit::DrawCursor() { Underline(Canvas(), *this, platform::clBlack); }

void TThaiedit::HideCursor() {
    Underline(Canvas(), *this, platform::clWhite);
    Canvas().SetPenColor(platform::clBlack);
    // The underline runs through the top of a lower vowel: the cell is drawn again from the text
    // so that hiding the cursor leaves no gap in it. A pending offer keeps its glyph in the cell.
    if (PendingLetter == 0) DrawLine1(CursorCol, CursorCol);
}

void TThaiedit::Paint(const platform::Rect& clip) {
    if (clip.Empty()) return;
    const int a = clip.left / CellWidth;
    const int b = clip.right / CellWidth;
    Canvas().SetFillColor(platform::clWhite);
    Canvas().FillRect(clip);
    DrawLine1(a + LeftCol, b + LeftCol);
    DrawCursor();
    if (TwoLine && clip.bottom > RowHeight) {
        Canvas().SetFillColor(ControlColor());
        Canvas().FillRect({0, RowHeight, clip.right, RowHeight + 8});
        Canvas().SetFillColor(platform::clWhite);
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

const QImage& TThaiedit::BackingImage() const { return host_->BackingImage(); }

void TThaiedit::Invalidate() { host_->Invalidate(); }

// A field that is shown (again) repaints itself from its state, like any window that is exposed.
void TThaiedit::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Invalidate();
}

void TThaiedit::mousePressEvent(QMouseEvent* event) {
    event->accept();
    QWidget* area = host_->viewport();
    QMouseEvent press(event->type(), area->mapFrom(this, event->position()), event->scenePosition(),
                      event->globalPosition(), event->button(), event->buttons(), event->modifiers(),
                      event->pointingDevice());
    QCoreApplication::sendEvent(area, &press);
}

// The host follows the field's size; once its client area has the new size it calls HostResize.
void TThaiedit::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    host_->setGeometry(rect());
}

void TThaiedit::HostResize() {
    if (CellWidth > 0) VisibleCols = ClientWidth() / CellWidth;
    // A wider field shows more of the text's start, a narrower one keeps the cursor in view.
    LeftCol = std::min(LeftCol, std::max(0, CursorCol - std::max(VisibleCols, 1) + 1));
    FollowCursor();
    PaintAll();
}

void TThaiedit::SetHeight(int h) {
    if (h != height()) resize(width(), h);
    host_->setGeometry(rect());
}

void TThaiedit::FireChange() {
    if (OnChange) OnChange(*this);
}

void TThaiedit::FireResize() {
    if (OnResize) OnResize(*this);
}
