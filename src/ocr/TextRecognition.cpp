#include "ocr/TextRecognition.h"

#include "document/Dib.h"
#include "platform/GrafikRW3.h"
#include "platform/Texts.h"

#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <dlfcn.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace qly {
namespace {

// Tesseract refuses pictures beyond this side (its coordinates are 16-bit).
constexpr int32_t kLargestSide = 32767;

std::vector<std::string> splitLanguages(const std::string& languages) {
    std::vector<std::string> codes;
    size_t start = 0;
    for (;;) {
        const size_t plus = languages.find('+', start);
        codes.push_back(languages.substr(start, plus - start));
        if (plus == std::string::npos) {
            return codes;
        }
        start = plus + 1;
    }
}

bool isDirectory(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

// Tesseract's LSTM code runs some loops in OpenMP parallel regions of four threads. On a pool
// that already keeps every core busy with a page each, those threads only compete (a page took
// five times as long on two busy cores), so each thread that recognises makes its parallel
// regions inactive, once. The call is looked up rather than linked: a Tesseract built without
// OpenMP has no such regions and the process no OpenMP library.
void keepOpenMpToThisThread() {
    thread_local bool done = false;
    if (done) {
        return;
    }
    done = true;
    using SetLevels = void (*)(int);
    if (void* symbol = dlsym(RTLD_DEFAULT, "omp_set_max_active_levels")) {
        reinterpret_cast<SetLevels>(symbol)(0);
    }
}

// Luma of ITU-R BT.601 in 16-bit fixed point, rounded.
inline uint8_t grey(uint32_t r, uint32_t g, uint32_t b) {
    return static_cast<uint8_t>((r * 19595 + g * 38470 + b * 7471 + 0x8000) >> 16);
}

// The pixels as Tesseract takes them: rows top-down, 1 bit per pixel with 1 white (bytesPerPixel
// 0), or 8-bit grey (bytesPerPixel 1).
struct TesseractPixels {
    std::vector<uint8_t> rows;
    int32_t bytesPerPixel = 0;
    int32_t bytesPerLine = 0;
};

bool tesseractPixels(const dib& page, TesseractPixels& out) {
    const int32_t w = dibwidth(page);
    const int32_t h = std::abs(dibheight(page));
    const int32_t bits = dibbits(page);
    if (bits == 1) {
        // Tesseract's bilevel pictures have 1 for white: the darker table entry is black.
        const RGBQUAD& c0 = page.pmi->bmiColors[0];
        const RGBQUAD& c1 = page.pmi->bmiColors[1];
        const bool invert =
            grey(c0.rgbRed, c0.rgbGreen, c0.rgbBlue) > grey(c1.rgbRed, c1.rgbGreen, c1.rgbBlue);
        out.bytesPerPixel = 0;
        out.bytesPerLine = (w + 7) / 8;
        out.rows.resize(size_t(out.bytesPerLine) * size_t(h));
        for (int32_t y = 0; y < h; ++y) {
            const uint8_t* s = DibRowTop(page, y);
            uint8_t* d = out.rows.data() + size_t(y) * size_t(out.bytesPerLine);
            for (int32_t i = 0; i < out.bytesPerLine; ++i) {
                d[i] = invert ? static_cast<uint8_t>(~s[i]) : s[i];
            }
        }
        return true;
    }
    std::array<uint8_t, 256> table{};
    if (bits == 4 || bits == 8) {
        // The colours of the palette copy, as the picture coders take them.
        for (size_t i = 0; i < table.size(); ++i) {
            const PALETTEENTRY& e = page.pal.rgb0[i];
            table[i] = grey(e.peRed, e.peGreen, e.peBlue);
        }
    } else if (bits != 16 && bits != 24 && bits != 32) {
        return false;
    }
    out.bytesPerPixel = 1;
    out.bytesPerLine = w;
    out.rows.resize(size_t(w) * size_t(h));
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* s = DibRowTop(page, y);
        uint8_t* d = out.rows.data() + size_t(y) * size_t(w);
        switch (bits) {
        case 4:
            for (int32_t x = 0; x < w; ++x) {
                const uint8_t b = s[x >> 1];
                d[x] = table[(x & 1) == 0 ? b >> 4 : b & 15];
            }
            break;
        case 8:
            for (int32_t x = 0; x < w; ++x) {
                d[x] = table[s[x]];
            }
            break;
        case 16: // 5-5-5, blue in the low bits
            for (int32_t x = 0; x < w; ++x) {
                const uint32_t v = s[2 * x] | uint32_t{s[2 * x + 1]} << 8;
                d[x] = grey(((v >> 10) & 31) * 255 / 31, ((v >> 5) & 31) * 255 / 31,
                            (v & 31) * 255 / 31);
            }
            break;
        default: { // blue, green, red (and a fourth byte)
            const int32_t step = bits / 8;
            for (int32_t x = 0; x < w; ++x, s += step) {
                d[x] = grey(s[2], s[1], s[0]);
            }
        }
        }
    }
    return true;
}

int32_t pageDpi(const dib& page, int32_t fallbackDpi) {
    const int32_t ppm = page.pmi->bmiHeader.biXPelsPerMeter;
    const long dpi = std::lround(ppm * 0.0254);
    return dpi >= 10 && dpi <= 10000 ? static_cast<int32_t>(dpi) : fallbackDpi;
}

struct DeleteText {
    void operator()(char* p) const { delete[] p; }
};

} // namespace

