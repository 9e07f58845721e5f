#include "ui/skin/window_shape.h"

#include <QRect>
#include <algorithm>
#include <vector>

namespace qf::ui {

QRegion RegionFromShapePicture(const QImage& shape) {
    if (shape.isNull()) {
        return {};
    }
    const QImage pixels = shape.convertToFormat(QImage::Format_RGB32);
    const int width = pixels.width();
    constexpr QRgb kWhite = 0x00FFFFFF;

    // Rows with the same runs as the row above widen that band instead of adding rectangles, so
    // the rectangles form a valid y-x banded region for setRects.
    std::vector<QRect> rects;
    std::vector<QRect> previousRow;
    std::vector<QRect> row;
    std::size_t previousStart = 0;  // index in `rects` of the previous row's band
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        row.clear();
        int x = 0;
        while (x < width) {
            while (x < width && (line[x] & kWhite) == kWhite) {
                ++x;
            }
            const int start = x;
            while (x < width && (line[x] & kWhite) != kWhite) {
                ++x;
            }
            if (x > start) {
                row.emplace_back(start, y, x - start, 1);
            }
        }
        const bool sameRuns = !row.empty() && row.size() == previousRow.size() &&
                              std::equal(row.begin(), row.end(), previousRow.begin(),
                                         [](const QRect& a, const QRect& b) {
                                             return a.left() == b.left() && a.right() == b.right();
                                         }) &&
                              previousRow.front().top() == y - 1;
        if (sameRuns) {
            for (std::size_t i = previousStart; i < rects.size(); ++i) {
                rects[i].setBottom(y);
            }
        } else {
            previousStart = rects.size();
            rects.insert(rects.end(), row.begin(), row.end());
        }
        if (!row.empty()) {
            previousRow = row;
        } else {
            previousRow.clear();
        }
    }
    QRegion region;
    if (!rects.empty()) {
        region.setRects(rects.data(), static_cast<int>(rects.size()));
    }
    return region;
}

WindowShape WindowShapeFor(const QImage& shape, QSize windowSize) {
    WindowShape result;
    result.region = RegionFromShapePicture(shape);
    if (result.region.isEmpty()) {
        result.region = QRegion(QRect(QPoint(0, 0), windowSize));
        result.fullRectangle = true;
    }
    return result;
}

}  // namespace qf::ui
