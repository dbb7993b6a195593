// Mouse selection, clipboard and drag and drop of TThailist.
#include "editor/thailist.h"

bool Dragging = false;

void TThailist::HostMouseDown(platform::MouseButton, platform::ShiftState, int, int) {}
void TThailist::HostMouseMove(platform::ShiftState, int, int) {}
void TThailist::HostMouseUp(platform::MouseButton, platform::ShiftState, int, int) {}
bool TThailist::InSelection(int, int) const { return false; }
bool TThailist::CursorFromPoint(int, int) { return false; }
void TThailist::CopySelection() {}
void TThailist::CutSelection() {}
void TThailist::Paste() {}
void TThailist::SelectWord() {}
void TThailist::SelectLine() {}
void TThailist::SelectAll() {}
void TThailist::SelectCursorLine() {}
