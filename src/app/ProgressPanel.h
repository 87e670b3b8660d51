#pragma once
// Panel 1 of the status bar: the progress of long work, drawn by the main window.

#include <QWidget>

#include <functional>

class QPainter;

class ProgressPanel : public QWidget {
    Q_OBJECT
  public:
    // `draw` paints the whole panel into the given rectangle (left, top, width, height).
    ProgressPanel(QWidget* parent, std::function<void(QPainter&, const QRect&)> draw);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::function<void(QPainter&, const QRect&)> draw_;
};
