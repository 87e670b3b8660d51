#include "pdf/PDFWriterCanvas.h"

#include "document/Dib.h"
#include "platform/CodePage.h"
#include "platform/GrafikRW3.h"
#include "platform/Heap.h"
#include "platform/IoError.h"
#include "platform/Messages.h"
#include "platform/Random.h"

#include <zlib.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>

namespace {

// The caption of the writer's own message boxes: the application's title.
constexpr const char* kApplicationTitle = "Quillory 1.6";

// Page content grows in steps of this many bytes.
constexpr int64_t kStreamStep = 100000;

// Decimal text of an integer, independent of the locale.
std::string num(int64_t v) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

struct HeapBlock {
    void operator()(void* p) const { qly::heapFree(p); }
};

} // namespace

TPDFCanvas::TPDFCanvas() {
    // Pen, brush and font start with their defaults; the copies of the written state too.
    font.Name = u"Microsoft Sans Serif";
    font.PixelsPerInch = 72;
    images = std::make_unique<TDynaArray>(sizeof(TPDFImageEntry), reinterpret_cast<void**>(&aimag));
}

TPDFCanvas::~TPDFCanvas() {
    try {
        EndDoc();
    } catch (...) {
        // EndDoc has already removed the incomplete file; a destructor cannot report it.
    }
    ReleaseDocumentImages();
    if (images != nullptr) {
        images->First();
        while (images->WhileNext()) {
            TPDFImageEntry& e = *aimag;
            if (e.tempname != nullptr) {
                std::error_code ec;
                std::filesystem::remove(e.tempname, ec);
                qly::heapFree(e.tempname);
                e.tempname = nullptr;
            }
            if (e.di.poi != nullptr) {
                freedib(e.di);
            }
        }
        images.reset();
    }
}

int32_t TPDFCanvas::imageCount() const {
    return static_cast<int32_t>(images->count);
}

// ---------------------------------------------------------------------------------------------
// Output primitives

void TPDFCanvas::write(std::u16string_view s) {
    if (!isincreation) {
        return;
    }
    try {
        put(qly::toAnsi(s));
    } catch (...) {
        AbortDoc();
        throw;
    }
}

void TPDFCanvas::writeln(std::u16string_view s) {
    if (!isincreation) {
        return;
    }
    try {
        putln(qly::toAnsi(s));
    } catch (...) {
        AbortDoc();
        throw;
    }
}

void TPDFCanvas::put(std::string_view bytes) {
    if (instream) {
        appendToStream(bytes.data(), bytes.size());
    } else {
        f.write(bytes);
    }
}

void TPDFCanvas::putln(std::string_view bytes) {
    if (instream) {
        appendToStream(bytes.data(), bytes.size());
        appendToStream("\n", 1);
        return;
    }
    std::string line;
    line.reserve(bytes.size() + 1);
    line.append(bytes);
    line.push_back('\n');
    f.write(line);
}

void TPDFCanvas::appendToStream(const char* data, size_t size) {
    if (size == 0) {
        return;
    }
    const int64_t oldlen = sblen;
    const int64_t newlen = oldlen + static_cast<int64_t>(size);
    if (newlen > qly::PdfOutputFile::kMaxSize) {
        throw qly::IoError("The page content is too large", f.name(), f.written());
    }
    // The block holds whole steps of 100000 bytes; a new block is made whenever the content
    // moves into another step (and for the first byte).
    if (streambuf == nullptr || newlen / kStreamStep != oldlen / kStreamStep) {
        const int64_t capacity = (newlen / kStreamStep) * kStreamStep + kStreamStep;
        auto* block = static_cast<uint8_t*>(qly::heapAlloc(static_cast<size_t>(capacity)));
        if (block == nullptr) {
            throw qly::IoError("Not enough memory for the page content", f.name(), f.written());
        }
        if (streambuf != nullptr) {
            std::memcpy(block, streambuf, static_cast<size_t>(oldlen));
            qly::heapFree(streambuf);
        }
        streambuf = block;
    }
    std::memcpy(streambuf + oldlen, data, size);
    sblen = static_cast<int32_t>(newlen);
}

std::string TPDFCanvas::ZeroPad(std::string s, size_t n) {
    while (s.size() < n) {
        s.insert(s.begin(), '0');
    }
    return s;
}

// ---------------------------------------------------------------------------------------------
// Object framing

int64_t TPDFCanvas::ObjectPosition(bool warnFirst) {
    int64_t pos = 0;
    if (f.queryPosition(pos)) {
        return pos;
    }
    if (warnFirst) {
        qly::messageSink().showMessage(kApplicationTitle, "Could not get file position",
                                       qly::MessageIcon::None);
    }
    if (f.queryPosition(pos)) {
        return pos;
    }
    // The system cannot tell (a pipe, for example): the count of bytes written is the position,
    // so the file stays consistent; the user is told all the same.
    qly::messageSink().showMessage(kApplicationTitle, "Could not get file position",
                                   qly::MessageIcon::None);
    return pos;
}

