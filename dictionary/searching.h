// The process-wide search flag: true while a word-list search runs; clearing it (the Esc key in
// a text view, a second Wordlist command, closing the results window) asks the search to stop.
#pragma once

namespace dictionary {
extern bool searching;
}
