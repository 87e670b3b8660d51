#include "app/MainUnit.h"

#include "acquire/AddPicture.h"
#include "acquire/SavePicture.h"
#include "acquire/ScanSupport.h"
#include "acquire/WIA_TLB.h"
#include "app/AboutBoxUnit.h"
#include "app/Conversion.h"
#include "app/FormParts.h"
#include "app/ProgressPanel.h"
#include "app/VerschrankFUnit.h"
#include "document/Dib.h"
#include "document/PageDocument.h"
#include "document/PageJournal.h"
#include "document/PageList.h"
#include "document/PageStore.h"
#include "export/CreateThePDF.h"
#include "imaging/Rotate.h"
#include "platform/GrafikRW3.h"
#include "platform/IoError.h"
#include "platform/Random.h"
#include "view/ViewPicFUnit.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QShowEvent>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace {

// The application's title, the caption of the messages of errors that end a command.
constexpr const char* kApplicationTitle = "Quillory 1.6";

constexpr int kClientWidth = 734;
constexpr int kClientHeight = 474;

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

TMainForm::TMainForm(std::vector<std::string> args, std::string settingsFile)
    : args_(std::move(args)), settingsFile_(std::move(settingsFile)) {
    setObjectName("MainForm");
    setWindowTitle(tr("Torvand Quillory 1.7"));
    progpath = QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdString();
    if (progpath.empty() || progpath.back() != '/') {
        progpath += '/';
    }
    qly::Randomize();
    bilder.buffersize = 100;
    adib = 1;
    buildWindow();
    connectCommands();
    VerschrankForm = new TVerschrankForm(this);
    ViewPicForm = new TViewPicForm(this, settingsFile_);
    // The print window and the printer setup go through the window's dialogs like every other
    // dialog.
    ViewPicForm->modal.execDialog = [](QDialog& d) { return dialogs().execDialog(d); };
    ViewPicForm->modal.printerSetup = [](QPrinter& printer, QWidget* parent) {
        return dialogs().printSetup(printer, parent);
    };
    CommonDialogWIA1 = std::make_unique<TCommonDialogWIA>(this);
    resize(kClientWidth, kClientHeight);
    setDialogParent(this);
    // The scanner dialogs are run like the window's own.
    setScanDialogRunner([](QDialog& d) { return dialogs().execDialog(d); });
    previousSink_ = qly::setMessageSink(&sink_);
    pages_ = std::make_unique<PageDocument>(bilder);
    pages_->addObserver(this);
    setAcceptDrops(true);
    store_ = qly::PageStore::open(qly::pageStateFolder(), storeError_);
    if (store_ != nullptr) {
        pages_->setStore(store_.get());
        journal_ = std::make_unique<PageJournalWriter>(*pages_, *store_, [this] {
            return documentLayout(readControls().exportSettings, ShowPDFCheck->isChecked());
        });
    }
}

TMainForm::~TMainForm() {
    if (!saved_) {
        saveSettings();
    }
    // FormDestroy: every page's picture is released with the array; the session folder goes
    // with the store, as the window was closed as it should be.
    releaseAllPages(bilder);
    journal_.reset();
    pages_->removeObserver(this);
    pages_.reset();
    store_.reset();
    qly::setMessageSink(previousSink_);
    setScanDialogRunner({});
    setDialogParent(nullptr);
}

