#pragma once
// The interleave dialog: asks for the page number of the first back side.

#include "document/PageDocument.h"

#include <QDialog>

class QLabel;
class QRadioButton;
class QSpinBox;
class QPushButton;

class TVerschrankForm : public QDialog {
    Q_OBJECT
  public:
    explicit TVerschrankForm(QWidget* parent = nullptr);

    QSpinBox* MitteEd; // 1..10000
    // How the stacks were scanned: the classic order (backs from the last sheet) is the default.
    QRadioButton* BacksReversedRadio;
    QRadioButton* BacksSameOrderRadio;
    QRadioButton* FrontsReversedRadio;
    // The resulting order of the pages, numbered as they are now ("1 6 2 5 3 4").
    QLabel* PreviewLabel;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

    InterleaveStyle style() const;
    // The number of pages the preview is shown for; the preview follows every change.
    void setPageCount(uint32_t count);
    static QString previewText(uint32_t count, int64_t firstBackSide, InterleaveStyle style);

  private:
    void updatePreview();
    uint32_t count_ = 0;
};
