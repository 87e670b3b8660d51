#include "app/FormParts.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QWidget>

namespace formparts {

namespace {

// The column at the left of every tab: a soft gradient, the program's picture and its name in
// large letters running upwards.
class DecorColumn : public QWidget {
  public:
    explicit DecorColumn(QWidget* parent) : QWidget(parent) {
        setObjectName("DecorColumn");
        setFixedWidth(96);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        QLinearGradient g(0, 0, 0, height());
        g.setColorAt(0, QColor(255, 246, 236));
        g.setColorAt(1, kHeaderColour);
        p.fillRect(rect(), g);
        p.drawPixmap((width() - 64) / 2, 12, programPicture(64));
        QFont f = font();
        f.setPixelSize(40);
        f.setBold(true);
        f.setItalic(true);
        p.setFont(f);
        p.setPen(kTitleColour);
        p.translate(width() / 2 + 14, height() - 12);
        p.rotate(-90);
        p.drawText(0, 0, QStringLiteral("Quillory"));
    }
};

} // namespace

QWidget* tabPage(const QString& header, QWidget* content) {
    auto* page = new QWidget;
    auto* row = new QHBoxLayout(page);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(new DecorColumn(page));
    auto* column = new QVBoxLayout;
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* strip = new QLabel(header, page);
    strip->setObjectName("HeaderStrip");
    QFont bold = strip->font();
    bold.setBold(true);
    strip->setFont(bold);
    strip->setAutoFillBackground(true);
    QPalette pal = strip->palette();
    pal.setColor(QPalette::Window, kHeaderColour);
    pal.setColor(QPalette::WindowText, Qt::black);
    strip->setPalette(pal);
    strip->setContentsMargins(8, 6, 8, 6);
    strip->setWordWrap(true);
    column->addWidget(strip);
    content->setParent(page);
    column->addWidget(content, 1);
    row->addLayout(column, 1);
    return page;
}

QPixmap programPicture(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    // A loose sheet with lines of text...
    p.setPen(QPen(QColor(90, 90, 90), 1.2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6, 8, 30, 40));
    p.setPen(QPen(QColor(150, 150, 150), 1.5));
    for (int y = 16; y <= 40; y += 6) {
        p.drawLine(QPointF(11, y), QPointF(31, y));
    }
    // ...an arrow...
    p.setPen(Qt::NoPen);
    p.setBrush(kTitleColour);
    QPainterPath arrow;
    arrow.moveTo(34, 26);
    arrow.lineTo(42, 26);
    arrow.lineTo(42, 21);
    arrow.lineTo(50, 30);
    arrow.lineTo(42, 39);
    arrow.lineTo(42, 34);
    arrow.lineTo(34, 34);
    arrow.closeSubpath();
    p.drawPath(arrow);
    // ...and the bound document with its red corner band.
    p.setPen(QPen(QColor(90, 90, 90), 1.2));
    p.setBrush(QColor(250, 250, 250));
    p.drawRect(QRectF(36, 30, 24, 30));
    p.drawRect(QRectF(38, 32, 24, 30));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 30, 30));
    p.drawRect(QRectF(38, 52, 24, 10));
    return pm;
}

QIcon rotateIcon(bool left) {
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    if (!left) {
        // The right turn is the mirror image of the left one.
        p.translate(24, 0);
        p.scale(-1, 1);
    }
    p.setPen(QPen(QColor(0, 0, 128), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    // Three quarters of a circle, opening at the top left, with the head at its upper end.
    p.drawArc(QRectF(5, 5, 14, 14), 90 * 16, -270 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 128));
    QPainterPath head;
    head.moveTo(12, 1);
    head.lineTo(12, 9);
    head.lineTo(7, 5);
    head.closeSubpath();
    p.drawPath(head);
    return QIcon(pm);
}

} // namespace formparts
