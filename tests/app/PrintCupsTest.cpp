// Printing through a real CUPS queue. The tests run a print service of their own (its own folder,
// socket and configuration; the system's service and queues are never touched) with one PDF
// queue whose device is a file, so a job can be read back. Where CUPS is not installed (no cupsd,
// no lpadmin) they are skipped; a CUPS that is installed but will not start is a failure.
#include "app/MainFormFixture.h"
#include "common/Shell.h"
#include "common/TestDib.h"
#include "view/PrintFUnit.h"
#include "view/ViewPicFUnit.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr const char* kCupsd = "/usr/sbin/cupsd";
constexpr const char* kLpadmin = "/usr/sbin/lpadmin";
// The queue's driver: PDF in, PDF out (cups-filters' pdftopdf), which the device writes to a file.
constexpr const char* kPdfDriver = "/usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd";
constexpr const char* kQueue = "Quillory-Probe";

// The print service of the tests, started before the first test and stopped after the last.
class PrivateCups : public ::testing::Environment {
  public:
    bool present() const { return present_; }
    const std::string& error() const { return error_; }
    // Where the queue's device writes each job (the last one replaces the one before).
    std::string output() const { return dir_.file("out/job.pdf"); }

    // The jobs the queue has finished in this run.
    int finishedJobs() const {
        const qlytest::CommandResult r = cups("lpstat -W completed -o " + std::string(kQueue));
        return static_cast<int>(std::count(r.output.begin(), r.output.end(), '\n'));
    }

