#include "export/CreateThePDF.h"

#include "platform/Heap.h"

#include "document/Dib.h"
#include "document/DynaArray.h"
#include "document/JpegOriginals.h"
#include "pdf/PDFWriterCanvas.h"
#include "platform/GrafikRW3.h"
#include "platform/Messages.h"
#include "platform/Texts.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

namespace {

int32_t truncSetting(double v, int32_t lo, int32_t hi) {
    if (std::isnan(v)) {
        return lo;
    }
    return static_cast<int32_t>(std::clamp(std::trunc(v), double(lo), double(hi)));
}

// Pictures the coders take; the writer leaves any other out.
bool codable(const dib& d) {
    if (d.poi == nullptr || d.pmi == nullptr || dibwidth(d) <= 0 || dibheight(d) <= 0) {
        return false;
    }
    const int32_t bits = dibbits(d);
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

} // namespace

qly::ImageCodingParams exportCodingParams(const ExportSettings& s) {
    qly::ImageCodingParams p;
    p.jbig2 = true;
    p.jpeg2000 = s.JPEG2000;
    p.jpegQuality = truncSetting(s.JpegEd, 1, 100);
    p.jpeg2000Quality = truncSetting(s.Jpeg2000ED * 100, 1, 10000);
    return p;
}

bool jpegPassesAsItIs(const qly::JpegFacts& facts, const qly::ImageCodingParams& params) {
    return !params.jpeg2000 && facts.quality >= 1 && facts.quality <= params.jpegQuality &&
           qly::jpegShowsAlikeInPdf(facts);
}

namespace {

// The job that embeds page d's original JPEG file, or null when the page has none or it does not
// pass as it is. The file must show the page's picture: same size and the depth it was read at.
std::shared_ptr<qly::ImageCodingJob> passOriginal(const dib& d, qly::ImageCodingPool& pool,
                                                  const qly::ImageCodingParams& params) {
    std::shared_ptr<const JpegOriginal> original = jpegOriginalOf(d);
    if (original == nullptr || !jpegPassesAsItIs(original->facts, params)) {
        return nullptr;
    }
    const qly::JpegFacts& f = original->facts;
    if (f.width != dibwidth(d) || f.height != dibheight(d) ||
        dibbits(d) != (f.components == 1 ? 8 : 24)) {
        return nullptr;
    }
    // The job holds the bytes through the original, which stays alive as long as it does.
    std::shared_ptr<const std::vector<uint8_t>> bytes(original, &original->bytes);
    return pool.passJpeg(std::move(bytes), f.width, f.height, f.components, params);
}

} // namespace

ExportPipeline::ExportPipeline(const ExportSettings& settings, unsigned workers, size_t memoryBound)
    : params_(exportCodingParams(settings)),
      pool_(std::make_shared<qly::ImageCodingPool>(workers, memoryBound)) {
    if (settings.OcrCheck) {
        recognition_ = std::make_unique<PageRecognition>(
            pool_, settings.OcrLangEd, truncSetting(settings.ScanResEd, 10, 10000));
    }
}

bool ExportPipeline::matches(const ExportSettings& s) const {
    const bool ocr = recognition_ != nullptr;
    return params_ == exportCodingParams(s) && ocr == s.OcrCheck &&
           (!ocr || recognition_->languages() == s.OcrLangEd);
}

ExportPipeline::~ExportPipeline() {
    cancelAll();
}

void ExportPipeline::precode(TDynaArray& bilder, uint32_t k) {
    if (k >= bilder.count) {
        return;
    }
    if (k >= jobs_.size()) {
        jobs_.resize(size_t(k) + 1);
    }
    const dib& d = *static_cast<const dib*>(bilder.GetObject(k));
    if (jobs_[k] == nullptr && codable(d)) {
        jobs_[k] = passOriginal(d, *pool_, params_);
        if (jobs_[k] == nullptr) {
            ensurePagePixels(d);
            jobs_[k] = pool_->codeBorrowed(d, params_);
        }
    }
    if (recognition_ != nullptr && codable(d)) {
        ensurePagePixels(d); // a page that passes as its JPEG file is still read for its text
        recognition_->start(d, k);
    }
}

void ExportPipeline::precodeAndRelease(TDynaArray& bilder, uint32_t k) {
    if (k >= bilder.count) {
        return;
    }
    if (k >= jobs_.size()) {
        jobs_.resize(size_t(k) + 1);
    }
    dib& d = *static_cast<dib*>(bilder.GetObject(k));
    if (jobs_[k] != nullptr || !codable(d)) {
        return;
    }
    if (recognition_ != nullptr) {
        precode(bilder, k); // the text is read from the page's pixels, which stay for that
        return;
    }
    // A JPEG file that goes in as it is needs neither the pixels nor the coders.
    jobs_[k] = passOriginal(d, *pool_, params_);
    if (jobs_[k] != nullptr || !ensurePagePixels(d)) {
        return;
    }
    // The header stays with the page in a block of its own; the pool owns the picture now.
    const int32_t bits = dibbits(d);
    const size_t headerBytes = sizeof(BITMAPINFOHEADER) + (bits <= 8 ? (size_t{1} << bits) * 4 : 0);
    auto* header = static_cast<uint8_t*>(qly::heapAlloc(headerBytes + 16));
    if (header == nullptr) {
        precode(bilder, k); // no room for the copy: coded from the page as it is
        return;
    }
    std::memcpy(header, d.pmi, headerBytes);
    jobs_[k] = pool_->codeOwned(d, params_);
    d.pmi = reinterpret_cast<BITMAPINFO*>(header);
    d.pmih = reinterpret_cast<uintptr_t>(header);
    d.poih = d.pmih;
    // Past the header, so the record still counts as holding a picture and is released whole.
    d.poi = header + headerBytes;
}

std::shared_ptr<qly::ImageCodingJob> ExportPipeline::takeJob(uint32_t k) {
    return k < jobs_.size() ? std::move(jobs_[k]) : nullptr;
}

void ExportPipeline::cancelAll() noexcept {
    for (std::shared_ptr<qly::ImageCodingJob>& job : jobs_) {
        if (job != nullptr) {
            pool_->cancel(*job);
            job.reset();
        }
    }
    if (recognition_ != nullptr) {
        recognition_->cancelAll();
    }
}

ExportOutcome CreateThePDF(TDynaArray& bilder, const ExportSettings& s, const std::string& fname,
                           bool batchmode, const ExportCallbacks& cb, ExportPipeline* pipeline) {
    ExportOutcome outcome;
    auto progress = [&](int p) {
        if (cb.progress) {
            cb.progress(p);
        }
    };
    // A pipeline started with other coding settings is not used.
    std::optional<ExportPipeline> own;
    if (pipeline == nullptr || !pipeline->matches(s)) {
        pipeline = &own.emplace(s);
    }
    // Whatever was started and not placed is dropped on every way out, before the caller may
    // change its pages again.
    struct Cancel {
        ExportPipeline* p;
        ~Cancel() { p->cancelAll(); }
    } cancelUnused{pipeline};

    TPDFCanvas canvas;
    canvas.setCodingPool(pipeline->pool());
    canvas.usejpeg2000 = s.JPEG2000;
    canvas.usejbig2 = true;
    canvas.usetempfileforimages = true;
    canvas.jpegquality = pipeline->params().jpegQuality;
    canvas.jpeg2000quality = pipeline->params().jpeg2000Quality;
    canvas.PageWidth = mmToPoints(s.BreitEd);
    canvas.PageHeight = mmToPoints(s.HochEd);

    const std::string base = batchmode ? batchBaseName(fname) : std::string();
    int64_t counter = 1;
    std::string name = batchmode ? batchFileName(base, counter) : fname;
    if (!canvas.BeginDoc(name)) {
        outcome.failedFile = name;
        infobox(qly::translate("CreateThePDF", "Konnte PDF-Datei nicht erstellen!"));
        return outcome;
    }

    const uint32_t n = bilder.count;
    // The largest width and height over all pages, for the relative size mode. The page array
    // does not change during an export, so one walk is enough.
    int32_t wmax = 1;
    int32_t hmax = 1;
    for (uint32_t k = 0; k < n; ++k) {
        const dib& d = *static_cast<const dib*>(bilder.GetObject(k));
        wmax = std::max(wmax, dibwidth(d));
        hmax = std::max(hmax, dibheight(d));
    }

    // The file is finished only when its pictures are coded; the window keeps handling its events
    // while the last ones are.
    std::vector<std::shared_ptr<qly::ImageCodingJob>> placed;
    auto endDoc = [&] {
        for (const std::shared_ptr<qly::ImageCodingJob>& job : placed) {
            while (cb.processEvents && pipeline->pool()->workers() > 0 &&
                   !pipeline->pool()->waitFor(*job, std::chrono::milliseconds(50))) {
                cb.processEvents();
            }
        }
        placed.clear();
        canvas.EndDoc();
    };

    // Pictures are handed to the pool a few pages ahead of the page being written.
    // A page that is also recognised gives the pool two jobs, so half as many pages go ahead.
    PageRecognition* const recognition = pipeline->recognition();
    const uint32_t ahead = (recognition != nullptr && recognition->on() ? 1 : 2) *
                           std::max(1u, pipeline->pool()->workers());
    uint32_t started = 0;
    for (uint32_t i = 1; i <= n; ++i) {
        for (; started < n && started < i - 1 + ahead; ++started) {
            pipeline->precode(bilder, started);
        }
        progress(static_cast<int>(uint64_t{i} * 100 / n));
        if (cb.processEvents) {
            cb.processEvents();
        }
        if (i > 1) {
            if (batchmode) {
                endDoc();
                outcome.files.push_back(name);
                ++counter;
                name = batchFileName(base, counter);
                if (!canvas.BeginDoc(name)) {
                    // The files before are complete; say which one is missing rather than
                    // leaving a partial result that looks finished.
                    outcome.failedFile = name;
                    infobox(qly::translate("CreateThePDF", "Konnte PDF-Datei nicht erstellen!"));
                    return outcome;
                }
            } else {
                canvas.NewPage();
            }
        }
        const dib& picture = *static_cast<const dib*>(bilder.GetObject(i - 1));
        const int32_t W = dibwidth(picture);
        const int32_t H = dibheight(picture);
        const PagePlacement p =
            layoutPage(s, canvas.PageWidth, canvas.PageHeight, W, H, wmax, hmax);
        std::shared_ptr<qly::ImageCodingJob> job = pipeline->takeJob(i - 1);
        if (p.drawn && job != nullptr) {
            placed.push_back(job);
            canvas.DrawCodedImage(p.x, p.y, p.w, p.h, std::move(job));
        } else if (p.drawn) {
            ensurePagePixels(picture);
            canvas.DrawDIB(p.x, p.y, p.w, p.h, picture, 0, 0, W, H); // left out unless codable
        }
        if (p.drawn && recognition != nullptr && recognition->on() && codable(picture)) {
            // The words go over the picture, as the page's last content.
            const qly::RecognizedPage text = recognition->take(picture, i - 1, cb.processEvents);
            if (text.ok) {
                canvas.DrawTextLayer(p.x, p.y, p.w, p.h, W, std::abs(H), text.words);
            } else {
                ++outcome.pagesWithoutText;
            }
        }
        if (!p.drawn) {
            if (job != nullptr) {
                pipeline->pool()->cancel(*job);
            }
            if (p.noRoom) {
                ++outcome.pagesWithoutRoom;
            } else if (p.emptyPicture) {
                ++outcome.emptyPictures;
            }
        }
    }
    progress(0);
    endDoc();
    outcome.files.push_back(name);
    outcome.written = true;
    if (outcome.pagesWithoutRoom > 0) {
        qly::messageSink().showMessage(
            "",
            qly::withArgs(qly::translate("CreateThePDF", "Die Ränder lassen keinen "
                                                         "Platz für die Bilder: %1 "
                                                         "Seite(n) blieben leer."),
                          {std::to_string(outcome.pagesWithoutRoom)}),
            qly::MessageIcon::Warning);
    }
    if (outcome.pagesWithoutText > 0) {
        qly::messageSink().showMessage(
            "",
            qly::withArgs(qly::translate("CreateThePDF", "Auf %1 Seite(n) ließ sich "
                                                         "kein Text erkennen; sie "
                                                         "enthalten nur ihr Bild."),
                          {std::to_string(outcome.pagesWithoutText)}),
            qly::MessageIcon::Warning);
    }
    if (outcome.emptyPictures > 0) {
        qly::messageSink().showMessage(
            "",
            qly::withArgs(qly::translate("CreateThePDF", "%1 Bild(er) ohne Bildpunkte "
                                                         "wurden übersprungen."),
                          {std::to_string(outcome.emptyPictures)}),
            qly::MessageIcon::Warning);
    }
    return outcome;
}