void TMainForm::buildWindow() {
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(4, 4, 4, 0);

    auto* top = new QHBoxLayout;
    auto flat = [&](QToolButton*& b, const char* name, const QString& caption, const QString& hint,
                    QStyle::StandardPixmap icon) {
        b = new QToolButton(central);
        b->setObjectName(name);
        b->setText(caption);
        b->setToolTip(hint);
        b->setAutoRaise(true);
        b->setIcon(style()->standardIcon(icon));
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        top->addWidget(b);
    };
    flat(NewBtn, "NewBtn", tr("&Neu"), tr("Neues Dokument"), QStyle::SP_FileIcon);
    flat(OpenBtn, "OpenBtn", tr("Ö&ffnen..."), tr("Dokument öffnen..."),
         QStyle::SP_DialogOpenButton);
    flat(SaveAsBtn, "SaveAsBtn", tr("&Speichern unter..."), tr("Dokument speichern unter..."),
         QStyle::SP_DialogSaveButton);
    flat(UndoBtn, "UndoBtn", tr("&Rückgängig"), tr("Nichts rückgängig zu machen"),
         QStyle::SP_ArrowBack);
    flat(RedoBtn, "RedoBtn", tr("&Wiederholen"), tr("Nichts zu wiederholen"),
         QStyle::SP_ArrowForward);
    UndoBtn->setEnabled(false);
    RedoBtn->setEnabled(false);
    top->addStretch();
    column->addLayout(top);

    PageControl1 = new QTabWidget(central);
    PageControl1->setObjectName("PageControl1");
    PageControl1->addTab(buildScanTab(), tr("Dokumente scannen"));
    PageControl1->addTab(buildSortTab(), tr("Sortieren"));
    PageControl1->addTab(buildSettingsTab(), tr("Einstellungen"));
    PageControl1->addTab(buildPdfTab(), tr("PDF-Datei erzeugen"));
    column->addWidget(PageControl1, 1);

    auto* bottom = new QHBoxLayout;
    wwwBtn = formparts::button(central, "wwwBtn", QString::fromLatin1(kHomepageCaption),
                               tr("Auf zur Torvand Homepage..."));
    wwwBtn->setFlat(true);
    wwwBtn->setCursor(Qt::PointingHandCursor);
    UeberBtn = formparts::button(central, "UeberBtn", tr("Über..."));
    EndeBtn = formparts::button(central, "EndeBtn", tr("Ende"));
    bottom->addWidget(wwwBtn);
    bottom->addStretch();
    bottom->addWidget(UeberBtn);
    bottom->addWidget(EndeBtn);
    column->addLayout(bottom);
    setCentralWidget(central);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    StatusPanel0 = new QLabel(StatusBar1);
    StatusPanel0->setObjectName("StatusPanel0");
    StatusPanel0->setFixedWidth(250);
    StatusPanel0->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    StatusPanel1 = new ProgressPanel(StatusBar1, [this](QPainter& p, const QRect& r) {
        StatusBar1DrawPanel(p,
                            TRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()});
    });
    StatusBar1->addWidget(StatusPanel0);
    StatusBar1->addWidget(StatusPanel1);
    setStatusBar(StatusBar1);
}

void TMainForm::connectCommands() {
    auto on = [this](QAbstractButton* b, void (TMainForm::*handler)()) {
        connect(b, &QAbstractButton::clicked, this, [this, handler] { (this->*handler)(); });
    };
    on(NewBtn, &TMainForm::NewBtnClick);
    on(OpenBtn, &TMainForm::OpenBtnClick);
    on(SaveAsBtn, &TMainForm::SaveAsBtnClick);
    on(SourceBtn, &TMainForm::SourceBtnClick);
    on(ScanBtn, &TMainForm::ScanBtnClick);
    on(OpenPicsBtn, &TMainForm::OpenPicsBtnClick);
    on(DelBtn, &TMainForm::DelBtnClick);
    on(SavePicBtn, &TMainForm::SavePicBtnClick);
    on(BitBtn1, &TMainForm::SavePDFBtnClick);
    on(SavePDFBtn, &TMainForm::SavePDFBtnClick);
    on(BatchBtn, &TMainForm::BatchBtnClick);
    on(RotLeftBtn, &TMainForm::RotLeftBtnClick);
    on(RorRightBtn, &TMainForm::RorRightBtnClick);
    on(NachVornBtn, &TMainForm::NachVornBtnClick);
    on(NachHintenBtn, &TMainForm::NachHintenBtnClick);
    on(DelFotoBtn, &TMainForm::DelFotoBtnClick);
    on(VerschrankBtn, &TMainForm::VerschrankBtnClick);
    on(wwwBtn, &TMainForm::wwwBtnClick);
    on(UeberBtn, &TMainForm::ueberbtnClick);
    on(EndeBtn, &TMainForm::EndeBtnClick);
    on(UndoBtn, &TMainForm::UndoBtnClick);
    on(RedoBtn, &TMainForm::RedoBtnClick);
    on(MarkBlankBtn, &TMainForm::MarkBlankBtnClick);
    on(DelMarkedBtn, &TMainForm::DelMarkedBtnClick);
    on(InsertBlankBtn, &TMainForm::InsertBlankBtnClick);
    // Undo and redo from anywhere in the window; Ctrl+Y as many programs have it, too.
    const auto shortcut = [this](const QKeySequence& keys, void (TMainForm::*handler)()) {
        auto* s = new QShortcut(keys, this);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, [this, handler] { (this->*handler)(); });
    };
    shortcut(QKeySequence::Undo, &TMainForm::UndoBtnClick);
    shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), &TMainForm::RedoBtnClick);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Y), &TMainForm::RedoBtnClick);
    // The page view follows the page number, the zoom and the layout at once.
    for (QSpinBox* s : {PageEd, ZoomEd}) {
        connect(s, &QSpinBox::valueChanged, this, [this] { PaintBox1Paint(); });
    }
    for (QDoubleSpinBox* s : {BreitEd, HochEd, RandHEd, RandVEd}) {
        connect(s, &QDoubleSpinBox::valueChanged, this, [this] { PaintBox1Paint(); });
    }
    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{BorderCheck, ZentCheck,
                                                                      MaxSizeCheck, RelSizeCheck}) {
        connect(b, &QAbstractButton::toggled, this, [this] { PaintBox1Paint(); });
    }
}

