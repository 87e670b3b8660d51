#pragma once
// TPDFCanvas: a drawing surface that writes one PDF file (ISO 32000-1; PDF 1.3, or 1.5 when
// JPEG 2000 images are written) at a time.
//
// A caller opens a file with BeginDoc, draws on the current page, starts further pages with
// NewPage and finishes the file with EndDoc. Page content is collected in memory and written as
// one Flate-compressed content stream per page when the page is finished; everything shared by
// the pages (fonts, page tree, catalog, outlines, image objects) is written by EndDoc, followed by
// the cross-reference table and the trailer. Object offsets are the counts of bytes actually
// written.
//
// Coordinates are integers in points (1/72 inch) with the origin at the top-left corner of the
// page and y growing downward; the writer turns them into PDF's bottom-up coordinates with the
// page height current at the time of the call: a point (x, y) becomes (x, PageHeight - y - 1).
//
// Text is written in Windows-1252 with TrueType font resources that name the font and carry its
// widths (/WinAnsiEncoding), so viewers can show, search and copy it; the fonts are not embedded.
// Text metrics come from a PdfTextMeasure, by default Qt's font machinery, which needs a
// QGuiApplication (the offscreen platform will do) once text is measured or drawn. Everything
// else (pictures, lines, rectangles) works without one.
//
// Errors: a file that cannot be created makes BeginDoc return false. A failure to write the file
// (a full disk, for example), and running out of memory for a page's content, raise qly::IoError
// out of BeginDoc, NewPage, EndDoc, write/writeln or the drawing call; before it propagates, the
// writer closes and removes the incomplete file, erases its temporary files and returns to the idle
// state, so no truncated PDF is left behind. An image that cannot be coded is written as a 1 x 1
// white placeholder under its number (see placeholders()). Main thread only; the pictures
// themselves are coded on the writer's coding pool (see setCodingPool), which may use threads of
// its own.

#include "document/DynaArray.h"
#include "pdf/ImageCoding.h"
#include "pdf/PdfOutputFile.h"
#include "pdf/PdfTextLayer.h"
#include "pdf/PdfTextMeasure.h"
#include "platform/DibRecord.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Drawing state of the canvas (pen, brush, font), used by the line, rectangle and text output.
enum TPenStyle : uint8_t {
    psSolid,
    psDash,
    psDot,
    psDashDot,
    psDashDotDot,
    psClear,
    psInsideFrame
};
enum TBrushStyle : uint8_t { bsSolid, bsClear };

// Colours are 24-bit RGB values with red in the lowest byte, green in the next, blue in the third.
struct TPen {
    TPenStyle Style = psSolid;
    int32_t Width = 1; // points
    uint32_t Color = 0x000000;
};

struct TBrush {
    TBrushStyle Style = bsSolid;
    uint32_t Color = 0xFFFFFF;
};

// Font style bits.
constexpr uint8_t fsBold = 1;
constexpr uint8_t fsItalic = 2;
constexpr uint8_t fsUnderline = 4;
constexpr uint8_t fsStrikeOut = 8;

struct TFont {
    std::u16string Name = u"Microsoft Sans Serif";
    int32_t Size = 8; // points
    uint8_t Style = 0;
    uint32_t Color = 0x000000;
    int32_t PixelsPerInch = 72;
};

struct TPoint {
    int32_t x = 0;
    int32_t y = 0;
};

// A rectangle in the writer's coordinates; Right and Bottom lie just outside it.
struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
};

// Records of the writer's arrays. They are moved by byte copy inside TDynaArray blocks; the
// packed ones keep the field widths of the classic 32-bit layout (9, 8 and 5 + pointer bytes).
#pragma pack(push, 1)
// One per PDF object number (index = object number).
struct TPDFObjEntry {
    int32_t offset;     // byte offset of the object's first byte in the file
    int32_t generation; // 65535 for the free entry 0, else 0
    bool isfree;
};
// One per finished page: its size in points when it was finished.
struct TPDFPageEntry {
    int32_t width;
    int32_t height;
};
// One per font used by text output.
struct TPDFFontEntry {
    char16_t* name; // zero-terminated copy of the font name, owned by the entry (heap block)
    uint8_t style;  // fsBold | fsItalic | fsUnderline | fsStrikeOut
};
#pragma pack(pop)
static_assert(sizeof(TPDFObjEntry) == 9);
static_assert(sizeof(TPDFPageEntry) == 8);
static_assert(sizeof(TPDFFontEntry) == sizeof(char16_t*) + 1);

