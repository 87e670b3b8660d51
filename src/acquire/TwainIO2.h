#pragma once
// The TWAIN library's functions, standing on SANE: source selection, the single- and
// multiple-image modes, and a scan with the scanner's dialog whose images are delivered one by
// one as posted events to the window that asked for them.
//
// For every image the window receives a TwainImageEvent (the stand-in for WM_USER + 1) carrying an
// id; GetScanedDib hands over the image for that id, once. TWAIN_ScanImage returns when the
// scanner dialog closes; its events may still be waiting in the window's queue then.
//
// All functions are called on the UI thread. Trouble with the scanner (none found, a paper jam, an
// open cover) is told to the user by the library itself, through the message sink.

#include "acquire/ScanBackend.h"
#include "platform/DibRecord.h"

#include <QEvent>

#include <cstdint>

class QObject;
class QWidget;

// WM_USER + 1: a scanned image is ready.
class TwainImageEvent : public QEvent {
  public:
    explicit TwainImageEvent(uintptr_t param) : QEvent(eventType()), param_(param) {}
    // The value to hand to GetScanedDib.
    uintptr_t param() const { return param_; }
    // The event type, registered with Qt once.
    static QEvent::Type eventType();

  private:
    uintptr_t param_;
};

// Lets the user choose the scanner from the devices SANE finds; the choice is kept for the rest of
// the run. `wnd` is the window the dialog belongs to.
void TWAIN_SelectScanner(QWidget* wnd);
// The next scan closes the scanner dialog after one image.
void TWAIN_SetSingleImageMode();
// The next scan keeps the scanner dialog open for further images (with a document feeder: the
// feeder is read until it is empty).
void TWAIN_SetMultipleImagesMode();
// Shows the scanner dialog for the chosen scanner (none chosen: the first one found) and scans;
// every image is posted to `wnd` as a TwainImageEvent.
void TWAIN_ScanImage(QWidget* wnd);
// Fills `out` with the image `param` announced; the caller owns its bitmap from then on. `out.poi`
// is null when there is no such image (unknown id, or fetched before).
void GetScanedDib(dib& out, uintptr_t param);

// The scanner chosen with TWAIN_SelectScanner (empty name: none yet), and setting it.
ScanDevice TWAIN_SelectedScanner();
void TWAIN_SetSelectedScanner(const ScanDevice& device);
// True while the next scan is in single-image mode.
bool TWAIN_SingleImageMode();
// Images scanned and not fetched yet.
size_t TWAIN_PendingImages();
