#include "document/DrawDib.h"

#include "document/Dib.h"
#include "platform/GrafikRW3.h"

#include <QGuiApplication>
#include <QPaintDevice>
#include <QPainter>
#include <QRect>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

int32_t roundQuotient(double a, double b) {
    // nearbyint rounds in the current mode, which is to nearest with ties to even.
    return static_cast<int32_t>(std::nearbyint(a / b));
}

DrawDibPlan planDrawDib(int32_t x, int32_t y, int32_t destW, int32_t destH, int32_t width,
                        int32_t height, int32_t bits, int32_t xSrc, int32_t ySrc, int32_t srcW,
                        int32_t srcH, bool halftone, int32_t screenBits, bool rasterPrinter) {
    DrawDibPlan p;
    if (srcW <= 0 || srcH <= 0 || width <= 0 || height <= 0) {
        return p;
    }
    // Right edge.
    if (xSrc + srcW > width) {
        const int32_t newW = width - xSrc;
        destW = roundQuotient(double(destW) * newW, srcW);
        srcW = newW;
    }
    // Bottom edge (YSrc counts from the bottom).
    if (ySrc < 0) {
        destH = roundQuotient(double(destH) * (srcH + ySrc), srcH);
        srcH = srcH + ySrc;
        ySrc = 0;
    }
    // Top edge.
    if (ySrc + srcH > height) {
        const int32_t newH = height - ySrc;
        const int32_t newDestH = roundQuotient(double(destH) * newH, srcH);
        y += destH - newDestH;
        destH = newDestH;
        srcH = newH;
    }
    // Left edge.
    if (xSrc < 0) {
        const int32_t newW = srcW + xSrc;
        const int32_t newDestW = roundQuotient(double(destW) * newW, srcW);
        x += destW - newDestW;
        destW = newDestW;
        srcW = newW;
        xSrc = 0;
    }
    p.x = x;
    p.y = y;
    p.destW = destW;
    p.destH = destH;
    p.xSrc = xSrc;
    p.ySrc = ySrc;
    p.srcW = srcW;
    p.srcH = srcH;
    // A rectangle wholly outside the picture leaves nothing (the arithmetic above would give
    // empty or negative extents).
    if (srcW <= 0 || srcH <= 0 || destW <= 0 || destH <= 0) {
        p.method = DrawMethod::Nothing;
        return p;
    }
    if (bits == 24 && screenBits <= 8 && halftone) {
        if (destW < srcW || destH < srcH) {
            p.method = DrawMethod::HalftoneReduced;
            p.copyW = roundQuotient(double(width) * destW, srcW);
            p.copyH = roundQuotient(double(height) * destH, srcH);
            p.copyX = roundQuotient(double(xSrc) * p.copyW, width);
            p.copyY = roundQuotient(double(ySrc) * p.copyH, height);
        } else {
            p.method = DrawMethod::HalftoneStretched;
        }
    } else if (bits == 24 && !rasterPrinter) {
        p.method = DrawMethod::Rows24;
    } else if (bits == 8 && !rasterPrinter) {
        p.method = DrawMethod::Rows8;
    } else {
        p.method = DrawMethod::Stretch;
    }
    return p;
}

QImage drawDibRows(const dib& d, int32_t destW, int32_t destH, int32_t xSrc, int32_t topRow,
                   int32_t srcW, int32_t srcH) {
    return drawDibRowsPart(d, destW, destH, xSrc, topRow, srcW, srcH, 0, 0, destW, destH);
}

