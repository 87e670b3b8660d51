#pragma once
// Reading pages from an open SANE device and turning SANE's frames into page records.
//
// readPages blocks until its pages are read and is meant to run on a worker thread: it reports
// through callbacks called on that same thread and watches a cancel flag that any thread may set.

#include "platform/DibRecord.h"
#include "platform/scan/Sane.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

namespace qly::sane {

// Collects the bytes of one page (one frame, or the three frames of a three-pass scan) and makes
// the page record:
// - grey of 1 bit (SANE's 1 is black) becomes a 1-bit picture with the table 0 black, 1 white;
// - grey of 8 or 16 bits becomes 8-bit grey (16-bit samples keep their high byte);
// - colour (one RGB frame or separate red, green and blue frames) of 1, 8 or 16 bits per sample
//   becomes 24-bit.
// A page of unknown height (hand scanners report -1 lines) takes the rows that arrived.
class PageAssembler {
  public:
    // Starts a frame; raises Error (SANE_STATUS_INVAL) for a layout it cannot take, such as a depth
    // SANE does not define or rows shorter than their pixels need, or more than 65535 pixels a
    // side.
    void beginFrame(const SANE_Parameters& p);
    // Bytes of the current frame, in SANE's order. Bytes beyond the announced size are dropped.
    void add(const SANE_Byte* data, size_t length);
    // True when the frame begun last was the page's last one.
    bool lastFrame() const { return last_; }
    // The current frame's announced size in bytes (0 when its height is unknown) and the bytes so
    // far.
    int64_t expectedBytes() const;
    int64_t receivedBytes() const;
    // Makes the page with `dpi` (dots per inch; 0: unknown) in its header. On failure (nothing
    // received, a colour frame missing, no memory) `out.poi` is null and the record holds the
    // reason. Either way the collected bytes are released.
    void finish(dib& out, double dpi);

  private:
    struct Frame {
        SANE_Parameters p{};
        std::vector<uint8_t> bytes;
    };
    Frame* current();
    std::vector<Frame> frames_;
    bool last_ = false;
};

enum class ReadEnd {
    Done,        // every page asked for was read
    FeederEmpty, // the feeder ran out after at least one page
    Cancelled,   // the cancel flag was set (or the device cancelled)
    Failed,      // the device reported an error (status says which)
};

struct ReadResult {
    ReadEnd end = ReadEnd::Done;
    int pages = 0; // pages delivered, all complete
    SANE_Status status = SANE_STATUS_GOOD;
};

struct ReadCallbacks {
    // Progress of the page being read: `page` counts from 1, `percent` 0..100 (stays 0 while the
    // page's size is unknown).
    std::function<void(int page, int percent)> progress;
    // A complete page; the callee takes the record and releases its bitmap (deldib or freedib).
    std::function<void(dib& page)> pageDone;
    // Before each page is started: lets the caller change options between the pages of a batch.
    std::function<void(Device& device, int page)> beforePage;
};

// Reads pages until `maxPages` are read (0: until the feeder reports that it is empty), the cancel
// flag is set or the device fails. A page interrupted by a cancel or an error is dropped; the pages
// before it were delivered. An empty feeder before the first page is a failure
// (SANE_STATUS_NO_DOCS). The scan resolution read back from the device goes into each page's
// header. The device is left idle (sane_cancel) at the end.
ReadResult readPages(Device& device, int maxPages, const std::atomic<bool>& cancel,
                     const ReadCallbacks& callbacks);

} // namespace qly::sane