// One per image drawn with DrawDIB.
struct TPDFImageEntry {
    // Parked in a file: the drawn record with its pointers and handles cleared (it owns and
    // points at nothing; its palette copy is kept). Kept in memory: a private copy of the image
    // (header, palette and pixels) owned by the entry; poi is null when it could not be made.
    dib di;
    int32_t bits;   // bits per pixel as drawn: 1, 24 or 32 (8: a grey JPEG file as it is)
    char* tempname; // zero-terminated UTF-8 name of the parked picture file (heap block), or null
};

class TPDFCanvas {
  public:
    // Create: an idle writer with PageWidth 595 and PageHeight 841, the default pen, brush and
    // font ("Microsoft Sans Serif" at 72 pixels per inch) and an empty image list.
    TPDFCanvas();
    // Destroy: finishes an open document (EndDoc; a failure to write it is swallowed here, and
    // the incomplete file removed), then erases every parked image file and frees every image
    // copy still held.
    ~TPDFCanvas();
    TPDFCanvas(const TPDFCanvas&) = delete;
    TPDFCanvas& operator=(const TPDFCanvas&) = delete;

    // Creates (truncating) the output file `fname` (UTF-8) and begins page 1. Returns false, and
    // stays idle, when the file cannot be created or a document is already open. Set usejpeg2000
    // before, it decides the header line. Throws qly::IoError when the first bytes cannot be
    // written (the file is removed then).
    bool BeginDoc(const std::string& fname);
    // With a document open: finishes the current page (its size is PageWidth x PageHeight now)
    // and begins the next one. Otherwise nothing. Throws qly::IoError as described above.
    void NewPage();
    // With a document open: finishes the last page, writes the closing part of the file (page
    // tree, pages, catalog, outlines, the images drawn since BeginDoc, cross-reference table,
    // trailer) and closes it. Otherwise nothing. Throws qly::IoError as described above.
    void EndDoc();

    // Appends text to the output: the current page's content while a document is open (page
    // content is collected in memory), else nothing. The UTF-16 text is converted to
    // Windows-1252 byte for byte (characters outside it become '?'); writeln adds one line feed.
    void write(std::u16string_view s);
    void writeln(std::u16string_view s);

    // Places the whole picture `di` (not changed; the caller keeps it) into the rectangle with
    // top-left corner (x1, y1), width x2w and height y2w, shrunk by one unit towards zero in
    // each direction. xx2w and yy2w (the picture's width and height) must be non-zero; xx1 and
    // yy1 are not used. 4- and 8-bit palette pictures are embedded as true colour; pictures of
    // other depths than 1, 4, 8, 24 and 32 bits, pictures without pixels and empty rectangles
    // draw nothing. The picture is copied: into a temporary picture file with
    // usetempfileforimages, else into memory, and handed to the coding pool, whose workers (when
    // it has any) code it while the caller goes on. Does nothing unless a document is open.
    void DrawDIB(int32_t x1, int32_t y1, int32_t x2w, int32_t y2w, const dib& di, int32_t xx1,
                 int32_t yy1, int32_t xx2w, int32_t yy2w);
    // Places image number imageNR (the n of /Im<n>, counted across documents on this writer)
    // again the same way, without storing it twice. Numbers of images not drawn in the current
    // document draw nothing.
    void DrawDIBOfImageNr(int32_t x1, int32_t y1, int32_t x2w, int32_t y2w, int32_t imageNR,
                          int32_t xx1, int32_t yy1, int32_t xx2w, int32_t yy2w);

    // Places a picture whose coding the caller started on this writer's coding pool, the same
    // way as DrawDIB (x2w and y2w must be non-zero), without any copy: the job's picture is
    // coded as the job's parameters say. Does nothing unless a document is open.
    void DrawCodedImage(int32_t x1, int32_t y1, int32_t x2w, int32_t y2w,
                        std::shared_ptr<qly::ImageCodingJob> job);
    // Writes `words` as invisible text (pdf/PdfTextLayer.h) over a picture of picWidth x
    // picHeight pixels placed as DrawDIB places it (the same x1, y1, x2w, y2w); the words' boxes
    // are in that picture's pixels. Each word stands at its box: the font size is the box's
    // height, the baseline lies 0.8 of it below the box's top, and the word is stretched
    // horizontally (Tz) to the box's width. Words without text or without a box are left out,
    // and so are all of them when the picture's box or size is empty; a page without words gets
    // no text object. A document with text carries the text layer's font once. Does nothing
    // unless a document is open. Throws qly::IoError as described above.
    void DrawTextLayer(int32_t x1, int32_t y1, int32_t x2w, int32_t y2w, int32_t picWidth,
                       int32_t picHeight, const std::vector<qly::TextLayerWord>& words);