// ---- kept settings --------------------------------------------------------------------------

MainFormSettings TMainForm::readControls() const {
    MainFormSettings s;
    ExportSettings& e = s.exportSettings;
    e.BreitEd = BreitEd->value();
    e.HochEd = HochEd->value();
    e.BorderCheck = BorderCheck->isChecked();
    e.RandHEd = RandHEd->value();
    e.RandVEd = RandVEd->value();
    e.ZentCheck = ZentCheck->isChecked();
    e.MaxSizeCheck = MaxSizeCheck->isChecked();
    e.RelSizeCheck = RelSizeCheck->isChecked();
    e.setpaperheichec = setpaperheichec->isChecked();
    e.UsePageSizeFromPicChecked = UsePageSizeFromPicChecked->isChecked();
    e.ScanResEd = ScanResEd->value();
    e.JpegEd = JpegEd->value();
    e.Jpeg2000ED = Jpeg2000ED->value();
    e.JPEG2000 = JPEG2000->isChecked();
    e.OcrCheck = OcrCheck->isChecked();
    // Languages typed with blanks or commas between them are joined with '+', as Tesseract
    // takes them ("deu fra" is "deu+fra").
    e.OcrLangEd = OcrLangEd->currentText()
                      .split(QRegularExpression("[+ ,]+"), Qt::SkipEmptyParts)
                      .join('+')
                      .toStdString();
    s.SingleImageCheck = SingleImageCheck->isChecked();
    s.ScanUsingWIAChecked = ScanUsingWIAChecked->isChecked();
    s.ShowPDFCheck = ShowPDFCheck->isChecked();
    return s;
}

void TMainForm::applyToControls(const MainFormSettings& s) {
    const ExportSettings& e = s.exportSettings;
    BreitEd->setValue(e.BreitEd);
    HochEd->setValue(e.HochEd);
    BorderCheck->setChecked(e.BorderCheck);
    RandHEd->setValue(e.RandHEd);
    RandVEd->setValue(e.RandVEd);
    ZentCheck->setChecked(e.ZentCheck);
    // The two size modes are one exclusive pair: checking one clears the other.
    if (e.RelSizeCheck) {
        RelSizeCheck->setChecked(true);
    } else if (e.MaxSizeCheck) {
        MaxSizeCheck->setChecked(true);
    }
    setpaperheichec->setChecked(e.setpaperheichec);
    UsePageSizeFromPicChecked->setChecked(e.UsePageSizeFromPicChecked);
    ScanResEd->setValue(static_cast<int>(std::clamp(e.ScanResEd, 10.0, 10000.0)));
    JpegEd->setValue(static_cast<int>(std::clamp(e.JpegEd, 1.0, 100.0)));
    Jpeg2000ED->setValue(e.Jpeg2000ED);
    JPEG2000->setChecked(e.JPEG2000);
    OcrCheck->setChecked(e.OcrCheck);
    OcrLangEd->setCurrentText(QString::fromStdString(e.OcrLangEd));
    SingleImageCheck->setChecked(s.SingleImageCheck);
    ScanUsingWIAChecked->setChecked(s.ScanUsingWIAChecked);
    ShowPDFCheck->setChecked(s.ShowPDFCheck);
}