QImage drawDibRowsPart(const dib& d, int32_t destW, int32_t destH, int32_t xSrc, int32_t topRow,
                       int32_t srcW, int32_t srcH, int32_t partX, int32_t partY, int32_t partW,
                       int32_t partH) {
    const int32_t bits = dibbits(d);
    const int32_t width = dibwidth(d);
    const int32_t height = dibheight(d);
    if (destW <= 0 || destH <= 0 || (bits != 24 && bits != 8)) {
        return {};
    }
    // The part, cut to the picture.
    const int64_t left = std::max<int64_t>(partX, 0);
    const int64_t top = std::max<int64_t>(partY, 0);
    const int64_t right = std::min<int64_t>(int64_t{partX} + partW, destW);
    const int64_t bottom = std::min<int64_t>(int64_t{partY} + partH, destH);
    if (right <= left || bottom <= top) {
        return {};
    }
    const int32_t outW = static_cast<int32_t>(right - left);
    const int32_t outH = static_cast<int32_t>(bottom - top);
    const int bpp = bits / 8;
    QImage img(outW, outH, bits == 24 ? QImage::Format_BGR888 : QImage::Format_Indexed8);
    if (img.isNull()) {
        return img;
    }
    if (bits == 8) {
        QList<QRgb> table(256);
        for (int i = 0; i < 256; ++i) {
            const RGBQUAD& q = d.pmi->bmiColors[i];
            table[i] = qRgb(q.rgbRed, q.rgbGreen, q.rgbBlue);
        }
        img.setColorTable(table);
    }
    // Column map: source byte offset of each destination column of the part.
    std::vector<int64_t> columns(static_cast<size_t>(outW));
    int32_t first = -1;
    int32_t last = -2;
    for (int32_t i = 0; i < outW; ++i) {
        const int64_t col = xSrc + int64_t{srcW} * (left + i) / destW;
        columns[i] = col * bpp;
        if (col >= 0 && col < width) {
            if (first < 0) {
                first = i;
            }
            last = i;
        }
    }
    std::vector<uint8_t> row(static_cast<size_t>(outW) * bpp, 0);
    int64_t previous = -1;
    const int64_t lastOffset = int64_t{height - 1} * d.bytew;
    for (int32_t j = 0; j < outH; ++j) {
        const int64_t memRow = int64_t{height - 1} - (topRow + int64_t{srcH} * (top + j) / destH);
        const int64_t offset = memRow * d.bytew;
        if (offset < 0 || offset > lastOffset) {
            std::fill(row.begin(), row.end(), 0);
            previous = -1;
        } else if (offset != previous) {
            const uint8_t* src = d.poi + offset;
            for (int32_t i = first; i >= 0 && i <= last; ++i) {
                std::memcpy(&row[static_cast<size_t>(i) * bpp], src + columns[i],
                            static_cast<size_t>(bpp));
            }
            previous = offset;
        }
        std::memcpy(img.scanLine(j), row.data(), row.size());
    }
    return img;
}

QImage dibToQImage(const dib& d, int32_t xSrc, int32_t ySrc, int32_t srcW, int32_t srcH) {
    const int32_t bits = dibbits(d);
    const int32_t height = dibheight(d);
    if (d.poi == nullptr || srcW <= 0 || srcH <= 0) {
        return {};
    }
    QImage::Format format = QImage::Format_Invalid;
    switch (bits) {
    case 1:
        format = QImage::Format_Mono;
        break;
    case 4:
    case 8:
        format = QImage::Format_Indexed8;
        break;
    case 16:
        format = QImage::Format_RGB555;
        break;
    case 24:
        format = QImage::Format_BGR888;
        break;
    case 32:
        format = QImage::Format_RGB32;
        break;
    default:
        return {};
    }
    QImage img(srcW, srcH, format);
    if (img.isNull()) {
        return img;
    }
    if (bits <= 8) {
        QList<QRgb> table(1 << bits);
        for (int i = 0; i < (1 << bits); ++i) {
            const RGBQUAD& q = d.pmi->bmiColors[i];
            table[i] = qRgb(q.rgbRed, q.rgbGreen, q.rgbBlue);
        }
        img.setColorTable(table);
    }
    // Source row r from the top of the rectangle is picture row (height - ySrc - srcH + r).
    const int32_t top = height - ySrc - srcH;
    for (int32_t r = 0; r < srcH; ++r) {
        const int32_t y = top + r;
        uint8_t* dst = img.scanLine(r);
        if (bits == 1 && xSrc % 8 == 0) {
            // DIB rows and Format_Mono both hold the leftmost pixel in the top bit.
            std::memcpy(dst, DibRowTop(d, y) + xSrc / 8, static_cast<size_t>(srcW + 7) / 8);
        } else if (bits == 4 && xSrc % 2 == 0) {
            const uint8_t* src = DibRowTop(d, y) + xSrc / 2;
            for (int32_t x = 0; x < srcW; ++x) {
                dst[x] = static_cast<uint8_t>(x % 2 == 0 ? src[x / 2] >> 4 : src[x / 2] & 15);
            }
        } else if (bits == 1 || bits == 4) {
            for (int32_t x = 0; x < srcW; ++x) {
                const uint32_t v = getpixel(d, xSrc + x, y);
                if (bits == 4) {
                    dst[x] = static_cast<uint8_t>(v);
                } else if (v != 0) {
                    dst[x >> 3] = static_cast<uint8_t>(dst[x >> 3] | (0x80u >> (x & 7)));
                } else {
                    dst[x >> 3] = static_cast<uint8_t>(dst[x >> 3] & ~(0x80u >> (x & 7)));
                }
            }
        } else {
            const int bpp = bits / 8;
            std::memcpy(dst, DibRowTop(d, y) + static_cast<ptrdiff_t>(xSrc) * bpp,
                        static_cast<size_t>(srcW) * bpp);
        }
    }
    return img;
}

