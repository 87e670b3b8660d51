#pragma once
// The main window: the page array, every command of the four tabs, the kept settings, the
// progress panel and the command-line conversion started when the window is first shown.
//
// The handlers keep the names the rest of the program knows them by; each reads its controls and
// calls the engine (document/, imaging/, acquire/, export/). Every message box and file dialog
// goes through dialogs() (app/Dialogs.h).

#include "app/CommandLine.h"
#include "app/Dialogs.h"
#include "app/KeptSettings.h"
#include "document/DocumentFile.h"
#include "document/DynaArray.h"
#include "document/PageDocument.h"
#include "platform/DibRecord.h"
#include "view/ViewGeometry.h"

#include <QMainWindow>

#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPainter;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QSpinBox;
class QStatusBar;
class QTabWidget;
class QToolButton;
class QWidget;
class ProgressPanel;
namespace qly {
class PageStore;
}
class TCommonDialogWIA;
class TPageView;
class TSortView;
class TVerschrankForm;
class TViewPicForm;

// A rectangle as the progress panel records it: right and bottom are exclusive.
struct TRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

class TMainForm : public QMainWindow, public PageObserver {
    Q_OBJECT
  public:
    // `args`: the command-line arguments after the program name (empty: no conversion);
    // `settingsFile`: the per-user settings file.
    TMainForm(std::vector<std::string> args, std::string settingsFile);
    ~TMainForm() override;

    // Commands of the window.
    void NewBtnClick();
    void OpenBtnClick();
    void SaveAsBtnClick();
    void SourceBtnClick();
    void ScanBtnClick();
    // WM_USER + 1: the scanned image `p` is ready to be fetched (acquire/TwainIO2.h). While an
    // export runs it waits, so the pages do not change under the export.
    void WMUser2(uintptr_t p);
    void OpenPicsBtnClick();
    void DelBtnClick();
    void SavePicBtnClick();
    void SavePDFBtnClick();
    void BatchBtnClick();
    void RotLeftBtnClick();
    void RorRightBtnClick();
    void NachVornBtnClick();
    void NachHintenBtnClick();
    void DelFotoBtnClick();
    void VerschrankBtnClick();
    void wwwBtnClick();
    void ueberbtnClick();
    void EndeBtnClick();

    // Undo and redo of every change of the pages ("Rückgängig", "Wiederholen", Ctrl+Z,
    // Ctrl+Shift+Z and Ctrl+Y).
    void UndoBtnClick();
    void RedoBtnClick();
    // The sorting view's commands on the selection.
    void deleteSelection();
    void moveSelectionTo(uint32_t before);
    void moveSelectionOnePlace(bool towardStart);
    void turnSelection(bool left);
    // Files dropped onto the window: their pages go before page `before` (0-based), or at the
    // end with `before` past the last page.
    void dropFiles(const std::vector<std::string>& files, uint32_t before);
    // Marks the pages that look blank (a dialog asks for the threshold) and deletes the marked.
    void MarkBlankBtnClick();
    void DelMarkedBtnClick();
    // A white page of the paper size at the scan resolution, before the current page.
    void InsertBlankBtnClick();
    // The page model tells the window of every change.
    void pagesChanged(const PageChange& change) override;

    // Reads a document file; only a complete, valid document replaces the pages and sets the
    // layout controls it keeps. Anything else is reported and changes nothing. True when read.
    bool OpenFileNow(const std::string& fileName);

    // Adds a picture file as the last page and makes it the page shown; a file that cannot be
    // read is reported and nothing is added.
    void AddPicture_(const std::string& fileName);
    // Writes all pages into `fname` (one file per page while batchmode is true). True when every
    // file was written. A write error of the PDF writer propagates (qly::IoError).
    bool CreateThePDF(const std::string& fname);
    // Asks the desktop to open the file in the application associated with PDF files.
    void OpenPDFFileInDefaultApplication(const std::string& fname);

    // Label2, PageEd's upper bound and value follow the page count.
    void RefreshPageCounter();
    // The page view and the sorting view are repainted from the pages.
    void PaintBox1Paint();
    void PaintBox2Paint();

    // The sorting view: selection by mouse and arrow keys, the selected cell kept in sight, the
    // viewer on a double click.
    void PaintBox2MouseDown(int32_t x, int32_t y);
    void PaintBox2DblClick();
    void KeyEditKeyDown(int key);
    void ScrollImageInView();
    // Called after a click or an arrow key changed adib.
    void adibchanged();
    // Wheel notches scroll the view of the tab shown by 20 pixels each (positive: down).
    void FormMouseWheel(int notches);

    // Progress 0..100 in the status bar's progress panel, shown at once.
    void SetProStatus(int percent);
    // Paints the filled part of the progress panel at once, nothing else.
    void SBarPaintMore();
    // Draws the whole progress panel into `rect` and records it in sbrect.
    void StatusBar1DrawPanel(QPainter& painter, const TRect& rect);

    // The command line's options for the conversion started when the window shows (--ocr,
    // --ocr-lang); they do not change the controls or the kept settings.
    void setCommandLineOptions(const CommandLine& cl) { options_ = cl; }

    // Exit status of the command-line conversion (0: every picture added and the PDF written).
    int conversionStatus() const { return conversionStatus_; }
    // Every change of the pages goes through the page model.
    PageDocument& pages() { return *pages_; }
    // True while an export or the command-line conversion runs; the commands that change the
    // pages or start an export are disabled meanwhile.
    bool busy() const { return busy_; }

    // Public fields, as the commands use them.
    TRect sbrect;
    int32_t adib = 1;
    int32_t StatusPosition = 0;
    std::string progpath;
    void* abild = nullptr;
    TDynaArray bilder{sizeof(dib), &abild};
    bool batchmode = false;