void TMainForm::restoreSettings() {
    // The placement starts empty, so a window kept at (0, 0) is told from a first start.
    MainFormSettings s = readControls();
    std::string error;
    const bool ok = loadMainFormSettings(s, settingsFile_, error);
    applyToControls(s);
    const WindowPlacement& p = s.placement;
    if (p.NormPos[2] > p.NormPos[0] && p.NormPos[3] > p.NormPos[1]) {
        // The position is the frame's, the size the client area's.
        move(p.NormPos[0], p.NormPos[1]);
        resize(p.NormPos[2] - p.NormPos[0], p.NormPos[3] - p.NormPos[1]);
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        // First start: centred on the screen.
        QRect r(0, 0, kClientWidth, kClientHeight);
        r.moveCenter(screen->availableGeometry().center());
        setGeometry(r);
    }
    if (p.ShowCmd == 3) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
    if (!ok) {
        showError(error);
    }
}

void TMainForm::saveSettings() {
    MainFormSettings s = readControls();
    WindowPlacement& p = s.placement;
    // The frame's position and the client area's size, as they are restored.
    const QRect g = normalGeometry().isValid() ? normalGeometry() : geometry();
    const QPoint at = isMaximized() || isMinimized() ? g.topLeft() : pos();
    p.NormPos[0] = at.x();
    p.NormPos[1] = at.y();
    p.NormPos[2] = at.x() + g.width();
    p.NormPos[3] = at.y() + g.height();
    p.ShowCmd = isMaximized() ? 3 : isMinimized() ? 2 : 1;
    p.Visible = isVisible();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        p.PixelsPerInch = static_cast<int>(screen->logicalDotsPerInch());
    }
    saved_ = true;
    std::string error;
    if (!saveMainFormSettings(s, settingsFile_, error)) {
        showError(error);
    }
}

// ---- start and end ----------------------------------------------------------------------------

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) {
        return;
    }
    shown_ = true;
    restoreSettings();
    PaintBox1Paint();
    // The conversion runs once the window is on the screen.
    QTimer::singleShot(0, this, [this] { FormShow(); });
}

void TMainForm::FormShow() {
    if (args_.empty()) {
        offerRecovery();
        return;
    }
    // A document given alone is opened, as a double click on it in a file manager asks.
    if (args_.size() == 1 && isDocumentName(args_[0]) && looksLikeDocument(args_[0])) {
        OpenFileNow(args_[0]);
        return;
    }
    // A file manager's "open with" passes pictures and documents only: the last one is no output.
    if (allArgumentsAreInputs(args_)) {
        addArgumentsAsPages();
        return;
    }
    if (const OutputRefusal refusal = outputRefusal(args_)) {
        showError(refusal.message);
        conversionStatus_ = refusal.exitStatus;
        QCoreApplication::exit(conversionStatus_);
        return;
    }
    setBusy(true);
    ExportCallbacks callbacks;
    callbacks.progress = [this](int p) { ProgressBar1->setValue(p); };
    callbacks.processEvents = [this] {
        showLastPage();
        QCoreApplication::processEvents();
    };
    ExportSettings settings = readControls().exportSettings;
    applyCommandLine(options_, settings);
    const ConversionResult r = runConversion(bilder, args_, settings, callbacks, pages_.get());
    setBusy(false);
    showLastPage();
    conversionStatus_ = r.exitStatus();
    if (!r.writeError.empty()) {
        // The window stays open with the pages, so the user sees what happened and can try
        // again.
        showError(r.writeError);
        return;
    }
    QCoreApplication::exit(conversionStatus_);
}

