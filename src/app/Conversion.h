#pragma once
// The command-line conversion: `quillory a.png b.jpg out.pdf` adds every argument but the last as
// a page and writes all pages into the PDF file named by the last argument, with the kept
// settings. Documents (.qly) among the inputs add their pages in place, and an output ending in
// ".qly" is written as a document instead of a PDF. Shared by the window (started from its show
// handler) and the run without a display.

#include "app/KeptSettings.h"
#include "document/DocumentFile.h"
#include "export/CreateThePDF.h"

#include <functional>
#include <string>
#include <vector>

struct ConversionResult {
    int picturesAdded = 0;
    int picturesFailed = 0;
    bool pdfWritten = false; // the output (a PDF or a document) was written
    // Set when the PDF writer raised a write error (a full disk, say): its description.
    std::string writeError;
    // 0 when every picture was added and the output written, 1 otherwise.
    int exitStatus() const { return picturesFailed == 0 && pdfWritten ? 0 : 1; }
};

// The layout values a document keeps, from the export settings, and back.
DocumentLayout documentLayout(const ExportSettings& s, bool showPdf);
void applyDocumentLayout(ExportSettings& s, const DocumentLayout& layout);

// True when `name` ends in ".qly" (any case): the conversion then writes a document.
bool isDocumentName(const std::string& name);

// What the user reads when a document could not be read (`reading`) or written, in the user's
// language.
std::string documentFailureText(DocumentStatus status, bool reading);

// Why the output (the last argument) must not be written; an empty message when it may.
struct OutputRefusal {
    std::string message; // names the file
    int exitStatus = 0;  // 2 for a call without input, as for a wrong command line; else 1
    explicit operator bool() const { return !message.empty(); }
};

// The output is refused when it names one of the input files, or an existing file that is not a
// PDF (for a document output: not a document), judged by its content; an empty file is no one's
// content and may be replaced. With no input at all, an existing file that is not empty is
// refused whatever it holds: such a call would replace it with an empty page or an empty
// document. A new file, or one that is no regular file (/dev/stdout, a pipe), is never refused.
OutputRefusal outputRefusal(const std::vector<std::string>& args);

// True when every argument names an existing picture or document (judged by their bytes), so that
// none is meant as an output: a file manager's "open with" passes such a list. The window then
// adds them all as pages and writes nothing. False for no arguments. Cheap when the last argument
// does not exist or is a PDF; otherwise every picture is read once to recognise it.
bool allArgumentsAreInputs(const std::vector<std::string>& args);

class TDynaArray;
class PageDocument;

// Appends the pictures and the pages of the documents named by `files`, in order, to `bilder`
// (records of type dib); `settings` takes the layout of each document read, so it ends with the
// layout of the last one. Reported and counted as in runConversion; pdfWritten stays false. With
// a pipeline, each page starts coding as soon as it is added, while the next inputs are read.
// With a page model (over `bilder`), each input's pages are handed to it as soon as they are
// added (into its page store, and told to its observers). With `showsNoPage` (and a pipeline),
// for a run that shows no page: a JPEG file that goes into the PDF as it is (see
// jpegPassesAsItIs) is only checked, not decoded, and its page gets its pixels from the kept file
// when something needs them (ensurePagePixels); every other picture goes to the pipeline's pool
// as soon as it is added and is released once coded, the page keeping only its header
// (ExportPipeline::precodeAndRelease).
ConversionResult addInputs(TDynaArray& bilder, const std::vector<std::string>& files,
                           ExportSettings& settings, const ExportCallbacks& callbacks = {},
                           ExportPipeline* pipeline = nullptr, PageDocument* model = nullptr,
                           bool showsNoPage = false);

// Runs the conversion for `args` (at least one: the last is the output): the pictures and the
// pages of documents are appended to `bilder` (records of type dib), then every page of `bilder`
// is written, laid out by `settings` with the layout of the last document read. A document that
// cannot be read is reported like an unreadable picture and counts as one. Messages go through
// the message sink; a write error of the PDF writer is caught and returned in writeError (the
// writer has removed the incomplete file). The pages stay in `bilder`. The pictures are coded
// for the PDF while the later inputs are still being read. `callbacks` are the
// export's; processEvents is also called after each input is added. `model` and `showsNoPage` as
// for addInputs (`showsNoPage` for a PDF output only). The caller checks outputRefusal first.
ConversionResult runConversion(TDynaArray& bilder, const std::vector<std::string>& args,
                               const ExportSettings& settings,
                               const ExportCallbacks& callbacks = {}, PageDocument* model = nullptr,
                               bool showsNoPage = false);
