#include "app/numberpuzzle.h"

#include <string>

#include "platform/qt_surface.h"
#include "platform/random.h"
#include "platform/services.h"

namespace {

constexpr platform::Color kTileColor = platform::clYellow;
constexpr platform::Color kTileEdge = platform::RGB(160, 128, 0);
constexpr platform::Color kDigitColor = platform::RGB(128, 0, 0);

}  // namespace

Tnumberpuzzle::Tnumberpuzzle(QWidget* parent) : platform::ImageControl(parent) {
    setObjectName("numberpuzzle1");
    AutoSize = true;
    Picture = DigitPicture();
    Loaded();
}

platform::Bitmap Tnumberpuzzle::DigitPicture() {
    constexpr int size = 30;
    platform::Bitmap picture(10 * size, 2 * size);
    platform::Surface& c = picture.Canvas();
    c.SetFontName("Loma");
    c.SetFontStyle(platform::fsBold);
    c.SetFontHeight(22);
    c.SetFontColor(kDigitColor);
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 10; ++col) {
            const int left = col * size, top = row * size;
            c.SetFillColor(kTileColor);
            c.FillRect({left, top, left + size, top + size});
            // A darker edge on the right and at the bottom sets the tiles apart.
            c.SetFillColor(kTileEdge);
            c.FillRect({left + size - 1, top, left + size, top + size});
            c.FillRect({left, top + size - 1, left + size, top + size});
            const std::string digit(1, static_cast<char>(row == 0 ? 0xF0 + col : '0' + col));
            const int x = left + (size - 1 - c.TextWidth(digit)) / 2;
            const int y = top + (size - 1 - c.TextHeight(digit)) / 2;
            c.TextOut(x, y, digit);
        }
    }
    c.Flush();
    return picture;
}

void Tnumberpuzzle::Loaded() {
    AutoSize = true;
    columns = 10;
    rows = 2;
    tileWidth = Picture.Width() / columns;
    tileHeight = Picture.Height() / rows;
    spare = platform::Bitmap(tileWidth, tileHeight);
    spare.Canvas().SetCopyMode(platform::CopyMode::SrcCopy);
    Picture.Canvas().SetCopyMode(platform::CopyMode::SrcCopy);
    clicks = 0;
    for (int i = 1; i <= 20; ++i) {
        const int row = (i - 1) / columns, col = (i - 1) % columns;
        places[i] = {col * tileWidth, row * tileHeight, col * tileWidth + tileWidth, row * tileHeight + tileHeight};
        tiles[i].position = i;
        tiles[i].target = i;
    }
    Changed();
}

void Tnumberpuzzle::CopyPlace(const platform::Rect& dest, const platform::Rect& src) {
    // Through a copy of the piece: source and destination are the same image.
    const QImage piece = platform::QtImage(Picture).copy(src.left, src.top, src.Width(), src.Height());
    platform::StretchDraw(Picture.Canvas(), dest, piece, {0, 0, src.Width(), src.Height()});
}

void Tnumberpuzzle::ToSpare(const platform::Rect& src) {
    spare.Canvas().StretchDraw({0, 0, tileWidth, tileHeight}, Picture, src);
}

void Tnumberpuzzle::FromSpare(const platform::Rect& dest) {
    Picture.Canvas().StretchDraw(dest, spare, {0, 0, tileWidth, tileHeight});
}

void Tnumberpuzzle::PaintHole(const platform::Rect& r) {
    // Black diagonal cross hatch on white.
    platform::Surface& c = Picture.Canvas();
    c.SetFillColor(platform::clWhite);
    c.FillHatched(r, platform::clBlack);
}

int Tnumberpuzzle::TileAt(int p) const {
    for (int j = 1; j <= 20; ++j)
        if (tiles[j].position == p) return j;
    return 1;
}

bool Tnumberpuzzle::IsSolved() const {
    bool ordered = true, exchanged = true;
    for (int i = 1; i <= 20; ++i) {
        if (tiles[i].position != i) ordered = false;
        if (tiles[i].position != (i <= 10 ? i + 10 : i - 10)) exchanged = false;
    }
    return ordered || exchanged;
}

void Tnumberpuzzle::Arrange() {
    for (int i = 1; i <= 20; ++i) {
        const int from = tiles[i].position, to = tiles[i].target;
        if (to == from) continue;
        const int j = TileAt(to);
        ToSpare(places[from]);
        CopyPlace(places[from], places[to]);
        FromSpare(places[to]);
        tiles[j].position = from;
        tiles[i].position = to;
    }
    Changed();
}

void Tnumberpuzzle::Shuffle() {
    platform::Randomize();
    for (int i = 1; i <= 20; ++i) {
        bool taken;
        do {
            tiles[i].target = platform::Random(20) + 1;
            taken = false;
            for (int k = 1; k < i; ++k)
                if (tiles[k].target == tiles[i].target) taken = true;
        } while (taken);
    }
    hole = platform::Random(20) + 1;
}

void Tnumberpuzzle::Step(int x, int y) {
    if (clicks == 0) {
        Shuffle();
        Arrange();
        clicks = 1;
        return;
    }
    if (clicks == 1) {
        const platform::Rect& r = places[tiles[hole].position];
        ToSpare(r);
        PaintHole(r);
        clicks = 2;
        Changed();
        return;
    }
    // A press outside the picture (the control is sized to it, so only by a grab) is no move.
    if (x < 0 || y < 0 || x >= columns * tileWidth || y >= rows * tileHeight) return;
    const int p = (y / tileHeight) * columns + (x / tileWidth) + 1;
    const int holePlace = tiles[hole].position;
    if (p == holePlace) return;
    CopyPlace(places[holePlace], places[p]);
    PaintHole(places[p]);
    const int j = TileAt(p);
    tiles[j].position = holePlace;
    tiles[hole].position = p;
    ++clicks;
    Changed();
    if (IsSolved()) {
        FromSpare(places[p]);
        Changed();
        const int moves = clicks - 2;
        clicks = 0;
        platform::Current().ShowMessage("Game over - Score: " + std::to_string(moves));
    }
}

void Tnumberpuzzle::NewGame() {
    if (clicks == 0) return;
    if (clicks >= 2) FromSpare(places[tiles[hole].position]);
    clicks = 0;
    for (int i = 1; i <= 20; ++i) tiles[i].target = i;
    Arrange();
}

void Tnumberpuzzle::MouseDown(platform::MouseButton button, platform::ShiftState state, int x, int y) {
    Step(x, y);
    platform::ImageControl::MouseDown(button, state, x, y);
}
