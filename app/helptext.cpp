#include "app/helptext.h"

#define MEKALON_PROGRAM_VERSION "Mekalon " MEKALON_VERSION

const char* const kProgramVersion = MEKALON_PROGRAM_VERSION;

const char* const kHelpText = MEKALON_PROGRAM_VERSION R"( - Thai text editor with translation help
=====================================================
More about installing the program: see the file README.

PRINTING
Select the text you want to print and choose File - Print.
To print the whole text, choose Edit - Select All first.
The pages are printed with the Thai font or graphics size
that the editor shows. The title bar shows the page being
printed; press Esc to stop printing.

EDITOR KEYS
Return        splits the line at the cursor (hard return on).
              With hard return off it moves to the start of
              the next line (Options - Hard Return).
Ctrl+Return   always splits the line.
Ctrl+N        inserts an empty line above the cursor line.
Ctrl+Del      deletes the cursor line; Ctrl+Y does the same.
Ctrl+Left     previous word; Ctrl+Right next word.
Ctrl+Up       scrolls up one line; Ctrl+Down down one line.
Ctrl+Home     start of the text; Ctrl+End end of the text.
Home, End     start and end of the cursor line.
PgUp, PgDn    one page up or down.
Esc           stops a word list search or a print job.
Ctrl+A        selects all; Ctrl+Z undoes, Ctrl+Shift+Z redoes.
Ctrl+F, F3    find, find the next (Shift+F3: the previous).
Ctrl+H        replace. Ctrl+S saves, Ctrl+Shift+S saves as,
              Ctrl+P prints, Ctrl+Q quits.
Ctrl+Plus, Ctrl+Minus (or Ctrl and the mouse wheel): the next
              and the previous graphics size.
Edit - Wordwrap breaks long lines at the width of the window,
between words.

SELECTING, DELETING
Hold Shift and move the cursor with the arrows, Home, End,
PgUp or PgDn, or drag with the left mouse button. Shift and
a left click extend the selection to the click. A click with
the right mouse button or a double click selects the word
under the pointer, a triple click the line. Typing, a click
on the virtual keyboard or Paste replaces the selection; a
vowel or tone mark is refused where it makes no sense before
the selection, which then stays.
Del deletes the selection, or the last mark of the cell at
the cursor, then the letter itself. Backspace deletes the
whole cell left of the cursor: the letter with its vowel and
tone marks. Cut, Copy and Paste are in the Edit menu
(Ctrl+X, Ctrl+C, Ctrl+V).

COPYING WORDS WITH THE RIGHT MOUSE BUTTON
Select a word or a part of a line (a right click selects a
word), press the right mouse button inside the selection,
keep it down and release it where the text shall go: in the
same window or in another one. This is the quick way to take
words from the word list into your translation.

THAI SEQUENCE RULES
Vowel and tone marks above and below a letter join the cell
before the cursor. A mark is refused where it makes no sense,
for example after a Latin letter, a digit, a leading vowel
or another refused character: nothing happens then. Marks
are kept in the order letter, vowel, tone, whatever order
you type them in; a cell holds one vowel and one tone mark.
A second tone mark replaces the first.

"Vitual Kbd"
Shows the virtual keyboard. Click on a key to type it into
the window that was active last: the editor, the find
window or the quick lookup window. Type A shows the letters
A..Z; move the mouse over a letter to see the Thai letters
filed under it and click one of them. Type B shows all Thai
characters. "Switch" shows type A, type B, both or none.

"Keyboard F2"
Switches between the English and the Thai keyboard layout
(click "Kbd F2" or press Alt+K or F2, in any window of the
program). With the Thai layout the keys type Thai as
printed on a Thai keyboard. The window icon and the status
bar (EN, TH, A..Z) show the input mode in use.

"Thai on A..Z"
A Latin letter key offers the Thai letters filed under it
(for example k for the k-sounds). Press the same key again
to step through them; any other key or the space bar takes
the letter on offer. Click the menu again to switch it off;
"Kbd F2" switches it off as well.

