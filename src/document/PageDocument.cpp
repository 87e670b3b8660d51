#include "document/PageDocument.h"

#include "document/Dib.h"
#include "document/DynaArray.h"
#include "document/PageJournal.h"
#include "document/PageList.h"
#include "document/PageStore.h"
#include "platform/Messages.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <unordered_set>

namespace {

dib& record(TDynaArray& bilder, uint32_t index) {
    return *static_cast<dib*>(bilder.GetObject(index));
}

} // namespace

std::vector<uint32_t> interleaveOrder(uint32_t n, int64_t fronts, InterleaveStyle style) {
    if (style == InterleaveStyle::BacksReversed) {
        return interleaveOrder(n, fronts);
    }
    const auto f = static_cast<uint32_t>(std::clamp<int64_t>(fronts, 0, n));
    std::vector<uint32_t> front;
    std::vector<uint32_t> back;
    for (uint32_t k = 0; k < f; ++k) {
        front.push_back(style == InterleaveStyle::FrontsReversed ? f - 1 - k : k);
    }
    for (uint32_t k = f; k < n; ++k) {
        back.push_back(k);
    }
    std::vector<uint32_t> order;
    order.reserve(n);
    for (size_t k = 0; k < std::max(front.size(), back.size()); ++k) {
        if (k < front.size()) {
            order.push_back(front[k]);
        }
        if (k < back.size()) {
            order.push_back(back[k]);
        }
    }
    return order;
}

PageDocument::PageDocument(TDynaArray& bilder) : bilder_(bilder) {
    state_ = stateOfPages({}, 0);
    for (uint32_t i = 0; i < bilder_.count; ++i) {
        pool_[refAt(i)] = record(bilder_, i);
    }
}

PageDocument::~PageDocument() {
    // The pictures only the history holds go; the pages themselves belong to the array, which
    // may have released them already.
    for (PageRef r : state_.order) {
        pool_.erase(r);
    }
    for (auto& [ref, page] : pool_) {
        freedib(page);
    }
}

uint32_t PageDocument::count() const {
    return bilder_.count;
}

PageDocument::PageRef PageDocument::refAt(uint32_t index) const {
    const dib& d = record(bilder_, index);
    // The picture's block is its identity: no two pages share one.
    return d.poih != 0 ? d.poih : reinterpret_cast<PageRef>(d.poi);
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
        qly::messageSink().showMessage(
            qly::translate("PageDocument", "Seite nicht gesichert"),
            qly::withArgs(qly::translate("PageDocument",
                                         "%1\nDie Seite bleibt im Arbeitsspeicher, ist aber bei "
                                         "einem Absturz nicht geschützt."),
                          {error}),
            qly::MessageIcon::Warning);
        return;
    }
    // Ten more pages like this one must fit, or the user hears of it once, in good time.
    const uint64_t pageBytes = static_cast<uint64_t>(page.bytew) * dibheight(page);
    const uint64_t free = store_->freeBytes();
    if (!warnedAboutSpace_ && free != 0 && free < 10 * pageBytes) {
        warnedAboutSpace_ = true;
        qly::messageSink().showMessage(
            qly::translate("PageDocument", "Wenig Platz für Seiten"),
            qly::withArgs(
                qly::translate("PageDocument", "Im Ordner %1 ist nur noch Platz für %2 "
                                               "weitere Seiten dieser Größe (%3 MB frei)."),
                {store_->folder(), std::to_string(free / std::max<uint64_t>(pageBytes, 1)),
                 std::to_string(free >> 20)}),
            qly::MessageIcon::Warning);
    }
}

// ---- state and history ----

PageDocument::State PageDocument::stateOfPages(std::vector<PageRef> selected,
                                               PageRef current) const {
    State s;
    s.order.reserve(bilder_.count);
    for (uint32_t i = 0; i < bilder_.count; ++i) {
        s.order.push_back(refAt(i));
    }
    // Only pages that are there can be selected or current.
    const std::unordered_set<PageRef> present(s.order.begin(), s.order.end());
    std::sort(selected.begin(), selected.end());
    selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
    for (PageRef r : selected) {
        if (present.count(r) != 0) {
            s.selected.push_back(r);
        }
    }
    s.current = present.count(current) != 0 ? current : 0;
    return s;
}

void PageDocument::dropPageRecords() {
    while (bilder_.count > 0) {
        bilder_.Delete(static_cast<int32_t>(bilder_.count - 1));
    }
}

