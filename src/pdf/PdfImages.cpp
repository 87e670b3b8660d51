// TPDFCanvas: placing pictures on the page and writing them as image XObjects (ISO 32000-1,
// 8.9.5): bilevel pictures as CCITT Group 4 (ITU-T T.6) or JBIG2 (ITU-T T.88), in device grey or,
// when their two colours are not black and white, in an indexed space of those two colours; all
// others as JPEG or JPEG 2000 in 8-bit DeviceRGB, or as the JPEG file they were read from
// (DeviceRGB or DeviceGray). The coding itself is ImageCoding's.
#include "pdf/PDFWriterCanvas.h"

#include "document/Dib.h"
#include "platform/CodePage.h"
#include "platform/GrafikRW3.h"
#include "platform/Heap.h"
#include "platform/IoError.h"
#include "platform/Messages.h"
#include "platform/Texts.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {

std::string num(int64_t v) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

// The RGB space of colour images in the PDF/A mode: gamma 1.8 under a D65 white point.
constexpr const char* kCalRgb = "[ /CalRGB<< /WhitePoint [0.9505 1.0000 1.0890]/Gamma [1.8000 "
                                "1.8000 1.8000]/Matrix [ 0.4497 0.2446 0.0252 0.3163 0.6720 "
                                "0.1412 0.1845 0.0833 0.9227]>>]";

