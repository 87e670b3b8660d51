// The scan commands of the window: choosing the scanner, scanning through the WIA layer with the
// TWAIN layer as its fallback, and the arrival of each TWAIN image.
#include "acquire/AddPicture.h"
#include "acquire/TwainIO2.h"
#include "acquire/WIA_TLB.h"
#include "app/MainUnit.h"
#include "document/DynaArray.h"
#include "document/PageDocument.h"
#include "platform/GrafikRW3.h"

#include <QCheckBox>
#include <QEvent>
#include <QTimer>

#include <exception>
#include <filesystem>
#include <system_error>

namespace {

// Removes the file when the scope ends; a failure to remove it is ignored.
class RemoveOnExit {
  public:
    explicit RemoveOnExit(std::string name) : name_(std::move(name)) {}
    ~RemoveOnExit() {
        std::error_code ec;
        std::filesystem::remove(name_, ec);
    }
    RemoveOnExit(const RemoveOnExit&) = delete;
    RemoveOnExit& operator=(const RemoveOnExit&) = delete;

  private:
    std::string name_;
};

} // namespace

void TMainForm::SourceBtnClick() {
    if (ScanUsingWIAChecked->isChecked()) {
        try {
            // The layer remembers the device; the window keeps nothing of it.
            CommonDialogWIA1->ShowSelectDevice(UnspecifiedDeviceType, true, false);
            return;
        } catch (const std::exception&) {
            // WIA cannot be used: TWAIN's selection instead, without a message.
        }
    }
    TWAIN_SelectScanner(this);
}

void TMainForm::ScanBtnClick() {
    if (ScanUsingWIAChecked->isChecked()) {
        try {
            std::unique_ptr<WiaImageFile> image = CommonDialogWIA1->ShowAcquireImage(
                UnspecifiedDeviceType, ImageTypeUnspecified, MaximizeQuality, wiaFormatBMP, false,
                false, false);
            if (!image) {
                return; // cancelled: not an error, and no TWAIN either
            }
            WiaImageProcess process;
            process.AddFilter("Convert");
            process.SetConvertFormat(1, wiaFormatPNG);
            image = process.Apply(*image);
            const std::string name = GetUniqueTempFileName("wiaimage", ".png");
            image->SaveFile(name);
            const RemoveOnExit removal(name);
            dib record{};
            OpenDib(record, name, DIB_AUTO, nullptr);
            if (record.poi == nullptr) {
                // The caption and the text are as the program always had them (the text English
                // in German too); in English the caption says what failed.
                dialogs().messageBox(
                    tr("dd", "caption of the message when a scanned image cannot be loaded")
                        .toStdString(),
                    tr("Could not load image: %1").arg(QString::fromStdString(name)).toStdString(),
                    qly::MessageIcon::None, DialogButtons::Ok);
            } else if (AppendPage(bilder, record)) {
                showLastPage();
                PaintBox1Paint();
                PaintBox2Paint();
            }
            return;
        } catch (const std::exception&) {
            // Any failure of the WIA part, even after the image was acquired: TWAIN scans
            // instead, without a message.
        }
    }
    // The mode is read right before each scan.
    if (SingleImageCheck->isChecked()) {
        TWAIN_SetSingleImageMode();
    } else {
        TWAIN_SetMultipleImagesMode();
    }
    TWAIN_ScanImage(this);
}

void TMainForm::WMUser2(uintptr_t p) {
    if (busy()) {
        // An export walks the pages and lets the window handle events between them: a page
        // added now would change the pages under it. The image waits until it has ended; images
        // deferred together keep their order.
        QTimer::singleShot(50, this, [this, p] { WMUser2(p); });
        return;
    }
    dib record{};
    GetScanedDib(record, p);
    if (record.poi == nullptr) {
        return;
    }
    const uint32_t before = bilder.count;
    if (AppendPage(bilder, record)) {
        pages_->appended(before);
        showLastPage();
        PaintBox1Paint();
        PaintBox2Paint();
    }
}

void TMainForm::customEvent(QEvent* event) {
    if (event->type() == TwainImageEvent::eventType()) {
        WMUser2(static_cast<TwainImageEvent*>(event)->param());
        return;
    }
    QMainWindow::customEvent(event);
}
