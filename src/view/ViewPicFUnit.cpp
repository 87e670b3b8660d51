#include "view/ViewPicFUnit.h"

#include "document/Dib.h"
#include "document/DrawDib.h"
#include "view/FormControls.h"
#include "view/PrintGeometry.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace {

constexpr int kClientWidth = 516;
constexpr int kClientHeight = 382;

// The picture widget: paints and takes the mouse through the viewer.
class PictureBox : public QWidget {
  public:
    PictureBox(QWidget* parent, TViewPicForm& form) : QWidget(parent), form_(form) {
        setObjectName("PaintBox1");
        setAttribute(Qt::WA_OpaquePaintEvent);
        setCursor(Qt::OpenHandCursor);
    }

  protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter p(this);
        form_.paintPicture(p, event->rect());
    }
    void mousePressEvent(QMouseEvent* event) override {
        const QPoint at = event->position().toPoint();
        form_.PaintBox1MouseDown(event->button(), event->modifiers(), at.x(), at.y());
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        const QPoint at = event->position().toPoint();
        form_.PaintBox1MouseMove(event->modifiers(), at.x(), at.y());
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        const QPoint at = event->position().toPoint();
        form_.PaintBox1MouseUp(event->button(), event->modifiers(), at.x(), at.y());
    }

  private:
    TViewPicForm& form_;
};

// The number of positions of a scroll bar.
int32_t positions(const QScrollBar* bar) {
    return bar->maximum() - bar->minimum() + 1;
}

} // namespace

TViewPicForm::TViewPicForm(QWidget* parent, std::string settingsFile)
    : QDialog(parent), settingsFile_(std::move(settingsFile)) {
    setObjectName("ViewPicForm");
    setWindowTitle(tr("Bild betrachten..."));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(4, 4, 4, 4);
    ZurueckBtn = formcontrols::button(this, "ZurueckBtn", tr("Zurück..."));
    PrintBrn = formcontrols::button(this, "PrintBrn", tr("&Drucken"));
    ZoomEd = formcontrols::whole(this, "ZoomEd", 5, 9000, 10, 100);
    // Enter in the zoom field takes the zoom; it neither closes the viewer nor prints.
    ZurueckBtn->setAutoDefault(false);
    PrintBrn->setAutoDefault(false);
    bar->addWidget(ZurueckBtn);
    bar->addWidget(PrintBrn);
    bar->addSpacing(12);
    bar->addWidget(formcontrols::label(this, tr("Zoom:"), ZoomEd));
    bar->addWidget(ZoomEd);
    bar->addStretch();
    column->addLayout(bar);

    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName("ScrollBox1");
    ScrollBox1->setBackgroundRole(QPalette::Dark); // the application workspace colour
    ScrollBox1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PaintBox1 = new PictureBox(nullptr, *this);
    ScrollBox1->setWidget(PaintBox1);
    ScrollBox1->viewport()->installEventFilter(this);
    column->addWidget(ScrollBox1, 1);

    connect(ZurueckBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(PrintBrn, &QPushButton::clicked, this, [this] { PrintBrnClick(); });
    connect(ZoomEd, &QSpinBox::valueChanged, this, [this] { ZoomEdChange(); });

    resize(kClientWidth, kClientHeight);
}

TViewPicForm::~TViewPicForm() = default;

QPrinter& TViewPicForm::printer() {
    // Made on first use: asking the system for its printers can take a while, and most runs
    // never print.
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    }
    return *printer_;
}

void TViewPicForm::paintPicture(QPainter& painter, const QRect& exposed) {
    const int32_t W = dibwidth(di);
    const int32_t H = dibheight(di);
    const ZoomedSize z = zoomedSize(W, H, ZoomEd->value());
    // A size that is not the zoomed one is set first; the resize brings another paint.
    if (PaintBox1->width() != z.w) {
        PaintBox1->resize(z.w, PaintBox1->height());
        return;
    }
    if (PaintBox1->height() != z.h) {
        PaintBox1->resize(PaintBox1->width(), z.h);
        return;
    }
    // Only the exposed part is made: a page at a large zoom is far bigger than the window.
    drawdibVisible(painter, exposed, 0, 0, z.w, z.h, di, 0, 0, W, H, true);
}

void TViewPicForm::PaintBox1Paint() {
    const ZoomedSize z = zoomedSize(dibwidth(di), dibheight(di), ZoomEd->value());
    if (PaintBox1->size() != QSize(z.w, z.h)) {
        PaintBox1->resize(z.w, z.h);
    }
    PaintBox1->update();
}

void TViewPicForm::ZoomEdChange() {
    PaintBox1Paint();
}

void TViewPicForm::PaintBox1MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int32_t x,
                                      int32_t y) {
    ziehen = true;
    ziehx = x;
    ziehy = y;
    PaintBox1->setCursor(Qt::ClosedHandCursor);
}

void TViewPicForm::PaintBox1MouseMove(Qt::KeyboardModifiers, int32_t x, int32_t y) {
    if (!ziehen) {
        return;
    }
    QScrollBar* h = ScrollBox1->horizontalScrollBar();
    QScrollBar* v = ScrollBox1->verticalScrollBar();
    // Both are worked out before either moves: moving the picture changes what x and y mean.
    const int32_t newH = dragScrollPosition(h->value(), ziehx, x, positions(h));
    const int32_t newV = dragScrollPosition(v->value(), ziehy, y, positions(v));
    h->setValue(newH);
    v->setValue(newV);
}

void TViewPicForm::PaintBox1MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int32_t, int32_t) {
    ziehen = false;
    PaintBox1->setCursor(Qt::OpenHandCursor);
}

void TViewPicForm::FormMouseWheelDown() {
    QScrollBar* v = ScrollBox1->verticalScrollBar();
    v->setValue(v->value() + kViewerWheelStep); // the bar keeps it within its range
}

void TViewPicForm::FormMouseWheelUp() {
    QScrollBar* v = ScrollBox1->verticalScrollBar();
    v->setValue(v->value() - kViewerWheelStep);
}

void TViewPicForm::PrintBrnClick() {
    TPrintForm form(this, printer(), settingsFile_, modal);
    form.di = di;
    if (!modal.exec(form)) {
        return; // Cancel prints nothing
    }
    if (!printPicture(printer(), di, form.sizing())) {
        showViewerError(printerNotStarted());
    }
}

void TViewPicForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ziehen = false;
    PaintBox1Paint();
}

void TViewPicForm::wheelEvent(QWheelEvent* event) {
    // A notch is 120; finer wheels and touch pads add up to whole notches.
    wheelRemainder_ += event->angleDelta().y();
    const int notches = wheelRemainder_ / 120;
    wheelRemainder_ -= notches * 120;
    for (int i = 0; i < notches; ++i) {
        FormMouseWheelUp();
    }
    for (int i = 0; i > notches; --i) {
        FormMouseWheelDown();
    }
    event->accept();
}

bool TViewPicForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel && watched == ScrollBox1->viewport()) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
