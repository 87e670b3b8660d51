#pragma once
// The picture viewer: one page enlarged at a chosen zoom, panned by dragging, and printed through
// the print window. Created once with the main window and shown modally for each page viewed;
// the zoom and the scroll positions stay from one opening to the next.

#include "platform/DibRecord.h"
#include "view/PrintFUnit.h"

#include <QDialog>

#include <cstdint>
#include <memory>
#include <string>

class QPrinter;
class QPushButton;
class QScrollArea;
class QSpinBox;

class TViewPicForm : public QDialog {
    Q_OBJECT
  public:
    // `settingsFile`: the per-user settings file, handed to the print window.
    TViewPicForm(QWidget* parent, std::string settingsFile);
    ~TViewPicForm() override;

    // Copy of the record of the page viewed: the same picture memory as the page, which the
    // viewer never releases.
    dib di{};
    // A drag is in progress; where the button went down, in the picture widget.
    bool ziehen = false;
    int32_t ziehx = 0;
    int32_t ziehy = 0;

    QPushButton* ZurueckBtn = nullptr;
    QPushButton* PrintBrn = nullptr;
    QSpinBox* ZoomEd = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    QWidget* PaintBox1 = nullptr;

    // How the print window and the printer setup are shown (see ModalDialogs).
    ModalDialogs modal;

    // Brings the picture widget to the zoomed size and repaints it.
    void PaintBox1Paint();
    void ZoomEdChange();
    // Panning: any button grabs the picture at (x, y) (picture widget coordinates); moving keeps
    // the grabbed point under the pointer; the release ends the drag.
    void PaintBox1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int32_t x,
                            int32_t y);
    void PaintBox1MouseMove(Qt::KeyboardModifiers shift, int32_t x, int32_t y);
    void PaintBox1MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int32_t x,
                          int32_t y);
    // One wheel notch: the picture scrolls 20 pixels down or up.
    void FormMouseWheelDown();
    void FormMouseWheelUp();
    // Opens the print window for the page and prints it when the window is closed with OK.
    void PrintBrnClick();

    // The printer the viewer prints on, at the printer's own resolution; the printer or file
    // chosen in the printer setup, its paper, orientation and other choices stay for the run.
    QPrinter& printer();

    // Paints the part `exposed` of the picture widget (its coordinates): the resize steps, or the
    // picture.
    void paintPicture(QPainter& painter, const QRect& exposed);

  protected:
    void showEvent(QShowEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::unique_ptr<QPrinter> printer_;
    std::string settingsFile_;
    int wheelRemainder_ = 0;
};