void TMainForm::offerRecovery() {
    if (store_ == nullptr) {
        showError(tr("Die Seiten können nicht in Dateien gesichert werden und bleiben im "
                     "Arbeitsspeicher: %1")
                      .arg(q(storeError_))
                      .toStdString());
        return;
    }
    for (qly::LeftSession& session : qly::findLeftSessions(qly::pageStateFolder())) {
        const size_t count = session.journal().pages.size();
        const QDateTime when = QDateTime::fromSecsSinceEpoch(session.journal().time);
        // The date and the time as the language writes them.
        const QString date = when.toString(tr("dd.MM.yyyy", "date of the session in the recovery"));
        const QString time = when.toString(tr("HH:mm", "time of the session in the recovery"));
        // German says "sind noch 1 Seite" as it always has.
        QString text =
            count == 1
                ? tr("Quillory wurde nicht ordnungsgemäß beendet. Von der Sitzung, die zuletzt am "
                     "%1 um %2 Uhr geändert wurde, sind noch 1 Seite vorhanden.")
                      .arg(date, time)
                : tr("Quillory wurde nicht ordnungsgemäß beendet. Von der Sitzung, die zuletzt am "
                     "%1 um %2 Uhr geändert wurde, sind noch %3 Seiten vorhanden.")
                      .arg(date, time, QString::number(count));
        if (!session.journalRead()) {
            text += tr("\n\nDie Liste der Seiten ist beschädigt: die Seiten kommen in der "
                       "Reihenfolge zurück, in der sie aufgenommen wurden.");
        }
        text += tr("\n\nJa: die Seiten wiederherstellen\nNein: die Seiten endgültig löschen\n"
                   "Abbrechen: beim nächsten Start wieder fragen");
        const DialogAnswer answer =
            dialogs().messageBox(tr("Seiten wiederherstellen").toStdString(), text.toStdString(),
                                 qly::MessageIcon::Question, DialogButtons::YesNoCancel);
        if (answer == DialogAnswer::No) {
            session.remove();
            continue;
        }
        if (answer != DialogAnswer::Yes) {
            continue;
        }
        // The layout first, so the journal written with the pages holds it.
        if (session.journalRead()) {
            applyLayout(session.journal().layout);
        }
        std::vector<std::string> problems;
        pages_->restoreSession(session, problems);
        showLastPage();
        PaintBox1Paint();
        PaintBox2Paint();
        if (!problems.empty()) {
            std::string list;
            for (const std::string& p : problems) {
                list += "\n" + p;
            }
            dialogs().messageBox(
                tr("Seiten wiederherstellen").toStdString(),
                tr("Nicht alle Seiten konnten wiederhergestellt werden:").toStdString() + list,
                qly::MessageIcon::Warning, DialogButtons::Ok);
        }
    }
}

void TMainForm::addArgumentsAsPages() {
    setBusy(true);
    ExportCallbacks callbacks;
    callbacks.processEvents = [this] {
        showLastPage();
        QCoreApplication::processEvents();
    };
    // Documents bring their layout, as opening one does.
    MainFormSettings s = readControls();
    addInputs(bilder, args_, s.exportSettings, callbacks, nullptr, pages_.get());
    applyToControls(s);
    setBusy(false);
    showLastPage();
    PaintBox1Paint();
    PaintBox2Paint();
}

bool TMainForm::FormCloseQuery() {
    return dialogs().messageBox(tr("Programm beenden").toStdString(),
                                tr("Hiermit beenden Sie das Programm! Alle nicht gespeicherten "
                                   "Daten gehen verloren!")
                                    .toStdString(),
                                qly::MessageIcon::Information,
                                DialogButtons::OkCancel) == DialogAnswer::Ok;
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!closeGranted_ && !FormCloseQuery()) {
        event->ignore();
        return;
    }
    if (busy_) {
        // An export is running on this thread below us: the window closes once it has ended.
        closeGranted_ = true;
        closePending_ = true;
        event->ignore();
        return;
    }
    saveSettings();
    event->accept();
}

void TMainForm::EndeBtnClick() {
    close();
}

void TMainForm::showError(const std::string& text) {
    dialogs().messageBox(kApplicationTitle, text, qly::MessageIcon::Error, DialogButtons::Ok);
}

void TMainForm::setBusy(bool on) {
    busy_ = on;
    for (QWidget* w : std::initializer_list<QWidget*>{
             NewBtn, OpenBtn, SaveAsBtn, SourceBtn, ScanBtn, OpenPicsBtn, DelBtn, SavePicBtn,
             BitBtn1, SavePDFBtn, BatchBtn, RotLeftBtn, RorRightBtn, NachVornBtn, NachHintenBtn,
             DelFotoBtn, VerschrankBtn, MarkBlankBtn, InsertBlankBtn}) {
        w->setEnabled(!on);
    }
    // Undo, redo and the marked pages' command depend on the model as well.
    pagesChanged({PageChange::Kind::Selection, 0, bilder.count});
    if (!on && closePending_) {
        closePending_ = false;
        QTimer::singleShot(0, this, [this] { close(); });
    }
}

// ---- progress panel ---------------------------------------------------------------------------

