#pragma once
// The pages of a document in one place: the record array (records of type dib) and every change
// made to it, with observers that hear of each change (the journal of the session folder, the
// views). Pages that come in are moved into the page store, when there is one, so their pixels
// live in files. No widgets: the window, the command line and the tests use it alike.

#include "document/DocumentFile.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TDynaArray;
struct dib;

namespace qly {
class PageStore;
}

struct PageChange {
    enum class Kind {
        Inserted, // pages first .. first+count-1 are new
        Removed,  // count pages from first on are gone
        Moved,    // the order changed within first .. first+count-1
        Replaced, // the pictures of those pages changed
        Reset,    // all pages were replaced
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

class PageDocument {
  public:
    explicit PageDocument(TDynaArray& bilder);
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

    // Pages from..count-1 were appended (picture files read, a scan, a document's pages).
    void appended(uint32_t from);
    // Page n's (1-based) picture was replaced, by turning it for instance.
    void replaced(int64_t n);
    // The page-list operations of document/PageList.h, told to the observers.
    bool remove(int64_t n);
    bool moveForward(int32_t& adib);
    bool moveBack(int32_t& adib);
    bool interleave(int64_t firstBackSide);
    // Every page is replaced by the records of `fresh`, which is left empty (opening a document).
    void replaceAll(TDynaArray& fresh);
    // Every page is released (a new, empty document).
    void clear();

  private:
    void notify(const PageChange& change);

    TDynaArray& bilder_;
    qly::PageStore* store_ = nullptr;
    std::vector<PageObserver*> observers_;
    bool warnedAboutSpace_ = false;
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
