#include "app/Conversion.h"

#include "acquire/AddPicture.h"
#include "document/Dib.h"
#include "document/DynaArray.h"
#include "document/PageDocument.h"
#include "document/PageList.h"
#include "platform/GrafikRW3.h"
#include "platform/IoError.h"
#include "platform/Messages.h"
#include "platform/Texts.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <future>
#include <new>
#include <optional>
#include <thread>

namespace fs = std::filesystem;

DocumentLayout documentLayout(const ExportSettings& s, bool showPdf) {
    DocumentLayout d;
    d.BorderCheck = s.BorderCheck;
    d.ZentCheck = s.ZentCheck;
    d.MaxSizeCheck = !s.RelSizeCheck;
    d.RandHEd = s.RandHEd;
    d.RandVEd = s.RandVEd;
    d.BreitEd = s.BreitEd;
    d.HochEd = s.HochEd;
    d.ShowPDFCheck = showPdf;
    return d;
}

void applyDocumentLayout(ExportSettings& s, const DocumentLayout& d) {
    s.BorderCheck = d.BorderCheck;
    s.ZentCheck = d.ZentCheck;
    s.MaxSizeCheck = d.MaxSizeCheck;
    s.RelSizeCheck = !d.MaxSizeCheck;
    s.RandHEd = d.RandHEd;
    s.RandVEd = d.RandVEd;
    s.BreitEd = d.BreitEd;
    s.HochEd = d.HochEd;
}

