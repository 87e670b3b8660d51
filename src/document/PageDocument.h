#pragma once
// The pages of a document in one place: the record array (records of type dib), the current page
// and the selection, and the history of every change made to them, with observers that hear of
// each change (the journal of the session folder, the views). Pages that come in are moved into
// the page store, when there is one, so their pixels live in files. No widgets: the window, the
// command line and the tests use it alike.
//
// Every change is one step of the history, which knows the pages before and after it as lists
// of page references (the picture's block, which no other page shares), never as copies of
// pixels: undoing a deletion puts the same picture back. A picture is released once neither the
// pages nor any step of the history refers to it. At least 100 steps are kept.

#include "document/DocumentFile.h"
#include "platform/DibRecord.h"
#include "platform/Texts.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

class TDynaArray;

namespace qly {
class LeftSession;
class PageStore;
} // namespace qly

struct PageChange {
    enum class Kind {
        Inserted, // pages first .. first+count-1 are new
        Removed,  // count pages from first on are gone
        Moved,    // the order changed within first .. first+count-1
        Replaced, // the pictures of those pages changed
        Reset,    // anything may have changed (undo, redo, opening a document)
        Selection // only the selection or the current page changed
    };
    Kind kind;
    uint32_t first = 0;
    uint32_t count = 0;
};

class PageObserver {
  public:
    virtual ~PageObserver() = default;
    virtual void pagesChanged(const PageChange& change) = 0;
};

// How the front and back sides of a duplex batch were scanned.
enum class InterleaveStyle {
    BacksReversed,  // fronts in order, then the backs from the last sheet to the first
    BacksSameOrder, // fronts in order, then the backs in the same order
    FrontsReversed, // fronts from the last sheet to the first, then the backs in order
};

// The new order as 0-based old indices for n pages of which the first `fronts` are front sides.
// BacksReversed is interleaveOrder of document/PageList.h; the others pair front k with back k
// of their stacks and append what is left of the longer one.
std::vector<uint32_t> interleaveOrder(uint32_t n, int64_t fronts, InterleaveStyle style);

class PageDocument {
  public:
    using PageRef = uintptr_t;

    explicit PageDocument(TDynaArray& bilder);
    ~PageDocument();
    PageDocument(const PageDocument&) = delete;
    PageDocument& operator=(const PageDocument&) = delete;

    TDynaArray& bilder() { return bilder_; }
    uint32_t count() const;

    // Where the pages' pixels go from now on; null keeps them on the heap. Pages there already
    // stay where they are.
    void setStore(qly::PageStore* store) { store_ = store; }
    qly::PageStore* store() const { return store_; }
    void addObserver(PageObserver* observer);
    void removeObserver(PageObserver* observer);

    // Moves one page's picture into the store. A page that cannot be stored (a full disk) stays
    // on the heap, and the message sink says why, naming the folder; when the space left on the
    // disk would not hold ten more pages of this size, it warns once.
    void adopt(dib& page);

    // ---- the current page and the selection (0-based indices) ----
    // The current page, the one the window shows and acts on; -1 without pages.
    int64_t current() const;
    bool isSelected(uint32_t index) const;
    std::vector<uint32_t> selection() const; // ascending
    // A click: the page alone is selected and current. With `toggle` (Ctrl) it joins or leaves
    // the selection and becomes current; with `extend` (Shift) the pages from the current one to
    // it are selected. Out of range: nothing.
    void click(uint32_t index, bool toggle = false, bool extend = false);
    void selectAll();
    // The selection, or the current page alone when nothing is selected (what a command on "the
    // selected pages" acts on); empty without pages.
    std::vector<uint32_t> selectionOrCurrent() const;
    // The moving end of a selection extended with Shift: the page last reached by an extending
    // click, while it is still selected; else the current page. Shift+arrow keys go on from it.
    int64_t extentEnd() const;
    // Sets the current page without touching the selection's others (the page number field).
    void setCurrent(uint32_t index);

