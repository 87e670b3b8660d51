#include "app/ProgressPanel.h"

#include <QPainter>

ProgressPanel::ProgressPanel(QWidget* parent, std::function<void(QPainter&, const QRect&)> draw)
    : QWidget(parent), draw_(std::move(draw)) {
    setObjectName("StatusPanel1");
    setFixedWidth(50);
}

void ProgressPanel::paintEvent(QPaintEvent*) {
    // The painter is clipped to the region being repainted, so a repaint of the filled part
    // alone changes nothing else.
    QPainter p(this);
    draw_(p, rect());
}