    // The controls, named as their objectName says.
    QToolButton* NewBtn = nullptr;
    QToolButton* OpenBtn = nullptr;
    QToolButton* SaveAsBtn = nullptr;
    QToolButton* UndoBtn = nullptr;
    QToolButton* RedoBtn = nullptr;
    QPushButton* MarkBlankBtn = nullptr;
    QPushButton* DelMarkedBtn = nullptr;
    QPushButton* InsertBlankBtn = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QPushButton* SourceBtn = nullptr;
    QPushButton* ScanBtn = nullptr;
    QPushButton* OpenPicsBtn = nullptr;
    QPushButton* DelBtn = nullptr;
    QPushButton* SavePicBtn = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QToolButton* RotLeftBtn = nullptr;
    QToolButton* RorRightBtn = nullptr;
    QSpinBox* PageEd = nullptr;
    QLabel* Label2 = nullptr;
    QSpinBox* ZoomEd = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    TPageView* PaintBox1 = nullptr;
    QPushButton* NachVornBtn = nullptr;
    QPushButton* NachHintenBtn = nullptr;
    QPushButton* DelFotoBtn = nullptr;
    QPushButton* VerschrankBtn = nullptr;
    QScrollArea* ScrollBox2 = nullptr;
    TSortView* PaintBox2 = nullptr;
    QLineEdit* KeyEdit = nullptr;
    QDoubleSpinBox* BreitEd = nullptr;
    QDoubleSpinBox* HochEd = nullptr;
    QCheckBox* BorderCheck = nullptr;
    QDoubleSpinBox* RandHEd = nullptr;
    QDoubleSpinBox* RandVEd = nullptr;
    QCheckBox* ZentCheck = nullptr;
    QRadioButton* MaxSizeCheck = nullptr;
    QRadioButton* RelSizeCheck = nullptr;
    QCheckBox* SingleImageCheck = nullptr;
    QCheckBox* setpaperheichec = nullptr;
    QCheckBox* UsePageSizeFromPicChecked = nullptr;
    QSpinBox* ScanResEd = nullptr;
    QCheckBox* ScanUsingWIAChecked = nullptr;
    QPushButton* SavePDFBtn = nullptr;
    QPushButton* BatchBtn = nullptr;
    QCheckBox* ShowPDFCheck = nullptr;
    QSpinBox* JpegEd = nullptr;
    QDoubleSpinBox* Jpeg2000ED = nullptr;
    QCheckBox* JPEG2000 = nullptr;
    QCheckBox* OcrCheck = nullptr;
    QComboBox* OcrLangEd = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* wwwBtn = nullptr;
    QPushButton* UeberBtn = nullptr;
    QPushButton* EndeBtn = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* StatusPanel0 = nullptr;
    ProgressPanel* StatusPanel1 = nullptr;

    // The interleave dialog and the picture viewer, created with the window and reused.
    TVerschrankForm* VerschrankForm = nullptr;
    TViewPicForm* ViewPicForm = nullptr;

    // The per-user settings file; the print window keeps its values there too.
    const std::string& settingsFile() const { return settingsFile_; }
    // The WIA common dialog; it connects on its first use.
    std::unique_ptr<TCommonDialogWIA> CommonDialogWIA1;

    // The kept settings as the controls hold them, and back.
    MainFormSettings readControls() const;
    void applyToControls(const MainFormSettings& s);

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void customEvent(QEvent* event) override;
    // Pictures and documents dropped anywhere but on the sorting view go in after the last page.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void buildWindow();
    QWidget* buildScanTab();
    QWidget* buildSortTab();
    QWidget* buildSettingsTab();
    QWidget* buildPdfTab();
    void connectCommands();

    void FormShow();
    bool FormCloseQuery();
    void restoreSettings();
    void saveSettings();
    // Shows an error that ended a command, as the application shows any unhandled error.
    void showError(const std::string& text);
    // Runs an export with the page commands locked and the progress bar driven.
    bool runExport(const std::string& fname);
    void setBusy(bool on);
    void rotate(bool left);
    // After an add: the new last page becomes the page shown.
    void showLastPage();
    // A start with pictures and documents only: all of them become pages, nothing is written.
    void addArgumentsAsPages();
    // At a start without files: the pages of sessions that ended without closing the window are
    // offered back, one session at a time.
    void offerRecovery();
    // The layout controls take a document's layout.
    void applyLayout(const DocumentLayout& layout);
    // After undo, redo or a change of several pages: the current page, the counter and the
    // views follow the page model.
    void followModel();
    // The sorting view's keys beyond the arrows; true when the key was one of them.
    bool sortViewKey(int key, Qt::KeyboardModifiers modifiers);
    void sortViewMenu(QPoint at);
    // The sorting view's cells at the thumbnail size chosen.
    GridCell sortCell() const;

    std::vector<std::string> args_;
    CommandLine options_;
    std::string settingsFile_;
    DialogsMessageSink sink_;
    qly::MessageSink* previousSink_ = nullptr;
    bool shown_ = false;
    bool saved_ = false;
    bool busy_ = false;
    bool closeGranted_ = false;
    bool closePending_ = false;
    int conversionStatus_ = 0;
    int wheelRemainder_ = 0;
    int32_t thumbSize_ = 80; // the sorting view's thumbnail box; Ctrl+wheel changes it   // where
                             // Shift+arrows have taken the selection; 0: at the current page
    // The pages' pixels live in files of the session folder, with a journal of their order;
    // without a store (its folder cannot be made) they stay in memory.
    std::unique_ptr<qly::PageStore> store_;
    std::string storeError_;
    std::unique_ptr<PageDocument> pages_;
    std::unique_ptr<PageJournalWriter> journal_;
};
