// Painting, scrolling and word wrap of TThailist.
#include "editor/thailist.h"

void TThailist::SetGraphicsize(int n) { (void)n; }
void TThailist::SetCanvasMetrics(platform::Surface& surface, int size) { TCustomthai::SetCanvasMetrics(surface, size); }
void TThailist::PaintRows(int, int, int, int) {}
void TThailist::RepaintRange(int, int, int, int) {}
void TThailist::HighlightRange(int, int, int, int) {}
void TThailist::HideCaret() {}
void TThailist::DrawCaret() {}
void TThailist::WordWrap() {}
void TThailist::SetScrollRanges(bool) {}
void TThailist::SetScrollPositions() {}
void TThailist::HostPaint(const platform::Rect&) {}
void TThailist::HostResize() {}
