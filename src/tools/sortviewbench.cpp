// qly-sortview PICTURE [PAGES]
//
// Times the sorting view over PAGES (default 500) copies of one page: the first paint, a repaint
// with every visible thumbnail cached, a scroll step of one wheel notch, and a jump to a part of
// the grid not seen before. The pages share the picture's pixels (the view only reads them) but
// are separate records, so each has its own thumbnail. Prints a Markdown table of milliseconds
// (median of the repeated measurements).
#include "tools/SortViewBench.h"
#include "document/Dib.h"
#include "document/DynaArray.h"
#include "platform/GrafikRW3.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using benchsupport::median;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: qly-sortview PICTURE [PAGES]\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    dib picture{};
    OpenDib(picture, argv[1], DIB_AUTO);
    if (picture.poi == nullptr) {
        std::fprintf(stderr, "qly-sortview: %s: %s\n", argv[1], DibErrorText(picture).c_str());
        return 1;
    }
    const int pages = argc > 2 ? std::max(1, std::atoi(argv[2])) : 500;
    void* current = nullptr;
    TDynaArray bilder(sizeof(dib), &current);
    for (int i = 0; i < pages; ++i) {
        std::memcpy(bilder.Add(), &picture, sizeof picture);
    }

    QScrollArea box;
    TSortView* view = benchsupport::showSortView(box, bilder);

    QElapsedTimer t;
    auto timed = [&](auto&& step) {
        t.start();
        step();
        view->repaint();
        return static_cast<double>(t.nsecsElapsed()) / 1e6;
    };
    QScrollBar* bar = box.verticalScrollBar();
    const double first = timed([] {});
    std::vector<double> cached;
    std::vector<double> scroll;
    std::vector<double> jump;
    for (int i = 0; i < 15; ++i) {
        cached.push_back(timed([] {}));
    }
    for (int i = 0; i < 15; ++i) {
        scroll.push_back(timed([&] { bar->setValue(bar->value() + kWheelStep); }));
    }
    for (int i = 0; i < 5; ++i) {
        jump.push_back(timed([&] { bar->setValue(bar->value() + 4 * box.viewport()->height()); }));
    }
    std::printf("| pages | view | first paint ms | cached repaint ms | scroll step ms | jump to "
                "unseen rows ms |\n|---:|---|---:|---:|---:|---:|\n");
    std::printf("| %d | %dx%d, %d columns | %.1f | %.2f | %.2f | %.1f |\n", pages,
                box.viewport()->width(), box.viewport()->height(),
                gridColumns(box.viewport()->width()), first, median(cached), median(scroll),
                median(jump));
    bilder.Clear();
    freedib(picture);
    return 0;
}
