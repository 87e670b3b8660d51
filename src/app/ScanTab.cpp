// The tab "Dokumente scannen": scanner and picture commands, page number, zoom, rotation and the
// page view.
#include "app/FormParts.h"
#include "app/MainUnit.h"
#include "view/PageViews.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

using namespace formparts;

QWidget* TMainForm::buildScanTab() {
    auto* content = new QWidget;
    auto* row = new QHBoxLayout(content);

    auto* commands = new QVBoxLayout;
    SourceBtn = button(content, "SourceBtn", tr("Scanner auswählen..."));
    ScanBtn = button(content, "ScanBtn", tr("Scannen..."));
    OpenPicsBtn = button(content, "OpenPicsBtn", tr("Bilder hinzufügen..."));
    DelBtn = button(content, "DelBtn", tr("Bild Löschen"));
    SavePicBtn = button(content, "SavePicBtn", tr("Bild speichern..."));
    BitBtn1 = button(content, "BitBtn1", tr("PDF-Datei speichern..."));
    for (QPushButton* b : {SourceBtn, ScanBtn, OpenPicsBtn, DelBtn, SavePicBtn}) {
        commands->addWidget(b);
    }
    commands->addSpacing(12);

    auto* grid = new QGridLayout;
    PageEd = whole(content, "PageEd", 1, 1, 1, 1);
    Label2 = label(content, tr("von %1").arg(0));
    Label2->setObjectName("Label2");
    ZoomEd = whole(content, "ZoomEd", 10, 300, 5, 25);
    grid->addWidget(label(content, tr("Seite Nr:"), PageEd), 0, 0);
    grid->addWidget(PageEd, 0, 1);
    grid->addWidget(Label2, 0, 2);
    grid->addWidget(label(content, tr("Zoom:"), ZoomEd), 1, 0);
    grid->addWidget(ZoomEd, 1, 1);
    grid->addWidget(label(content, tr("%")), 1, 2);
    commands->addLayout(grid);

    auto* turns = new QHBoxLayout;
    RotLeftBtn = iconButton(content, "RotLeftBtn", tr("Nach links rotieren"), rotateIcon(true));
    RorRightBtn = iconButton(content, "RorRightBtn", tr("Nach rechts rotieren"), rotateIcon(false));
    for (QToolButton* b : {RotLeftBtn, RorRightBtn}) {
        b->setIconSize(QSize(24, 24));
        turns->addWidget(b);
    }
    turns->addStretch();
    commands->addLayout(turns);
    commands->addStretch();
    commands->addWidget(BitBtn1);
    row->addLayout(commands);

    ScrollBox1 = new QScrollArea(content);
    ScrollBox1->setObjectName("ScrollBox1");
    ScrollBox1->setBackgroundRole(QPalette::Dark);
    ScrollBox1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PaintBox1 = new TPageView(nullptr, [this] {
        PageViewState s;
        s.pages = &bilder;
        s.zoom = ZoomEd->value();
        s.page = PageEd->value();
        s.layout = readControls().exportSettings;
        return s;
    });
    ScrollBox1->setWidget(PaintBox1);
    ScrollBox1->viewport()->installEventFilter(this);
    row->addWidget(ScrollBox1, 1);

    return tabPage(tr("Dokumente scannen - Hier können Sie die Papierdokumente scannen oder "
                      "Bilder hinzufügen"),
                   content);
}
