#include "view/PageViews.h"

#include "document/Dib.h"
#include "document/DrawDib.h"
#include "document/DynaArray.h"
#include "platform/DibRecord.h"
#include "view/ViewGeometry.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QString>
#include <QUrl>

#include <algorithm>
#include <unordered_set>

#include <unistd.h>

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
    setAccessibleName(tr("Seitenansicht"));
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
    setAccessibleName(tr("Seitenübersicht"));
    // The window refreshes the view whenever its pages change, and it starts without pages.
    setAccessibleDescription(selectionText(1, 0));
    setAcceptDrops(true);
}

QString TSortView::selectionText(int32_t adib, uint32_t count) {
    if (count == 0) {
        return tr("Keine Seiten");
    }
    if (adib >= 1 && int64_t{adib} <= int64_t{count}) {
        return tr("Seite %1 von %2").arg(adib).arg(count);
    }
    // The selected last page was deleted: the selection lies past the pages.
    return count == 1 ? tr("Keine Seite ausgewählt, 1 Seite")
                      : tr("Keine Seite ausgewählt, %1 Seiten").arg(count);
}

void TSortView::describeSelection(const SortViewState& s) {
    const QString text = selectionText(s.adib, s.pages != nullptr ? s.pages->count : 0);
    // Setting the description tells the accessibility tree (QWidget sends a DescriptionChanged
    // event for every call), so a screen reader hears the new page. Paints and scroll steps
    // that change nothing must not make it speak again.
    if (text != accessibleDescription()) {
        setAccessibleDescription(text);
    }
}

bool TSortView::fitSize(const SortViewState& s) {
    const uint32_t count = s.pages != nullptr ? s.pages->count : 0;
    const int32_t h = static_cast<int32_t>(
        std::min<int64_t>(gridHeight(count, gridColumns(s.viewWidth, s.cell), s.cell), 16'000'000));
    if (width() == s.viewWidth && height() == h) {
        return true;
    }
    resize(s.viewWidth, h);
    return false;
}

void TSortView::refresh() {
    const SortViewState s = state_();
    describeSelection(s);
    fitSize(s);
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
    describeSelection(s);
    if (!fitSize(s)) {
        return; // the resize brings a repaint
    }
    const uint32_t count = s.pages != nullptr ? s.pages->count : 0;
    const bool selectionInside = int64_t{s.adib} <= int64_t{count};
    QPainter p(this);
    const GridCell& c = s.cell;
    const int32_t cols = gridColumns(s.viewWidth, c);
    const QColor white(255, 255, 255);
    const QColor grey(128, 128, 128);
    const int64_t rows = (int64_t{count} + cols - 1) / cols;
    const int64_t firstRow = std::max<int64_t>(0, (int64_t{s.scrollPos} - c.height) / c.height);
    for (int64_t row = firstRow; row < rows; ++row) {
        if (!rowVisible(row, s.scrollPos, s.clientHeight, c)) {
            if (row * c.height > int64_t{s.scrollPos} + s.clientHeight) {
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
            const ThumbGeometry t = W > 0 && H > 0 ? thumbGeometry(W, H, c) : ThumbGeometry{};
            const int32_t x0 = col * c.width;
            const int32_t y0 = static_cast<int32_t>(row * c.height);
            // The frame: light at the top and left, dark at the right and bottom; each line
            // stops one pixel short of its end point, as lines are drawn.
            // (x1, y1: the cell's last pixel column and row, 89 and 109 at the normal size)
            const int32_t x1 = x0 + c.width - 1;
            const int32_t y1 = y0 + c.height - 1;
            fill(p, x0 + 2, y0 + 2, x1 - 1, y0 + 3, white);
            fill(p, x1 - 1, y0 + 2, x1, y1 - 1, grey);
            fill(p, x0 + 3, y1 - 1, x1, y1, grey);
            fill(p, x0 + 2, y0 + 3, x0 + 3, y1, white);
            // The current page in blue as always, the rest of the selection in the desktop's
            // selection colour, marked pages (blank ones found, say) in red.
            const QColor red(220, 40, 40);
            const bool marked = s.marked && s.marked(static_cast<uint32_t>(i));
            const QColor back = i + 1 == s.adib ? QColor(0, 0, 255)
                                : s.selected && s.selected(static_cast<uint32_t>(i))
                                    ? palette().color(QPalette::Highlight)
                                : marked ? red
                                         : QColor(192, 192, 192);
            fill(p, x0 + 3, y0 + 3, x0 + 5 + t.ox, y1 - 2, back);
            fill(p, x0 + 3, y0 + 3, x1 - 2, y0 + 5 + t.oy, back);
            fill(p, x0 + 3, y0 + 5 + t.oy + t.th, x1 - 2, y1 - 2, back);
            fill(p, x0 + 5 + t.ox + t.tw, y0 + 3, x1 - 2, y1 - 2, back);
            if (marked && back != red) {
                // A marked page that is current or selected keeps its mark as a red ring
                // around the colour that says so.
                fill(p, x0 + 3, y0 + 3, x1 - 2, y0 + 5, red);
                fill(p, x0 + 3, y1 - 4, x1 - 2, y1 - 2, red);
                fill(p, x0 + 3, y0 + 3, x0 + 5, y1 - 2, red);
                fill(p, x1 - 4, y0 + 3, x1 - 2, y1 - 2, red);
            }
            // Pictures are drawn whether or not the selection lies within the pages, so the
            // thumbnails stay when the selected last page has been deleted.
            if (t.tw > 0 && t.th > 0) {
                p.drawImage(QPoint(x0 + 5 + t.ox, y0 + 5 + t.oy), thumbnail(page, t.tw, t.th));
            }
        }
    }
    if (dropMark_ >= 0) {
        // The insertion mark: a bar between the cells where the drop lands.
        const int64_t k = dropMark_;
        const int32_t col = static_cast<int32_t>(k % cols);
        const int64_t row = k / cols;
        const bool endOfRow = col == 0 && k > 0 && k == int64_t{count};
        const int32_t x = endOfRow ? cols * c.width - 3 : std::max(col * c.width - 2, 0);
        const int64_t y = (endOfRow ? row - 1 : row) * c.height;
        p.fillRect(QRect(x, static_cast<int32_t>(y) + 2, 4, c.height - 4), QColor(255, 128, 0));
    }
    if (s.pages != nullptr) {
        forgetGone(*s.pages);
    }
    if (onStatus) {
        onStatus((selectionInside ? tr("Thumbnail: %1 von %2").arg(s.adib).arg(count)
                                  : tr("Bild: keins   "))
                     .toStdString());
    }
}

void TSortView::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
    pressed_ = event->button() == Qt::LeftButton;
    pressAt_ = at;
    pendingClick_ = false;
    if ((ctrl || shift) && onModifiedPress) {
        onModifiedPress(at.x(), at.y(), ctrl, shift);
        return;
    }
    // A press on a page of a selection of several keeps the selection, so that it can be
    // dragged as a whole; released without a drag, it selects that page alone.
    const SortViewState s = state_();
    const uint32_t count = s.pages != nullptr ? s.pages->count : 0;
    const int64_t i = cellAt(at.x(), at.y(), gridColumns(width(), s.cell), count, s.cell);
    if (pressed_ && i >= 0 && s.selectionSize > 1 && s.selected &&
        s.selected(static_cast<uint32_t>(i))) {
        pendingClick_ = true;
        return;
    }
    if (onPress) {
        onPress(at.x(), at.y());
    }
}