    // ---- changes; each is one step of the history ----
    // Pages from..count-1 were appended (picture files read, a scan, a document's pages); with
    // `at` below their first index they are moved there in the same step and become the
    // selection, the last of them current (pages dropped in place); else the selection stays.
    void appended(uint32_t from,
                  const std::string& name = QLY_TRANSLATE_NOOP("PageDocument", "Hinzufügen"),
                  int64_t at = -1);
    // Page n's (1-based) picture becomes `picture` (turning it, say); the old picture stays in
    // the history. False (the picture released) when n is out of range.
    bool replacePicture(int64_t n, dib& picture,
                        const std::string& name = QLY_TRANSLATE_NOOP("PageDocument", "Drehen"));
    // Several pictures replaced in one step (turning the selection): index and new picture.
    void replacePictures(std::vector<std::pair<uint32_t, dib>>& pictures,
                         const std::string& name = QLY_TRANSLATE_NOOP("PageDocument", "Drehen"));
    // The page-list operations of document/PageList.h, as steps.
    bool remove(int64_t n);
    bool moveForward(int32_t& adib);
    bool moveBack(int32_t& adib);
    bool interleave(int64_t firstBackSide, InterleaveStyle style = InterleaveStyle::BacksReversed);
    // Removes the pages at `indices` in one step.
    bool removePages(const std::vector<uint32_t>& indices,
                     const std::string& name = QLY_TRANSLATE_NOOP("PageDocument", "Löschen"));
    // Moves the pages at `indices` (any order) so that they stand together, in their order,
    // before the page that is at `before` now (count: at the end). False when nothing moves.
    // Moves the selection (or the current page) one place toward the start or the end, the pages
    // keeping together in their order. False when nothing moves.
    bool moveSelectionOnePlace(bool towardStart);
    bool movePages(const std::vector<uint32_t>& indices, uint32_t before,
                   const std::string& name = QLY_TRANSLATE_NOOP("PageDocument", "Verschieben"));
    // The pages of a session a crash left behind come after the pages there are, as one step,
    // their pictures moved into this document's store (which must be set); `problems` names the
    // pages that could not come back.
    void restoreSession(qly::LeftSession& session, std::vector<std::string>& problems);
    // Every page is replaced by the records of `fresh`, which is left empty (opening a document).
    void replaceAll(TDynaArray& fresh,
                    const std::string& name = QLY_TRANSLATE_NOOP("PageDocument", "Öffnen"));
    // Every page goes (a new, empty document).
    void clear();

    // ---- marks (blank pages found, say): kept with the page, not part of the history ----
    bool isMarked(uint32_t index) const;
    void setMarks(const std::vector<uint32_t>& indices);
    // Marks the pages for which `test` holds and unmarks the others; `progress` hears of each
    // page looked at (pages done, pages in all). Returns how many are marked.
    size_t markWhere(const std::function<bool(const dib&)>& test,
                     const std::function<void(uint32_t, uint32_t)>& progress = {});
    std::vector<uint32_t> marked() const;

    // ---- history ----
    bool canUndo() const { return !undo_.empty(); }
    size_t undoSteps() const { return undo_.size(); }
    bool canRedo() const { return !redo_.empty(); }
    // The name of the step undo or redo would take back or do again, in the user's language:
    // steps are named in German, and a name marked in the context "PageDocument" is translated.
    std::string undoName() const;
    std::string redoName() const;
    bool undo();
    bool redo();
    // Forgets every step (the pictures only the history held are released).
    void clearHistory();
    static constexpr size_t kHistorySteps = 100;

  private:
    struct State {
        std::vector<PageRef> order;
        std::vector<PageRef> selected; // sorted
        PageRef current = 0;
    };
    struct Step {
        std::string name;
        State before;
        State after;
    };

    State stateOfPages(std::vector<PageRef> selected, PageRef current) const;
    // Makes the record array hold `state.order` again and takes its selection.
    void show(const State& state);
    // Ends a change: the pages as they are now, with this selection and current page, become a
    // step after the state before it.
    void commit(const std::string& name, const PageChange& change, std::vector<PageRef> selected,
                PageRef current);
    void releaseUnreferenced();
    void notify(const PageChange& change);
    void dropPageRecords(); // the array forgets its records without releasing pictures
    // The records in the order of the old indices `order` (a permutation of all of them).
    void reorder(const std::vector<uint32_t>& order);
    PageRef refAt(uint32_t index) const;

    TDynaArray& bilder_;
    qly::PageStore* store_ = nullptr;
    std::vector<PageObserver*> observers_;
    bool warnedAboutSpace_ = false;
    // Every picture the pages or the history refer to, with its record.
    std::unordered_map<PageRef, dib> pool_;
    State state_;
    std::deque<Step> undo_;
    std::vector<Step> redo_;
    std::set<PageRef> marks_;
    PageRef extentEnd_ = 0; // see extentEnd(); 0: none
};

// Writes the session folder's journal after every change of the pages, and removes the files of
// released pages once it no longer names them. `layout` gives the layout to keep beside them.
class PageJournalWriter : public PageObserver {
  public:
    PageJournalWriter(PageDocument& pages, qly::PageStore& store,
                      std::function<DocumentLayout()> layout);
    ~PageJournalWriter() override;
    void pagesChanged(const PageChange& change) override;
    // Writes the journal now; false (reported once through the message sink) when it cannot.
    bool write();

  private:
    PageDocument& pages_;
    qly::PageStore& store_;
    std::function<DocumentLayout()> layout_;
    bool reported_ = false;
};
