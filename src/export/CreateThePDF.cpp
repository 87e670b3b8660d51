#include "export/CreateThePDF.h"

#include "document/Dib.h"
#include "document/DynaArray.h"
#include "pdf/PDFWriterCanvas.h"
#include "platform/GrafikRW3.h"
#include "platform/Messages.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

int32_t truncSetting(double v, int32_t lo, int32_t hi) {
    if (std::isnan(v)) {
        return lo;
    }
    return static_cast<int32_t>(std::clamp(std::trunc(v), double(lo), double(hi)));
}

// The writer draws 1-bit, palette and true-colour pictures; a 16-bit (5-5-5) picture would be
// left out silently, so it is handed over as a 24-bit copy. Returns false when there is no
// memory for the copy.
bool trueColourCopy(const dib& src, dib& copy) {
    const int32_t w = dibwidth(src);
    const int32_t h = dibheight(src);
    newdib(copy, w, h, 24, nullptr, 0);
    if (copy.poi == nullptr) {
        return false;
    }
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t v = getpixel(src, x, y);
            const uint32_t r = ((v >> 10) & 0x1f) * 255 / 31;
            const uint32_t g = ((v >> 5) & 0x1f) * 255 / 31;
            const uint32_t b = (v & 0x1f) * 255 / 31;
            setpixel(copy, x, y, b | g << 8 | r << 16);
        }
    }
    return true;
}

} // namespace

ExportOutcome CreateThePDF(TDynaArray& bilder, const ExportSettings& s, const std::string& fname,
                           bool batchmode, const ExportCallbacks& cb) {
    ExportOutcome outcome;
    auto progress = [&](int p) {
        if (cb.progress) {
            cb.progress(p);
        }
    };
    SetJPEGQual(truncSetting(s.JpegEd, 1, 100));
    SetJPEG2000Qual(truncSetting(s.Jpeg2000ED * 100, 1, 10000));

    TPDFCanvas canvas;
    canvas.usejpeg2000 = s.JPEG2000;
    canvas.usejbig2 = true;
    canvas.usetempfileforimages = true;
    canvas.PageWidth = mmToPoints(s.BreitEd);
    canvas.PageHeight = mmToPoints(s.HochEd);

    const std::string base = batchmode ? batchBaseName(fname) : std::string();
    int64_t counter = 1;
    std::string name = batchmode ? batchFileName(base, counter) : fname;
    if (!canvas.BeginDoc(name)) {
        outcome.failedFile = name;
        infobox("Konnte PDF-Datei nicht erstellen!");
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

    for (uint32_t i = 1; i <= n; ++i) {
        progress(static_cast<int>(uint64_t{i} * 100 / n));
        if (cb.processEvents) {
            cb.processEvents();
        }
        if (i > 1) {
            if (batchmode) {
                canvas.EndDoc();
                outcome.files.push_back(name);
                ++counter;
                name = batchFileName(base, counter);
                if (!canvas.BeginDoc(name)) {
                    // The files before are complete; say which one is missing rather than
                    // leaving a partial result that looks finished.
                    outcome.failedFile = name;
                    infobox("Konnte PDF-Datei nicht erstellen!");
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
        if (p.drawn && dibbits(picture) == 16) {
            dib copy{};
            if (trueColourCopy(picture, copy)) {
                canvas.DrawDIB(p.x, p.y, p.w, p.h, copy, 0, 0, W, H);
                deldib(copy);
            }
        } else if (p.drawn) {
            canvas.DrawDIB(p.x, p.y, p.w, p.h, picture, 0, 0, W, H);
        } else if (p.noRoom) {
            ++outcome.pagesWithoutRoom;
        } else if (p.emptyPicture) {
            ++outcome.emptyPictures;
        }
    }
    progress(0);
    canvas.EndDoc();
    outcome.files.push_back(name);
    outcome.written = true;
    if (outcome.pagesWithoutRoom > 0) {
        qly::messageSink().showMessage(
            "",
            "Die Ränder lassen keinen Platz für die Bilder: " +
                std::to_string(outcome.pagesWithoutRoom) + " Seite(n) blieben leer.",
            qly::MessageIcon::Warning);
    }
    if (outcome.emptyPictures > 0) {
        qly::messageSink().showMessage("",
                                       std::to_string(outcome.emptyPictures) +
                                           " Bild(er) ohne Bildpunkte wurden übersprungen.",
                                       qly::MessageIcon::Warning);
    }
    return outcome;
}