bool isDocumentName(const std::string& name) {
    if (name.size() < 4) {
        return false;
    }
    std::string ext = name.substr(name.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".qly";
}

namespace {

// A PDF starts with "%PDF-" within its first kilobyte.
bool looksLikePdf(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    char head[1024] = {};
    in.read(head, sizeof head);
    const std::string text(head, static_cast<size_t>(in.gcount()));
    return text.find("%PDF-") != std::string::npos;
}

} // namespace

OutputRefusal outputRefusal(const std::vector<std::string>& args) {
    if (args.empty()) {
        return {};
    }
    const std::string& out = args.back();
    std::error_code ec;
    if (!fs::exists(out, ec)) {
        return {};
    }
    for (size_t i = 0; i + 1 < args.size(); ++i) {
        if (fs::equivalent(args[i], out, ec)) {
            return {qly::withArgs(qly::translate(
                                      "Conversion",
                                      "Die Ausgabedatei %1 ist zugleich eine Eingabedatei und wird "
                                      "nicht überschrieben."),
                                  {out}),
                    1};
        }
    }
    if (!fs::is_regular_file(out, ec)) {
        return {}; // a device or pipe such as /dev/stdout
    }
    // An empty file holds nothing to lose: `mktemp`, or standard output redirected to a new file.
    const uintmax_t size = fs::file_size(out, ec);
    if (!ec && size == 0) {
        return {};
    }
    if (args.size() == 1) {
        return {qly::withArgs(
                    qly::translate("Conversion",
                                   "Es ist keine Eingabedatei angegeben: die Datei %1 würde durch "
                                   "eine leere ersetzt und wird nicht überschrieben."),
                    {out}),
                2};
    }
    if (isDocumentName(out)) {
        if (!looksLikeDocument(out)) {
            return {qly::withArgs(
                        qly::translate("Conversion",
                                       "Die Ausgabedatei %1 ist kein Quillory Dokument und wird "
                                       "nicht überschrieben."),
                        {out}),
                    1};
        }
    } else if (!looksLikePdf(out)) {
        return {
            qly::withArgs(qly::translate("Conversion",
                                         "Die Ausgabedatei %1 ist keine PDF-Datei und wird nicht "
                                         "überschrieben."),
                          {out}),
            1};
    }
    return {};
}

bool allArgumentsAreInputs(const std::vector<std::string>& args) {
    if (args.empty()) {
        return false;
    }
    // The last argument first: in an ordinary conversion it is a new file or a PDF.
    std::error_code ec;
    const std::string& last = args.back();
    if (!fs::is_regular_file(last, ec) || looksLikePdf(last)) {
        return false;
    }
    return std::all_of(args.rbegin(), args.rend(), [](const std::string& file) {
        return looksLikeDocument(file) || DibFileFormat(file) != DIB_AUTO;
    });
}

std::string documentFailureText(DocumentStatus status, bool reading) {
    if (!reading) {
        return qly::translate("Conversion", "Fehler: Konnte Datei nicht erstellen...");
    }
    return status == DocumentStatus::CannotOpen
               ? qly::translate("Conversion", "Fehler: Konnte Datei nicht öffnen...")
               : qly::translate("Conversion",
                                "Fehler: Die Datei ist keine gültige Varnholme Datei...");
}

namespace {

// Appends the pages of a document; false (reported) when it cannot be read.
bool addDocument(TDynaArray& bilder, const std::string& file, ExportSettings& settings) {
    void* current = nullptr;
    TDynaArray pages(sizeof(dib), &current);
    DocumentLayout layout;
    const DocumentStatus status = readDocument(file, pages, layout);
    if (status != DocumentStatus::Ok) {
        qly::messageSink().showMessage(
            qly::withArgs(qly::translate("Conversion", "Fehler beim Öffnen von %1!"), {file}),
            documentFailureText(status, true), qly::MessageIcon::Error);
        return false;
    }
    applyDocumentLayout(settings, layout);
    for (uint32_t i = 0; i < pages.count; ++i) {
        void* slot = bilder.Add();
        if (slot == nullptr) {
            // The array has reported it; the pages not taken over are released below.
            for (uint32_t j = i; j < pages.count; ++j) {
                freedib(*static_cast<dib*>(pages.GetObject(j)));
            }
            pages.Clear();
            return false;
        }
        std::memcpy(slot, pages.GetObject(i), sizeof(dib));
    }
    pages.Clear();
    return true;
}

} // namespace

ConversionResult addInputs(TDynaArray& bilder, const std::vector<std::string>& files,
                           ExportSettings& settings, const ExportCallbacks& callbacks,
                           ExportPipeline* pipeline, PageDocument* model, bool showsNoPage) {
    ConversionResult result;
    // Decoding dominates a conversion, so the pictures are read ahead on worker threads (as many
    // as there are cores) and added in argument order on this thread, which also shows any
    // message, in that order. Documents are read in their turn on this thread.
    const size_t inputs = files.size();
    std::vector<bool> document(inputs);
    for (size_t k = 0; k < inputs; ++k) {
        document[k] = looksLikeDocument(files[k]);
    }
    const size_t ahead = std::max<size_t>(1, std::thread::hardware_concurrency());
    // A page that goes into the PDF as its JPEG file needs no pixels for that.
    std::function<bool(const qly::JpegFacts&)> pixelsLater;
    if (showsNoPage && pipeline != nullptr) {
        pixelsLater = [params = pipeline->params()](const qly::JpegFacts& f) {
            return jpegPassesAsItIs(f, params);
        };
    }
    std::deque<std::optional<std::future<ReadPicture>>> reading;
    size_t next = 0;
    auto startReading = [&] {
        while (next < inputs && reading.size() < ahead) {
            const size_t k = next++;
            if (document[k]) {
                reading.emplace_back(std::nullopt);
                continue;
            }
            const std::string& name = files[k];
            reading.emplace_back(std::async(std::launch::async, [name, pixelsLater] {
                return readPicture(name, pixelsLater);
            }));
        }
    };
    for (size_t k = 0; k < inputs; ++k) {
        startReading();
        std::optional<std::future<ReadPicture>> slot = std::move(reading.front());
        reading.pop_front();
        bool added = false;
        const uint32_t before = bilder.count;
        if (slot) {
            ReadPicture picture = slot->get();
            added = AddReadPicture(bilder, files[k], picture);
        } else {
            added = addDocument(bilder, files[k], settings);
        }
        ++(added ? result.picturesAdded : result.picturesFailed);
        if (model != nullptr) {
            model->appended(before);
        }
        for (uint32_t page = before; pipeline != nullptr && page < bilder.count; ++page) {
            if (showsNoPage) {
                pipeline->precodeAndRelease(bilder, page);
            } else {
                pipeline->precode(bilder, page);
            }
        }
        if (callbacks.processEvents) {
            callbacks.processEvents();
        }
    }
    return result;
}

ConversionResult runConversion(TDynaArray& bilder, const std::vector<std::string>& args,
                               const ExportSettings& kept, const ExportCallbacks& callbacks,
                               PageDocument* model, bool showsNoPage) {
    if (args.empty()) {
        return {};
    }
    ExportSettings settings = kept;
    const std::string& out = args.back();
    // Pages start coding while the later inputs are read; a document written as .qly needs no
    // coding.
    std::optional<ExportPipeline> pipeline;
    if (!isDocumentName(out)) {
        pipeline.emplace(settings);
    }
    ConversionResult result =
        addInputs(bilder, std::vector<std::string>(args.begin(), args.end() - 1), settings,
                  callbacks, pipeline ? &*pipeline : nullptr, model, showsNoPage);
    if (isDocumentName(out)) {
        const DocumentStatus status = saveDocument(out, bilder, documentLayout(settings, true));
        if (status != DocumentStatus::Ok) {
            qly::messageSink().showMessage("", documentFailureText(status, false),
                                           qly::MessageIcon::Error);
        }
        result.pdfWritten = status == DocumentStatus::Ok;
        return result;
    }
    try {
        const ExportOutcome outcome =
            CreateThePDF(bilder, settings, out, false, callbacks, pipeline ? &*pipeline : nullptr);
        result.pdfWritten = outcome.written;
    } catch (const qly::IoError& e) {
        result.writeError = e.what();
    } catch (const std::bad_alloc&) {
        result.writeError = qly::translate("Conversion", "Nicht genug Arbeitsspeicher.");
    }
    return result;
}