void TPDFCanvas::AddObjEntry(int64_t offset, int32_t generation, bool isfree) {
    auto* e = static_cast<TPDFObjEntry*>(objs->Add());
    if (e == nullptr) {
        throw qly::IoError("Not enough memory for the object table", f.name(), f.written());
    }
    e->offset = static_cast<int32_t>(offset); // the file never exceeds PdfOutputFile::kMaxSize
    e->generation = generation;
    e->isfree = isfree;
}

int32_t TPDFCanvas::ObjCount() const {
    return static_cast<int32_t>(objs->count);
}

void TPDFCanvas::BeginDictObject() {
    AddObjEntry(ObjectPosition(false), 0, false);
    putln(num(ObjCount() - 1) + " 0 obj");
    putln("<<");
}

void TPDFCanvas::EndDictObject() {
    putln(">>");
    putln("endobj");
}

void TPDFCanvas::BeginObject() {
    AddObjEntry(ObjectPosition(true), 0, false);
    putln(num(ObjCount() - 1) + " 0 obj");
}

void TPDFCanvas::EndObject() {
    putln("endobj");
}

void TPDFCanvas::BeginPageStream() {
    ++apages;
    BeginObject();
    const int32_t c = ObjCount() - 1;
    putln("<< /Length " + num(c + 1) + " 0 R /Filter /FlateDecode >>");
    putln("stream");
    startstream = f.written();
    fontsetted = false;
    brushsetted = false;
    pensetted = false;
    streambuf = nullptr;
    sblen = 0;
    instream = true;
}

void TPDFCanvas::EndPageStream() {
    // Deflate in the zlib container (ISO 32000-1, 7.4.4), at the default level; a page with
    // invisible text at the best, which makes its many short operators a few per cent smaller.
    const bool withText = !textpages.empty() && textpages.back() == apages - 1;
    const uLong srclen = static_cast<uLong>(sblen);
    uLongf destlen = compressBound(srclen);
    std::unique_ptr<void, HeapBlock> packed(qly::heapAlloc(destlen));
    if (!packed) {
        throw qly::IoError("Not enough memory to compress the page content", f.name(), f.written());
    }
    static const Bytef kEmpty = 0;
    const Bytef* src = streambuf != nullptr ? streambuf : &kEmpty;
    if (compress2(static_cast<Bytef*>(packed.get()), &destlen, src, srclen,
                  withText ? Z_BEST_COMPRESSION : Z_DEFAULT_COMPRESSION) != Z_OK) {
        throw qly::IoError("The page content could not be compressed", f.name(), f.written());
    }
    instream = false;
    qly::heapFree(streambuf);
    streambuf = nullptr;
    sblen = 0;
    f.write(packed.get(), destlen);
    packed.reset();
    put("\n");
    endstream = f.written();
    putln("endstream");
    EndObject();
    BeginObject();
    putln(num(endstream - startstream));
    EndObject();
    auto* page = static_cast<TPDFPageEntry*>(PageProps->Add());
    if (page == nullptr) {
        throw qly::IoError("Not enough memory for the page table", f.name(), f.written());
    }
    page->width = PageWidth;
    page->height = PageHeight;
    try {
        pageimages.push_back(std::move(currentpageimages));
    } catch (const std::bad_alloc&) {
        throw qly::IoError("Not enough memory for the page table", f.name(), f.written());
    }
    currentpageimages.clear();
}

void TPDFCanvas::NoteImageOnPage(int32_t n) {
    const auto at = std::lower_bound(currentpageimages.begin(), currentpageimages.end(), n);
    if (at != currentpageimages.end() && *at == n) {
        return;
    }
    try {
        currentpageimages.insert(at, n);
    } catch (const std::bad_alloc&) {
        throw qly::IoError("Not enough memory for the page's image list", f.name(), f.written());
    }
}

// ---------------------------------------------------------------------------------------------
// Document lifecycle

bool TPDFCanvas::BeginDoc(const std::string& fname) {
    if (isincreation) {
        return false;
    }
    if (!f.create(fname)) {
        return false;
    }
    objs = std::make_unique<TDynaArray>(sizeof(TPDFObjEntry), reinterpret_cast<void**>(&aobj));
    PageProps = std::make_unique<TDynaArray>(sizeof(TPDFPageEntry), nullptr);
    FontList = std::make_unique<TDynaArray>(sizeof(TPDFFontEntry), nullptr);
    docfirstimage = static_cast<int32_t>(images->count);
    placeholdercount = 0;
    pageimages.clear();
    currentpageimages.clear();
    instream = false;
    try {
        putln(usejpeg2000 ? "%PDF-1.5" : "%PDF-1.3");
        AddObjEntry(0, 65535, true);
        BeginObject();
        putln("[/PDF /Text /ImageB /ImageC /ImageI]");
        EndObject();
        procobjsnr = 1;
        apages = 0;
        BeginPageStream();
        pageobjnr = 2;
    } catch (...) {
        AbortDoc();
        throw;
    }
    isincreation = true;
    return true;
}