    // The pool that codes the pictures; without one set, the writer makes one without workers,
    // which codes each picture when EndDoc writes it. Set it while no document is open.
    void setCodingPool(std::shared_ptr<qly::ImageCodingPool> pool);
    qly::ImageCodingPool& codingPool();
    // How the pictures drawn now are coded: the options and qualities below.
    qly::ImageCodingParams codingParams() const;

    // Lines, rectangles and text. Each appends operators to the current page's content, writing
    // the pen, brush or font state only where it differs from what the page's content already
    // set. Nothing happens (penpos included) unless a document is open. They throw qly::IoError
    // as described above.
    //
    // Sets penpos.
    void MoveTo(int32_t xp, int32_t yp);
    // Strokes a line from penpos to (xp, yp) with the pen (nothing with a clear pen) and moves
    // penpos there.
    void LineTo(int32_t xp, int32_t yp);
    // Fills the rectangle from (x1, y1) to (x2, y2) with the brush, without outline. Width and
    // height are x2 - x1 and y2 - y1, each moved one unit towards zero; a rectangle with x1 = x2
    // or y1 = y2, and a clear brush, draw nothing.
    void FillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    void FillRect(const TRect& rre);
    // Fills like FillRect and outlines with the pen: one filled and stroked rectangle, or with a
    // clear brush four stroked lines through the rectangle's corner points (penpos ends at
    // (x1, y1)); with a clear pen exactly FillRect.
    void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    void Rectangle(const TRect& rre);
    // Writes text in the font (name, style, size in whole points, colour), starting at x. Its
    // cell is TextHeight points tall from y down, and the baseline lies at the cell's bottom
    // (y + TextHeight), so descenders reach below the cell. Characters outside Windows-1252 are
    // written as '?'; underline and strike-out are not drawn. The fill colour becomes the font
    // colour.
    void TextOut(int32_t x, int32_t y, std::u16string_view text);
    // The width of text in the current font as TextOut writes it (each character's advance, no
    // kerning, characters outside Windows-1252 as '?'), and the height of the font's text cell
    // (ascent + descent, the same for any text), in points rounded to whole points. Work at any
    // time; 0 when no font can be had (see PdfTextMeasure).
    int32_t TextWidth(std::u16string_view text);
    int32_t TextHeight(std::u16string_view text);
    // Replaces the text measurement (Qt's font machinery unless set); null restores Qt's.
    void setTextMeasure(std::unique_ptr<qly::PdfTextMeasure> measure);

    // True between a successful BeginDoc and EndDoc.
    bool isOpen() const { return isincreation; }
    // Number of images the last EndDoc wrote as a 1 x 1 white placeholder because they could not
    // be coded (parked file unreadable, encoder output missing), so a caller can tell the user.
    int32_t placeholders() const { return placeholdercount; }
    // Number of images drawn on this writer so far (the next image's number).
    int32_t imageCount() const;

    // Options. Set usejpeg2000 before BeginDoc; usejbig2, usetempfileforimages and ispdfa before
    // the first DrawDIB, unchanged until EndDoc.
    bool ispdfa = false;               // XMP metadata with PDF/A-1b identification; CalRGB images
    bool usejbig2 = false;             // bilevel images as JBIG2, else CCITT Group 4
    bool usejpeg2000 = false;          // colour images as JPEG 2000 (PDF 1.5), else JPEG
    bool usetempfileforimages = false; // park drawn images in temporary files until EndDoc
    // JPEG quality 1..100 and JPEG 2000 size 1..10000 (see SetJPEG2000Qual) of the pictures
    // drawn from now on; 0 takes the image library's setting at the time of drawing.
    int32_t jpegquality = 0;
    int32_t jpeg2000quality = 0;
    // Page size in points; the page's MediaBox takes the values current when it is finished.
    int32_t PageWidth = 595;
    int32_t PageHeight = 841;
    // Drawing state for line, rectangle and text output.
    TPen pen;
    TBrush brush;
    TFont font;
    TPoint penpos;

  private:
    // Object framing.
    void BeginDictObject();
    void EndDictObject();
    void BeginObject();
    void EndObject();
    void BeginPageStream();
    void EndPageStream();
    static std::string ZeroPad(std::string s, size_t n);

    // Output primitives below write/writeln: bytes as they are (ASCII lines, binary streams).
    void put(std::string_view bytes);
    void putln(std::string_view bytes);
    void appendToStream(const char* data, size_t size);
    // File position for an object's entry or the cross-reference table, with the retry and the
    // message of a failed query; `warnFirst` shows the message already after the first failure.
    int64_t ObjectPosition(bool warnFirst);
    void AddObjEntry(int64_t offset, int32_t generation, bool isfree);
    int32_t ObjCount() const;

