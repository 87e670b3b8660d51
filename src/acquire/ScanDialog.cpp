#include "acquire/ScanDialog.h"

#include "platform/Messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

// SANE backends name their modes and sources in English; the common ones are shown in the user's
// language.
QString shown(const std::string& name) {
    static const std::pair<const char*, const char*> names[] = {
        {"Color", QT_TRANSLATE_NOOP("TScanDialog", "Farbe")},
        {"Colour", QT_TRANSLATE_NOOP("TScanDialog", "Farbe")},
        {"Gray", QT_TRANSLATE_NOOP("TScanDialog", "Graustufen")},
        {"Grey", QT_TRANSLATE_NOOP("TScanDialog", "Graustufen")},
        {"Lineart", QT_TRANSLATE_NOOP("TScanDialog", "Schwarzweiß")},
        {"Binary", QT_TRANSLATE_NOOP("TScanDialog", "Schwarzweiß")},
        {"Halftone", QT_TRANSLATE_NOOP("TScanDialog", "Raster")},
        {"Flatbed", QT_TRANSLATE_NOOP("TScanDialog", "Flachbett")},
        {"Automatic Document Feeder", QT_TRANSLATE_NOOP("TScanDialog", "Vorlageneinzug")},
        {"ADF", QT_TRANSLATE_NOOP("TScanDialog", "Vorlageneinzug")},
        {"ADF Front", QT_TRANSLATE_NOOP("TScanDialog", "Vorlageneinzug (Vorderseite)")},
        {"ADF Back", QT_TRANSLATE_NOOP("TScanDialog", "Vorlageneinzug (Rückseite)")},
        {"ADF Duplex", QT_TRANSLATE_NOOP("TScanDialog", "Vorlageneinzug (beidseitig)")},
        {"Transparency Adapter", QT_TRANSLATE_NOOP("TScanDialog", "Durchlichtaufsatz")},
    };
    for (const auto& [from, to] : names) {
        if (name == from) {
            return TScanDialog::tr(to);
        }
    }
    return q(name);
}

void fill(QComboBox* box, const std::vector<std::string>& items, const std::string& current) {
    box->clear();
    for (const std::string& s : items) {
        box->addItem(shown(s), q(s));
    }
    box->setCurrentIndex(std::max(0, box->findData(q(current))));
}

std::string chosen(const QComboBox* box) {
    return box->count() > 0 ? box->currentData().toString().toStdString() : std::string();
}

} // namespace

std::vector<PaperSize> paperSizes(double maxWidthMm, double maxHeightMm) {
    std::vector<PaperSize> out;
    if (maxWidthMm <= 0 || maxHeightMm <= 0) {
        return out;
    }
    out.push_back({TScanDialog::tr("Ganze Fläche (%1 x %2 mm)")
                       .arg(std::lround(maxWidthMm))
                       .arg(std::lround(maxHeightMm))
                       .toStdString(),
                   maxWidthMm, maxHeightMm});
    const PaperSize standard[] = {
        {"A4 (210 x 297 mm)", 210, 297},        {"A5 (148 x 210 mm)", 148, 210},
        {"A6 (105 x 148 mm)", 105, 148},        {"Letter (216 x 279 mm)", 215.9, 279.4},
        {"Legal (216 x 356 mm)", 215.9, 355.6},
    };
    // Half a millimetre of grace: a bed of 215.9 mm takes A4's 210 and Letter's 215.9 alike.
    for (const PaperSize& p : standard) {
        if (p.widthMm <= maxWidthMm + 0.5 && p.heightMm <= maxHeightMm + 0.5) {
            out.push_back(
                {p.name, std::min(p.widthMm, maxWidthMm), std::min(p.heightMm, maxHeightMm)});
        }
    }
    return out;
}

