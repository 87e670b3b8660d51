#pragma once
// The interleave dialog: asks for the page number of the first back side.

#include <QDialog>

class QSpinBox;
class QPushButton;

class TVerschrankForm : public QDialog {
    Q_OBJECT
  public:
    explicit TVerschrankForm(QWidget* parent = nullptr);

    QSpinBox* MitteEd; // 1..10000
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
};