void TMainForm::StatusBar1DrawPanel(QPainter& painter, const TRect& rect) {
    const int32_t split = rect.left + (rect.right - rect.left) * StatusPosition / 100;
    if (split > rect.left) {
        painter.fillRect(QRect(rect.left, rect.top, split - rect.left, rect.bottom - rect.top),
                         QColor(0, 0, 128));
    }
    if (rect.right > split) {
        painter.fillRect(QRect(split, rect.top, rect.right - split, rect.bottom - rect.top),
                         StatusBar1->palette().color(QPalette::Button));
    }
    sbrect = rect;
}

void TMainForm::SBarPaintMore() {
    const int32_t split = sbrect.left + (sbrect.right - sbrect.left) * StatusPosition / 100;
    if (split > sbrect.left) {
        StatusPanel1->repaint(
            QRect(sbrect.left, sbrect.top, split - sbrect.left, sbrect.bottom - sbrect.top));
    }
}

void TMainForm::SetProStatus(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (percent < StatusPosition) {
        StatusPosition = percent;
        StatusBar1->repaint();
    } else {
        StatusPosition = percent;
        SBarPaintMore();
    }
}

// ---- pages ------------------------------------------------------------------------------------

void TMainForm::RefreshPageCounter() {
    const int count = static_cast<int>(std::min<uint32_t>(bilder.count, 0x7fffffff));
    Label2->setText(tr("von %1").arg(count));
    if (PageEd->value() > count) {
        PageEd->setValue(count);
    }
    // The field never goes below 1; with no pages it shows 1 and the views show no page.
    PageEd->setMaximum(std::max(count, 1));
}

void TMainForm::showLastPage() {
    const int count = static_cast<int>(std::min<uint32_t>(bilder.count, 0x7fffffff));
    Label2->setText(tr("von %1").arg(count));
    PageEd->setMaximum(std::max(count, 1));
    PageEd->setValue(count);
}

void TMainForm::AddPicture_(const std::string& fileName) {
    const uint32_t before = bilder.count;
    if (::AddPicture_(bilder, fileName)) {
        // The page goes to the page store at once; the files chosen together become one step
        // once all are read (OpenPicsBtnClick).
        pages_->adopt(*static_cast<dib*>(bilder.GetObject(before)));
        showLastPage();
        PaintBox1Paint();
        PaintBox2Paint();
    }
}

void TMainForm::OpenPicsBtnClick() {
    FileDialogOptions o;
    o.filter = GetDIBOpenFilter();
    o.multiSelect = true;
    const FileDialogResult r = dialogs().openFiles(o);
    if (!r.accepted) {
        return;
    }
    const uint32_t from = bilder.count;
    for (const std::string& file : r.files) {
        AddPicture_(file);
    }
    pages_->appended(from, QT_TRANSLATE_NOOP("PageDocument", "Bilder hinzufügen"));
}

void TMainForm::SavePicBtnClick() {
    SetJPEGQual(JpegEd->value());
    SetJPEG2000Qual(static_cast<int32_t>(std::trunc(Jpeg2000ED->value() * 100)));
    const int64_t k = PageEd->value();
    if (k < 1 || k > int64_t{bilder.count}) {
        return;
    }
    dib page{};
    std::memcpy(&page, bilder.GetObject(static_cast<uint32_t>(k - 1)), sizeof page);
    FileDialogOptions o;
    o.filter = GetDIBSaveFilter();
    const FileDialogResult r = dialogs().saveFile(o);
    if (!r.accepted) {
        return;
    }
    const std::string name = nameWithSaveExtension(r.files.front(), r.filterIndex);
    SavePicture(page, name, saveFormatFor(name, r.filterIndex));
}

void TMainForm::DelBtnClick() {
    const int64_t n = PageEd->value();
    if (n < 1 || n > int64_t{bilder.count}) {
        return;
    }
    if (dialogs().messageBox(tr("Bild löschen").toStdString(),
                             tr("Wollen Sie das aktuelle Bild tatsächlich unwiderruflich aus dem "
                                "Dokument löschen?")
                                 .toStdString(),
                             qly::MessageIcon::Question,
                             DialogButtons::YesNoCancel) != DialogAnswer::Yes) {
        return;
    }
    pages_->remove(n);
    RefreshPageCounter();
    PaintBox1Paint();
    PaintBox2Paint();
}

