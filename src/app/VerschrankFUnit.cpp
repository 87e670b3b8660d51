#include "app/VerschrankFUnit.h"

#include "app/FormParts.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
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
    // How the back sides came out of the scanner.
    BacksReversedRadio = formparts::radio(this, "BacksReversedRadio",
                                          tr("Rückseiten in umgekehrter Reihenfolge"), true);
    BacksSameOrderRadio = formparts::radio(this, "BacksSameOrderRadio",
                                           tr("Rückseiten in gleicher Reihenfolge"), false);
    FrontsReversedRadio =
        formparts::radio(this, "FrontsReversedRadio", tr("Vorderseiten umgekehrt"), false);
    auto* group = new QButtonGroup(this);
    for (QRadioButton* r : {BacksReversedRadio, BacksSameOrderRadio, FrontsReversedRadio}) {
        group->addButton(r);
        column->addWidget(r);
        connect(r, &QRadioButton::toggled, this, [this] { updatePreview(); });
    }
    PreviewLabel = new QLabel(this);
    PreviewLabel->setObjectName("PreviewLabel");
    PreviewLabel->setWordWrap(true);
    column->addWidget(PreviewLabel);
    connect(MitteEd, &QSpinBox::valueChanged, this, [this] { updatePreview(); });
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
    setMinimumWidth(340);
}

InterleaveStyle TVerschrankForm::style() const {
    return BacksSameOrderRadio->isChecked()   ? InterleaveStyle::BacksSameOrder
           : FrontsReversedRadio->isChecked() ? InterleaveStyle::FrontsReversed
                                              : InterleaveStyle::BacksReversed;
}

void TVerschrankForm::setPageCount(uint32_t count) {
    count_ = count;
    updatePreview();
}

QString TVerschrankForm::previewText(uint32_t count, int64_t firstBackSide, InterleaveStyle style) {
    if (count == 0) {
        return tr("Keine Seiten.");
    }
    // Long documents show their beginning; the rest follows the same pattern.
    constexpr uint32_t kShown = 24;
    const std::vector<uint32_t> order = interleaveOrder(count, firstBackSide - 1, style);
    QString text = tr("Neue Reihenfolge:");
    for (uint32_t k = 0; k < std::min<uint32_t>(count, kShown); ++k) {
        text += ' ' + QString::number(order[k] + 1);
    }
    if (count > kShown) {
        text += QStringLiteral(" …");
    }
    return text;
}

void TVerschrankForm::updatePreview() {
    PreviewLabel->setText(previewText(count_, MitteEd->value(), style()));
}
