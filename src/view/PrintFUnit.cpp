#include "view/PrintFUnit.h"

#include "document/Dib.h"
#include "document/DrawDib.h"
#include "platform/Messages.h"
#include "view/FormControls.h"
#include "view/PrintFormSettings.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QScreen>
#include <QShowEvent>
#include <QSpinBox>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kClientWidth = 427;
constexpr int kClientHeight = 328;

// The preview: paints through the window, which knows the picture, the page and the choices.
class PreviewBox : public QWidget {
  public:
    PreviewBox(QWidget* parent, TPrintForm& form) : QWidget(parent), form_(form) {
        setObjectName("PrintPaintBox");
        setFixedSize(kPreviewBox, kPreviewBox);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        form_.paintPreview(p);
    }

  private:
    TPrintForm& form_;
};

// The line that says where the job goes. It takes the width the window gives it whatever its
// text, so a long printer or file name never widens the fixed window or pushes the other
// controls aside: a text too long for it is shortened in the middle (both the start of a path
// and the file name stay readable), and the whole text is its tool tip and its accessible name.
class PrinterLine : public QLabel {
  public:
    explicit PrinterLine(QWidget* parent) : QLabel(parent) {
        setObjectName("PrinterLabel");
        setTextFormat(Qt::PlainText);
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    }
    void setFullText(const QString& text) {
        full_ = text;
        setToolTip(text);
        setAccessibleName(text);
        elide();
    }

  protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        elide();
    }

  private:
    void elide() {
        const int room = std::max(0, contentsRect().width());
        setText(fontMetrics().elidedText(full_, Qt::ElideMiddle, room));
    }
    QString full_;
};

} // namespace

void showViewerError(const std::string& text) {
    // The application's title is the caption of the messages of errors that end a command.
    qly::messageSink().showMessage("Quillory 1.6", text, qly::MessageIcon::Error);
}

std::string printerNotStarted() {
    return TPrintForm::tr(kPrinterNotStarted).toStdString();
}

bool ModalDialogs::exec(QDialog& dialog) const {
    return execDialog ? execDialog(dialog) : dialog.exec() == QDialog::Accepted;
}

bool ModalDialogs::setupPrinter(QPrinter& printer, QWidget* parent) const {
    return printerSetup ? printerSetup(printer, parent) : runPrinterSetup(printer, parent);
}

bool runPrinterSetup(QPrinter& printer, QWidget* parent) {
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(TPrintForm::tr("Drucker einrichten"));
    // One picture on one page: there are no page ranges, selections or current page to choose.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    // The dialog only sets up the printer; the job starts with OK in the print window, so its
    // confirming button does not say "print".
    if (auto* box = dialog.findChild<QDialogButtonBox*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (QPushButton* ok = box->button(QDialogButtonBox::Ok)) {
            ok->setText(TPrintForm::tr("&OK"));
        }
    }
    return dialog.exec() == QDialog::Accepted;
}

QString printerDescription(const QPrinter& printer) {
    // A file name wins over the printer: Qt writes the job into the file, as PDF, whichever
    // printer is named.
    const QString file = printer.outputFileName();
    if (!file.isEmpty()) {
        return TPrintForm::tr("Ausgabe in Datei: %1").arg(QDir::toNativeSeparators(file));
    }
    const QString name = printer.printerName();
    if (printer.outputFormat() == QPrinter::PdfFormat || name.isEmpty()) {
        // Without a printer of the system (or a file) nothing can be printed yet.
        return TPrintForm::tr("Drucker: keiner eingerichtet");
    }
    return TPrintForm::tr("Drucker: %1").arg(name);
}

PrintableArea printableArea(const QPrinter& printer) {
    // The paint device's size is the printable area in device pixels; the painter's origin is its
    // top-left corner.
    return {printer.width(), printer.height()};
}

bool printPicture(QPrinter& printer, const dib& d, const PrintSizing& sizing) {
    printer.setDocName(TPrintForm::tr(kPrintJobTitle));
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    const int32_t W = dibwidth(d);
    const int32_t H = dibheight(d);
    const PrintableArea a = printableArea(printer);
    const PrintBox b = printBox(W, H, a.PW, a.PH, sizing);
    if (b.w > 0 && b.h > 0) {
        drawdib(painter, b.x, b.y, b.w, b.h, d, 0, 0, W, H, false);
    }
    return painter.end();
}

