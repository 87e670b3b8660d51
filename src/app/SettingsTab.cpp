// The tab "Einstellungen": paper size, margins, picture placement and scanning.
#include "app/FormParts.h"
#include "app/MainUnit.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace formparts;

QWidget* TMainForm::buildSettingsTab() {
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    auto* row = new QHBoxLayout;
    column->addLayout(row);

    // Paper and placement on the left...
    auto* paper = new QGridLayout;
    BreitEd = decimal(content, "BreitEd", 10, 10000, 1, 210);
    HochEd = decimal(content, "HochEd", 10, 10000, 1, 297);
    BorderCheck = check(content, "BorderCheck", tr("Ränder aktivieren"), false);
    RandHEd = decimal(content, "RandHEd", 1, 10000, 1, 15);
    RandVEd = decimal(content, "RandVEd", 1, 10000, 1, 15);
    ZentCheck = check(content, "ZentCheck", tr("Bilder zentrieren"), false);
    MaxSizeCheck = radio(content, "MaxSizeCheck", tr("Maximale Bildgröße"), true);
    RelSizeCheck = radio(content, "RelSizeCheck", tr("Größe relativ zu größtem Bild"), false);
    auto* sizeMode = new QButtonGroup(content);
    sizeMode->addButton(MaxSizeCheck);
    sizeMode->addButton(RelSizeCheck);
    int r = 0;
    auto field = [&](QGridLayout* grid, const QString& caption, QWidget* edit,
                     const QString& unit) {
        grid->addWidget(label(content, caption, edit), r, 0);
        grid->addWidget(edit, r, 1);
        grid->addWidget(label(content, unit), r, 2);
        ++r;
    };
    field(paper, tr("Papierbreite:"), BreitEd, tr("mm"));
    field(paper, tr("Papierhöhe:"), HochEd, tr("mm"));
    paper->addWidget(BorderCheck, r++, 0, 1, 3);
    field(paper, tr("Rand links/rechts"), RandHEd, tr("mm"));
    field(paper, tr("Rand oben/unten"), RandVEd, tr("mm"));
    for (QWidget* w : std::initializer_list<QWidget*>{ZentCheck, MaxSizeCheck, RelSizeCheck}) {
        paper->addWidget(w, r++, 0, 1, 3);
    }
    paper->setRowStretch(r, 1);
    row->addLayout(paper);
    row->addSpacing(16);

    // ...the page size that follows the scanned picture on the right...
    auto* scanned = new QGridLayout;
    setpaperheichec =
        check(content, "setpaperheichec", tr("Papierhöhe an gescanntes Bild anpassen"), false);
    UsePageSizeFromPicChecked = check(content, "UsePageSizeFromPicChecked",
                                      tr("Papierbreite auch an gescanntes Bild anpassen:"), false);
    ScanResEd = whole(content, "ScanResEd", 10, 10000, 1, 300);
    r = 0;
    scanned->addWidget(setpaperheichec, r++, 0, 1, 3);
    scanned->addWidget(UsePageSizeFromPicChecked, r++, 0, 1, 3);
    field(scanned, tr("Scanauflösung:"), ScanResEd, tr("DPI"));
    scanned->setRowStretch(r, 1);
    scanned->setColumnStretch(2, 1);
    row->addLayout(scanned, 1);

    // ...and the scanner's options across the bottom.
    SingleImageCheck = check(content, "SingleImageCheck",
                             tr("Scanner-Dialog nach einem Bild automatisch schließen"), false);
    ScanUsingWIAChecked =
        check(content, "ScanUsingWIAChecked",
              tr("Benutze WIA Scanner Schnittstelle anstatt der TWAIN Schnittstelle"), true);
    column->addWidget(SingleImageCheck);
    column->addWidget(ScanUsingWIAChecked);

    return tabPage(tr("Einstellungen - hier können Sie die Papiergröße festlegen und die "
                      "Anordnung der Bilder bestimmen"),
                   content);
}
