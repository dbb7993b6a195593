// PDF files as a reader sees them: the page count from pdfinfo, pages rendered by pdftoppm and the
// text by pdftotext (poppler-utils), so that tests look at the file itself rather than at how it
// was made.
#pragma once

#include <QImage>
#include <QPoint>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <vector>

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

// Page `page` (from 1) rendered at `dpi` in grey levels, the whole page or only the rectangle
// `crop` of it (pixels at that resolution); a null image when it cannot be rendered.
inline QImage RenderPage(const QString& pdf, int page, int dpi, QRect crop = QRect()) {
    QTemporaryDir dir;
    const QString n = QString::number(page);
    QStringList arguments{"-png", "-gray", "-r", QString::number(dpi), "-f", n, "-l", n, "-singlefile"};
    if (!crop.isNull())
        arguments << "-x" << QString::number(crop.x()) << "-y" << QString::number(crop.y()) << "-W"
                  << QString::number(crop.width()) << "-H" << QString::number(crop.height());
    if (!Poppler("pdftoppm", arguments << pdf << dir.filePath("page"))) return QImage();
    return QImage(dir.filePath("page.png")).convertToFormat(QImage::Format_RGB32);
}

// The text a reader takes from the file (pdftotext, in reading order): its non-empty lines, with
// runs of blanks made one and the ends trimmed.
inline QStringList TextLines(const QString& pdf) {
    QByteArray text;
    if (!Poppler("pdftotext", {"-enc", "UTF-8", pdf, "-"}, &text)) return {};
    QStringList lines;
    for (const QString& line : QString::fromUtf8(text).split(QRegularExpression("[\\n\\f]")))
        if (!line.simplified().isEmpty()) lines << line.simplified();
    return lines;
}

inline bool Dark(QRgb c) { return qGray(c) < 128; }

// How far a rendered page differs from a black and white image placed at `at` on it: the share
// of the pixels dark in either that are dark in only one. A renderer places an image at a
// fraction of a pixel, so pixels may land one apart from one side of the page to the other: each
// tile of the image is compared at its best placement within `slack` pixels of `at`. 1 when
// nothing is dark.
inline double Difference(const QImage& rendered, const QImage& expected, QPoint at, int slack) {
    constexpr int kTile = 64;
    // Which pixels are dark, read once: a page at printing resolution has millions of them.
    auto darkMask = [](const QImage& image) {
        const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
        std::vector<unsigned char> mask(static_cast<size_t>(rgb.width()) * static_cast<size_t>(rgb.height()));
        for (int y = 0; y < rgb.height(); ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
            for (int x = 0; x < rgb.width(); ++x) mask[static_cast<size_t>(y) * static_cast<size_t>(rgb.width()) + static_cast<size_t>(x)] = Dark(row[x]);
        }
        return mask;
    };
    const std::vector<unsigned char> r = darkMask(rendered), e = darkMask(expected);
    const int rw = rendered.width(), rh = rendered.height(), ew = expected.width(), eh = expected.height();
    long dark = 0, differ = 0;
    for (int top = 0; top < eh; top += kTile)
        for (int left = 0; left < ew; left += kTile) {
            long bestDark = 0, bestDiffer = -1;
            for (int dy = -slack; dy <= slack; ++dy)
                for (int dx = -slack; dx <= slack; ++dx) {
                    long d = 0, n = 0;
                    for (int y = top; y < std::min(top + kTile, eh); ++y) {
                        const int ry = y + at.y() + dy;
                        for (int x = left; x < std::min(left + kTile, ew); ++x) {
                            const int rx = x + at.x() + dx;
                            const bool rd = rx >= 0 && ry >= 0 && rx < rw && ry < rh && r[static_cast<size_t>(ry) * rw + rx];
                            const bool ed = e[static_cast<size_t>(y) * ew + x];
                            d += rd || ed;
                            n += rd != ed;
                        }
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

// How far the top part of a page (its first `rows` pixel rows at `dpi`, from `at`) differs from
// the top of a black and white page image placed at `at`: only that part is rendered and compared.
inline double TopDifference(const QString& pdf, int page, int dpi, const QImage& expected, QPoint at, int rows) {
    const QImage rendered = RenderPage(pdf, page, dpi, QRect(at, QSize(expected.width(), rows)));
    if (rendered.isNull()) return 1.0;
    return Difference(rendered, expected.copy(0, 0, expected.width(), rows), QPoint(0, 0), 1);
}

}  // namespace testpdf
