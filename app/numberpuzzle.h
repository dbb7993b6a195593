// Tnumberpuzzle: a tile game for learning the Thai digits. The picture holds 20 tiles, the Thai
// digits 0 to 9 above the Arabic digits 0 to 9. The first click shuffles the tiles, the second
// hides one of them (the hole), and from then on each click on a tile moves that tile into the
// hole, wherever it stands, and counts one move. The game is won when every Thai digit stands
// above its Arabic digit again (with the two rows in either order).
#pragma once

#include <array>

#include "platform/qt_imagecontrol.h"
#include "platform/surface.h"

class Tnumberpuzzle : public platform::ImageControl {
    Q_OBJECT
public:
    explicit Tnumberpuzzle(QWidget* parent = nullptr);

    struct Tile {
        int position = 0;  // where the tile stands now (1..20)
        int target = 0;    // where the next arrangement puts it
    };

    // Game state. Tiles and places are numbered 1..20 (index 0 is unused): tile i is the tile that
    // stands at position i in the picture as stored; position p lies in row (p - 1) div 10 and
    // column (p - 1) mod 10.
    int clicks = 0;  // 0 not started, 1 shuffled, n >= 2 playing with n - 2 moves made
    int hole = 1;    // the tile hidden while playing
    std::array<Tile, 21> tiles{};
    std::array<platform::Rect, 21> places{};
    int columns = 10;
    int rows = 2;
    int tileWidth = 30;
    int tileHeight = 30;
    platform::Bitmap spare;  // the hidden tile's picture; also the buffer for swaps

    // Moves made in the running game; 0 before the hole is chosen.
    int score() const { return clicks >= 2 ? clicks - 2 : 0; }
    // Back to the ordered picture, not started. Does nothing before the first click.
    void NewGame();

    // One game step for a mouse press at (x, y) of the picture.
    void Step(int x, int y);
    // Puts every tile at its target, swapping pictures.
    void Arrange();
    // New random targets (a permutation of 1..20) and a new hole.
    void Shuffle();
    // The smallest tile number standing at position p, or 1 when none does.
    int TileAt(int p) const;
    // Every tile at its own position, or the two rows exchanged as a whole.
    bool IsSolved() const;

    // The stored picture: 300 x 60, twenty yellow tiles of 30 x 30 with the Thai digits (bytes
    // F0 to F9) in the top row and the Arabic digits below them.
    static platform::Bitmap DigitPicture();

protected:
    void MouseDown(platform::MouseButton button, platform::ShiftState state, int x, int y) override;

private:
    // Set-up once the picture is present: spare bitmap, tile size, places, tiles in order.
    void Loaded();
    void CopyPlace(const platform::Rect& dest, const platform::Rect& src);  // within the picture
    void ToSpare(const platform::Rect& src);
    void FromSpare(const platform::Rect& dest);
    void PaintHole(const platform::Rect& r);
};
