#pragma once
// Recognising the text of a page through Tesseract (libtesseract 5, LSTM engine): the words with
// their boxes, for the invisible text layer of the PDF (pdf/PdfTextLayer.h), and the language
// files Tesseract needs (one `<code>.traineddata` per language, in Debian's packages
// tesseract-ocr-<code>).

#include "pdf/PdfTextLayer.h"
#include "platform/DibRecord.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qly {

// The languages recognised unless the user chose others: German first, since Tesseract tries the
// first language first and German text has words English lacks (umlauts, ß).
inline constexpr const char* kDefaultTextLanguages = "deu+eng";

// True for a language list in Tesseract's form: codes of letters, digits and '_' joined by '+'
// ("deu+eng", "chi_sim"), at most 200 characters.
bool validTextLanguages(const std::string& languages);

// The folder of Tesseract's language files: TESSDATA_PREFIX when it is set (that folder, or its
// "tessdata" folder when it has one), else the first of the system's folders
// (/usr/share/tesseract-ocr/5/tessdata and its older and local counterparts) that exists; empty
// when there is none.
std::string textLanguageFolder();
// The languages installed in `folder` (the names of its .traineddata files, without "osd", which
// finds a page's orientation and recognises no text), sorted; empty when there are none.
std::vector<std::string> installedTextLanguages(const std::string& folder = textLanguageFolder());
// The codes of `languages` (a valid list) whose file is missing from `folder`, in their order.
std::vector<std::string> missingTextLanguages(const std::string& languages,
                                              const std::string& folder = textLanguageFolder());
// The Debian package holding a language's file: "tesseract-ocr-" followed by the code in lower
// case with '_' as '-' (chi_sim: tesseract-ocr-chi-sim).
std::string textLanguagePackage(const std::string& code);
// The German message for languages whose files are missing: it names them and the packages to
// install, and says that the PDF is written without text.
std::string missingTextLanguagesMessage(const std::vector<std::string>& missing);

// What recognising one page gave.
struct RecognizedPage {
    // False when the page could not be recognised: no engine for the languages, a picture
    // Tesseract cannot take (wider or taller than 32767 pixels, no pixels), or an error on the
    // way. A recognised page may have no words.
    bool ok = false;
    // The words in reading order, their boxes in the page's pixels (top row 0).
    std::vector<TextLayerWord> words;
};

// Recognises pages in one list of languages, on any number of threads at once. Each call takes a
// Tesseract engine of its own from the recognizer's stock (made at the first need and kept for the
// next pages, since loading the language data takes a good part of a second) and puts it back.
class TextRecognizer {
  public:
    // `languages` in Tesseract's form, their files in `folder`.
    explicit TextRecognizer(std::string languages, std::string folder = textLanguageFolder());
    ~TextRecognizer();
    TextRecognizer(const TextRecognizer&) = delete;
    TextRecognizer& operator=(const TextRecognizer&) = delete;

    // Loads an engine ahead of the first page: false when the languages cannot be loaded (a
    // missing or damaged file).
    bool load();

    // Recognises `page` (a picture of the image library, left unchanged) from its own pixels at
    // its own resolution, `fallbackDpi` when its header has none. 1-bit pages go to Tesseract as
    // they are (the darker colour as black), every other depth as a grey copy.
    RecognizedPage recognize(const dib& page, int32_t fallbackDpi);

  private:
    class Engine;
    std::unique_ptr<Engine> takeEngine();
    void putBack(std::unique_ptr<Engine> engine);

    std::string languages_;
    std::string folder_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<Engine>> idle_;
};

} // namespace qly
