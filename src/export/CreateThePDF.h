#pragma once
// The PDF export: every page of the page array becomes one PDF page holding its picture, laid out
// by the export settings, written into one file or into one file per page.

#include "export/PageLayout.h"
#include "export/PageRecognition.h"
#include "pdf/ImageCoding.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TDynaArray;

// How the export codes the pictures of the pages: the coding settings of the export settings.
qly::ImageCodingParams exportCodingParams(const ExportSettings& settings);

namespace qly {
struct JpegFacts;
}
// True when a page read from a JPEG file with these facts, unchanged since, goes into the PDF as
// that file instead of being coded again: JPEG 2000 is off, the file's quality is at or below the
// JPEG quality asked for (coding it again could only lose more), and DCTDecode shows its colours
// as they are read (jpegShowsAlikeInPdf).
bool jpegPassesAsItIs(const qly::JpegFacts& facts, const qly::ImageCodingParams& params);

// Coding that starts before the export: pages are handed to the pool as soon as they are in the
// page array (the command-line conversion codes the pictures read so far while it reads the
// next), and the export places what was coded instead of coding those pages again. The pages
// must stay unchanged in the page array until the export has ended or the pipeline is gone.
class ExportPipeline {
  public:
    // A pool of `workers` threads (one per core by default) whose finished results wait in memory
    // up to `memoryBound` bytes in all, and on disk beyond.
    static constexpr size_t kCodedInMemory = size_t{64} << 20;
    explicit ExportPipeline(const ExportSettings& settings,
                            unsigned workers = qly::ImageCodingPool::defaultWorkers(),
                            size_t memoryBound = kCodedInMemory);
    // Cancels the coding nobody used.
    ~ExportPipeline();
    ExportPipeline(const ExportPipeline&) = delete;
    ExportPipeline& operator=(const ExportPipeline&) = delete;

    // Starts coding page k of `bilder` unless it is coded already or cannot be (16-bit pictures
    // and pictures without pixels are left to the export), and recognising its text when the
    // settings ask for it. A page that keeps the JPEG file it was read from
    // (document/JpegOriginals.h) and passes as it is (jpegPassesAsItIs) is not coded: its job
    // hands over the file. A page whose pixels were left for later gets them first when it is
    // coded.
    void precode(TDynaArray& bilder, uint32_t k);
    // Starts coding page k like precode, but hands its picture over to the pool, which releases
    // it once it is coded: the record keeps a copy of the bitmap header and colour table (size,
    // depth, resolution, all the export lays a page out by) and no pixel rows, so a conversion
    // holds only the pictures being read and coded. Nothing may read the page's rows afterwards.
    // With text recognition the page is recognised from its pixels, which then stay (precode).
    void precodeAndRelease(TDynaArray& bilder, uint32_t k);
    // The job of page k, handed over (null when none was started).
    std::shared_ptr<qly::ImageCodingJob> takeJob(uint32_t k);
    // Cancels the jobs that were not handed over.
    void cancelAll() noexcept;

    const std::shared_ptr<qly::ImageCodingPool>& pool() const { return pool_; }
    const qly::ImageCodingParams& params() const { return params_; }
    // Whether the pipeline codes and recognises as `settings` ask.
    bool matches(const ExportSettings& settings) const;
    // The recognition of the pages' text; null when the settings do not ask for it.
    PageRecognition* recognition() const { return recognition_.get(); }

  private:
    qly::ImageCodingParams params_;
    std::shared_ptr<qly::ImageCodingPool> pool_;
    std::unique_ptr<PageRecognition> recognition_;
    std::vector<std::shared_ptr<qly::ImageCodingJob>> jobs_; // index: page
};

// What the export reports to the window while it runs.
struct ExportCallbacks {
    // Progress 0..100 (the progress bar of the PDF tab).
    std::function<void(int)> progress;
    // Called once per page after the progress is set, so the window can handle pending events.
    std::function<void()> processEvents;
};

struct ExportOutcome {
    // True when every file of the export was created and finished.
    bool written = false;
    // The files that were finished, in order.
    std::vector<std::string> files;
    // The file that could not be created (first file or a later file of a batch), or empty.
    std::string failedFile;
    // Pages written without their picture: no room inside the margins, or a picture without
    // pixels.
    int pagesWithoutRoom = 0;
    int emptyPictures = 0;
    // Pages whose text could not be recognised (they keep their picture and have no text).
    int pagesWithoutText = 0;
};

// Writes the pages of `bilder` (records of type dib, in order) to `fname`, or in batch mode to
// base0001.pdf, base0002.pdf, ... where base is `fname` without its extension, with the JPEG and
// JPEG 2000 quality of the settings. The pictures are coded on a pool of worker threads (the
// pipeline's, when one is given, or one of the export's own with a worker per core) a few pages
// ahead of the page being written; the pages must stay unchanged until the export returns. The
// file is the same whatever the number of workers.
//
// A file that cannot be created is reported with infobox("Konnte PDF-Datei nicht erstellen!") and
// ends the export (files finished before it stay complete). Pages without room for their picture
// and pictures without pixels are reported once each through the message sink, and their pages
// are written empty. With OcrCheck each page's text is recognised (export/PageRecognition.h)
// beside the coding and written invisibly over its picture; a page whose recognition fails keeps
// its picture without text, reported once. A write error of the PDF writer (qly::IoError)
// propagates to the caller; the writer has removed the incomplete file by then. The progress rises
// to 100 and is set back to 0 at the normal end.
ExportOutcome CreateThePDF(TDynaArray& bilder, const ExportSettings& settings,
                           const std::string& fname, bool batchmode,
                           const ExportCallbacks& callbacks = {},
                           ExportPipeline* pipeline = nullptr);
