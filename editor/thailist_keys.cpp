// The key-down handler of TThailist.
#include "editor/thailist.h"

void TThailist::KeyDown(int&, platform::ShiftState) {}
void TThailist::KeyPress(unsigned char&) {}
