#include "app/AboutBoxUnit.h"

#include "app/Dialogs.h"
#include "app/FormParts.h"

#include <QDate>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName("AboutBox");
    setWindowTitle(tr("Info"));
    auto* grid = new QGridLayout(this);
    auto* picture = new QLabel(this);
    picture->setObjectName("ProgramIcon");
    picture->setPixmap(formparts::programPicture(64));
    grid->addWidget(picture, 0, 0, 3, 1, Qt::AlignTop);
    ProductName = new QLabel(QStringLiteral("Torvand Quillory"), this);
    QFont big = ProductName->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    ProductName->setFont(big);
    Version = new QLabel(tr("Version 1.7"), this);
    Copyright = new QLabel(tr("Copyright © 2006-XXXX Torvand"), this);
    Comments = new QLabel(tr("Papierdokumente scannen und als PDF-Datei speichern."), this);
    Comments->setWordWrap(true);
    int row = 0;
    for (QLabel* l : {ProductName, Version, Copyright, Comments}) {
        grid->addWidget(l, row++, 1);
    }
    // The first "XXXX" of any text line becomes the current year.
    for (QLabel* l : {ProductName, Version, Copyright, Comments}) {
        QString text = l->text();
        const qsizetype at = text.indexOf(QStringLiteral("XXXX"));
        if (at >= 0) {
            text.replace(at, 4, QString::number(QDate::currentDate().year()));
            l->setText(text);
            break;
        }
    }
    wwwBtn = formparts::button(this, "wwwBtn", QString::fromLatin1(kHomepageCaption));
    wwwBtn->setFlat(true);
    wwwBtn->setCursor(Qt::PointingHandCursor);
    grid->addWidget(wwwBtn, row++, 1, Qt::AlignLeft);
    OKButton = formparts::button(this, "OKButton", tr("OK"));
    OKButton->setDefault(true);
    grid->addWidget(OKButton, row, 0, 1, 2, Qt::AlignHCenter);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(wwwBtn, &QPushButton::clicked, this, [] { dialogs().openUrl(kHomepage); });
    setFixedSize(sizeHint());
}
