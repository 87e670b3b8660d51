#pragma once
// The PDF export: every page of the page array becomes one PDF page holding its picture, laid out
// by the export settings, written into one file or into one file per page.

#include "export/PageLayout.h"

#include <functional>
#include <string>
#include <vector>

class TDynaArray;

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
};

// Writes the pages of `bilder` (records of type dib, in order) to `fname`, or in batch mode to
// base0001.pdf, base0002.pdf, ... where base is `fname` without its extension. Sets the image
// library's JPEG and JPEG 2000 quality from the settings.
//
// A file that cannot be created is reported with infobox("Konnte PDF-Datei nicht erstellen!") and
// ends the export (files finished before it stay complete). Pages without room for their picture
// and pictures without pixels are reported once each through the message sink, and their pages
// are written empty. A write error of the PDF writer (qly::IoError) propagates to the caller; the
// writer has removed the incomplete file by then. The progress rises to 100 and is set back to 0
// at the normal end.
ExportOutcome CreateThePDF(TDynaArray& bilder, const ExportSettings& settings,
                           const std::string& fname, bool batchmode,
                           const ExportCallbacks& callbacks = {});
