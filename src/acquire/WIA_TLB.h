#pragma once
// The WIA automation objects the scan commands use, standing on SANE: the common dialog (device
// selection, acquiring one image with the device's own settings), the image process with its
// "Convert" filter, and the image file that is saved.
//
// Every failure raises WiaError, as a failing automation call does; a cancelled dialog is not a
// failure (CancelError false): it returns nothing. All of it runs on the UI thread; the scan
// itself runs on the backend's thread while the modal dialog shows its progress.

#include "acquire/ScanBackend.h"

#include <memory>
#include <stdexcept>
#include <string>

class QWidget;

namespace qly::sane {
class Session;
}

// Image format identifiers.
inline constexpr const char* wiaFormatBMP = "{B96B3CAB-0728-11D3-9D7B-0000F81EF32E}";
inline constexpr const char* wiaFormatPNG = "{B96B3CAF-0728-11D3-9D7B-0000F81EF32E}";
// Device types, intents and biases of ShowSelectDevice/ShowAcquireImage.
inline constexpr int UnspecifiedDeviceType = 0;
inline constexpr int ImageTypeUnspecified = 0;
inline constexpr int MaximizeQuality = 131072;

class WiaError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// An acquired image in a given format.
class WiaImageFile {
  public:
    WiaImageFile(ScannedPagePtr image, std::string formatId)
        : image_(std::move(image)), formatId_(std::move(formatId)) {}
    const std::string& FormatID() const { return formatId_; }
    const ScannedPagePtr& image() const { return image_; }
    // Writes the image in its format (BMP or PNG) to `fileName`. Raises WiaError when the format
    // is another one, the file exists already (it is never overwritten) or cannot be written.
    void SaveFile(const std::string& fileName) const;

  private:
    ScannedPagePtr image_;
    std::string formatId_;
};

// The image process with its filter chain; only the "Convert" filter exists here.
class WiaImageProcess {
  public:
    // FilterInfos("Convert").FilterID, then Filters.Add(id, 0). Raises WiaError for other filters.
    void AddFilter(const std::string& filterName);
    // Filters(index).Properties("FormatID").Value := formatId. Raises WiaError without such a
    // filter or for a format the file cannot be saved in.
    void SetConvertFormat(int index, const std::string& formatId);
    // The image converted by the filter chain.
    std::unique_ptr<WiaImageFile> Apply(const WiaImageFile& image) const;

  private:
    std::vector<std::string> formats_; // one per Convert filter; empty until set
};

// The common dialog. It connects (starts SANE) on its first use and stays connected until it is
// destroyed. The device chosen with ShowSelectDevice is remembered and acquired from later; until
// then the first device found is used.
class TCommonDialogWIA {
  public:
    explicit TCommonDialogWIA(QWidget* owner);
    ~TCommonDialogWIA();
    TCommonDialogWIA(const TCommonDialogWIA&) = delete;
    TCommonDialogWIA& operator=(const TCommonDialogWIA&) = delete;

    // Lets the user choose a device; returns it (empty name when the user cancelled). Raises
    // WiaError when SANE cannot be used or finds no device.
    ScanDevice ShowSelectDevice(int DeviceType, bool AlwaysSelectDevice, bool CancelError);
    // Acquires one image with the device's own settings in a modal dialog; returns it in the
    // format asked for (BMP), or null when the user cancelled. Raises WiaError when SANE cannot be
    // used, no device is found or the device reports an error.
    std::unique_ptr<WiaImageFile> ShowAcquireImage(int DeviceType, int Intent, int Bias,
                                                   const std::string& FormatID,
                                                   bool AlwaysSelectDevice, bool UseCommonUI,
                                                   bool CancelError);
    bool connected() const { return session_ != nullptr; }

  private:
    void connect();

    QWidget* owner_;
    std::unique_ptr<qly::sane::Session> session_;
    ScanDevice device_;
};
