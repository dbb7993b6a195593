// The print component with the state of its print run in view: what the page set-up decided
// (scale, detail, page size, text rectangle, cells per line), the page bitmap, the lines of the
// last page and how far the run got, for tests to read after PrintText.
#pragma once

#include "print/thaiprint.h"

namespace testprint {

class ThaiprintProbe : public TThaiprint {
public:
    using TThaiprint::CellsPerLine;
    using TThaiprint::Detail;
    using TThaiprint::LineIndex;
    using TThaiprint::Lines;
    using TThaiprint::PageBitmap;
    using TThaiprint::PageBitmapHeight;
    using TThaiprint::PageBitmapWidth;
    using TThaiprint::Scale;
    using TThaiprint::TextRect;
};

}  // namespace testprint
