// The tab "Sortieren": moving, deleting and interleaving pages, and the sorting view.
#include "app/FormParts.h"
#include "app/MainUnit.h"
#include "view/PageViews.h"

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
    ScrollBox2->setWidget(PaintBox2);
    ScrollBox2->viewport()->installEventFilter(this);
    KeyEdit->installEventFilter(this);
    column->addWidget(ScrollBox2, 1);
    KeyEdit->lower();

    return tabPage(tr("Seiten sortieren - hier können Sie die Reihenfolge der Seiten anpassen"),
                   content);
}
