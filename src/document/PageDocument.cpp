#include "document/PageDocument.h"

#include "document/Dib.h"
#include "document/DynaArray.h"
#include "document/PageJournal.h"
#include "document/PageList.h"
#include "document/PageStore.h"
#include "platform/Messages.h"

#include <algorithm>
#include <chrono>

namespace {

dib& record(TDynaArray& bilder, uint32_t index) {
    return *static_cast<dib*>(bilder.GetObject(index));
}

} // namespace

PageDocument::PageDocument(TDynaArray& bilder) : bilder_(bilder) {}

uint32_t PageDocument::count() const {
    return bilder_.count;
}

void PageDocument::addObserver(PageObserver* observer) {
    observers_.push_back(observer);
}

void PageDocument::removeObserver(PageObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void PageDocument::notify(const PageChange& change) {
    for (PageObserver* o : std::vector<PageObserver*>(observers_)) {
        o->pagesChanged(change);
    }
}

void PageDocument::adopt(dib& page) {
    if (store_ == nullptr || page.poi == nullptr) {
        return;
    }
    std::string error;
    if (!store_->adopt(page, error)) {
        qly::messageSink().showMessage("Seite nicht gesichert",
                                       error + "\nDie Seite bleibt im Arbeitsspeicher, ist aber "
                                               "bei einem Absturz nicht geschützt.",
                                       qly::MessageIcon::Warning);
        return;
    }
    // Ten more pages like this one must fit, or the user hears of it once, in good time.
    const uint64_t pageBytes = static_cast<uint64_t>(page.bytew) * dibheight(page);
    const uint64_t free = store_->freeBytes();
    if (!warnedAboutSpace_ && free != 0 && free < 10 * pageBytes) {
        warnedAboutSpace_ = true;
        qly::messageSink().showMessage(
            "Wenig Platz für Seiten",
            "Im Ordner " + store_->folder() + " ist nur noch Platz für " +
                std::to_string(free / std::max<uint64_t>(pageBytes, 1)) +
                " weitere Seiten dieser Größe (" + std::to_string(free >> 20) + " MB frei).",
            qly::MessageIcon::Warning);
    }
}

void PageDocument::appended(uint32_t from) {
    if (from >= bilder_.count) {
        return;
    }
    for (uint32_t i = from; i < bilder_.count; ++i) {
        adopt(record(bilder_, i));
    }
    notify({PageChange::Kind::Inserted, from, bilder_.count - from});
}

void PageDocument::replaced(int64_t n) {
    if (n < 1 || n > int64_t{bilder_.count}) {
        return;
    }
    const auto index = static_cast<uint32_t>(n - 1);
    adopt(record(bilder_, index));
    notify({PageChange::Kind::Replaced, index, 1});
}

bool PageDocument::remove(int64_t n) {
    if (!deletePage(bilder_, n)) {
        return false;
    }
    notify({PageChange::Kind::Removed, static_cast<uint32_t>(n - 1), 1});
    return true;
}

bool PageDocument::moveForward(int32_t& adib) {
    if (!movePageForward(bilder_, adib)) {
        return false;
    }
    notify({PageChange::Kind::Moved, static_cast<uint32_t>(adib - 1), 2});
    return true;
}

bool PageDocument::moveBack(int32_t& adib) {
    if (!movePageBack(bilder_, adib)) {
        return false;
    }
    notify({PageChange::Kind::Moved, static_cast<uint32_t>(adib - 2), 2});
    return true;
}

bool PageDocument::interleave(int64_t firstBackSide) {
    if (!interleavePages(bilder_, firstBackSide)) {
        return false;
    }
    notify({PageChange::Kind::Moved, 0, bilder_.count});
    return true;
}

void PageDocument::replaceAll(TDynaArray& fresh) {
    replacePages(bilder_, fresh);
    for (uint32_t i = 0; i < bilder_.count; ++i) {
        adopt(record(bilder_, i));
    }
    notify({PageChange::Kind::Reset, 0, bilder_.count});
}

void PageDocument::clear() {
    releaseAllPages(bilder_);
    notify({PageChange::Kind::Reset, 0, 0});
}

// ---- the journal ----

PageJournalWriter::PageJournalWriter(PageDocument& pages, qly::PageStore& store,
                                     std::function<DocumentLayout()> layout)
    : pages_(pages), store_(store), layout_(std::move(layout)) {
    store_.deferRemoval(true);
    pages_.addObserver(this);
}

PageJournalWriter::~PageJournalWriter() {
    pages_.removeObserver(this);
    store_.deferRemoval(false);
    store_.removeReleased();
}

void PageJournalWriter::pagesChanged(const PageChange&) {
    write();
}

bool PageJournalWriter::write() {
    qly::JournalContents c;
    c.time = std::chrono::duration_cast<std::chrono::seconds>(
                 std::chrono::system_clock::now().time_since_epoch())
                 .count();
    c.layout = layout_ ? layout_() : DocumentLayout{};
    TDynaArray& bilder = pages_.bilder();
    c.pages.reserve(bilder.count);
    for (uint32_t i = 0; i < bilder.count; ++i) {
        // A page that could not be stored lives on the heap only: nothing to name.
        std::string file = qly::PageStore::fileOf(record(bilder, i));
        if (!file.empty()) {
            c.pages.push_back(std::move(file));
        }
    }
    // Page files first, so the journal names only complete ones; released files go once the
    // journal that no longer names them is in place.
    std::string error;
    const bool ok = store_.flushPages() && qly::writeJournal(store_.folder(), c, error);
    if (ok) {
        store_.removeReleased();
        reported_ = false;
        return true;
    }
    if (!reported_) {
        reported_ = true;
        qly::messageSink().showMessage(
            "Seitenliste nicht gesichert",
            error.empty() ? "Die Seiten im Ordner " + store_.folder() +
                                " können nicht auf den Datenträger geschrieben werden."
                          : error,
            qly::MessageIcon::Warning);
    }
    return false;
}