void PageDocument::show(const State& state) {
    // Records may have changed in the array (the views keep their identity in them): the pool
    // takes them back first.
    for (uint32_t i = 0; i < bilder_.count; ++i) {
        pool_[refAt(i)] = record(bilder_, i);
    }
    dropPageRecords();
    for (PageRef r : state.order) {
        void* slot = bilder_.Add();
        if (slot == nullptr) {
            break; // the array has reported it; the pictures stay in the pool
        }
        std::memcpy(slot, &pool_.at(r), sizeof(dib));
    }
    state_ = stateOfPages(state.selected, state.current);
}

void PageDocument::commit(const std::string& name, const PageChange& change,
                          std::vector<PageRef> selected, PageRef current) {
    State before = state_;
    for (uint32_t i = 0; i < bilder_.count; ++i) {
        pool_[refAt(i)] = record(bilder_, i);
    }
    state_ = stateOfPages(std::move(selected), current);
    undo_.push_back({name, std::move(before), state_});
    while (undo_.size() > kHistorySteps) {
        undo_.pop_front();
    }
    redo_.clear();
    std::erase_if(marks_, [this](PageRef r) {
        return std::find(state_.order.begin(), state_.order.end(), r) == state_.order.end();
    });
    releaseUnreferenced();
    notify(change);
}

void PageDocument::releaseUnreferenced() {
    std::unordered_set<PageRef> used(state_.order.begin(), state_.order.end());
    const auto keep = [&used](const State& s) { used.insert(s.order.begin(), s.order.end()); };
    for (const Step& step : undo_) {
        keep(step.before);
        keep(step.after);
    }
    for (const Step& step : redo_) {
        keep(step.before);
        keep(step.after);
    }
    for (auto it = pool_.begin(); it != pool_.end();) {
        if (used.count(it->first) == 0) {
            freedib(it->second);
            it = pool_.erase(it);
        } else {
            ++it;
        }
    }
}

std::string PageDocument::undoName() const {
    return undo_.empty() ? std::string()
                         : qly::translate("PageDocument", undo_.back().name.c_str());
}

std::string PageDocument::redoName() const {
    return redo_.empty() ? std::string()
                         : qly::translate("PageDocument", redo_.back().name.c_str());
}

bool PageDocument::undo() {
    if (undo_.empty()) {
        return false;
    }
    Step step = std::move(undo_.back());
    undo_.pop_back();
    show(step.before);
    redo_.push_back(std::move(step));
    notify({PageChange::Kind::Reset, 0, bilder_.count});
    return true;
}

bool PageDocument::redo() {
    if (redo_.empty()) {
        return false;
    }
    Step step = std::move(redo_.back());
    redo_.pop_back();
    show(step.after);
    undo_.push_back(std::move(step));
    notify({PageChange::Kind::Reset, 0, bilder_.count});
    return true;
}

void PageDocument::clearHistory() {
    undo_.clear();
    redo_.clear();
    releaseUnreferenced();
}

// ---- selection ----

int64_t PageDocument::current() const {
    for (uint32_t i = 0; i < state_.order.size(); ++i) {
        if (state_.order[i] == state_.current) {
            return i;
        }
    }
    return -1;
}

bool PageDocument::isSelected(uint32_t index) const {
    return index < state_.order.size() &&
           std::binary_search(state_.selected.begin(), state_.selected.end(), state_.order[index]);
}

std::vector<uint32_t> PageDocument::selection() const {
    std::vector<uint32_t> out;
    for (uint32_t i = 0; i < state_.order.size(); ++i) {
        if (isSelected(i)) {
            out.push_back(i);
        }
    }
    return out;
}

void PageDocument::click(uint32_t index, bool toggle, bool extend) {
    if (index >= state_.order.size()) {
        return;
    }
    const PageRef r = state_.order[index];
    std::vector<PageRef> selected = state_.selected;
    if (extend && current() >= 0) {
        const auto from = static_cast<uint32_t>(current());
        if (!toggle) {
            selected.clear();
        }
        for (uint32_t i = std::min(from, index); i <= std::max(from, index); ++i) {
            selected.push_back(state_.order[i]);
        }
        // The anchor stays where it was, so Shift+click again extends from the same page.
        state_ = stateOfPages(std::move(selected), state_.current);
        extentEnd_ = r;
    } else if (toggle) {
        const auto it = std::find(selected.begin(), selected.end(), r);
        if (it != selected.end()) {
            selected.erase(it);
        } else {
            selected.push_back(r);
        }
        state_ = stateOfPages(std::move(selected), r);
        extentEnd_ = 0;
    } else {
        state_ = stateOfPages({r}, r);
        extentEnd_ = 0;
    }
    notify({PageChange::Kind::Selection, 0, bilder_.count});
}

