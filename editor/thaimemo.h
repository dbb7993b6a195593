// TThaimemo: the editable Thai text control. Adds character input in three modes (English
// layout, Thai layout, "Thai on A..Z") with the mark rules, and replacing the selection.
#pragma once

#include <string_view>

#include "editor/thailist.h"

class TThaimemo : public TThailist {
public:
    // The editor keeps an undo history of its text.
    TThaimemo();

    // The key-press stage: "Thai on A..Z" offer, Thai layout mapping, insertion.
    void KeyPress(unsigned char& key) override;
    void InsertChar(unsigned char key);
    void ShowChoice(unsigned char byte) override;
    void SetThaiOnAZ(bool on);

    // Deletes the selection (if any) and inserts s at the cursor of the cursor line.
    void ReplaceSelection(std::string_view s);

    // Finds the next occurrence of `pattern` from the byte under the cursor on, byte for byte, and
    // selects it with the cursor right after it. Not found: no selection, the cursor at the top of
    // the text (without scrolling), false.
    bool FindNext(std::string_view pattern);
    // 1-based position of the first exact occurrence of `pattern` at or after 0-based offset
    // `start` of `text`, or 0.
    static int SearchFrom(std::string_view pattern, std::string_view text, int start);
};