void TMainForm::DelFotoBtnClick() {
    if (pages_->selection().size() > 1) {
        deleteSelection(); // several pages chosen in the sorting view: all of them, after asking
        return;
    }
    if (!pages_->remove(adib)) {
        return;
    }
    PaintBox2Paint();
    RefreshPageCounter();
    PaintBox1Paint();
}

void TMainForm::NachVornBtnClick() {
    if (pages_->selection().size() > 1) {
        moveSelectionOnePlace(true);
        return;
    }
    if (pages_->moveForward(adib)) {
        PaintBox2Paint();
    }
}

void TMainForm::NachHintenBtnClick() {
    if (pages_->selection().size() > 1) {
        moveSelectionOnePlace(false);
        return;
    }
    if (pages_->moveBack(adib)) {
        PaintBox2Paint();
    }
}

void TMainForm::VerschrankBtnClick() {
    VerschrankForm->setPageCount(bilder.count);
    VerschrankForm->MitteEd->setValue(interleavePreset(bilder.count));
    if (!dialogs().execDialog(*VerschrankForm)) {
        return;
    }
    if (!pages_->interleave(VerschrankForm->MitteEd->value(), VerschrankForm->style())) {
        showError(tr("Nicht genug Arbeitsspeicher, um die Seiten zu verschränken.").toStdString());
        return;
    }
    PaintBox2Paint();
    PaintBox1Paint();
}

void TMainForm::rotate(bool left) {
    // The turned picture takes the page's place; the old one stays in the history for undo.
    const int64_t n = PageEd->value();
    if (n < 1 || n > int64_t{bilder.count}) {
        return;
    }
    SetProStatus(0);
    dib turned{};
    const bool done = turnPicture(
        turned, *static_cast<dib*>(bilder.GetObject(static_cast<uint32_t>(n - 1))),
        left ? RotateDirection::Left : RotateDirection::Right, [this](int p) { SetProStatus(p); });
    SetProStatus(0);
    if (done && pages_->replacePicture(n, turned)) {
        PaintBox1Paint();
        PaintBox2Paint();
    }
}

void TMainForm::RotLeftBtnClick() {
    rotate(true);
}

void TMainForm::RorRightBtnClick() {
    rotate(false);
}

// ---- export -----------------------------------------------------------------------------------

bool TMainForm::CreateThePDF(const std::string& fname) {
    ExportCallbacks callbacks;
    callbacks.progress = [this](int p) { ProgressBar1->setValue(p); };
    callbacks.processEvents = [] { QCoreApplication::processEvents(); };
    return ::CreateThePDF(bilder, readControls().exportSettings, fname, batchmode, callbacks)
        .written;
}

bool TMainForm::runExport(const std::string& fname) {
    setBusy(true);
    bool written = false;
    try {
        written = CreateThePDF(fname);
    } catch (const qly::IoError& e) {
        showError(e.what());
    } catch (const std::bad_alloc&) {
        showError(tr("Nicht genug Arbeitsspeicher.").toStdString());
    }
    setBusy(false);
    return written;
}

namespace {

FileDialogOptions pdfDialog() {
    FileDialogOptions o;
    o.filter = TMainForm::tr("PDF-Dateien (*.pdf)|*.pdf").toStdString();
    o.defaultExt = "pdf";
    o.overwritePrompt = true;
    return o;
}

} // namespace

void TMainForm::SavePDFBtnClick() {
    const FileDialogResult r = dialogs().saveFile(pdfDialog());
    if (!r.accepted) {
        return;
    }
    // The PDF is shown only when it was written: there is nothing to show after a failure.
    if (runExport(r.files.front()) && ShowPDFCheck->isChecked()) {
        OpenPDFFileInDefaultApplication(r.files.front());
    }
}

void TMainForm::BatchBtnClick() {
    const FileDialogResult r = dialogs().saveFile(pdfDialog());
    if (!r.accepted) {
        return;
    }
    batchmode = true;
    runExport(r.files.front());
    batchmode = false;
}

void TMainForm::OpenPDFFileInDefaultApplication(const std::string& fname) {
    dialogs().openUrl(
        QUrl::fromLocalFile(QFileInfo(q(fname)).absoluteFilePath()).toString().toStdString());
}

void TMainForm::wwwBtnClick() {
    dialogs().openUrl(kHomepage);
}

void TMainForm::ueberbtnClick() {
    TAboutBox box(this);
    dialogs().execDialog(box);
}
