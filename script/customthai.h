// TCustomthai: the base of every Thai control. It knows the cell metrics of the graphics size
// and draws one display cell at a time on a surface handed to it: through the surface's font
// (graphics size 0) or from the 96 built-in glyph images scaled by 1, 2 or 3, with the marks of
// a cell stacked at fixed levels.
#pragma once

#include <string_view>

#include "platform/surface.h"

// The shared glyph images: 96 masked 12 x 16 images, 0..47 from the resource THAIVK0 and 48..95
// from THAIVK48. Built once at start, before any control draws.
extern platform::ImageList* GlyphImages;
void CreateGlyphImages();
// The shared glyph images, built on first use when the program has not built them yet. A program
// whose resources cannot be loaded gets an empty list: its cells are drawn empty instead of
// failing in the middle of painting.
platform::ImageList& SharedGlyphImages();
void FreeGlyphImages();
// Image index of a byte with a glyph: 0 for space, 92 for the asterisk, byte - 0xA0 for Thai.
int GlyphIndex(unsigned char byte);

class TCustomthai {
public:
    TCustomthai();
    virtual ~TCustomthai();

    // Sets the graphics size and every metric, and the surface's font and pen for the mode.
    virtual void SetCanvasMetrics(platform::Surface& surface, int size);
    // Fills the cell at (DrawX, DrawY) with the fill colour and draws the cell that starts at
    // 1-based position `i`; advances DrawX by one cell and `i` past the cell. A position of 0 or
    // past the end leaves an empty cell and `i` unchanged. The glyph images are drawn on the
    // surface's fill colour too, so a painter sets one colour on its own surface and nothing else.
    void DrawCell(platform::Surface& surface, std::string_view text, int& i);
    // Draws `count` cells in the fill colour from position `i` on, exactly as `count` calls of
    // DrawCell would, with fewer fills: the empty cells past the text's end are one fill, and a run
    // of cells that are a base glyph alone gets its rows above and below the glyphs in one fill.
    void DrawCells(platform::Surface& surface, std::string_view text, int& i, int count);
    // Draws one byte's glyph alone in the cell at (column, row) of the grid, on the fill colour.
    void DrawGlyphAt(platform::Surface& surface, int row, unsigned char byte, int column);

    int TextIndent = 0;   // bitmap mode: x offset of characters drawn through the font
    int GlyphHeight = 0;  // bitmap mode: drawn height of a whole glyph
    int MarkHeight = 0;   // bitmap mode: drawn height of a mark strip
    int UpperLevel = 0;   // bitmap mode: y offset of an upper mark in the row
    int BaseLevel = 0;    // y offset of the base glyph (bitmap mode) or of the text (font mode)
    platform::Rect SourceRect{0, 0, 12, 0};
    int DrawX = 0;
    int DrawY = 0;
    int Graphicsize = 1;  // 0: font mode; 1..3: glyph images at that scale
    int CellWidth = 12;
    int RowHeight = 16;
    int LowerLevel = 0;   // bitmap mode: y offset of a lower vowel; font mode: the row height

    // ---- Input modes of a Thai control (customthai_input.cpp) ------------------------------
    bool ThaiKeyboard = false;        // typed keys go through the built-in Thai layout
    bool ThaiOnAZ = false;            // "Thai on A..Z": a letter key offers the letters under it
    unsigned char PendingLetter = 0;  // "Thai on A..Z": letter on offer (0: none)
    unsigned char ChoiceIndex = 0;    // "Thai on A..Z": slot on offer

    // True when the key showed or stepped an offer (ShowChoice drew it); otherwise `key` may now
    // be the offered letter.
    bool OfferKey(unsigned char& key);
    // Withdraws a pending offer and draws the cursor cell again; nothing when none is pending.
    void CancelOffer();
    // Withdraws any offer and draws the cursor cell again even when none is pending, which also
    // removes the blank that shows "Thai on A..Z" switched on.
    void WithdrawOffer();
    // While "Thai on A..Z" is on this only switches it off; otherwise it selects the layout.
    void SetThaiKeyboard(bool on);
    // Draws a byte's glyph highlighted in the cursor cell without changing the text.
    virtual void ShowChoice(unsigned char byte);
    // Draws the cursor cell again from the text, and the cursor.
    virtual void RepaintCursorCell();

protected:
    // The key-press stage ahead of insertion: true when "Thai on A..Z" took the key; otherwise
    // `key` is what to insert, mapped through the Thai layout when that is on.
    bool TakeOffer(unsigned char& key);

private:
    // Whether a cell whose first byte is `first` gets its base glyph drawn from the glyph images
    // over the full cell width and GlyphHeight rows: copied, so it covers whatever lay there.
    bool FillsGlyphBand(const platform::Surface& surface, unsigned char first) const;
    // Bitmap mode: the level a byte that follows a strip drawn at `level` is drawn at; BaseLevel
    // when it opens the next cell.
    int MarkLevel(unsigned char next, int level) const;
    // Whether the cell at position `i` is a base glyph alone, drawn from the glyph images.
    bool PlainGlyphCell(const platform::Surface& surface, std::string_view text, int i) const;
    // DrawCells filled the rows around the base glyph already.
    bool aroundFilled_ = false;
    // Fills the rows of the cell at `left` that neither the base glyph at position `i` nor its
    // marks cover.
    void FillAroundStrips(platform::Surface& surface, std::string_view text, int i, int left) const;
};