bool validTextLanguages(const std::string& languages) {
    if (languages.empty() || languages.size() > 200) {
        return false;
    }
    for (const std::string& code : splitLanguages(languages)) {
        if (code.empty() || !std::all_of(code.begin(), code.end(), [](unsigned char c) {
                return std::isalnum(c) != 0 || c == '_';
            })) {
            return false;
        }
    }
    return true;
}

std::string textLanguageFolder() {
    if (const char* prefix = std::getenv("TESSDATA_PREFIX"); prefix != nullptr && *prefix != 0) {
        const std::string folder(prefix);
        if (isDirectory(folder + "/tessdata")) {
            return folder + "/tessdata";
        }
        return folder;
    }
    for (const char* folder :
         {"/usr/share/tesseract-ocr/5/tessdata", "/usr/share/tesseract-ocr/4.00/tessdata",
          "/usr/share/tessdata", "/usr/local/share/tessdata"}) {
        if (isDirectory(folder)) {
            return folder;
        }
    }
    return {};
}

std::vector<std::string> installedTextLanguages(const std::string& folder) {
    std::vector<std::string> codes;
    std::error_code ec;
    if (!isDirectory(folder)) {
        return codes;
    }
    for (const fs::directory_entry& e : fs::directory_iterator(folder, ec)) {
        const fs::path p = e.path();
        if (p.extension() == ".traineddata" && p.stem() != "osd" &&
            validTextLanguages(p.stem().string())) {
            codes.push_back(p.stem().string());
        }
    }
    std::sort(codes.begin(), codes.end());
    return codes;
}

std::vector<std::string> missingTextLanguages(const std::string& languages,
                                              const std::string& folder) {
    std::vector<std::string> missing;
    for (const std::string& code : splitLanguages(languages)) {
        std::error_code ec;
        if (folder.empty() || !fs::is_regular_file(folder + "/" + code + ".traineddata", ec)) {
            if (std::find(missing.begin(), missing.end(), code) == missing.end()) {
                missing.push_back(code);
            }
        }
    }
    return missing;
}

