#pragma once
// The command-line conversion: `quillory a.png b.jpg out.pdf` adds every argument but the last as
// a page and writes all pages into the PDF file named by the last argument, with the kept
// settings. Shared by the window (started from its show handler) and the run without a display.

#include "app/KeptSettings.h"
#include "export/CreateThePDF.h"

#include <functional>
#include <string>
#include <vector>

struct ConversionResult {
    int picturesAdded = 0;
    int picturesFailed = 0;
    bool pdfWritten = false;
    // Set when the PDF writer raised a write error (a full disk, say): its description.
    std::string writeError;
    // 0 when every picture was added and the PDF written, 1 otherwise.
    int exitStatus() const { return picturesFailed == 0 && pdfWritten ? 0 : 1; }
};

class TDynaArray;

// Runs the conversion for `args` (at least one: the last is the PDF file): the pictures are
// appended to `bilder` (records of type dib), then every page of `bilder` is written. Messages go
// through the message sink; a write error of the PDF writer is caught and returned in writeError
// (the writer has removed the incomplete file). The pages stay in `bilder`. `callbacks` are
// the export's; processEvents is also called after each picture is added.
ConversionResult runConversion(TDynaArray& bilder, const std::vector<std::string>& args,
                               const ExportSettings& settings,
                               const ExportCallbacks& callbacks = {});
