// PDF files as a reader sees them: the page count from pdfinfo and pages rendered by pdftoppm
// (poppler-utils), so that tests look at the file itself rather than at how it was made.
#pragma once

#include <QImage>
#include <QPoint>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>

namespace testpdf {

// Runs a poppler tool; false when it cannot run or fails.
inline bool Poppler(const QString& tool, const QStringList& arguments, QByteArray* out = nullptr) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C");
    p.setProcessEnvironment(env);
    p.start(tool, arguments);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return false;
    if (out) *out = p.readAllStandardOutput();
    return true;
}

// The number of pages; -1 when the file cannot be read as a PDF.
inline int PageCount(const QString& pdf) {
    QByteArray info;
    if (!Poppler("pdfinfo", {pdf}, &info)) return -1;
    for (const QByteArray& line : info.split('\n'))
        if (line.startsWith("Pages:")) return line.mid(6).trimmed().toInt();
    return -1;
}

// Page `page` (from 1) rendered at `dpi` in grey levels; a null image when it cannot be rendered.
inline QImage RenderPage(const QString& pdf, int page, int dpi) {
    QTemporaryDir dir;
    const QString n = QString::number(page);
    if (!Poppler("pdftoppm", {"-png", "-gray", "-r", QString::number(dpi), "-f", n, "-l", n, "-singlefile", pdf,
                              dir.filePath("page")}))
        return QImage();
    return QImage(dir.filePath("page.png")).convertToFormat(QImage::Format_RGB32);
}

inline bool Dark(QRgb c) { return qGray(c) < 128; }

// How far a rendered page differs from a black and white image placed at `at` on it: the share
// of the pixels dark in either that are dark in only one. A renderer places an image at a
// fraction of a pixel, so pixels may land one apart from one side of the page to the other: each
// tile of the image is compared at its best placement within `slack` pixels of `at`. 1 when
// nothing is dark.
inline double Difference(const QImage& rendered, const QImage& expected, QPoint at, int slack) {
    constexpr int kTile = 64;
    long dark = 0, differ = 0;
    for (int top = 0; top < expected.height(); top += kTile)
        for (int left = 0; left < expected.width(); left += kTile) {
            long bestDark = 0, bestDiffer = -1;
            for (int dy = -slack; dy <= slack; ++dy)
                for (int dx = -slack; dx <= slack; ++dx) {
                    long d = 0, n = 0;
                    for (int y = top; y < std::min(top + kTile, expected.height()); ++y)
                        for (int x = left; x < std::min(left + kTile, expected.width()); ++x) {
                            const int rx = x + at.x() + dx, ry = y + at.y() + dy;
                            const bool r = rendered.valid(rx, ry) && Dark(rendered.pixel(rx, ry));
                            const bool e = Dark(expected.pixel(x, y));
                            d += r || e;
                            n += r != e;
                        }
                    if (bestDiffer < 0 || n < bestDiffer) {
                        bestDiffer = n;
                        bestDark = d;
                    }
                }
            dark += bestDark;
            differ += bestDiffer;
        }
    return dark > 0 ? static_cast<double>(differ) / static_cast<double>(dark) : 1.0;
}

}  // namespace testpdf
