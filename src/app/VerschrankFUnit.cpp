#include "app/VerschrankFUnit.h"

#include "app/FormParts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

TVerschrankForm::TVerschrankForm(QWidget* parent) : QDialog(parent) {
    setObjectName("VerschrankForm");
    setWindowTitle(tr("Seiten verschränken"));
    auto* column = new QVBoxLayout(this);
    MitteEd = formparts::whole(this, "MitteEd", 1, 10000, 1, 1);
    auto* row = new QHBoxLayout;
    row->addWidget(formparts::label(this, tr("Seitennummer der ersten Rückseite:"), MitteEd));
    row->addWidget(MitteEd);
    column->addLayout(row);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    OKBtn = formparts::button(this, "OKBtn", tr("OK"));
    OKBtn->setDefault(true);
    CancelBtn = formparts::button(this, "CancelBtn", tr("Abbrechen"));
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    column->addLayout(buttons);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(sizeHint());
}