"Search F3"
Finds a text in the editor from the cursor on and selects
it. Find or Return finds the next one, F3 too, also from the
editor with the find window closed; Shift+F3 or Shift+Return
the previous one. At the end of the text the window says so
and the next search starts again at the top. Select a word
before Ctrl+F to search for it. Latin letters are matched
exactly, upper and lower case differ.
Replace (Ctrl+H) replaces the text found by the one in
"Replace with" and finds the next; Replace All replaces every
one at once (Ctrl+Z takes them all back) and says how many.

"Options"
Select Font: draw the text with a font of your choice.
Previous Font: back to the font chosen last.
Small, Medium and Large Graphics: draw Thai from the built-in
pictures in three sizes; no Thai font is needed.
Hard Return: switches the Return key between splitting the
line and moving to the next line.

"Dictionary"
A dictionary is a plain text file (.dic), one entry per line:
the foreign word or words and the Thai translation, separated
by blanks or commas, for example
    house  baan
Comments stand in square brackets: go [to] pai
Words that form one expression are joined by "_":
    how_are_you
A word is looked up with at most 30 characters.
Open reads a dictionary. Append adds another dictionary to
the one in memory. The dictionary is kept sorted and without
double lines (lines that differ only in upper and lower case
count as the same line). Save As writes it to a file.
Insert Line in dictionary adds the editor's cursor line;
Delete Line in dictionary removes it again. The menu shows
the name of the dictionary and its number of lines. Before
a changed dictionary is replaced or the program ends, you
are asked whether to save it.

"Wordlist"
Lists every dictionary line that holds a word of the cursor
line, or of the selected part of a line. Thai written without
gaps is split into the longest words the dictionary knows.
Upper and lower case of Latin letters do not matter.
A selected word with * is a pattern:
    *xyz    words that end with xyz
    xyz*    words that begin with xyz
    *xyz*   words that contain xyz
    x**y*z  each inner * stands for exactly one character
Select only one word with *. While the search runs the menu
reads "W..Stop": click it or press Esc to stop. The window
title shows the number of lines found. Drag words from the
list into your text with the right mouse button.

"Lookup"
Opens the quick lookup window. Type a word or a pattern with
*: the first dictionary line that holds it is shown at once
below your input. "Next F3" shows the next line; after the
lines with the whole word come those with words that begin
with it. "Clear" empties the field.

"Convert"
For currency conversion while translating: select a number
in the text and choose "Multiply with 40" or "Divide by 40".
The number is replaced by the result with two decimals. Use
the decimal separator of your system settings ("." or ",").
To change the factor, select a number (for example 35.5) and
choose "Change Factor/Divisor"; the menu then shows the new
factor. A selection that is not a number gives "error".

"About"
Shows this window. Select a part of the help text with the
mouse and click "Copy Selected Text" to put it on the
clipboard.
The Thai number puzzle: the first click on the digits mixes
them, the second click hides one of them. Then click a digit
to move it into the empty place; any digit may be moved,
wherever it stands. The game ends when every Thai digit
stands in the column of its Arabic digit again, 0 to 9 from
left to right (the two rows may be exchanged). The score is
the number of moves: the fewer, the better. "New Game" puts
all digits back in order.

SETTINGS AND RECENT FILES
The program remembers its window, the graphics size or
font, the input mode, hard return, the currency factor and
the last dictionary, which opens again at the next start.
File - Recent Files and Dictionary - Recent Dictionaries
list the last ten opened or saved. The status bar shows the
cursor's line and column, the input mode, the file's
encoding and line end, and the dictionary. Start the
program with --no-settings to begin with the defaults and
keep nothing.

DESKTOP SHORTCUT
To start Mekalon from the desktop, create a launcher (a
desktop entry) whose command is the full path of the program
file "mekalon", and give it a name such as "Mekalon".
)";
