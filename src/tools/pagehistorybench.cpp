// qly-pagehistory PICTURE [PAGES]
//
// Times the page model's commands over PAGES (default 500) pages, each a picture of its own made
// from PICTURE: selecting all, dragging 100 selected pages to the start, undoing and redoing
// that, and the sorting view's repaint while a drag shows its insertion mark. Then deletes 100
// pages and undoes it, reading the anonymous memory (RssAnon) before and after: the history keeps
// references to the pictures, no copies. Prints Markdown tables (median milliseconds).
#include "document/Dib.h"
#include "document/DynaArray.h"
#include "document/PageDocument.h"
#include "platform/GrafikRW3.h"
#include "tools/SortViewBench.h"

#include <QApplication>
#include <QDragMoveEvent>
#include <QElapsedTimer>
#include <QMimeData>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <numeric>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using benchsupport::median;

long rssAnonKb() {
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "RssAnon:") {
            status >> value;
            return value;
        }
        status.ignore(1 << 20, '\n');
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: qly-pagehistory PICTURE [PAGES]\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int pages = argc > 2 ? std::max(200, std::atoi(argv[2])) : 500;
    void* current = nullptr;
    TDynaArray bilder(sizeof(dib), &current);
    for (int i = 0; i < pages; ++i) {
        dib picture{};
        OpenDib(picture, argv[1], DIB_AUTO);
        if (picture.poi == nullptr) {
            std::fprintf(stderr, "qly-pagehistory: %s: %s\n", argv[1],
                         DibErrorText(picture).c_str());
            return 1;
        }
        std::memcpy(bilder.Add(), &picture, sizeof picture);
    }
    PageDocument doc(bilder);
    doc.appended(0);

    QScrollArea box;
    TSortView* view = benchsupport::showSortView(box, bilder, [&doc](SortViewState& s) {
        s.selected = [&doc](uint32_t i) { return doc.isSelected(i); };
        s.marked = [&doc](uint32_t i) { return doc.isMarked(i); };
    });
    view->repaint(); // thumbnails of the visible rows made once

    QElapsedTimer t;
    auto timed = [&](auto&& step) {
        t.start();
        step();
        return static_cast<double>(t.nsecsElapsed()) / 1e6;
    };
    std::vector<uint32_t> hundred(100);
    std::iota(hundred.begin(), hundred.end(), uint32_t(pages / 2));
    std::vector<double> all, drag, undo, redo, repaint;
    for (int round = 0; round < 9; ++round) {
        all.push_back(timed([&] { doc.selectAll(); }));
        for (uint32_t i : hundred) {
            doc.click(i, i != hundred.front(), false);
        }
        drag.push_back(timed([&] { doc.movePages(hundred, 0); }));
        undo.push_back(timed([&] { doc.undo(); }));
        redo.push_back(timed([&] { doc.redo(); }));
        doc.undo();
        // A drag over the view: the mark moves with the pointer and the view repaints.
        QMimeData data;
        data.setData(kPagesMimeType, QByteArray::number(qint64(::getpid())));
        const QPoint at(kCellWidth * (1 + round % 4), kCellHeight / 2);
        repaint.push_back(timed([&] {
            QDragMoveEvent move(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(view, &move);
            view->repaint();
        }));
    }
    std::printf("| pages | select all ms | drag 100 to the start ms | undo ms | redo ms | repaint "
                "during a drag ms |\n|---:|---:|---:|---:|---:|---:|\n");
    std::printf("| %d | %.2f | %.2f | %.2f | %.2f | %.2f |\n\n", pages, median(all), median(drag),
                median(undo), median(redo), median(repaint));

    const long before = rssAnonKb();
    std::vector<uint32_t> first(100);
    std::iota(first.begin(), first.end(), 0u);
    doc.removePages(first);
    const long deleted = rssAnonKb();
    doc.undo();
    const long undone = rssAnonKb();
    std::printf(
        "| RssAnon MB | with %d pages | 100 deleted | deletion undone |\n|---|---:|---:|---:|\n",
        pages);
    std::printf("| | %.1f | %.1f | %.1f |\n", before / 1024.0, deleted / 1024.0, undone / 1024.0);
    return 0;
}