    // Waits until the queue holds no job and has finished `count` of them in this run, the last
    // one written to output(); false after a minute.
    bool waitForJobs(int count) const {
        for (int i = 0; i < 600; ++i) {
            const qlytest::CommandResult pending = cups("lpstat -o " + std::string(kQueue));
            if (pending.status == 0 && pending.output.empty() && finishedJobs() >= count &&
                std::filesystem::exists(output())) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }

    void SetUp() override {
        present_ = std::filesystem::exists(kCupsd) && std::filesystem::exists(kLpadmin);
        if (present_) {
            start();
        }
    }

    void TearDown() override {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }

  private:
    std::string socket() const { return dir_.file("cups.sock"); }

    qlytest::CommandResult cups(const std::string& command) const {
        return qlytest::run("CUPS_SERVER=" + qlytest::quoted(socket()) + " " + command);
    }

    void start() {
        namespace fs = std::filesystem;
        for (const char* sub : {"conf", "spool/tmp", "cache", "state", "log", "out"}) {
            fs::create_directories(dir_.path() / sub);
        }
        // Run as root, the service does its work as the user lp, which must reach the folder and
        // write the output.
        fs::permissions(dir_.path(), fs::perms::owner_all | fs::perms::group_read |
                                         fs::perms::group_exec | fs::perms::others_read |
                                         fs::perms::others_exec);
        fs::permissions(dir_.path() / "out", fs::perms::all | fs::perms::sticky_bit);
        std::ofstream(dir_.file("conf/cupsd.conf"))
            << "Listen " << socket() << "\n"
            << "LogLevel warn\nWebInterface No\nBrowsing Off\n"
               "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
               "<Location /admin>\n  Order allow,deny\n  Allow all\n</Location>\n"
               "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n";
        std::ofstream(dir_.file("conf/cups-files.conf"))
            << "ServerRoot " << dir_.file("conf") << "\n"
            << "RequestRoot " << dir_.file("spool") << "\n"
            << "TempDir " << dir_.file("spool/tmp") << "\n"
            << "CacheDir " << dir_.file("cache") << "\n"
            << "StateDir " << dir_.file("state") << "\n"
            << "AccessLog " << dir_.file("log/access_log") << "\n"
            << "ErrorLog " << dir_.file("log/error_log") << "\n"
            << "PageLog " << dir_.file("log/page_log") << "\n"
            << "ServerBin /usr/lib/cups\nDataDir /usr/share/cups\n"
            << "FileDevice Yes\nSandboxing Relaxed\n";

        const std::string log = dir_.file("log/cupsd.out");
        const std::string conf = dir_.file("conf/cupsd.conf");
        const std::string files = dir_.file("conf/cups-files.conf");
        pid_ = ::fork();
        if (pid_ == 0) {
            const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd >= 0) {
                ::dup2(fd, 1);
                ::dup2(fd, 2);
            }
            ::execl(kCupsd, "cupsd", "-f", "-c", conf.c_str(), "-s", files.c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        if (pid_ < 0) {
            error_ = "cupsd konnte nicht gestartet werden";
            return;
        }
        bool running = false;
        for (int i = 0; i < 150 && !running; ++i) {
            if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = -1;
                error_ = "cupsd hat sich beendet:\n" + qlytest::readFile(log) +
                         qlytest::readFile(dir_.file("log/error_log"));
                return;
            }
            running = cups("lpstat -r").output.find("scheduler is running") != std::string::npos;
            if (!running) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        }
        if (!running) {
            error_ = "cupsd antwortet nicht:\n" + qlytest::readFile(dir_.file("log/error_log"));
            return;
        }
        const qlytest::CommandResult added =
            cups(std::string(kLpadmin) + " -p " + kQueue + " -E -v " +
                 qlytest::quoted("file://" + output()) + " -P " + kPdfDriver);
        if (added.status != 0) {
            error_ = "lpadmin: " + added.output;
            return;
        }
        // Every CUPS call of this process (Qt's printers, the print dialog, the jobs) goes to
        // this service from now on.
        ::setenv("CUPS_SERVER", socket().c_str(), 1);
    }

    qlytest::TempDir dir_;
    bool present_ = false;
    std::string error_;
    pid_t pid_ = -1;
};

PrivateCups* service = nullptr;

#define REQUIRE_CUPS()                                                                             \
    do {                                                                                           \
        if (!service->present()) {                                                                 \
            GTEST_SKIP() << "CUPS ist hier nicht installiert (cupsd, lpadmin)";                    \
        }                                                                                          \
        ASSERT_EQ(service->error(), "");                                                           \
    } while (false)

// The pictures in a printed PDF file as pdfimages lists them: width and height of each.
std::vector<std::pair<int, int>> imagesIn(const std::string& pdf) {
    const qlytest::CommandResult r = qlytest::run("pdfimages -list " + qlytest::quoted(pdf));
    EXPECT_EQ(r.status, 0) << r.output;
    std::vector<std::pair<int, int>> out;
    const std::regex line(R"(^\s*\d+\s+\d+\s+\w+\s+(\d+)\s+(\d+))");
    std::istringstream in(r.output);
    for (std::string l; std::getline(in, l);) {
        std::smatch m;
        if (std::regex_search(l, m, line)) {
            out.emplace_back(std::stoi(m[1]), std::stoi(m[2]));
        }
    }
    return out;
}

int pagesIn(const std::string& pdf) {
    const qlytest::CommandResult r = qlytest::run("pdfinfo " + qlytest::quoted(pdf));
    std::smatch m;
    return std::regex_search(r.output, m, std::regex(R"(Pages:\s+(\d+))")) ? std::stoi(m[1]) : -1;
}

// Qt's print dialog, once it is open: chooses `entry` in its printer list and confirms. Records
// the entries offered. The dialog is closed whatever happens.
void chooseInPrintDialog(const QString& entry, QStringList& offered) {
    QTimer::singleShot(0, [entry, &offered] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* d = qobject_cast<QPrintDialog*>(modal)) {
            auto* printers = d->findChild<QComboBox*>("printers");
            auto* box = d->findChild<QDialogButtonBox*>(QString(), Qt::FindDirectChildrenOnly);
            if (printers != nullptr && box != nullptr) {
                for (int i = 0; i < printers->count(); ++i) {
                    offered << printers->itemText(i);
                }
                const int at = printers->findText(entry);
                if (at >= 0) {
                    printers->setCurrentIndex(at);
                    box->button(QDialogButtonBox::Ok)->click();
                }
            }
        }
        if (modal != nullptr && QApplication::activeModalWidget() == modal) {
            static_cast<QDialog*>(modal)->reject();
        }
    });
}

