#pragma once
// The print window: how large and where the viewed picture goes on the printer page, with a
// preview of the sheet; and printing the picture as one page.

#include "platform/DibRecord.h"
#include "view/PrintGeometry.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <string>

class QCheckBox;
class QLabel;
class QPainter;
class QPrinter;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QWidget;

// How the viewer and the print window show their modal dialogs. A member left empty runs the
// dialog itself; the program routes both through its own dialogs, so tests can answer them.
struct ModalDialogs {
    // Shows one of the viewer's windows modally; true when it was confirmed.
    std::function<bool(QDialog&)> execDialog;
    // The printer setup dialog for `printer`, modal to `parent` (see runPrinterSetup); true when
    // confirmed, and then the printer holds the choices (a cancelled dialog leaves it as it was).
    std::function<bool(QPrinter&, QWidget*)> printerSetup;

    bool exec(QDialog& dialog) const;
    bool setupPrinter(QPrinter& printer, QWidget* parent) const;
};

// The printer setup: Qt's print dialog for `printer`, modal to `parent`, where the user picks the
// printer (every printer the system has) or printing into a PDF file, and through the printer's
// properties its paper, orientation and margins. It only sets up; the job starts with OK in the
// print window. True when confirmed, and then the printer holds the choices; a cancelled dialog
// leaves the printer as it was.
bool runPrinterSetup(QPrinter& printer, QWidget* parent);

// Where a job on `printer` goes, as the print window says it: "Drucker: NAME" for a printer of
// the system, "Ausgabe in Datei: FILE" for printing into a PDF file, and a hint to set up a
// printer when neither is chosen (no printer on the system and no file yet).
QString printerDescription(const QPrinter& printer);

// The printable area of the printer's current page in device pixels (PW x PH), for the paper
// and orientation chosen.
struct PrintableArea {
    int32_t PW = 0;
    int32_t PH = 0;
};
PrintableArea printableArea(const QPrinter& printer);

// The title of every print job, in German; the job gets it in the user's language.
inline constexpr const char* kPrintJobTitle = QT_TRANSLATE_NOOP("TPrintForm", "Varnholme Bild");

// Prints the whole picture as one page into the box printBox gives for the printable area,
// without halftoning. False when the printer could not start the job; nothing is printed then.
bool printPicture(QPrinter& printer, const dib& d, const PrintSizing& sizing);

// Shows an error that ended a command of the viewer or the print window, captioned as the
// application's other error messages are.
void showViewerError(const std::string& text);

// What the user is told when the printer would not start a job, in German (see printerNotStarted).
inline constexpr const char* kPrinterNotStarted =
    QT_TRANSLATE_NOOP("TPrintForm", "Der Drucker konnte den Druckauftrag nicht beginnen.");
// The same in the user's language.
std::string printerNotStarted();

class TPrintForm : public QDialog {
    Q_OBJECT
  public:
    // `printer`: where the job goes and whose page the preview shows (not owned; it must outlive
    // the window). `settingsFile`: the per-user settings file whose section [TPrintForm] keeps
    // the percentages and the window's state.
    TPrintForm(QWidget* owner, QPrinter& printer, std::string settingsFile, ModalDialogs modal);
    ~TPrintForm() override;

    // Copy of the viewed page's record: the same picture memory, never released here.
    dib di{};
    // Set while one percentage is being derived from the other.
    bool inedit = false;

    QWidget* PrintPaintBox = nullptr;
    QRadioButton* UseFullCheck = nullptr;
    QRadioButton* UserdefCheck = nullptr;
    QSpinBox* BreitEdit = nullptr;
    QSpinBox* HochEdit = nullptr;
    QCheckBox* SverhCheck = nullptr;
    QCheckBox* ZentrCheck = nullptr;
    QPushButton* OkBitBtn1 = nullptr;
    QPushButton* PrintSetupBtn = nullptr;
    QPushButton* CancelBitBtn2 = nullptr;
    // Where the job goes (printerDescription), on a line of its own above the buttons; a text
    // too long for the line is shortened in the middle and shown whole as its tool tip.
    QLabel* PrinterLabel = nullptr;

    // Runs BreitEditChange once the kept settings are restored.
    void FormShow();
    // Repaints the preview and keeps the height in step with the width.
    void PrintPaintBoxPaint();
    // With the aspect kept, the other percentage follows the one edited; the preview repaints.
    void BreitEditChange();
    void HochEditChange();
    void UserdefCheckClick();
    // The printer setup dialog (runPrinterSetup); the preview and the printer line repaint
    // whatever its answer.
    void PrintSetupBtnClick();

    // The choices as the controls hold them.
    PrintSizing sizing() const;
    // Draws the preview onto `painter` (the preview widget's size).
    void paintPreview(QPainter& painter);

    // Closing, with OK or Cancel or the close box, saves the kept settings.
    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void restoreSettings();
    void saveSettings();
    PrintableArea area() const;
    void showPrinter();

    QPrinter& printer_;
    std::string settingsFile_;
    ModalDialogs modal_;
    bool shown_ = false;
    bool saved_ = false;
};