void TPDFCanvas::NewPage() {
    if (!isincreation) {
        return;
    }
    try {
        EndPageStream();
        BeginPageStream();
    } catch (...) {
        AbortDoc();
        throw;
    }
}

void TPDFCanvas::EndDoc() {
    if (!isincreation) {
        return;
    }
    try {
        EndPageStream();
        if (ispdfa) {
            WriteMetadata();
        }
        // Font objects, one per entry of FontList: font i (from 1) is object fontobjnr + i - 1.
        fontobjnr = ObjCount();
        WriteFontObjects();
        // The invisible text's font follows, only in a document with text.
        if (!textpages.empty()) {
            textfontnr = ObjCount();
            WriteTextLayerFont();
        }

        // Page tree root.
        BeginDictObject();
        parentnr = ObjCount() - 1;
        putln("/Type /Pages");
        putln("/Count " + num(apages));
        std::string kids = "/Kids [";
        for (int32_t j = 0; j < apages; ++j) {
            kids += num(parentnr + 1 + j) + " 0 R";
            kids += j + 1 < apages ? " " : "]";
        }
        putln(kids);
        EndDictObject();

        // Pages: every page lists the images drawn on it and every font.
        const std::vector<std::string> xobjects = PageImageResources();
        std::string fonts = "/Font << ";
        for (uint32_t i = 1; i <= FontList->count; ++i) {
            fonts += "/F" + num(i) + " " + num(fontobjnr + int64_t(i) - 1) + " 0 R";
        }
        // A page with invisible text also names the text layer's font.
        const std::string textfonts =
            fonts + "/TL " + num(textfontnr) + " 0 R" + ">> /ProcSet 1 0 R";
        fonts += ">> /ProcSet 1 0 R";
        for (int32_t j = 0; j < apages; ++j) {
            const auto* size = static_cast<const TPDFPageEntry*>(PageProps->GetObject(j));
            const int32_t w = size->width;
            const int32_t h = size->height;
            BeginDictObject();
            putln("/Type /Page");
            putln("/Parent " + num(parentnr) + " 0 R");
            put("/Resources <</XObject << ");
            put(xobjects[size_t(j)]);
            putln(" >>");
            putln(std::binary_search(textpages.begin(), textpages.end(), j) ? textfonts : fonts);
            putln(">>");
            putln("/MediaBox [0 0 " + num(int64_t(w) - 1) + " " + num(int64_t(h) - 1) + "]");
            putln("/Contents " + num(2 + 2 * int64_t(j)) + " 0 R");
            EndDictObject();
        }

        // Catalog and (empty) outlines.
        BeginDictObject();
        rootObjNr = ObjCount() - 1;
        putln("/Type /Catalog");
        putln("/Pages " + num(parentnr) + " 0 R");
        putln("/Outlines " + num(rootObjNr + 1) + " 0 R");
        if (ispdfa) {
            putln("/Metadata " + num(metaobjnr) + " 0 R");
        }
        EndDictObject();
        BeginDictObject();
        putln("/Type /Outlines");
        putln("/Count 0");
        EndDictObject();

        WriteImageObjects();
        WriteXref();
        WriteTrailer();
        f.close();
    } catch (...) {
        AbortDoc();
        throw;
    }
    FreeDocArrays();
    ReleaseDocumentImages();
    isincreation = false;
}

std::vector<std::string> TPDFCanvas::PageImageResources() const {
    // Object numbers of the document's images: they follow the pages, the catalog and the
    // outlines in drawing order, a JBIG2 image taking two (image and globals).
    std::vector<int64_t> objects;
    int64_t next = int64_t(parentnr + 1) + apages + 2;
    for (uint32_t i = static_cast<uint32_t>(docfirstimage); i < images->count; ++i) {
        objects.push_back(next);
        next += TakesTwoObjects(static_cast<int32_t>(i)) ? 2 : 1;
    }
    std::vector<std::string> pages;
    pages.reserve(pageimages.size());
    for (const std::vector<int32_t>& drawn : pageimages) {
        std::string x;
        for (const int32_t n : drawn) {
            x += "/Im" + num(n) + " " + num(objects[size_t(n - docfirstimage)]) + " 0 R";
        }
        pages.push_back(std::move(x));
    }
    return pages;
}

