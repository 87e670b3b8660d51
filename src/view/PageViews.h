#pragma once
// The two views of the main window: the page view (one page on its sheet, as the export will
// place it) and the sorting view (every page as a thumbnail in a grid). Both paint straight from
// the page records; what they show is taken from the window at each paint through a small state
// callback, so the views hold no copy of the pages.

#include "document/PageIdentity.h"
#include "export/PageLayout.h"
#include "view/ViewGeometry.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

class TDynaArray;
struct dib;

// What the page view shows.
struct PageViewState {
    TDynaArray* pages = nullptr;
    int32_t zoom = 25;
    int64_t page = 1; // 1-based; outside 1..count only the sheet is shown
    ExportSettings layout;
};

// The page view: a white sheet of the paper size at the zoom, the page's picture on it where the
// export puts it. The widget's size is the sheet's: a paint that finds another size resizes the
// widget, and the repaint that follows draws. Its accessible name is "Seitenansicht".
class TPageView : public QWidget {
    Q_OBJECT
  public:
    TPageView(QWidget* parent, std::function<PageViewState()> state);

    // Brings the size up to date and schedules a repaint.
    void refresh();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    bool fitSize(const PageViewState& s);
    std::function<PageViewState()> state_;
};

// What the sorting view shows.
struct SortViewState {
    TDynaArray* pages = nullptr;
    int32_t adib = 1; // the current page, 1-based; may lie past the end
    // Further selected pages and marked pages (0-based); none when not given.
    std::function<bool(uint32_t)> selected;
    std::function<bool(uint32_t)> marked;
    uint32_t selectionSize = 0; // how many pages are selected
    GridCell cell;              // the size of the cells (Ctrl+wheel changes it)
    int32_t viewWidth = 0;      // the client width of the scroll box
    int32_t scrollPos = 0;      // its vertical scroll position
    int32_t clientHeight = 0;
};

// The sorting view: a grid of framed cells, the selected one blue, each with the page's
// thumbnail. Only the rows meeting the visible band are painted; thumbnails are kept per page
// identity, so a repaint or a scroll step draws cached images. For screen readers its accessible
// description names the selected page ("Seite 3 von 12"), kept up to date at every refresh and
// paint; it starts as the text for no pages.
class TSortView : public QWidget {
    Q_OBJECT
  public:
    TSortView(QWidget* parent, std::function<SortViewState()> state);

    // Brings the size and the accessible description up to date and schedules a repaint.
    void refresh();
    // The accessible description for the selection `adib` (1-based) among `count` pages.
    static QString selectionText(int32_t adib, uint32_t count);
    // Number of thumbnails held.
    size_t cachedThumbnails() const { return cache_.size(); }

    // Called with the status text after each paint, and with the press position and double
    // clicks.
    std::function<void(const std::string&)> onStatus;
    std::function<void(int32_t, int32_t)> onPress;
    std::function<void()> onDoubleClick;
    // A click with Ctrl or Shift held (the position, then whether each was held); without a
    // handler such a click is a plain press.
    std::function<void(int32_t, int32_t, bool, bool)> onModifiedPress;
    // The selection dragged and dropped before page `before` (0-based; count: at the end).
    std::function<void(uint32_t)> onDropPages;
    // Files dropped from outside before page `before`.
    std::function<void(const std::vector<std::string>&, uint32_t)> onDropFiles;
    // Where a drop at `at` (widget coordinates) would insert: the page before which it lands.
    uint32_t insertionAt(QPoint at) const;
    // The insertion mark shown while something is dragged over the view; -1 when none.
    int64_t dropMark() const { return dropMark_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    bool fitSize(const SortViewState& s);
    void setDropMark(int64_t mark);
    void scrollNearEdge(QPoint at);
    void describeSelection(const SortViewState& s);
    const QImage& thumbnail(dib& page, int32_t tw, int32_t th);
    void forgetGone(TDynaArray& pages);

    struct Key {
        uint64_t id;
        int32_t tw;
        int32_t th;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        size_t operator()(const Key& k) const {
            return std::hash<uint64_t>()(k.id * 1000003u + uint64_t(k.tw) * 1009u + uint64_t(k.th));
        }
    };
    std::function<SortViewState()> state_;
    std::unordered_map<Key, QImage, KeyHash> cache_;
    QPoint pressAt_;
    bool pressed_ = false;
    bool pendingClick_ = false;
    int64_t dropMark_ = -1;
};

// The type of the drag data of pages dragged within the sorting view.
inline constexpr const char* kPagesMimeType = "application/x-quillory-pages";