void TSortView::mouseReleaseEvent(QMouseEvent*) {
    if (pendingClick_ && onPress) {
        onPress(pressAt_.x(), pressAt_.y());
    }
    pendingClick_ = false;
    pressed_ = false;
}

void TSortView::mouseMoveEvent(QMouseEvent* event) {
    if (!pressed_ || !(event->buttons() & Qt::LeftButton) ||
        (event->position().toPoint() - pressAt_).manhattanLength() <
            QApplication::startDragDistance()) {
        return;
    }
    pressed_ = false;
    pendingClick_ = false;
    const SortViewState s = state_();
    const uint32_t count = s.pages != nullptr ? s.pages->count : 0;
    if (cellAt(pressAt_.x(), pressAt_.y(), gridColumns(width(), s.cell), count, s.cell) < 0) {
        return;
    }
    auto* drag = new QDrag(this);
    auto* data = new QMimeData;
    data->setData(kPagesMimeType, QByteArray::number(qint64(::getpid())));
    drag->setMimeData(data);
    drag->exec(Qt::MoveAction);
}

uint32_t TSortView::insertionAt(QPoint at) const {
    const SortViewState s = state_();
    const uint32_t count = s.pages != nullptr ? s.pages->count : 0;
    const GridCell& c = s.cell;
    const int32_t cols = gridColumns(width(), c);
    const int64_t row = std::max(at.y(), 0) / c.height;
    const int64_t col = std::clamp<int64_t>((std::max(at.x(), 0) + c.width / 2) / c.width, 0, cols);
    return static_cast<uint32_t>(std::clamp<int64_t>(row * cols + col, 0, count));
}

void TSortView::setDropMark(int64_t mark) {
    if (mark != dropMark_) {
        dropMark_ = mark;
        update();
    }
}

void TSortView::scrollNearEdge(QPoint at) {
    // Near the top or bottom edge of the visible band the view scrolls, so a drop can reach
    // any page.
    auto* area = parentWidget() != nullptr
                     ? qobject_cast<QAbstractScrollArea*>(parentWidget()->parentWidget())
                     : nullptr;
    if (area == nullptr) {
        return;
    }
    QScrollBar* bar = area->verticalScrollBar();
    const int y = at.y() - bar->value();
    const int band = state_().cell.height / 3;
    if (y < band) {
        bar->setValue(bar->value() - band);
    } else if (y > area->viewport()->height() - band) {
        bar->setValue(bar->value() + band);
    }
}

void TSortView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasFormat(kPagesMimeType) || event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void TSortView::dragMoveEvent(QDragMoveEvent* event) {
    const QPoint at = event->position().toPoint();
    setDropMark(insertionAt(at));
    scrollNearEdge(at);
    event->acceptProposedAction();
}

void TSortView::dragLeaveEvent(QDragLeaveEvent*) {
    setDropMark(-1);
}

void TSortView::dropEvent(QDropEvent* event) {
    const uint32_t before = insertionAt(event->position().toPoint());
    setDropMark(-1);
    const QMimeData* data = event->mimeData();
    if (data->hasFormat(kPagesMimeType) &&
        data->data(kPagesMimeType) == QByteArray::number(qint64(::getpid()))) {
        event->acceptProposedAction();
        if (onDropPages) {
            onDropPages(before);
        }
        return;
    }
    std::vector<std::string> files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            files.push_back(url.toLocalFile().toStdString());
        }
    }
    if (!files.empty()) {
        event->acceptProposedAction();
        if (onDropFiles) {
            onDropFiles(files, before);
        }
    }
}

void TSortView::mouseDoubleClickEvent(QMouseEvent*) {
    if (onDoubleClick) {
        onDoubleClick();
    }
}
