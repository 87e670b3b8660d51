// The tab "PDF-Datei erzeugen": the export commands, compression settings and export progress.
#include "app/FormParts.h"
#include "app/MainUnit.h"
#include "ocr/TextRecognition.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace formparts;

QWidget* TMainForm::buildPdfTab() {
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);

    SavePDFBtn = button(content, "SavePDFBtn", tr("PDF-Datei speichern..."));
    BatchBtn = button(content, "BatchBtn", tr("PDF-Datei speichern, jedes Bild eine PDF Datei..."));
    ShowPDFCheck = check(content, "ShowPDFCheck", tr("PDF-Datei nach dem Erzeugen anzeigen"), true);
    auto* commands = new QGridLayout;
    commands->addWidget(SavePDFBtn, 0, 0);
    commands->addWidget(BatchBtn, 1, 0);
    commands->addWidget(ShowPDFCheck, 2, 0);
    commands->setColumnStretch(1, 1);
    column->addLayout(commands);
    column->addSpacing(8);

    JpegEd = whole(content, "JpegEd", 1, 100, 1, 75);
    Jpeg2000ED = decimal(content, "Jpeg2000ED", 0.01, 100, 0.1, 1.0);
    JPEG2000 = check(content, "JPEG2000",
                     tr("JPEG 2000 Kompression verwenden (ab Acrobat Reader 6)"), true);
    auto* compression = new QGridLayout;
    compression->addWidget(
        label(content, tr("JPEG-Kompression (100=beste Qualität; 1=beste Kompression):"), JpegEd),
        0, 0);
    compression->addWidget(JpegEd, 0, 1);
    compression->addWidget(label(content,
                                 tr("JPEG 2000-Kompression (Dateigröße in % gegenüber Original):"),
                                 Jpeg2000ED),
                           1, 0);
    compression->addWidget(Jpeg2000ED, 1, 1);
    compression->addWidget(JPEG2000, 2, 0, 1, 2);
    QLabel* note = label(content, tr("Die JPEG 2000 Kompression ist im Vergleich zur JPEG "
                                     "Kompression sehr langsam beim Abspeichern, erzeugt aber "
                                     "bei gleicher Qualität kleinere Dateien."));
    note->setObjectName("Jpeg2000Note");
    note->setWordWrap(true);
    compression->addWidget(note, 3, 0, 1, 2);
    compression->setColumnStretch(2, 1);
    column->addLayout(compression);
    column->addSpacing(8);

    // Text recognition: the words of every page go invisibly over its picture. The languages
    // are Tesseract's codes joined by '+'; the list offers the default and every language
    // installed, and takes any other list typed.
    OcrCheck = check(content, "OcrCheck", tr("Text erkennen (durchsuchbare PDF-Datei)"), false);
    OcrCheck->setToolTip(tr("Erkennt den Text jeder Seite und legt ihn unsichtbar über das Bild, "
                            "damit die PDF-Datei durchsucht und Text kopiert werden kann"));
    OcrLangEd = new QComboBox(content);
    OcrLangEd->setObjectName("OcrLangEd");
    OcrLangEd->setEditable(true);
    OcrLangEd->setInsertPolicy(QComboBox::NoInsert);
    OcrLangEd->addItem(QString::fromLatin1(qly::kDefaultTextLanguages));
    for (const std::string& code : qly::installedTextLanguages()) {
        OcrLangEd->addItem(QString::fromStdString(code));
    }
    OcrLangEd->setCurrentText(QString::fromLatin1(qly::kDefaultTextLanguages));
    OcrLangEd->setValidator(new QRegularExpressionValidator(
        QRegularExpression("[A-Za-z0-9_]+([+ ,]+[A-Za-z0-9_]+)*[+ ,]*"), OcrLangEd));
    OcrLangEd->setToolTip(tr("Sprachen der Texterkennung, mit + verbunden (deu+eng); für jede "
                             "Sprache muss das Paket tesseract-ocr-<Sprache> installiert sein"));
    OcrLangEd->setMinimumContentsLength(12);
    auto* recognition = new QGridLayout;
    recognition->addWidget(OcrCheck, 0, 0);
    recognition->addWidget(label(content, tr("Sprachen:"), OcrLangEd), 0, 1);
    recognition->addWidget(OcrLangEd, 0, 2);
    recognition->setColumnStretch(3, 1);
    column->addLayout(recognition);
    column->addStretch();

    ProgressBar1 = new QProgressBar(content);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    column->addWidget(ProgressBar1);

    return tabPage(tr("PDF-Datei erzeugen - Hier können Sie nun die PDF-Datei erzeugen"), content);
}