std::string textLanguagePackage(const std::string& code) {
    std::string name = "tesseract-ocr-";
    for (const char c : code) {
        name += c == '_' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return name;
}

std::string missingTextLanguagesMessage(const std::vector<std::string>& missing) {
    std::string codes;
    std::string packages;
    for (const std::string& code : missing) {
        codes += (codes.empty() ? "" : ", ") + code;
        packages += (packages.empty() ? "" : " ") + textLanguagePackage(code);
    }
    return qly::withArgs(
        missing.size() == 1
            ? qly::translate("TextRecognition",
                             "Für die Texterkennung fehlt die Sprache %1. Bitte installieren Sie "
                             "das Paket %2. Die PDF-Datei wird ohne erkannten Text geschrieben.")
            : qly::translate("TextRecognition",
                             "Für die Texterkennung fehlen die Sprachen %1. Bitte installieren Sie "
                             "die Pakete %2. Die PDF-Datei wird ohne erkannten Text geschrieben."),
        {codes, packages});
}

// ---------------------------------------------------------------------------------------------
// Engines

// One Tesseract engine with its languages loaded; it ends (TessBaseAPI::End) with the object.
class TextRecognizer::Engine {
  public:
    bool init(const std::string& folder, const std::string& languages) {
        // Tesseract's own notes (a guessed resolution, say) go nowhere rather than onto the
        // terminal of a conversion.
        api_.SetVariable("debug_file", "/dev/null");
        if (api_.Init(folder.c_str(), languages.c_str(), tesseract::OEM_LSTM_ONLY) != 0) {
            return false;
        }
        // The library reads a page as one block of text unless told otherwise; a page needs its
        // layout found first (columns, pictures, tables), as the tesseract program does.
        api_.SetPageSegMode(tesseract::PSM_AUTO);
        return true;
    }
    tesseract::TessBaseAPI& api() { return api_; }

  private:
    tesseract::TessBaseAPI api_;
};

TextRecognizer::TextRecognizer(std::string languages, std::string folder)
    : languages_(std::move(languages)), folder_(std::move(folder)) {}

TextRecognizer::~TextRecognizer() = default;

std::unique_ptr<TextRecognizer::Engine> TextRecognizer::takeEngine() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!idle_.empty()) {
            std::unique_ptr<Engine> e = std::move(idle_.back());
            idle_.pop_back();
            return e;
        }
    }
    if (!validTextLanguages(languages_) || !missingTextLanguages(languages_, folder_).empty()) {
        return nullptr; // Tesseract would only say so on the terminal
    }
    auto e = std::make_unique<Engine>();
    if (!e->init(folder_, languages_)) {
        return nullptr;
    }
    return e;
}

void TextRecognizer::putBack(std::unique_ptr<Engine> engine) {
    const std::lock_guard<std::mutex> lock(mutex_);
    idle_.push_back(std::move(engine));
}

bool TextRecognizer::load() {
    std::unique_ptr<Engine> e = takeEngine();
    if (e == nullptr) {
        return false;
    }
    putBack(std::move(e));
    return true;
}

RecognizedPage TextRecognizer::recognize(const dib& page, int32_t fallbackDpi) {
    RecognizedPage result;
    if (page.poi == nullptr || page.pmi == nullptr) {
        return result;
    }
    const int32_t w = dibwidth(page);
    const int32_t h = std::abs(dibheight(page));
    if (w <= 0 || h <= 0 || w > kLargestSide || h > kLargestSide) {
        return result;
    }
    try {
        keepOpenMpToThisThread();
        std::unique_ptr<Engine> engine = takeEngine();
        if (engine == nullptr) {
            return result;
        }
        tesseract::TessBaseAPI& api = engine->api();
        {
            // Tesseract copies the pixels, so the grey copy goes before recognition starts.
            TesseractPixels pixels;
            if (!tesseractPixels(page, pixels)) {
                putBack(std::move(engine));
                return result;
            }
            api.SetImage(pixels.rows.data(), w, h, pixels.bytesPerPixel, pixels.bytesPerLine);
        }
        api.SetSourceResolution(pageDpi(page, fallbackDpi));
        if (api.Recognize(nullptr) != 0) {
            api.Clear();
            putBack(std::move(engine));
            return result;
        }
        const std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
        if (it != nullptr) {
            constexpr auto kWord = tesseract::RIL_WORD;
            do {
                if (it->Empty(kWord)) {
                    continue;
                }
                const std::unique_ptr<char, DeleteText> text(it->GetUTF8Text(kWord));
                TextLayerWord word;
                if (text == nullptr || *text == 0 ||
                    !it->BoundingBox(kWord, &word.left, &word.top, &word.right, &word.bottom)) {
                    continue;
                }
                word.text = text.get();
                result.words.push_back(std::move(word));
            } while (it->Next(kWord));
        }
        // The page's results go; the languages stay loaded for the next page.
        api.Clear();
        putBack(std::move(engine));
        result.ok = true;
    } catch (...) {
        // Out of memory or an error inside Tesseract: the engine is dropped with whatever state it
        // was left in; the page gets no text.
        result = RecognizedPage{};
    }
    return result;
}

} // namespace qly