std::vector<uint32_t> PageDocument::selectionOrCurrent() const {
    std::vector<uint32_t> chosen = selection();
    if (chosen.empty() && current() >= 0) {
        chosen.push_back(static_cast<uint32_t>(current()));
    }
    return chosen;
}

int64_t PageDocument::extentEnd() const {
    if (extentEnd_ != 0 &&
        std::binary_search(state_.selected.begin(), state_.selected.end(), extentEnd_)) {
        const auto it = std::find(state_.order.begin(), state_.order.end(), extentEnd_);
        if (it != state_.order.end()) {
            return it - state_.order.begin();
        }
    }
    return current();
}

void PageDocument::selectAll() {
    state_ = stateOfPages(state_.order, state_.current);
    notify({PageChange::Kind::Selection, 0, bilder_.count});
}

void PageDocument::setCurrent(uint32_t index) {
    if (index >= state_.order.size() || state_.order[index] == state_.current) {
        return;
    }
    const PageRef r = state_.order[index];
    // A current page that was the whole selection hands it on; a larger selection stays.
    std::vector<PageRef> selected = state_.selected;
    if (selected.size() <= 1) {
        selected = {r};
    }
    state_ = stateOfPages(std::move(selected), r);
    extentEnd_ = 0;
    notify({PageChange::Kind::Selection, 0, bilder_.count});
}

// ---- changes ----

void PageDocument::appended(uint32_t from, const std::string& name, int64_t at) {
    if (from >= bilder_.count) {
        return;
    }
    const uint32_t added = bilder_.count - from;
    for (uint32_t i = from; i < bilder_.count; ++i) {
        adopt(record(bilder_, i));
    }
    std::vector<PageRef> fresh;
    for (uint32_t i = from; i < bilder_.count; ++i) {
        fresh.push_back(refAt(i));
    }
    uint32_t first = from;
    if (at >= 0 && at < int64_t{from}) {
        // Moved to their place within the array: the records, not the pictures.
        const size_t size = bilder_.size;
        std::vector<uint8_t> moved(size_t{added} * size);
        std::memcpy(moved.data(), bilder_.poi + size_t{from} * size, moved.size());
        std::memmove(bilder_.poi + (size_t(at) + added) * size, bilder_.poi + size_t(at) * size,
                     (size_t{from} - size_t(at)) * size);
        std::memcpy(bilder_.poi + size_t(at) * size, moved.data(), moved.size());
        bilder_.aobj = nullptr;
        bilder_.aobjnr = -1;
        first = static_cast<uint32_t>(at);
    }
    if (first != from) {
        // Pages dropped in place become the selection, so they can be moved on at once.
        const PageRef last = fresh.back();
        commit(name, {PageChange::Kind::Inserted, first, added}, std::move(fresh), last);
        return;
    }
    commit(name, {PageChange::Kind::Inserted, first, added}, state_.selected, state_.current);
}

bool PageDocument::replacePicture(int64_t n, dib& picture, const std::string& name) {
    if (n < 1 || n > int64_t{bilder_.count}) {
        freedib(picture);
        return false;
    }
    std::vector<std::pair<uint32_t, dib>> one{{static_cast<uint32_t>(n - 1), picture}};
    replacePictures(one, name);
    return true;
}

void PageDocument::replacePictures(std::vector<std::pair<uint32_t, dib>>& pictures,
                                   const std::string& name) {
    std::vector<PageRef> selected;
    PageRef current = 0;
    uint32_t first = bilder_.count;
    uint32_t last = 0;
    bool any = false;
    for (auto& [index, picture] : pictures) {
        if (index >= bilder_.count) {
            freedib(picture);
            continue;
        }
        adopt(picture);
        dib& slot = record(bilder_, index);
        const bool wasSelected = isSelected(index);
        const bool wasCurrent = refAt(index) == state_.current;
        pool_[refAt(index)] = slot; // the old picture stays for undo
        slot.pmi = picture.pmi;
        slot.poi = picture.poi;
        slot.pmih = picture.pmih;
        slot.poih = picture.poih;
        slot.bytew = picture.bytew;
        slot.pal = picture.pal;
        slot.ispal = picture.ispal;
        // A new picture has an identity of its own (none yet, or the one its kept JPEG file is
        // known by), so nothing cached for the old picture fits it.
        slot.NOTUSEDINFIXEDMEMlp = picture.NOTUSEDINFIXEDMEMlp;
        if (wasSelected) {
            selected.push_back(refAt(index));
        }
        if (wasCurrent) {
            current = refAt(index);
        }
        first = std::min(first, index);
        last = std::max(last, index);
        any = true;
    }
    if (!any) {
        return;
    }
    for (uint32_t i = 0; i < bilder_.count; ++i) {
        if (isSelected(i) &&
            std::find(selected.begin(), selected.end(), refAt(i)) == selected.end()) {
            selected.push_back(refAt(i));
        }
    }
    if (current == 0) {
        current = state_.current;
    }
    commit(name, {PageChange::Kind::Replaced, first, last - first + 1}, std::move(selected),
           current);
}