// The colour space of a JBIG2 or Group 4 image: device grey for black and white, else its two
// colours as an indexed space over the RGB space of the file's colour images. Both filters
// decode a pixel coded black to 0, which picks entry 0, the colour coded black.
std::string bilevelColourSpace(const qly::CodedImage& c, bool pdfa) {
    if (!c.indexed) {
        return "/DeviceGray";
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string table;
    for (const auto& colour : c.colours) {
        for (const uint8_t v : colour) {
            table += kHex[v >> 4];
            table += kHex[v & 15];
        }
    }
    return "[/Indexed " + std::string(pdfa ? kCalRgb : "/DeviceRGB") + " 1 <" + table + ">]";
}

// A bitmap owned here and released with deldib.
class LocalDib {
  public:
    LocalDib() = default;
    LocalDib(const LocalDib&) = delete;
    LocalDib& operator=(const LocalDib&) = delete;
    ~LocalDib() {
        if (d.poi != nullptr) {
            deldib(d);
        }
    }
    dib d{};
};

// 24-bit copy of a 4- or 8-bit picture, the colours taken from its palette copy `pal`, rows one
// to one. `out.poi` stays null when the copy cannot be allocated.
void trueColourCopy(const dib& src, dib& out) {
    const int32_t w = dibwidth(src);
    const int32_t h = dibheight(src);
    const int32_t bits = dibbits(src);
    newdib(out, w, h, 24, nullptr, 0);
    if (out.poi == nullptr) {
        return;
    }
    const int32_t rows = h < 0 ? -h : h;
    for (int32_t r = 0; r < rows; ++r) {
        const uint8_t* s = src.poi + static_cast<size_t>(r) * static_cast<size_t>(src.bytew);
        uint8_t* d = out.poi + static_cast<size_t>(r) * static_cast<size_t>(out.bytew);
        for (int32_t x = 0; x < w; ++x, d += 3) {
            uint32_t index = 0;
            if (bits == 4) {
                const uint8_t b = s[x >> 1];
                index = (x & 1) == 0 ? b >> 4 : b & 15;
            } else {
                index = s[x];
            }
            const PALETTEENTRY& p = src.pal.rgb0[index];
            d[0] = p.peBlue;
            d[1] = p.peGreen;
            d[2] = p.peRed;
        }
    }
}

// A private copy of a picture: same size, depth, colour table, palette copy and pixel rows.
void privateCopy(const dib& src, dib& out) {
    const int32_t bits = dibbits(src);
    const int64_t colours = dibcolors(src);
    newdib(out, dibwidth(src), dibheight(src), bits, src.pmi,
           colours <= 256 ? static_cast<int32_t>(colours) : 0);
    if (out.poi == nullptr) {
        return;
    }
    out.pal = src.pal;
    const int32_t h = dibheight(src);
    const size_t rows = static_cast<size_t>(h < 0 ? -h : h);
    if (out.bytew == src.bytew) {
        std::memcpy(out.poi, src.poi, rows * static_cast<size_t>(src.bytew));
    } else { // not expected: the library gives equal pictures equal strides
        const size_t n = static_cast<size_t>(std::min(out.bytew, src.bytew));
        for (size_t r = 0; r < rows; ++r) {
            std::memcpy(out.poi + r * size_t(out.bytew), src.poi + r * size_t(src.bytew), n);
        }
    }
}

// The record's fields without its blocks: it owns and points at nothing.
dib withoutPixels(const dib& d) {
    dib r = d;
    r.pmi = nullptr;
    r.poih = 0;
    r.pmih = 0;
    r.poi = nullptr;
    return r;
}

char* heapString(const std::string& s) {
    auto* p = static_cast<char*>(qly::heapAlloc(s.size() + 1));
    if (p != nullptr) {
        std::memcpy(p, s.c_str(), s.size() + 1);
    }
    return p;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Placing pictures

void TPDFCanvas::Placement(int32_t x1, int32_t y1, int32_t x2w, int32_t y2w, int32_t n) {
    // The picture's unit square is mapped onto the target rectangle shrunk by one unit towards
    // zero in each direction, measured from the top of the page.
    const int64_t w = x2w >= 1 ? int64_t(x2w) - 1 : int64_t(x2w) + 1;
    const int64_t h = y2w >= 1 ? int64_t(y2w) - 1 : int64_t(y2w) + 1;
    putln("q");
    putln(num(w) + " 0 0 " + num(h) + " " + num(x1) + " " + num(int64_t(PageHeight) - y1 - h) +
          " cm");
    putln("/Im" + num(n) + " Do");
    putln("Q");
    NoteImageOnPage(n);
}

void TPDFCanvas::DrawDIB(int32_t x1, int32_t y1, int32_t x2w, int32_t y2w, const dib& di,
                         int32_t /*xx1*/, int32_t /*yy1*/, int32_t xx2w, int32_t yy2w) {
    if (!isincreation) {
        return;
    }
    const dib* local = &di;
    LocalDib converted;
    int32_t bits = di.poi != nullptr ? dibbits(di) : 0;
    if (bits == 4 || bits == 8) {
        trueColourCopy(di, converted.d);
        if (converted.d.poi == nullptr) {
            return; // no memory for the true-colour copy: not drawn
        }
        local = &converted.d;
        bits = 24;
    }
    if (bits != 1 && bits != 24 && bits != 32) {
        return;
    }
    if (x2w == 0 || y2w == 0 || xx2w == 0 || yy2w == 0) {
        return;
    }
    const int32_t n = static_cast<int32_t>(images->count);
    try {
        // The entry first: when it cannot be stored, nothing refers to it.
        auto* e = static_cast<TPDFImageEntry*>(images->Add());
        if (e == nullptr) {
            return; // the array has told the user that memory ran out
        }
        e->bits = bits;
        bool stored = false;
        if (usetempfileforimages) {
            // The pixels live only in the parked file; the entry keeps the record without its
            // pointers (the drawn bitmap belongs to the caller or is released below).
            e->di = withoutPixels(*local);
            const std::string name = CreateUniqueTempFile("temppdfimg", ".bmp");
            if (!name.empty() && SaveDib(*local, name, DIB_BMP, nullptr) == 1) {
                e->tempname = heapString(name);
                stored = e->tempname != nullptr;
            }
            if (!name.empty() && !stored) {
                std::error_code ec;
                std::filesystem::remove(name, ec);
            }
            // A picture that cannot be parked (temporary folder full, say) is kept in memory
            // instead, so it still reaches the file.
        }
        const qly::ImageCodingParams params = codingParams();
        if (stored) {
            AddJob(codingPool().codeParked(e->tempname, bits, params));
        } else {
            dib copy{};
            privateCopy(*local, copy);
            if (copy.poi == nullptr) {
                qly::messageSink().showMessage(
                    "",
                    qly::translate("PdfWriter",
                                   "Fehler: nicht genug Speicher für diese Operation!"),
                    qly::MessageIcon::Error);
            }
            // The copy belongs to the job from here on; the entry keeps its header fields.
            e->di = withoutPixels(copy);
            AddJob(codingPool().codeOwned(copy, params));
        }
        Placement(x1, y1, x2w, y2w, n);
    } catch (...) {
        AbortDoc();
        throw;
    }
}

void TPDFCanvas::DrawCodedImage(int32_t x1, int32_t y1, int32_t x2w, int32_t y2w,
                                std::shared_ptr<qly::ImageCodingJob> job) {
    if (job == nullptr || job->pool() != &codingPool()) {
        return;
    }
    if (!isincreation || x2w == 0 || y2w == 0) {
        codingPool().cancel(*job); // not placed: its picture is the caller's again
        return;
    }
    const int32_t n = static_cast<int32_t>(images->count);
    try {
        auto* e = static_cast<TPDFImageEntry*>(images->Add());
        if (e == nullptr) {
            codingPool().cancel(*job);
            return; // the array has told the user that memory ran out
        }
        e->bits = job->bits();
        AddJob(std::move(job));
        Placement(x1, y1, x2w, y2w, n);
    } catch (...) {
        AbortDoc();
        throw;
    }
}

void TPDFCanvas::AddJob(std::shared_ptr<qly::ImageCodingJob> job) {
    try {
        docjobs.push_back(std::move(job));
    } catch (const std::bad_alloc&) {
        if (job != nullptr) {
            codingPool().cancel(*job);
        }
        throw qly::IoError("Not enough memory for the image list", f.name(), f.written());
    }
}

void TPDFCanvas::setCodingPool(std::shared_ptr<qly::ImageCodingPool> p) {
    if (!isincreation) {
        pool = std::move(p);
    }
}

qly::ImageCodingPool& TPDFCanvas::codingPool() {
    if (pool == nullptr) {
        pool = std::make_shared<qly::ImageCodingPool>(0);
    }
    return *pool;
}

qly::ImageCodingParams TPDFCanvas::codingParams() const {
    qly::ImageCodingParams p;
    p.jbig2 = usejbig2;
    p.jpeg2000 = usejpeg2000;
    p.jpegQuality = std::clamp(jpegquality > 0 ? jpegquality : GetJPEGQual(), 1, 100);
    p.jpeg2000Quality =
        std::clamp(jpeg2000quality > 0 ? jpeg2000quality : GetJPEG2000Qual(), 1, 10000);
    return p;
}

void TPDFCanvas::DrawDIBOfImageNr(int32_t x1, int32_t y1, int32_t x2w, int32_t y2w, int32_t imageNR,
                                  int32_t /*xx1*/, int32_t /*yy1*/, int32_t xx2w, int32_t yy2w) {
    if (!isincreation) {
        return;
    }
    if (x2w == 0 || y2w == 0 || xx2w == 0 || yy2w == 0) {
        return;
    }
    // Only images of this document are written into it.
    if (imageNR < docfirstimage || imageNR >= static_cast<int32_t>(images->count)) {
        return;
    }
    try {
        Placement(x1, y1, x2w, y2w, imageNR);
    } catch (...) {
        AbortDoc();
        throw;
    }
}

// ---------------------------------------------------------------------------------------------
// Image objects

bool TPDFCanvas::TakesTwoObjects(int32_t n) const {
    const size_t i = static_cast<size_t>(n - docfirstimage);
    return i < docjobs.size() && docjobs[i] != nullptr && docjobs[i]->takesTwoObjects();
}

void TPDFCanvas::WriteImageObjects() {
    // In drawing order; each image waits for its coding, which goes on for the later ones.
    for (size_t i = 0; i < docjobs.size(); ++i) {
        const qly::CodedImage c = codingPool().take(*docjobs[i]);
        if (!WriteImageObject(c)) {
            WritePlaceholder(docjobs[i]->takesTwoObjects());
            ++placeholdercount;
        }
    }
}

bool TPDFCanvas::WriteImageObject(const qly::CodedImage& c) {
    using Kind = qly::CodedImage::Kind;
    const std::string size = "/Width " + num(c.width) + " /Height " + num(c.height);
    switch (c.kind) {
    case Kind::Jbig2: {
        const int32_t n = ObjCount();
        BeginObject();
        putln("<<");
        putln("/Type /XObject /Subtype /Image");
        putln(size + " /BitsPerComponent 1");
        putln("/Length " + num(int64_t(c.data.size())) + " /ColorSpace " +
              bilevelColourSpace(c, ispdfa) +
              " /Filter /JBIG2Decode /DecodeParms << /JBIG2Globals " + num(n + 1) + " 0 R>>");
        WriteStreamObject(">>", c.data, true);
        BeginObject();
        putln("<<");
        putln("/Length " + num(int64_t(c.globals.size())));
        WriteStreamObject(">>", c.globals, true);
        return true;
    }
    case Kind::Group4:
        BeginObject();
        putln("<<");
        putln("/Type /XObject /Subtype /Image");
        putln(size + " /BitsPerComponent 1");
        putln("/Length " + num(int64_t(c.data.size())) + " /ColorSpace " +
              bilevelColourSpace(c, ispdfa) +
              " /Filter /CCITTFaxDecode /DecodeParms <</K -1 /Columns " + num(c.width) + " /Rows " +
              num(c.height) + ">>");
        WriteStreamObject(">>", c.data, false);
        return true;
    case Kind::Jpeg:
    case Kind::Jpx: {
        std::string colour = " /BitsPerComponent 8 /ColorSpace " +
                             std::string(ispdfa ? kCalRgb : "/DeviceRGB") + " /Length ";
        if (c.components == 1) {
            // A grey JPEG file embedded as it is. For PDF/A the calibrated grey with the white
            // point and gamma of the CalRGB above, which is what that space gives for equal red,
            // green and blue (the matrix's middle column sums to 1).
            colour = ispdfa ? " /BitsPerComponent 8 /ColorSpace [ /CalGray<< /WhitePoint "
                              "[0.9505 1.0000 1.0890]/Gamma 1.8000>>] /Length "
                            : " /BitsPerComponent 8 /ColorSpace /DeviceGray /Length ";
        } else if (c.components != 3) {
            return false;
        }
        const std::vector<uint8_t>& data = c.file != nullptr ? *c.file : c.data;
        BeginObject();
        WriteStreamObject(
            "<< /Type /XObject /Subtype /Image " + size + colour + num(int64_t(data.size())) +
                (c.kind == Kind::Jpx ? " /Filter /JPXDecode >>" : " /Filter /DCTDecode >>"),
            data, false);
        return true;
    }
    case Kind::None:
        break;
    }
    return false;
}

void TPDFCanvas::WriteStreamObject(const std::string& dictionary, const std::vector<uint8_t>& data,
                                   bool lineFeedBeforeEnd) {
    putln(dictionary);
    putln("stream");
    f.write(data.data(), data.size());
    if (lineFeedBeforeEnd) {
        put("\n");
    }
    putln("endstream");
    EndObject();
}

void TPDFCanvas::WritePlaceholder(bool twoObjects) {
    // A white 1 x 1 image keeps the reserved number, so references, object count and the
    // cross-reference table stay consistent.
    BeginObject();
    WriteStreamObject("<< /Type /XObject /Subtype /Image /Width 1 /Height 1 /BitsPerComponent 8 "
                      "/ColorSpace /DeviceGray /Length 1 >>",
                      std::vector<uint8_t>{0xFF}, true);
    if (twoObjects) {
        BeginObject();
        WriteStreamObject("<< /Length 0 >>", std::vector<uint8_t>{}, true);
    }
}
