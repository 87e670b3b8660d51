#include "view/PageViews.h"

#include "document/Dib.h"
#include "document/DrawDib.h"
#include "document/DynaArray.h"
#include "platform/DibRecord.h"
#include "view/ViewGeometry.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <unordered_set>

namespace {

dib& record(TDynaArray& pages, uint32_t i) {
    return *static_cast<dib*>(pages.GetObject(i));
}

// Fills the rectangle from (left, top) to (right, bottom), right and bottom excluded.
void fill(QPainter& p, int32_t left, int32_t top, int32_t right, int32_t bottom, const QColor& c) {
    if (right > left && bottom > top) {
        p.fillRect(QRect(left, top, right - left, bottom - top), c);
    }
}

} // namespace

// ---- page view --------------------------------------------------------------------------------

TPageView::TPageView(QWidget* parent, std::function<PageViewState()> state)
    : QWidget(parent), state_(std::move(state)) {
    setObjectName("PaintBox1");
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool TPageView::fitSize(const PageViewState& s) {
    const SheetGeometry g = sheetGeometry(s.layout, s.zoom, logicalDpiX());
    if (width() == g.W && height() == g.H) {
        return true;
    }
    resize(g.W, g.H);
    return false;
}

void TPageView::refresh() {
    fitSize(state_());
    update();
}

void TPageView::paintEvent(QPaintEvent*) {
    const PageViewState s = state_();
    if (!fitSize(s)) {
        return; // the resize brings a repaint
    }
    const SheetGeometry g = sheetGeometry(s.layout, s.zoom, logicalDpiX());
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (s.pages == nullptr || s.page < 1 || s.page > int64_t{s.pages->count} || g.aw <= 0 ||
        g.ah <= 0) {
        return;
    }
    int32_t maxW = 1;
    int32_t maxH = 1;
    if (s.layout.RelSizeCheck) {
        for (uint32_t i = 0; i < s.pages->count; ++i) {
            const dib& d = record(*s.pages, i);
            maxW = std::max(maxW, dibwidth(d));
            maxH = std::max(maxH, dibheight(d));
        }
    }
    const dib page = record(*s.pages, static_cast<uint32_t>(s.page - 1));
    const int32_t W = dibwidth(page);
    const int32_t H = dibheight(page);
    if (W <= 0 || H <= 0) {
        return;
    }
    const PictureBox b = placeInArea(s.layout, g.aw, g.ah, g.mx, g.my, W, H, maxW, maxH);
    drawdib(p, b.x, b.y, b.w, b.h, page, 0, 0, W, H, false);
}

// ---- sorting view -----------------------------------------------------------------------------

TSortView::TSortView(QWidget* parent, std::function<SortViewState()> state)
    : QWidget(parent), state_(std::move(state)) {
    setObjectName("PaintBox2");
}

bool TSortView::fitSize(const SortViewState& s) {
    const uint32_t count = s.pages != nullptr ? s.pages->count : 0;
    const int32_t h = static_cast<int32_t>(
        std::min<int64_t>(gridHeight(count, gridColumns(s.viewWidth)), 16'000'000));
    if (width() == s.viewWidth && height() == h) {
        return true;
    }
    resize(s.viewWidth, h);
    return false;
}

void TSortView::refresh() {
    fitSize(state_());
    update();
}

const QImage& TSortView::thumbnail(dib& page, int32_t tw, int32_t th) {
    const Key key{pageIdentity(page), tw, th};
    auto it = cache_.find(key);
    if (it == cache_.end()) {
        // Drawn once exactly as it is shown: the same drawing routine into an image of the
        // thumbnail's size.
        QImage img(tw, th, QImage::Format_RGB32);
        img.fill(Qt::black);
        QPainter p(&img);
        drawdib(p, 0, 0, tw, th, page, 0, 0, dibwidth(page), dibheight(page), true);
        p.end();
        it = cache_.emplace(key, std::move(img)).first;
    }
    return it->second;
}

void TSortView::forgetGone(TDynaArray& pages) {
    // Thumbnails of pages that are gone (deleted, turned, replaced) are dropped once they make
    // up a good part of the cache.
    if (cache_.size() <= size_t{pages.count} + 64) {
        return;
    }
    std::unordered_set<uint64_t> live;
    for (uint32_t i = 0; i < pages.count; ++i) {
        live.insert(pageIdentity(record(pages, i)));
    }
    std::erase_if(cache_, [&](const auto& entry) { return !live.contains(entry.first.id); });
}

void TSortView::paintEvent(QPaintEvent*) {
    const SortViewState s = state_();
    if (!fitSize(s)) {
        return; // the resize brings a repaint
    }
    const uint32_t count = s.pages != nullptr ? s.pages->count : 0;
    const bool selectionInside = int64_t{s.adib} <= int64_t{count};
    QPainter p(this);
    const int32_t cols = gridColumns(s.viewWidth);
    const QColor white(255, 255, 255);
    const QColor grey(128, 128, 128);
    const int64_t rows = (int64_t{count} + cols - 1) / cols;
    const int64_t firstRow =
        std::max<int64_t>(0, (int64_t{s.scrollPos} - kCellHeight) / kCellHeight);
    for (int64_t row = firstRow; row < rows; ++row) {
        if (!rowVisible(row, s.scrollPos, s.clientHeight)) {
            if (row * kCellHeight > int64_t{s.scrollPos} + s.clientHeight) {
                break;
            }
            continue;
        }
        for (int32_t col = 0; col < cols; ++col) {
            const int64_t i = row * cols + col;
            if (i >= int64_t{count}) {
                break;
            }
            dib& page = record(*s.pages, static_cast<uint32_t>(i));
            const int32_t W = dibwidth(page);
            const int32_t H = dibheight(page);
            const ThumbGeometry t = W > 0 && H > 0 ? thumbGeometry(W, H) : ThumbGeometry{};
            const int32_t x0 = col * kCellWidth;
            const int32_t y0 = static_cast<int32_t>(row * kCellHeight);
            // The frame: light at the top and left, dark at the right and bottom; each line
            // stops one pixel short of its end point, as lines are drawn.
            fill(p, x0 + 2, y0 + 2, x0 + 88, y0 + 3, white);
            fill(p, x0 + 88, y0 + 2, x0 + 89, y0 + 108, grey);
            fill(p, x0 + 3, y0 + 108, x0 + 89, y0 + 109, grey);
            fill(p, x0 + 2, y0 + 3, x0 + 3, y0 + 109, white);
            const QColor back = i + 1 == s.adib ? QColor(0, 0, 255) : QColor(192, 192, 192);
            fill(p, x0 + 3, y0 + 3, x0 + 5 + t.ox, y0 + 107, back);
            fill(p, x0 + 3, y0 + 3, x0 + 87, y0 + 5 + t.oy, back);
            fill(p, x0 + 3, y0 + 5 + t.oy + t.th, x0 + 87, y0 + 107, back);
            fill(p, x0 + 5 + t.ox + t.tw, y0 + 3, x0 + 87, y0 + 107, back);
            // Pictures are drawn whether or not the selection lies within the pages, so the
            // thumbnails stay when the selected last page has been deleted.
            if (t.tw > 0 && t.th > 0) {
                p.drawImage(QPoint(x0 + 5 + t.ox, y0 + 5 + t.oy), thumbnail(page, t.tw, t.th));
            }
        }
    }
    if (s.pages != nullptr) {
        forgetGone(*s.pages);
    }
    if (onStatus) {
        onStatus(selectionInside
                     ? "Thumbnail: " + std::to_string(s.adib) + " von " + std::to_string(count)
                     : "Bild: keins   ");
    }
}

void TSortView::mousePressEvent(QMouseEvent* event) {
    if (onPress) {
        const QPoint at = event->position().toPoint();
        onPress(at.x(), at.y());
    }
}

void TSortView::mouseDoubleClickEvent(QMouseEvent*) {
    if (onDoubleClick) {
        onDoubleClick();
    }
}