TPrintForm::TPrintForm(QWidget* owner, QPrinter& printer, std::string settingsFile,
                       ModalDialogs modal)
    : QDialog(owner), printer_(printer), settingsFile_(std::move(settingsFile)),
      modal_(std::move(modal)) {
    setObjectName("PrintForm");
    setWindowTitle(tr("Bild drucken..."));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, true);

    // The fixed client area is small for today's fonts: narrow margins leave the texts whole.
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 6);
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    column->addLayout(row, 1);

    auto* previewColumn = new QVBoxLayout;
    PrintPaintBox = new PreviewBox(this, *this);
    PrintPaintBox->setAutoFillBackground(true);
    PrintPaintBox->setBackgroundRole(QPalette::Button);
    previewColumn->addWidget(formcontrols::label(this, tr("Vorschau:")));
    previewColumn->addWidget(PrintPaintBox);
    previewColumn->addStretch();
    row->addLayout(previewColumn);

    auto* choices = new QVBoxLayout;
    auto* sizeGroup = new QGroupBox(tr("Druckgröße"), this);
    auto* sizeColumn = new QVBoxLayout(sizeGroup);
    sizeColumn->setContentsMargins(6, 6, 6, 6);
    UseFullCheck = formcontrols::radio(sizeGroup, "UseFullCheck", tr("Seite voll nutzen"), true);
    UserdefCheck = formcontrols::radio(sizeGroup, "UserdefCheck", tr("Benutzerdefiniert"), false);
    BreitEdit = formcontrols::whole(sizeGroup, "BreitEdit", kPercentMin, kPercentMax, 1, 50);
    HochEdit = formcontrols::whole(sizeGroup, "HochEdit", kPercentMin, kPercentMax, 1, 50);
    sizeColumn->addWidget(UseFullCheck);
    sizeColumn->addWidget(UserdefCheck);
    for (auto [caption, field] :
         {std::pair{tr("Breite in %:"), BreitEdit}, std::pair{tr("Höhe in %:"), HochEdit}}) {
        auto* line = new QHBoxLayout;
        line->addSpacing(16);
        line->addWidget(formcontrols::label(sizeGroup, caption, field));
        line->addStretch();
        line->addWidget(field);
        sizeColumn->addLayout(line);
    }
    choices->addWidget(sizeGroup);

    auto* optionGroup = new QGroupBox(tr("Druckoptionen"), this);
    auto* optionColumn = new QVBoxLayout(optionGroup);
    optionColumn->setContentsMargins(6, 6, 6, 6);
    SverhCheck =
        formcontrols::check(optionGroup, "SverhCheck", tr("Seitenverhältnis beibehalten"), true);
    ZentrCheck = formcontrols::check(optionGroup, "ZentrCheck", tr("Zentrierte Ausgabe"), true);
    optionColumn->addWidget(SverhCheck);
    optionColumn->addWidget(ZentrCheck);
    choices->addWidget(optionGroup);
    choices->addStretch();
    row->addLayout(choices, 1);

    auto* buttons = new QHBoxLayout;
    OkBitBtn1 = formcontrols::button(this, "OkBitBtn1", tr("&OK"));
    OkBitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    OkBitBtn1->setDefault(true);
    PrintSetupBtn = formcontrols::button(this, "PrintSetupBtn", tr("Drucker &einrichten..."));
    CancelBitBtn2 = formcontrols::button(this, "CancelBitBtn2", tr("A&bbrechen"));
    CancelBitBtn2->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    buttons->addWidget(OkBitBtn1);
    buttons->addStretch();
    buttons->addWidget(PrintSetupBtn);
    buttons->addStretch();
    buttons->addWidget(CancelBitBtn2);
    // The printer line sits above the buttons across the whole window: the row above is taller
    // than its top-aligned contents, so no other control moves, and a long name has the most
    // room there.
    PrinterLabel = new PrinterLine(this);
    column->addWidget(PrinterLabel);
    column->addLayout(buttons);

    connect(OkBitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(PrintSetupBtn, &QPushButton::clicked, this, [this] { PrintSetupBtnClick(); });
    for (QAbstractButton* b :
         std::initializer_list<QAbstractButton*>{UseFullCheck, SverhCheck, ZentrCheck}) {
        connect(b, &QAbstractButton::clicked, this, [this] { PrintPaintBoxPaint(); });
    }
    connect(UserdefCheck, &QAbstractButton::clicked, this, [this] { UserdefCheckClick(); });
    connect(BreitEdit, &QSpinBox::valueChanged, this, [this] { BreitEditChange(); });
    connect(HochEdit, &QSpinBox::valueChanged, this, [this] { HochEditChange(); });

    setFixedSize(kClientWidth, kClientHeight);
    showPrinter();
}

TPrintForm::~TPrintForm() {
    if (!saved_) {
        saveSettings();
    }
}

PrintableArea TPrintForm::area() const {
    return printableArea(printer_);
}

void TPrintForm::showPrinter() {
    static_cast<PrinterLine*>(PrinterLabel)->setFullText(printerDescription(printer_));
}

