#pragma once
// What the sorting view's timing programs share: a 640 x 400 scroll area around the view over
// a page list, shown offscreen, and the median of repeated measurements.
#include "document/DynaArray.h"
#include "view/PageViews.h"
#include "view/ViewGeometry.h"

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <functional>
#include <vector>

namespace benchsupport {

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// The view's state besides the page list and the scroll area's geometry.
using StateExtras = std::function<void(SortViewState&)>;

// Makes the view inside `box` over `pages` (page 1 current), shows it and lets it lay out.
inline TSortView* showSortView(QScrollArea& box, TDynaArray& pages, StateExtras extras = {}) {
    box.resize(640, 400);
    box.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* view = new TSortView(nullptr, [&box, &pages, extras] {
        SortViewState s;
        s.pages = &pages;
        s.adib = 1;
        if (extras) {
            extras(s);
        }
        s.viewWidth = box.viewport()->width();
        s.scrollPos = box.verticalScrollBar()->value();
        s.clientHeight = box.viewport()->height();
        return s;
    });
    box.setWidget(view);
    box.show();
    view->refresh();
    QApplication::processEvents();
    return view;
}

} // namespace benchsupport
