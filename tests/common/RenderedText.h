#pragma once
// Pages of known text for the text recognition tests: lines drawn with Qt's painter in DejaVu
// Sans at 300 dpi, turned into pictures of the image library of any depth, with the box each
// word was drawn in. Needs a QGuiApplication (the offscreen platform will do).

#include "platform/GrafikRW3.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>
#include <QStringList>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace qlytest {

struct RenderedText {
    QImage image;                   // RGB888, 300 dpi
    std::vector<std::string> words; // in reading order, UTF-8
    std::vector<QRect> boxes;       // where each was drawn (advance by line height)
};

// Draws `lines` (words separated by single blanks) in `ink` on `paper`, `points` points tall,
// one below the other from a 1 inch margin, on a page `width` x `height` pixels at 300 dpi.
inline RenderedText renderText(const std::vector<std::string>& lines, int width, int height,
                               int points = 12, QColor ink = Qt::black, QColor paper = Qt::white) {
    RenderedText r;
    r.image = QImage(width, height, QImage::Format_RGB888);
    r.image.setDotsPerMeterX(11811);
    r.image.setDotsPerMeterY(11811);
    r.image.fill(paper);
    QPainter p(&r.image);
    QFont font("DejaVu Sans");
    font.setPointSizeF(points); // at the image's 300 dpi
    p.setFont(font);
    p.setPen(ink);
    const QFontMetrics m(font, &r.image);
    const int left = 300;
    int baseline = 300 + m.ascent();
    for (const std::string& line : lines) {
        int x = left;
        for (const QString& word : QString::fromStdString(line).split(' ', Qt::SkipEmptyParts)) {
            p.drawText(x, baseline, word);
            const int advance = m.horizontalAdvance(word);
            r.words.push_back(word.toStdString());
            r.boxes.emplace_back(x, baseline - m.ascent(), advance, m.height());
            x += advance + m.horizontalAdvance(' ');
        }
        baseline += m.lineSpacing() * 3 / 2;
    }
    return r;
}

// The image as a picture of `bits` bits per pixel (1: black below half grey, entry 0 black
// unless `whiteFirst`; 4 and 8: a grey table of that many levels; 24: as it is), at 300 dpi.
inline void renderedToDib(const QImage& image, int bits, bool whiteFirst, dib& out) {
    const int w = image.width();
    const int h = image.height();
    newdib(out, w, h, bits, nullptr, 0);
    if (out.poi == nullptr) {
        return;
    }
    out.pmi->bmiHeader.biXPelsPerMeter = 11811;
    out.pmi->bmiHeader.biYPelsPerMeter = 11811;
    const int levels = bits <= 8 ? 1 << bits : 0;
    for (int i = 0; i < levels; ++i) {
        int v = i * 255 / (levels - 1);
        if (bits == 1 && whiteFirst) {
            v = 255 - v;
        }
        const auto b = static_cast<uint8_t>(v);
        out.pmi->bmiColors[i] = RGBQUAD{b, b, b, 0};
        out.pal.rgb0[i] = PALETTEENTRY{b, b, b, 0};
    }
    for (int y = 0; y < h; ++y) {
        const uchar* s = image.constScanLine(y);
        uint8_t* d = DibRowTop(out, y);
        if (bits == 24) {
            for (int x = 0; x < w; ++x) {
                d[3 * x] = s[3 * x + 2];
                d[3 * x + 1] = s[3 * x + 1];
                d[3 * x + 2] = s[3 * x];
            }
            continue;
        }
        std::memset(d, 0, size_t(out.bytew));
        for (int x = 0; x < w; ++x) {
            const int grey = (s[3 * x] * 299 + s[3 * x + 1] * 587 + s[3 * x + 2] * 114) / 1000;
            int index = 0;
            if (bits == 1) {
                index = (grey >= 128) != whiteFirst ? 1 : 0;
                d[x >> 3] |= static_cast<uint8_t>(index << (7 - (x & 7)));
            } else if (bits == 4) {
                index = (grey * 15 + 127) / 255;
                d[x >> 1] |= static_cast<uint8_t>((x & 1) == 0 ? index << 4 : index);
            } else {
                d[x] = static_cast<uint8_t>(grey);
            }
        }
    }
}

// The length of the longest common subsequence of two word lists: how many of `expected` come
// back in their order.
inline size_t wordsInOrder(const std::vector<std::string>& expected,
                           const std::vector<std::string>& got) {
    std::vector<size_t> row(got.size() + 1, 0);
    for (const std::string& e : expected) {
        size_t diagonal = 0;
        for (size_t j = 0; j < got.size(); ++j) {
            const size_t above = row[j + 1];
            row[j + 1] = e == got[j] ? diagonal + 1 : std::max(row[j + 1], row[j]);
            diagonal = above;
        }
    }
    return row.back();
}

} // namespace qlytest