int32_t screenbits() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        if (const QScreen* s = QGuiApplication::primaryScreen()) {
            return s->depth();
        }
    }
    return 32;
}

namespace {

// Draws a plan; `visible` (painter coordinates) limits what is made and drawn, an empty rectangle
// meaning the whole destination.
void drawPlan(QPainter& painter, const DrawDibPlan& p, const dib& d, const QRect& visible) {
    const QRect dest(p.x, p.y, p.destW, p.destH);
    const QRect part = visible.isEmpty() ? dest : dest.intersected(visible);
    if (part.isEmpty()) {
        return;
    }
    // Nearest-pixel scaling, as the colour-on-colour stretch mode does.
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (!visible.isEmpty()) {
        painter.setClipRect(part, Qt::IntersectClip);
    }
    switch (p.method) {
    case DrawMethod::Nothing:
        break;
    case DrawMethod::HalftoneReduced: {
        dib copy{};
        DIBHalftoneDIBXY(copy, d, p.copyW, p.copyH);
        if (copy.poi != nullptr) {
            const QImage img =
                dibToQImage(copy, p.copyX, p.copyY, std::min(p.destW, p.copyW - p.copyX),
                            std::min(p.destH, p.copyH - p.copyY));
            painter.drawImage(QPoint(p.x, p.y), img);
            deldib(copy);
        }
        break;
    }
    case DrawMethod::HalftoneStretched: {
        dib copy{};
        DIBHalftoneDIB(copy, d);
        if (copy.poi != nullptr) {
            painter.drawImage(dest, dibToQImage(copy, p.xSrc, p.ySrc, p.srcW, p.srcH));
            deldib(copy);
        }
        break;
    }
    case DrawMethod::Rows24:
    case DrawMethod::Rows8:
        painter.drawImage(part.topLeft(), drawDibRowsPart(d, p.destW, p.destH, p.xSrc,
                                                          dibheight(d) - p.ySrc - p.srcH, p.srcW,
                                                          p.srcH, part.x() - p.x, part.y() - p.y,
                                                          part.width(), part.height()));
        break;
    case DrawMethod::Stretch:
        painter.drawImage(dest, dibToQImage(d, p.xSrc, p.ySrc, p.srcW, p.srcH));
        break;
    }
    painter.restore();
}

DrawDibPlan planFor(const QPainter& painter, int32_t x, int32_t y, int32_t destW, int32_t destH,
                    const dib& d, int32_t xSrc, int32_t ySrc, int32_t srcW, int32_t srcH,
                    bool halftone) {
    const QPaintDevice* device = painter.device();
    const bool printer = device != nullptr && device->devType() == QInternal::Printer;
    return planDrawDib(x, y, destW, destH, dibwidth(d), dibheight(d), dibbits(d), xSrc, ySrc, srcW,
                       srcH, halftone, screenbits(), printer);
}

} // namespace

void drawdib(QPainter& painter, int32_t x, int32_t y, int32_t destW, int32_t destH, const dib& d,
             int32_t xSrc, int32_t ySrc, int32_t srcW, int32_t srcH, bool halftone,
             uint32_t /*rop*/) {
    if (d.poi == nullptr || d.pmi == nullptr) {
        return;
    }
    drawPlan(painter, planFor(painter, x, y, destW, destH, d, xSrc, ySrc, srcW, srcH, halftone), d,
             QRect());
}

void drawdibVisible(QPainter& painter, const QRect& visible, int32_t x, int32_t y, int32_t destW,
                    int32_t destH, const dib& d, int32_t xSrc, int32_t ySrc, int32_t srcW,
                    int32_t srcH, bool halftone) {
    if (d.poi == nullptr || d.pmi == nullptr || visible.isEmpty()) {
        return;
    }
    drawPlan(painter, planFor(painter, x, y, destW, destH, d, xSrc, ySrc, srcW, srcH, halftone), d,
             visible);
}
