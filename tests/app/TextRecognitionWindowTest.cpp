// Text recognition in the window: its two controls on the PDF tab, laid out without overlap in the
// window's size, kept between runs, and an export from the window that gives a searchable PDF.
#include "app/MainFormFixture.h"
#include "common/RenderedText.h"
#include "common/TestDib.h"
#include "ocr/TextRecognition.h"
#include "pdf/PdfTestUtil.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

using qlytest::MainForm;
using qlytest::u;

namespace {

TEST_F(MainForm, PdfTabOffersTextRecognitionWithItsLanguages) {
    auto* check = control<QCheckBox>("OcrCheck");
    auto* languages = control<QComboBox>("OcrLangEd");
    ASSERT_NE(check, nullptr);
    ASSERT_NE(languages, nullptr);
    EXPECT_EQ(check->text(), u("Text erkennen (durchsuchbare PDF-Datei)"));
    EXPECT_FALSE(check->isChecked());
    EXPECT_TRUE(languages->isEditable());
    EXPECT_EQ(languages->currentText(), u("deu+eng"));
    // The default first, then every installed language.
    QStringList items;
    for (int i = 0; i < languages->count(); ++i) {
        items << languages->itemText(i);
    }
    QStringList expected{"deu+eng"};
    for (const std::string& code : qly::installedTextLanguages()) {
        expected << QString::fromStdString(code);
    }
    EXPECT_EQ(items, expected);
    EXPECT_TRUE(items.contains("deu") && items.contains("eng"));
    // Only language lists can be typed; blanks and commas separate languages as '+' does, and
    // other signs are not taken.
    languages->lineEdit()->selectAll();
    QTest::keyClicks(languages->lineEdit(), "deu fra;");
    EXPECT_EQ(languages->currentText(), u("deu fra"));
    EXPECT_EQ(form->readControls().exportSettings.OcrLangEd, "deu+fra");
    languages->lineEdit()->selectAll();
    QTest::keyClicks(languages->lineEdit(), "deu, eng+");
    EXPECT_EQ(form->readControls().exportSettings.OcrLangEd, "deu+eng");

    // Both sit on the PDF tab, fully inside it and clear of every other control there.
    auto* tabs = control<QTabWidget>("PageControl1");
    tabs->setCurrentIndex(3);
    QApplication::processEvents();
    QWidget* page = tabs->widget(3);
    EXPECT_TRUE(page->isAncestorOf(check));
    EXPECT_TRUE(page->isAncestorOf(languages));
    auto rectOf = [&](QWidget* w) { return QRect(w->mapTo(page, QPoint(0, 0)), w->size()); };
    const QRect area = page->rect();
    QList<QWidget*> others;
    for (QWidget* w : page->findChildren<QWidget*>()) {
        if (w->isVisible() && w != check && w != languages && !check->isAncestorOf(w) &&
            !languages->isAncestorOf(w) && !w->isAncestorOf(check) &&
            w->findChildren<QWidget*>().isEmpty()) {
            others << w;
        }
    }
    for (QWidget* mine : {static_cast<QWidget*>(check), static_cast<QWidget*>(languages)}) {
        ASSERT_TRUE(mine->isVisible());
        EXPECT_TRUE(area.contains(rectOf(mine))) << mine->objectName().toStdString();
        // The text of the check box is not cut off.
        EXPECT_GE(mine->width(), mine->sizeHint().width()) << mine->objectName().toStdString();
        for (QWidget* other : others) {
            EXPECT_FALSE(rectOf(mine).intersects(rectOf(other)))
                << mine->objectName().toStdString() << " overlaps "
                << other->objectName().toStdString() << " " << other->metaObject()->className();
        }
    }
}

TEST_F(MainForm, TextRecognitionAndItsLanguagesAreKept) {
    form->OcrCheck->setChecked(true);
    form->OcrLangEd->setCurrentText("deu+fra");
    dialogs.answers = {DialogAnswer::Ok};
    EXPECT_TRUE(form->close());
    const std::string ini = pdftest::readFile(settingsFile());
    EXPECT_NE(ini.find("OcrCheck_Checked=True"), std::string::npos) << ini;
    EXPECT_NE(ini.find("OcrLangEd_Text=deu+fra"), std::string::npos) << ini;
    open();
    EXPECT_TRUE(form->OcrCheck->isChecked());
    EXPECT_EQ(form->OcrLangEd->currentText(), u("deu+fra"));
}

TEST_F(MainForm, AnExportWithTextRecognitionIsSearchable) {
    const qlytest::RenderedText text =
        qlytest::renderText({"Größere Änderungen über Öffnungszeiten gelten ab März."}, 2100, 500);
    const std::string png = dir.file("text.png");
    ASSERT_TRUE(text.image.save(QString::fromStdString(png)));
    dialogs.chooseFiles({png});
    click("OpenPicsBtn");
    form->ShowPDFCheck->setChecked(false);
    form->OcrCheck->setChecked(true);
    const std::string pdf = dir.file("out.pdf");
    dialogs.chooseFiles({pdf});
    click("SavePDFBtn");
    pdftest::expectQpdfClean(pdf);
    const auto r = pdftest::run("pdftotext " + pdftest::quote(pdf) + " -");
    EXPECT_NE(r.output.find("Änderungen über Öffnungszeiten"), std::string::npos) << r.output;
    EXPECT_EQ(form->ProgressBar1->value(), 0);
    EXPECT_TRUE(dialogs.boxes.empty());
}

} // namespace