bool PageDocument::remove(int64_t n) {
    if (n < 1 || n > int64_t{bilder_.count}) {
        return false;
    }
    return removePages({static_cast<uint32_t>(n - 1)});
}

bool PageDocument::removePages(const std::vector<uint32_t>& indices, const std::string& name) {
    std::vector<uint32_t> gone(indices);
    std::sort(gone.begin(), gone.end());
    gone.erase(std::unique(gone.begin(), gone.end()), gone.end());
    while (!gone.empty() && gone.back() >= bilder_.count) {
        gone.pop_back();
    }
    if (gone.empty()) {
        return false;
    }
    for (uint32_t i = 0; i < bilder_.count; ++i) {
        pool_[refAt(i)] = record(bilder_, i);
    }
    // The records go, the pictures stay in the history.
    for (auto it = gone.rbegin(); it != gone.rend(); ++it) {
        bilder_.Delete(static_cast<int32_t>(*it));
    }
    // The page after the first one gone becomes current, else the one before.
    PageRef current = 0;
    if (bilder_.count > 0) {
        current = refAt(std::min(gone.front(), bilder_.count - 1));
    }
    commit(name, {PageChange::Kind::Removed, gone.front(), uint32_t(gone.size())}, {current},
           current);
    return true;
}

bool PageDocument::moveSelectionOnePlace(bool towardStart) {
    const std::vector<uint32_t> chosen = selectionOrCurrent();
    if (chosen.empty()) {
        return false;
    }
    const uint32_t before = towardStart ? (chosen.front() > 0 ? chosen.front() - 1 : 0)
                                        : std::min(chosen.back() + 2, count());
    return movePages(chosen, before);
}

bool PageDocument::movePages(const std::vector<uint32_t>& indices, uint32_t before,
                             const std::string& name) {
    const uint32_t n = bilder_.count;
    std::vector<uint32_t> moving(indices);
    std::sort(moving.begin(), moving.end());
    moving.erase(std::unique(moving.begin(), moving.end()), moving.end());
    while (!moving.empty() && moving.back() >= n) {
        moving.pop_back();
    }
    if (moving.empty() || before > n) {
        return false;
    }
    std::vector<bool> isMoving(n, false);
    for (uint32_t i : moving) {
        isMoving[i] = true;
    }
    std::vector<uint32_t> order;
    order.reserve(n);
    for (uint32_t i = 0; i <= n; ++i) {
        if (i == before) {
            order.insert(order.end(), moving.begin(), moving.end());
        }
        if (i < n && !isMoving[i]) {
            order.push_back(i);
        }
    }
    bool changed = false;
    for (uint32_t i = 0; i < n; ++i) {
        changed = changed || order[i] != i;
    }
    if (!changed) {
        return false;
    }
    std::vector<PageRef> selected;
    for (uint32_t i : moving) {
        selected.push_back(refAt(i));
    }
    const PageRef current =
        std::find(selected.begin(), selected.end(), state_.current) != selected.end()
            ? state_.current
            : selected.front();
    reorder(order);
    commit(name, {PageChange::Kind::Moved, 0, n}, std::move(selected), current);
    return true;
}

void PageDocument::reorder(const std::vector<uint32_t>& order) {
    // Records move as bytes; the pictures stay where they are.
    const size_t size = bilder_.size;
    std::vector<uint8_t> reordered(order.size() * size);
    for (size_t k = 0; k < order.size(); ++k) {
        std::memcpy(reordered.data() + k * size, bilder_.poi + size_t{order[k]} * size, size);
    }
    if (!reordered.empty()) {
        std::memcpy(bilder_.poi, reordered.data(), reordered.size());
    }
    bilder_.aobj = nullptr;
    bilder_.aobjnr = -1;
}