void TPDFCanvas::WriteMetadata() {
    BeginObject();
    metaobjnr = ObjCount() - 1;
    // XMP packet (ISO 16684-1) identifying the file as PDF/A-1b (ISO 19005-1, 6.7.11); its lines
    // are separated by carriage returns.
    std::string id;
    for (int i = 0; i < 25; ++i) {
        id.push_back(static_cast<char>('a' + qly::Random(26)));
    }
    const char* lines[] = {
        nullptr, // the packet header, below
        "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\" x:xmptk=\"3.1-702\">",
        "   <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">",
        "      <rdf:Description rdf:about=\"\"",
        "            xmlns:pdfaid=\"http://www.aiim.org/pdfa/ns/id/\">",
        "         <pdfaid:part>1</pdfaid:part>",
        "         <pdfaid:conformance>B</pdfaid:conformance>",
        "      </rdf:Description>",
        "   </rdf:RDF>",
        "</x:xmpmeta>",
        "<?xpacket end=\"w\"?>",
    };
    std::string packet = "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"" + id + "\"?>";
    for (size_t i = 1; i < std::size(lines); ++i) {
        packet += '\r';
        packet += lines[i];
    }
    putln("<</Type /Metadata");
    putln("/Subtype /XML /Length " + num(int64_t(packet.size())) + ">>");
    putln("stream");
    putln(packet);
    putln("endstream");
    putln("endobj");
}

void TPDFCanvas::WriteXref() {
    startxref = ObjectPosition(false);
    putln("xref");
    putln("0 " + num(ObjCount()));
    // Each entry is exactly 20 bytes, ending in a blank and a line feed (ISO 32000-1, 7.5.4).
    std::string table;
    table.reserve(size_t(ObjCount()) * 20);
    for (int32_t i = 0; i < ObjCount(); ++i) {
        const auto* e = static_cast<const TPDFObjEntry*>(objs->GetObject(static_cast<uint32_t>(i)));
        table += ZeroPad(num(e->offset), 10);
        table += ' ';
        table += ZeroPad(num(e->generation), 5);
        table += e->isfree ? " f \n" : " n \n";
    }
    put(table);
}

void TPDFCanvas::WriteTrailer() {
    putln("trailer");
    putln("<<");
    putln("/Size " + num(ObjCount()));
    putln("/Root " + num(rootObjNr) + " 0 R");
    // 17 random bytes as 34 upper-case hexadecimal digits, the same string twice.
    static const char kHex[] = "0123456789ABCDEF";
    std::string s;
    for (int i = 0; i < 17; ++i) {
        const int32_t b = qly::Random(256);
        s.push_back(kHex[b >> 4]);
        s.push_back(kHex[b & 15]);
    }
    putln("/ID [ <" + s + "><" + s + "> ]");
    putln(">>");
    putln("startxref");
    putln(num(startxref));
    put("%%EOF");
}

void TPDFCanvas::FreeDocArrays() noexcept {
    std::vector<std::vector<int32_t>>().swap(pageimages);
    std::vector<int32_t>().swap(currentpageimages);
    qly::heapFree(streambuf);
    streambuf = nullptr;
    sblen = 0;
    instream = false;
    objs.reset();
    aobj = nullptr;
    PageProps.reset();
    textcodes.clear();
    textextracodes.clear();
    std::vector<int32_t>().swap(textpages);
    if (FontList != nullptr) {
        for (uint32_t i = 0; i < FontList->count; ++i) {
            auto* e = static_cast<TPDFFontEntry*>(FontList->GetObject(i));
            qly::heapFree(e->name);
            e->name = nullptr;
        }
        FontList.reset();
    }
}

void TPDFCanvas::AbortDoc() noexcept {
    FreeDocArrays();
    f.discard();
    ReleaseDocumentImages();
    isincreation = false;
}

void TPDFCanvas::ReleaseDocumentImages() noexcept {
    // The jobs first: a worker may still read a picture or a parked file.
    for (const std::shared_ptr<qly::ImageCodingJob>& job : docjobs) {
        if (job != nullptr) {
            pool->cancel(*job);
        }
    }
    docjobs.clear();
    for (uint32_t i = static_cast<uint32_t>(docfirstimage); i < images->count; ++i) {
        auto* e = reinterpret_cast<TPDFImageEntry*>(images->poi + size_t(i) * images->size);
        if (e->tempname != nullptr) {
            std::error_code ec;
            std::filesystem::remove(e->tempname, ec);
            qly::heapFree(e->tempname);
            e->tempname = nullptr;
        }
        if (e->di.poi != nullptr) {
            freedib(e->di);
        }
    }
    docfirstimage = static_cast<int32_t>(images->count);
}
