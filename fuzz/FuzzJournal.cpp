// libFuzzer target for the journal of a session folder: any text is either refused, leaving
// nothing, or read into contents that write back to a text read as the same contents, naming
// only page files of the folder itself.
#include "document/PageJournal.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    qly::JournalContents c;
    if (!qly::parseJournal(text, c)) {
        if (!c.pages.empty()) {
            std::abort();
        }
        return 0;
    }
    for (const std::string& name : c.pages) {
        if (name.find('/') != std::string::npos || name.find("..") != std::string::npos) {
            std::abort();
        }
    }
    qly::JournalContents again;
    if (!qly::parseJournal(qly::journalText(c), again) || again.pages != c.pages ||
        again.time != c.time || again.layout.BreitEd != c.layout.BreitEd ||
        again.layout.RandHEd != c.layout.RandHEd ||
        again.layout.ShowPDFCheck != c.layout.ShowPDFCheck) {
        std::abort();
    }
    return 0;
}