    // Closing part of the file.
    void WriteMetadata();
    void WriteXref();
    void WriteTrailer();
    // The /XObject entries of every page: the images drawn on it, in the order of their numbers.
    std::vector<std::string> PageImageResources() const;
    // Records that the current page draws image n.
    void NoteImageOnPage(int32_t n);

    // Drawing state and fonts.
    void SetPenState();
    void SetBrushState();
    void SetFontState();
    int32_t FontIndex(std::u16string_view name, uint8_t style);
    static std::u16string EscapeString(std::u16string_view s);
    static std::string DecimalPoint(std::string s);
    static std::string PDFFontName(std::u16string_view name, uint8_t style);
    static std::string ColourText(uint32_t color);
    void StrokeLine(int64_t xa, int64_t ya, int64_t xb, int64_t yb);
    std::string RectOperands(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const;
    void WriteFontObjects();
    void WriteFontObject(const TPDFFontEntry& e);
    // The text measurement, made when it is first needed.
    qly::PdfTextMeasure& Measure();

    // The text layer: the code of a character (recorded as used), its font objects.
    uint16_t TextLayerCode(char32_t c);
    void WriteTextLayerFont();

    // Image objects (one or two per image).
    bool TakesTwoObjects(int32_t n) const;
    void WriteImageObjects();
    bool WriteImageObject(const qly::CodedImage& c);
    void WritePlaceholder(bool twoObjects);
    // Records image n's coding job for the current document.
    void AddJob(std::shared_ptr<qly::ImageCodingJob> job);
    void WriteStreamObject(const std::string& dictionary, const std::vector<uint8_t>& data,
                           bool lineFeedBeforeEnd);
    void Placement(int32_t x1, int32_t y1, int32_t x2w, int32_t y2w, int32_t n);

    // Releases what the images of the current document hold (coding jobs, parked files, pixel
    // copies); their entries stay, so image numbers keep counting.
    void ReleaseDocumentImages() noexcept;
    // Ends a document after a failure: frees the per-document state, removes the output file
    // and the document's temporary files; the writer is idle afterwards.
    void AbortDoc() noexcept;
    void FreeDocArrays() noexcept;

    // Fields, in the documented order.
    std::unique_ptr<TDynaArray> objs;      // object entries; BeginDoc .. EndDoc
    std::unique_ptr<TDynaArray> PageProps; // page-size entries; BeginDoc .. EndDoc
    std::unique_ptr<TDynaArray> FontList;  // font entries; BeginDoc .. EndDoc
    std::unique_ptr<TDynaArray> images;    // image entries; the writer's whole life
    TPDFImageEntry* aimag = nullptr;       // current entry of images
    TPDFObjEntry* aobj = nullptr;          // current entry of objs
    int32_t metaobjnr = 0;
    int32_t rootObjNr = 0;
    int32_t procobjsnr = 0;
    int32_t pageobjnr = 0;
    int32_t parentnr = 0;
    int32_t fontobjnr = 0;
    int32_t apages = 0;
    int64_t startxref = 0;
    int64_t startstream = 0;
    int64_t endstream = 0;
    int32_t ofontnr = 0;
    int32_t ofontsize = 0;
    bool fontsetted = false;
    bool brushsetted = false;
    bool pensetted = false;
    bool nofill = false;
    bool noline = false;
    bool isincreation = false;
    std::unique_ptr<qly::PdfTextMeasure> mycanbit; // measures text
    TPen open;
    TBrush oBrush;
    qly::PdfOutputFile f;
    uint8_t* streambuf = nullptr; // current page's content (heap block)
    bool instream = false;
    int32_t sblen = 0;

    // The first image number of the current document.
    int32_t docfirstimage = 0;
    int32_t placeholdercount = 0;
    // Image numbers drawn on each finished page of the current document and on the current one,
    // ascending, each once.
    std::vector<std::vector<int32_t>> pageimages;
    std::vector<int32_t> currentpageimages;
    // The coding pool and the coding job of each image of the current document (index: image
    // number - docfirstimage).
    std::shared_ptr<qly::ImageCodingPool> pool;
    std::vector<std::shared_ptr<qly::ImageCodingJob>> docjobs;
    // The text layer of the current document: the characters of the codes used (code -> code
    // point; codes below 100 hex are one byte), the codes given to characters outside printable
    // ASCII, the pages (from 0) that carry text, and the first of the font's objects.
    std::map<uint16_t, char32_t> textcodes;
    std::map<char32_t, uint16_t> textextracodes;
    std::vector<int32_t> textpages;
    int32_t textfontnr = 0;
};
