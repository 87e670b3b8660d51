#include "acquire/WIA_TLB.h"

#include "acquire/ScanSupport.h"
#include "acquire/SelectScannerDialog.h"
#include "acquire/WiaAcquireDialog.h"
#include "platform/GrafikRW3.h"
#include "platform/scan/Sane.h"

#include <filesystem>
#include <system_error>

void WiaImageFile::SaveFile(const std::string& fileName) const {
    int32_t format = 0;
    if (formatId_ == wiaFormatBMP) {
        format = DIB_BMP;
    } else if (formatId_ == wiaFormatPNG) {
        format = DIB_PNG;
    } else {
        throw WiaError("SaveFile: format " + formatId_ + " cannot be written");
    }
    if (!image_ || image_->picture().poi == nullptr) {
        throw WiaError("SaveFile: no image");
    }
    std::error_code ec;
    if (std::filesystem::exists(fileName, ec) || ec) {
        throw WiaError("SaveFile: " + fileName + " exists");
    }
    if (SaveDib(image_->picture(), fileName, format) != 1) {
        throw WiaError("SaveFile: " + fileName + ": " + DibLastError());
    }
}

void WiaImageProcess::AddFilter(const std::string& filterName) {
    if (filterName != "Convert") {
        throw WiaError("FilterInfos: no filter " + filterName);
    }
    formats_.emplace_back();
}

void WiaImageProcess::SetConvertFormat(int index, const std::string& formatId) {
    // Filters are counted from 1.
    if (index < 1 || index > static_cast<int>(formats_.size())) {
        throw WiaError("Filters: no filter " + std::to_string(index));
    }
    if (formatId != wiaFormatBMP && formatId != wiaFormatPNG) {
        throw WiaError("FormatID: unsupported format " + formatId);
    }
    formats_[static_cast<size_t>(index) - 1] = formatId;
}

std::unique_ptr<WiaImageFile> WiaImageProcess::Apply(const WiaImageFile& image) const {
    std::string format = image.FormatID();
    for (const std::string& f : formats_) {
        if (f.empty()) {
            throw WiaError("Apply: a Convert filter has no FormatID");
        }
        format = f;
    }
    // The pixels stay as they are; the format decides how the file is written.
    return std::make_unique<WiaImageFile>(image.image(), format);
}

TCommonDialogWIA::TCommonDialogWIA(QWidget* owner) : owner_(owner) {}

TCommonDialogWIA::~TCommonDialogWIA() = default;

void TCommonDialogWIA::connect() {
    if (session_) {
        return;
    }
    try {
        session_ = std::make_unique<qly::sane::Session>();
    } catch (const qly::sane::Error& e) {
        throw WiaError(e.what());
    }
}

ScanDevice TCommonDialogWIA::ShowSelectDevice(int, bool, bool) {
    connect();
    TSelectScannerDialog dialog(owner_, makeScanBackend(), device_.name, true);
    const bool accepted = runScanDialog(dialog);
    if (dialog.failed()) {
        throw WiaError(dialog.error().empty() ? "ShowSelectDevice: no device" : dialog.error());
    }
    if (!accepted || dialog.chosen().name.empty()) {
        return {};
    }
    device_ = dialog.chosen();
    return device_;
}

std::unique_ptr<WiaImageFile>
TCommonDialogWIA::ShowAcquireImage(int, int, int, const std::string& FormatID, bool, bool, bool) {
    connect();
    TWiaAcquireDialog dialog(owner_, makeScanBackend(), device_);
    const bool accepted = runScanDialog(dialog);
    if (dialog.failed()) {
        throw WiaError("ShowAcquireImage: " + dialog.error());
    }
    if (!accepted || !dialog.image()) {
        return nullptr;
    }
    WiaImageFile acquired(dialog.image(), wiaFormatBMP);
    if (FormatID == wiaFormatBMP) {
        return std::make_unique<WiaImageFile>(acquired);
    }
    WiaImageProcess process;
    process.AddFilter("Convert");
    process.SetConvertFormat(1, FormatID);
    return process.Apply(acquired);
}
