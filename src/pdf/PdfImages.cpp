// TPDFCanvas: placing pictures on the page and writing them as image XObjects (ISO 32000-1,
// 8.9.5): bilevel pictures as CCITT Group 4 (ITU-T T.6) or JBIG2 (ITU-T T.88), all others as
// JPEG or JPEG 2000 in 8-bit DeviceRGB.
#include "pdf/PDFWriterCanvas.h"

#include "document/Dib.h"
#include "platform/CodePage.h"
#include "platform/FileAccess.h"
#include "platform/GrafikRW3.h"
#include "platform/Heap.h"
#include "platform/IoError.h"
#include "platform/Messages.h"
#include "platform/faxencode.h"
#include "platform/jbig2enc.h"

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

// A temporary file made (empty, only ours) in the process's private temporary folder, and erased
// when it goes out of scope. The name is empty when no file could be made.
class TempFile {
  public:
    TempFile(const std::string& prefix, const std::string& suffix)
        : name_(CreateUniqueTempFile(prefix, suffix)) {}
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() { erase(); }
    const std::string& name() const { return name_; }
    bool made() const { return !name_.empty(); }
    void erase() {
        if (!name_.empty()) {
            std::error_code ec;
            std::filesystem::remove(name_, ec);
        }
    }

  private:
    std::string name_;
};

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

// Reads a whole encoder output file; false when it is missing, not a regular file, unreadable
// or larger than a PDF can hold.
bool readWholeFile(const std::string& name, std::vector<uint8_t>& data) {
    return qly::readRegularFile(name, data, static_cast<uint64_t>(qly::PdfOutputFile::kMaxSize)) ==
           qly::FileStatus::Ok;
}

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
            e->di = *local;
            e->di.pmi = nullptr;
            e->di.poih = 0;
            e->di.pmih = 0;
            e->di.poi = nullptr;
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
        if (!stored) {
            privateCopy(*local, e->di);
            if (e->di.poi == nullptr) {
                qly::messageSink().showMessage("",
                                               "Fehler: nicht genug Speicher für diese Operation!",
                                               qly::MessageIcon::Error);
            }
        }
        Placement(x1, y1, x2w, y2w, n);
    } catch (...) {
        AbortDoc();
        throw;
    }
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

bool TPDFCanvas::TakesTwoObjects(const TPDFImageEntry& e) const {
    return e.bits == 1 && usejbig2;
}

void TPDFCanvas::WriteImageObjects() {
    for (uint32_t i = static_cast<uint32_t>(docfirstimage); i < images->count; ++i) {
        // A byte copy: writing may not add entries, but the record must not be held by address.
        TPDFImageEntry e;
        std::memcpy(&e, images->GetObject(i), sizeof e);
        if (!WriteImageObject(e)) {
            WritePlaceholder(TakesTwoObjects(e));
            ++placeholdercount;
        }
    }
}