TEST(PrintingThroughCups, TheSetupDialogOffersTheQueueAndTheJobGoesThere) {
    REQUIRE_CUPS();
    EXPECT_TRUE(QPrinterInfo::availablePrinterNames().contains(QString::fromLatin1(kQueue)));
    qlytest::TempDir dir;
    qlytest::OwnedDib picture;
    qlytest::makePattern(picture, 300, 200, 24);
    TViewPicForm viewer(nullptr, dir.file("quillory.ini"));
    viewer.di = *picture;
    // Printing into a file before, so the queue has to be chosen for the job to reach it.
    const std::string file = dir.file("datei.pdf");
    viewer.printer().setOutputFormat(QPrinter::PdfFormat);
    viewer.printer().setOutputFileName(QString::fromStdString(file));

    QString atOpening;
    QString afterSetup;
    QStringList offered;
    viewer.modal.execDialog = [&](QDialog& d) {
        auto* form = qobject_cast<TPrintForm*>(&d);
        if (form == nullptr) {
            return false;
        }
        form->show();
        QApplication::processEvents();
        atOpening = form->PrinterLabel->toolTip();
        // No printer setup of the test's own: the window runs Qt's print dialog.
        chooseInPrintDialog(QString::fromLatin1(kQueue), offered);
        form->PrintSetupBtn->click();
        afterSetup = form->PrinterLabel->text();
        form->done(QDialog::Accepted);
        return true;
    };
    std::filesystem::remove(service->output());
    const int before = service->finishedJobs();
    viewer.PrintBrnClick();

    EXPECT_TRUE(offered.contains(QString::fromLatin1(kQueue))) << offered.join(", ").toStdString();
    EXPECT_EQ(atOpening.toStdString(), "Ausgabe in Datei: " + file);
    EXPECT_EQ(afterSetup.toStdString(), std::string("Drucker: ") + kQueue);
    ASSERT_TRUE(service->waitForJobs(before + 1));
    EXPECT_FALSE(std::filesystem::exists(file)) << "the job went to the queue, not the file";
    EXPECT_EQ(pagesIn(service->output()), 1);
    EXPECT_EQ(imagesIn(service->output()), (std::vector<std::pair<int, int>>{{300, 200}}));
}

// The main window with its scripted dialogs.
class PrintingThroughCupsFromTheWindow : public qlytest::MainForm {};

// The window's own route: the scripted dialogs choose the queue by name, the print window says
// so, and the job reaches it; the next print window still names it.
TEST_F(PrintingThroughCupsFromTheWindow, JobsGoToTheQueueTheScriptedSetupChose) {
    REQUIRE_CUPS();
    addPages({120});
    dialogs.choosePrinter(kQueue);
    std::vector<std::string> shown;
    dialogs.onDialog = [&](QDialog& d) {
        if (auto* viewer = qobject_cast<TViewPicForm*>(&d)) {
            viewer->PrintBrn->click();
            dialogs.onPrintSetup = nullptr; // the second print window opens without a setup
            viewer->PrintBrn->click();
            return false;
        }
        auto* print = qobject_cast<TPrintForm*>(&d);
        if (print == nullptr) {
            return false;
        }
        print->show();
        QApplication::processEvents();
        if (dialogs.onPrintSetup) {
            print->PrintSetupBtn->click();
        }
        shown.push_back(print->PrinterLabel->text().toStdString());
        print->accept();
        return true;
    };
    std::filesystem::remove(service->output());
    const int before = service->finishedJobs();
    form->PaintBox2DblClick();
    const std::string line = std::string("Drucker: ") + kQueue;
    EXPECT_EQ(shown, (std::vector<std::string>{line, line}));
    EXPECT_EQ(dialogs.printSetups, 1);
    ASSERT_TRUE(service->waitForJobs(before + 2)) << "both print windows printed";
    EXPECT_EQ(pagesIn(service->output()), 1);
    EXPECT_EQ(imagesIn(service->output()), (std::vector<std::pair<int, int>>{{120, 30}}));
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // The service starts before the first test asks Qt for a printer (CUPS reads its address
    // once per process); listing the tests starts nothing.
    service = new PrivateCups;
    ::testing::AddGlobalTestEnvironment(service);
    return RUN_ALL_TESTS();
}