PrintSizing TPrintForm::sizing() const {
    PrintSizing s;
    s.useFull = UseFullCheck->isChecked();
    s.breit = BreitEdit->value();
    s.hoch = HochEdit->value();
    s.aspect = SverhCheck->isChecked();
    s.centred = ZentrCheck->isChecked();
    return s;
}

void TPrintForm::paintPreview(QPainter& painter) {
    const int32_t boxW = PrintPaintBox->width();
    const int32_t boxH = PrintPaintBox->height();
    const PrintableArea a = area();
    const PrintBox sheet = previewSheet(a.PW, a.PH, boxW, boxH);
    if (sheet.w > 0 && sheet.h > 0) {
        painter.fillRect(QRect(sheet.x, sheet.y, sheet.w, sheet.h), Qt::white);
    }
    const int32_t W = dibwidth(di);
    const int32_t H = dibheight(di);
    const PrintBox b = previewPicture(W, H, a.PW, a.PH, sizing(), boxW, boxH);
    if (b.w > 0 && b.h > 0) {
        drawdib(painter, b.x, b.y, b.w, b.h, di, 0, 0, W, H, true);
    }
}

void TPrintForm::PrintPaintBoxPaint() {
    PrintPaintBox->update();
    // The height follows the width at every repaint the program asks for; the repaints the
    // window system asks for only paint, so the fields never change under a mere exposure.
    BreitEditChange();
}

void TPrintForm::BreitEditChange() {
    if (inedit) {
        return;
    }
    inedit = true;
    if (SverhCheck->isChecked()) {
        const PrintableArea a = area();
        const Percentages p = afterBreitEdit(dibwidth(di), dibheight(di), a.PW, a.PH,
                                             {BreitEdit->value(), HochEdit->value()});
        HochEdit->setValue(p.hoch);
        BreitEdit->setValue(p.breit);
    }
    PrintPaintBox->update();
    inedit = false;
}

void TPrintForm::HochEditChange() {
    if (inedit) {
        return;
    }
    inedit = true;
    if (SverhCheck->isChecked()) {
        const PrintableArea a = area();
        const Percentages p = afterHochEdit(dibwidth(di), dibheight(di), a.PW, a.PH,
                                            {BreitEdit->value(), HochEdit->value()});
        BreitEdit->setValue(p.breit);
        HochEdit->setValue(p.hoch);
    }
    PrintPaintBox->update();
    inedit = false;
}

void TPrintForm::UserdefCheckClick() {
    if (UserdefCheck->isChecked()) {
        BreitEditChange();
        PrintPaintBox->update();
    }
}

void TPrintForm::PrintSetupBtnClick() {
    modal_.setupPrinter(printer_, this);
    // Another printer, paper size or orientation shows at once; a cancelled dialog changed
    // nothing, and showing it again costs nothing either.
    showPrinter();
    PrintPaintBoxPaint();
}

void TPrintForm::FormShow() {
    BreitEditChange();
}

void TPrintForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shown_) {
        return;
    }
    shown_ = true;
    restoreSettings();
    FormShow();
}

void TPrintForm::done(int result) {
    if (!saved_) {
        saveSettings();
    }
    QDialog::done(result);
}

void TPrintForm::restoreSettings() {
    PrintFormSettings s;
    std::string error;
    const bool ok = loadPrintFormSettings(s, settingsFile_, error);
    // Width first, then height, each through its field, whose change handler derives the other
    // for this picture and this printer when the aspect is kept. A value the field already holds
    // is no change and runs no handler: deriving a consistent pair once more would lower it by
    // truncation at every opening.
    if (s.BreitEdit) {
        BreitEdit->setValue(*s.BreitEdit);
    }
    if (s.HochEdit) {
        HochEdit->setValue(*s.HochEdit);
    }
    // Only the state is kept. A modal window restored minimised would leave the program
    // waiting for a window nobody sees, so that state opens normally.
    if (s.placement.ShowCmd == 3) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
    if (!ok) {
        showViewerError(error);
    }
}

void TPrintForm::saveSettings() {
    saved_ = true;
    PrintFormSettings s;
    s.BreitEdit = BreitEdit->value();
    s.HochEdit = HochEdit->value();
    qly::WindowPlacement& p = s.placement;
    const QRect g = geometry();
    p.NormPos[0] = g.left();
    p.NormPos[1] = g.top();
    p.NormPos[2] = g.left() + g.width();
    p.NormPos[3] = g.top() + g.height();
    p.ShowCmd = isMaximized() ? 3 : isMinimized() ? 2 : 1;
    p.Visible = isVisible();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        p.PixelsPerInch = static_cast<int>(screen->logicalDotsPerInch());
    }
    std::string error;
    if (!savePrintFormSettings(s, settingsFile_, error)) {
        showViewerError(error);
    }
}