TScanDialog::TScanDialog(QWidget* parent, std::unique_ptr<ScanBackend> backend, bool singleImage,
                         const ScanDevice& device)
    : QDialog(parent), session_(std::make_unique<ScanSession>(std::move(backend), singleImage)) {
    setObjectName("TScanDialog");
    setWindowTitle(tr("Scannen"));

    auto* column = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    DeviceLabel = new QLabel(q(device.label.empty() ? device.name : device.label), this);
    SourceBox = new QComboBox(this);
    DuplexCheck = new QCheckBox(tr("Beidseitig scannen (Duplex)"), this);
    ModeBox = new QComboBox(this);
    DepthBox = new QComboBox(this);
    ResolutionBox = new QComboBox(this);
    PaperBox = new QComboBox(this);
    form->addRow(tr("Scanner:"), DeviceLabel);
    form->addRow(tr("Quelle:"), SourceBox);
    form->addRow(QString(), DuplexCheck);
    form->addRow(tr("Modus:"), ModeBox);
    form->addRow(tr("Farbtiefe:"), DepthBox);
    form->addRow(tr("Auflösung:"), ResolutionBox);
    form->addRow(tr("Papierformat:"), PaperBox);
    column->addLayout(form);

    ProgressBar = new QProgressBar(this);
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    StatusLabel = new QLabel(this);
    StatusLabel->setWordWrap(true);
    column->addWidget(ProgressBar);
    column->addWidget(StatusLabel);

    auto* buttons = new QHBoxLayout;
    ScanButton = new QPushButton(tr("Scannen"), this);
    CancelButton = new QPushButton(tr("Abbrechen"), this);
    CloseButton = new QPushButton(tr("Schließen"), this);
    ScanButton->setDefault(true);
    buttons->addStretch();
    for (QPushButton* b : {ScanButton, CancelButton, CloseButton}) {
        buttons->addWidget(b);
    }
    column->addLayout(buttons);

    const std::pair<QWidget*, const char*> names[] = {
        {DeviceLabel, "DeviceLabel"},   {SourceBox, "SourceBox"},
        {DuplexCheck, "DuplexCheck"},   {ModeBox, "ModeBox"},
        {DepthBox, "DepthBox"},         {ResolutionBox, "ResolutionBox"},
        {PaperBox, "PaperBox"},         {ProgressBar, "ProgressBar"},
        {StatusLabel, "StatusLabel"},   {ScanButton, "ScanButton"},
        {CancelButton, "CancelButton"}, {CloseButton, "CloseButton"},
    };
    for (const auto& [w, name] : names) {
        w->setObjectName(name);
    }
    setMinimumWidth(420);

    connect(ScanButton, &QPushButton::clicked, this, [this] { session_->scan(settings()); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { session_->cancel(); });
    connect(CloseButton, &QPushButton::clicked, this, &TScanDialog::reject);
    connect(session_.get(), &ScanSession::stateChanged, this, &TScanDialog::showState);
    connect(session_.get(), &ScanSession::pageReady, this, &TScanDialog::pageScanned);
    connect(session_.get(), &ScanSession::progress, this, [this](int page, int percent) {
        ProgressBar->setValue(percent);
        if (session_->state() == ScanSession::State::Scanning) {
            StatusLabel->setText(tr("Seite %1 wird gescannt...").arg(page));
        }
    });
    connect(session_.get(), &ScanSession::failed, this, &TScanDialog::onFailed);
    connect(session_.get(), &ScanSession::runEnded, this, &TScanDialog::onRunEnded);

    showState(ScanSession::State::Opening);
    session_->open(device);
}

TScanDialog::~TScanDialog() = default;

void TScanDialog::fillControls(const ScanCapabilities& c) {
    DeviceLabel->setText(q(c.device.label));
    setWindowTitle(tr("Scannen - %1").arg(q(c.device.label)));
    fill(SourceBox, c.sources, c.source);
    fill(ModeBox, c.modes, c.mode);
    DepthBox->clear();
    for (int d : c.depths) {
        DepthBox->addItem(tr("%1 Bit").arg(d), d);
    }
    DepthBox->setCurrentIndex(std::max(0, DepthBox->findData(c.depth)));
    ResolutionBox->clear();
    for (int r : c.resolutions) {
        ResolutionBox->addItem(tr("%1 dpi").arg(r), r);
    }
    ResolutionBox->setCurrentIndex(std::max(0, ResolutionBox->findData(c.resolution)));
    PaperBox->clear();
    for (const PaperSize& p : paperSizes(c.maxWidthMm, c.maxHeightMm)) {
        PaperBox->addItem(q(p.name), QVariant::fromValue(QSizeF(p.widthMm, p.heightMm)));
    }
    // A4 where it fits, else the whole area.
    const int a4 = PaperBox->findText("A4", Qt::MatchStartsWith);
    PaperBox->setCurrentIndex(std::max(0, a4));
    DuplexCheck->setChecked(c.duplex);
    DuplexCheck->setVisible(c.duplexOffered);
    for (QWidget* w :
         std::initializer_list<QWidget*>{SourceBox, ModeBox, DepthBox, ResolutionBox, PaperBox}) {
        w->setVisible(static_cast<QComboBox*>(w)->count() > 0);
    }
}

ScanSettings TScanDialog::settings() const {
    ScanSettings s;
    s.source = chosen(SourceBox);
    s.mode = chosen(ModeBox);
    s.depth = DepthBox->count() > 0 ? DepthBox->currentData().toInt() : 0;
    s.resolution = ResolutionBox->count() > 0 ? ResolutionBox->currentData().toInt() : 0;
    if (PaperBox->count() > 0) {
        const QSizeF size = PaperBox->currentData().toSizeF();
        s.widthMm = size.width();
        s.heightMm = size.height();
    }
    if (session_->capabilities().duplexOffered) {
        s.duplex = DuplexCheck->isChecked() ? ScanSettings::Duplex::On : ScanSettings::Duplex::Off;
    }
    return s;
}

void TScanDialog::showState(ScanSession::State s) {
    using State = ScanSession::State;
    if (s == State::Idle && !filled_) {
        filled_ = true;
        fillControls(session_->capabilities());
    }
    const bool ready = s == State::Idle || s == State::Error;
    for (QWidget* w : std::initializer_list<QWidget*>{SourceBox, DuplexCheck, ModeBox, DepthBox,
                                                      ResolutionBox, PaperBox}) {
        w->setEnabled(ready);
    }
    ScanButton->setEnabled(ready);
    CancelButton->setEnabled(s == State::Scanning);
    CloseButton->setEnabled(s != State::Scanning && s != State::Cancelling);
    switch (s) {
    case State::Opening:
        StatusLabel->setText(tr("Verbindung zum Scanner wird hergestellt..."));
        break;
    case State::Idle:
        if (session_->pages() == 1) {
            StatusLabel->setText(tr("1 Seite gescannt."));
        } else if (session_->pages() > 1) {
            StatusLabel->setText(tr("%1 Seiten gescannt.").arg(session_->pages()));
        } else {
            StatusLabel->setText(tr("Bereit."));
        }
        break;
    case State::Scanning:
        ProgressBar->setValue(0);
        StatusLabel->setText(tr("Seite %1 wird gescannt...").arg(1));
        break;
    case State::Cancelling:
        StatusLabel->setText(tr("Der Scanvorgang wird abgebrochen..."));
        break;
    case State::Error:
    case State::Failed:
        StatusLabel->setText(q(session_->message()));
        break;
    }
}

void TScanDialog::onFailed(const std::string& message) {
    qly::messageSink().showMessage(tr("Scannen").toStdString(), message, qly::MessageIcon::Warning);
    if (session_->state() == ScanSession::State::Failed) {
        // Nothing can be scanned with this device.
        QDialog::reject();
    }
}

void TScanDialog::onRunEnded(const ScanResult& r) {
    ProgressBar->setValue(r.end == ScanEnd::Done || r.end == ScanEnd::FeederEmpty ? 100 : 0);
    if (closePending_) {
        closePending_ = false;
        QDialog::reject();
        return;
    }
    if (session_->done()) {
        accept();
    }
}

void TScanDialog::reject() {
    const ScanSession::State s = session_->state();
    if (s == ScanSession::State::Scanning || s == ScanSession::State::Cancelling) {
        closePending_ = true;
        session_->cancel();
        return;
    }
    QDialog::reject();
}
