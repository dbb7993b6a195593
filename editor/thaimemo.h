// TThaimemo: the editable Thai text control. Adds character input in three modes (English
// layout, Thai layout, "Thai on A..Z") with the mark rules (a typed character replaces the
// selection), finding text forwards and backwards, and replacing found text.
#pragma once

#include <optional>
#include <string_view>

#include "editor/thailist.h"

class TThaimemo : public TThailist {
public:
    // The editor keeps an undo history of its text: a document of its own, or `document`, which
    // must outlive it.
    TThaimemo();
    explicit TThaimemo(TextDocument& document);

    // The key-press stage: "Thai on A..Z" offer, Thai layout mapping, insertion.
    void KeyPress(unsigned char& key) override;
    void InsertChar(unsigned char key);
    void ShowChoice(unsigned char byte) override;
    void SetThaiOnAZ(bool on);

    // Deletes the selection (if any) and inserts s at the cursor of the cursor line.
    void ReplaceSelection(std::string_view s);

    // ---- Find and replace (thaimemo_find.cpp, thaimemo_replace.cpp) ------------------------
    // Occurrences are exact byte matches (Latin letters match case-sensitively) in the joined text.
    //
    // Finds the next occurrence of `pattern` from the byte under the cursor on, byte for byte, and
    // selects it with the cursor right after it. Not found: no selection, the cursor at the top of
    // the text (without scrolling), false.
    bool FindNext(std::string_view pattern);
    // Finds the last occurrence that starts before the selection (without one, before the byte
    // under the cursor) and selects it as FindNext does. Not found: no selection, the cursor below
    // the last line (without scrolling), so that the next search backwards starts at the end; false.
    bool FindPrevious(std::string_view pattern);
    // Whether the text holds `pattern` anywhere.
    bool Contains(std::string_view pattern) const;
    // When the selection is an occurrence of `pattern` (the one the last search selected, or one
    // selected by hand), it is replaced by `replacement`, one step of the history; then the next
    // occurrence after the replacement is found as FindNext finds it. Without such a selection it
    // only finds the next occurrence.
    struct ReplaceResult {
        bool replaced = false;
        bool found = false;  // the next occurrence is selected
    };
    ReplaceResult ReplaceNext(std::string_view pattern, std::string_view replacement);
    // Replaces every occurrence from the top, left to right and without overlapping, as one step
    // of the history; the cursor keeps its line and cell, the selection goes. Returns the number
    // of occurrences replaced.
    int ReplaceAll(std::string_view pattern, std::string_view replacement);

    // 1-based position of the first exact occurrence of `pattern` at or after 0-based offset
    // `start` of `text`, or 0.
    static int SearchFrom(std::string_view pattern, std::string_view text, int start);

private:
    // A mark typed at (line, col) would be refused there by the mark rule (it has a cell before it
    // that cannot take it, or changes nothing); only the bytes before col count.
    bool MarkRefusedAt(int line, int col, unsigned char key) const;

    // The first occurrence at or after the byte `from` (a line and a byte column, the line's CR at
    // its length), or the last one that starts before it.
    std::optional<TextPoint> SearchForward(std::string_view pattern, TextPoint from) const;
    std::optional<TextPoint> SearchBackward(std::string_view pattern, TextPoint before) const;
    // The search of FindNext from the byte `from` on.
    bool FindFrom(std::string_view pattern, TextPoint from);
    // Selects `length` bytes at `at` by whole cells, the cursor right after them, scrolled into view.
    void SelectMatch(TextPoint at, int length);
    // The byte point where the selection starts.
    TextPoint SelectionStart() const;

    // The occurrence the last search selected, and the selection it made.
    struct Match {
        int line = -1, col = 0, length = 0;
        int anchorPos = 0, extentPos = 0;
    };
    Match found_;
};