bool TPDFCanvas::WriteImageObject(const TPDFImageEntry& e) {
    LocalDib loaded;
    const dib* img = &e.di;
    if (e.tempname != nullptr) {
        OpenDib(loaded.d, e.tempname, DIB_BMP, nullptr);
        img = &loaded.d;
    }
    if (img->poi == nullptr || img->pmi == nullptr || dibbits(*img) != e.bits) {
        return false; // the parked file is unreadable or no longer the picture drawn
    }
    if (e.bits == 1) {
        return usejbig2 ? WriteJbig2Objects(*img) : WriteCcittObject(*img);
    }
    return WriteJpegObject(*img, usejpeg2000);
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

bool TPDFCanvas::WriteJbig2Objects(const dib& d) {
    // Three files of their own in the private temporary folder: the picture, and the two
    // outputs the encoder writes over.
    TempFile input("tempim", ".bmp");
    TempFile globals("tempim0", ".bmp");
    TempFile page("tempim1", ".bmp");
    if (!input.made() || !globals.made() || !page.made() ||
        SaveDib(d, input.name(), DIB_BMP, nullptr) != 1) {
        return false;
    }
    const bool coded = jbig2encode(input.name(), globals.name(), page.name());
    input.erase();
    std::vector<uint8_t> pageData;
    std::vector<uint8_t> globalData;
    // Both outputs are read before anything is written, so a missing one leaves no half image.
    if (!coded || !readWholeFile(page.name(), pageData) ||
        !readWholeFile(globals.name(), globalData)) {
        return false;
    }
    page.erase();
    globals.erase();
    const int32_t n = ObjCount();
    BeginObject();
    putln("<<");
    putln("/Type /XObject /Subtype /Image");
    putln("/Width " + num(dibwidth(d)) + " /Height " + num(dibheight(d)) + " /BitsPerComponent 1");
    putln("/Length " + num(int64_t(pageData.size())) +
          " /ColorSpace /DeviceGray /Filter /JBIG2Decode /DecodeParms << /JBIG2Globals " +
          num(n + 1) + " 0 R>>");
    WriteStreamObject(">>", pageData, true);
    BeginObject();
    putln("<<");
    putln("/Length " + num(int64_t(globalData.size())));
    WriteStreamObject(">>", globalData, true);
    return true;
}

bool TPDFCanvas::WriteCcittObject(const dib& d) {
    const int32_t w = dibwidth(d);
    const int32_t h = dibheight(d);
    if (w <= 0 || h <= 0) {
        return false;
    }
    TempFile out("tempim", ".img");
    if (!out.made()) {
        return false;
    }
    const std::u16string wname = qly::utf8ToUtf16(out.name());
    openccittfile(wname.c_str());
    g4j_initialize(w, h);
    // A set bit is black when palette entry 0 is not black (red component non-zero).
    const bool setIsBlack = d.pal.rgb0[0].peRed != 0;
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* row = DibRowTop(d, y);
        for (int32_t x = 0; x < w; ++x) {
            const bool set = ((row[x >> 3] >> (7 - (x & 7))) & 1) != 0;
            if (set == setIsBlack) {
                g4j_encode_black(1);
            } else {
                g4j_encode_white(1);
            }
        }
        g4j_encode_new_row();
    }
    g4j_encode_EOFB();
    closeccittfile();
    std::vector<uint8_t> data;
    if (!readWholeFile(out.name(), data)) {
        return false;
    }
    out.erase();
    BeginObject();
    putln("<<");
    putln("/Type /XObject /Subtype /Image");
    putln("/Width " + num(w) + " /Height " + num(h) + " /BitsPerComponent 1");
    putln("/Length " + num(int64_t(data.size())) +
          " /ColorSpace /DeviceGray /Filter /CCITTFaxDecode /DecodeParms <</K -1 /Columns " +
          num(w) + " /Rows " + num(h) + ">>");
    WriteStreamObject(">>", data, false);
    return true;
}

bool TPDFCanvas::WriteJpegObject(const dib& d, bool jpeg2000) {
    TempFile out("tempim", jpeg2000 ? ".jp2" : ".jpg");
    if (!out.made() || SaveDib(d, out.name(), jpeg2000 ? DIB_JP2 : DIB_JIF, nullptr) != 1) {
        return false;
    }
    std::vector<uint8_t> data;
    if (!readWholeFile(out.name(), data)) {
        return false;
    }
    out.erase();
    const char* colour =
        ispdfa ? " /BitsPerComponent 8 /ColorSpace [ /CalRGB<< /WhitePoint [0.9505 1.0000 "
                 "1.0890]/Gamma [1.8000 1.8000 1.8000]/Matrix [ 0.4497 0.2446 0.0252 0.3163 "
                 "0.6720 0.1412 0.1845 0.0833 0.9227]>>] /Length "
               : " /BitsPerComponent 8 /ColorSpace /DeviceRGB /Length ";
    BeginObject();
    WriteStreamObject("<< /Type /XObject /Subtype /Image /Width " + num(dibwidth(d)) + " /Height " +
                          num(dibheight(d)) + colour + num(int64_t(data.size())) +
                          (jpeg2000 ? " /Filter /JPXDecode >>" : " /Filter /DCTDecode >>"),
                      data, false);
    return true;
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