bool PageDocument::moveForward(int32_t& adib) {
    if (!movePageForward(bilder_, adib)) {
        return false;
    }
    const PageRef r = refAt(static_cast<uint32_t>(adib - 1));
    commit(QLY_TRANSLATE_NOOP("PageDocument", "Nach vorne"),
           {PageChange::Kind::Moved, static_cast<uint32_t>(adib - 1), 2}, {r}, r);
    return true;
}

bool PageDocument::moveBack(int32_t& adib) {
    if (!movePageBack(bilder_, adib)) {
        return false;
    }
    const PageRef r = refAt(static_cast<uint32_t>(adib - 1));
    commit(QLY_TRANSLATE_NOOP("PageDocument", "Nach hinten"),
           {PageChange::Kind::Moved, static_cast<uint32_t>(adib - 2), 2}, {r}, r);
    return true;
}

bool PageDocument::interleave(int64_t firstBackSide, InterleaveStyle style) {
    if (style == InterleaveStyle::BacksReversed) {
        if (!interleavePages(bilder_, firstBackSide)) {
            return false;
        }
    } else {
        reorder(interleaveOrder(bilder_.count, firstBackSide - 1, style));
    }
    commit(QLY_TRANSLATE_NOOP("PageDocument", "Verschränken"),
           {PageChange::Kind::Moved, 0, bilder_.count}, state_.selected, state_.current);
    return true;
}

void PageDocument::restoreSession(qly::LeftSession& session, std::vector<std::string>& problems) {
    const uint32_t before = bilder_.count;
    session.restoreInto(*store_, bilder_, problems);
    appended(before);
}

void PageDocument::replaceAll(TDynaArray& fresh, const std::string& name) {
    for (uint32_t i = 0; i < bilder_.count; ++i) {
        pool_[refAt(i)] = record(bilder_, i);
    }
    dropPageRecords();
    for (uint32_t i = 0; i < fresh.count; ++i) {
        dib& page = record(fresh, i);
        adopt(page);
        void* slot = bilder_.Add();
        if (slot == nullptr) {
            freedib(page); // the array has reported it
            continue;
        }
        std::memcpy(slot, &page, sizeof page);
    }
    fresh.Clear();
    commit(name, {PageChange::Kind::Reset, 0, bilder_.count}, {}, 0);
}

void PageDocument::clear() {
    for (uint32_t i = 0; i < bilder_.count; ++i) {
        pool_[refAt(i)] = record(bilder_, i);
    }
    dropPageRecords();
    commit(QLY_TRANSLATE_NOOP("PageDocument", "Neu"), {PageChange::Kind::Reset, 0, 0}, {}, 0);
}

// ---- marks ----

bool PageDocument::isMarked(uint32_t index) const {
    return index < state_.order.size() && marks_.count(state_.order[index]) != 0;
}

void PageDocument::setMarks(const std::vector<uint32_t>& indices) {
    marks_.clear();
    for (uint32_t i : indices) {
        if (i < state_.order.size()) {
            marks_.insert(state_.order[i]);
        }
    }
    notify({PageChange::Kind::Selection, 0, bilder_.count});
}

size_t PageDocument::markWhere(const std::function<bool(const dib&)>& test,
                               const std::function<void(uint32_t, uint32_t)>& progress) {
    std::vector<uint32_t> hits;
    const auto n = static_cast<uint32_t>(state_.order.size());
    for (uint32_t i = 0; i < n; ++i) {
        if (test(*static_cast<const dib*>(bilder_.GetObject(i)))) {
            hits.push_back(i);
        }
        if (progress) {
            progress(i + 1, n);
        }
    }
    setMarks(hits);
    return hits.size();
}

std::vector<uint32_t> PageDocument::marked() const {
    std::vector<uint32_t> out;
    for (uint32_t i = 0; i < state_.order.size(); ++i) {
        if (isMarked(i)) {
            out.push_back(i);
        }
    }
    return out;
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

void PageJournalWriter::pagesChanged(const PageChange& change) {
    if (change.kind != PageChange::Kind::Selection) {
        write();
    }
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
            qly::translate("PageDocument", "Seitenliste nicht gesichert"),
            error.empty()
                ? qly::withArgs(qly::translate("PageDocument",
                                               "Die Seiten im Ordner %1 können nicht auf den "
                                               "Datenträger geschrieben werden."),
                                {store_.folder()})
                : error,
            qly::MessageIcon::Warning);
    }
    return false;
}
