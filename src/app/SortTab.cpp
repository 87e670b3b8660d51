// The tab "Sortieren": moving, deleting and interleaving pages, and the sorting view.
#include "app/FormParts.h"
#include "app/MainUnit.h"
#include "document/PageDocument.h"
#include "view/PageViews.h"
#include "view/ViewGeometry.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

using namespace formparts;

QWidget* TMainForm::buildSortTab() {
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);

    auto* commands = new QHBoxLayout;
    NachVornBtn = button(content, "NachVornBtn", tr("Nach vorne"),
                         tr("Verschiebt das Bild in der Reihenfolge"));
    NachHintenBtn = button(content, "NachHintenBtn", tr("Nach hinten"));
    DelFotoBtn = button(content, "DelFotoBtn", tr("Bild &löschen"));
    VerschrankBtn =
        button(content, "VerschrankBtn", tr("Vorderseiten und Rückseiten verschränken..."));
    for (QPushButton* b : {NachVornBtn, NachHintenBtn, DelFotoBtn, VerschrankBtn}) {
        commands->addWidget(b);
    }
    commands->addStretch();
    column->addLayout(commands);
    // Blank backs of a duplex batch are marked for a look before they go; an empty page goes in.
    auto* more = new QHBoxLayout;
    MarkBlankBtn = button(content, "MarkBlankBtn", tr("Leere Seiten markieren..."),
                          tr("Markiert die Seiten, die leer aussehen"));
    DelMarkedBtn = button(content, "DelMarkedBtn", tr("Markierte löschen"),
                          tr("Löscht die markierten Seiten"));
    InsertBlankBtn = button(content, "InsertBlankBtn", tr("Leere Seite einfügen"),
                            tr("Fügt vor der aktuellen Seite eine weiße Seite ein"));
    for (QPushButton* b : {MarkBlankBtn, DelMarkedBtn, InsertBlankBtn}) {
        more->addWidget(b);
    }
    DelMarkedBtn->setEnabled(false);
    more->addStretch();
    column->addLayout(more);

    // The key receiver of the sorting view lies behind it: it is never seen, but takes the
    // keyboard focus when a thumbnail is clicked, so the arrow keys reach the view.
    KeyEdit = new QLineEdit(content);
    KeyEdit->setObjectName("KeyEdit");
    KeyEdit->setReadOnly(true);
    KeyEdit->setGeometry(0, 0, 1, 1);

    ScrollBox2 = new QScrollArea(content);
    ScrollBox2->setObjectName("ScrollBox2");
    ScrollBox2->setBackgroundRole(QPalette::Dark);
    ScrollBox2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ScrollBox2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    PaintBox2 = new TSortView(nullptr, [this] {
        SortViewState s;
        s.pages = &bilder;
        s.adib = adib;
        s.selected = [this](uint32_t i) { return pages_->isSelected(i); };
        s.marked = [this](uint32_t i) { return pages_->isMarked(i); };
        s.selectionSize = static_cast<uint32_t>(pages_->selection().size());
        s.cell = sortCell();
        s.viewWidth = ScrollBox2->viewport()->width();
        s.scrollPos = ScrollBox2->verticalScrollBar()->value();
        s.clientHeight = ScrollBox2->viewport()->height();
        return s;
    });
    PaintBox2->onStatus = [this](const std::string& text) {
        StatusPanel0->setText(QString::fromStdString(text));
    };
    PaintBox2->onPress = [this](int32_t x, int32_t y) { PaintBox2MouseDown(x, y); };
    PaintBox2->onDoubleClick = [this] { PaintBox2DblClick(); };
    PaintBox2->onModifiedPress = [this](int32_t x, int32_t y, bool ctrl, bool shift) {
        KeyEdit->setFocus();
        const int64_t i =
            cellAt(x, y, gridColumns(PaintBox2->width(), sortCell()), bilder.count, sortCell());
        if (i < 0) {
            return;
        }
        pages_->click(static_cast<uint32_t>(i), ctrl, shift);
        // The model's current page: the one clicked, or with Shift the anchor that stays.
        adib = static_cast<int32_t>(std::max<int64_t>(pages_->current(), 0) + 1);
        PaintBox2Paint();
    };
    PaintBox2->onDropPages = [this](uint32_t before) {
        if (!busy()) {
            moveSelectionTo(before);
        }
    };
    PaintBox2->onDropFiles = [this](const std::vector<std::string>& files, uint32_t before) {
        dropFiles(files, before);
    };
    PaintBox2->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(PaintBox2, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { sortViewMenu(at); });
    ScrollBox2->setWidget(PaintBox2);
    ScrollBox2->viewport()->installEventFilter(this);
    KeyEdit->installEventFilter(this);
    column->addWidget(ScrollBox2, 1);
    KeyEdit->lower();

    return tabPage(tr("Seiten sortieren - hier können Sie die Reihenfolge der Seiten anpassen"),
                   content);
}
