#pragma once
// The journal of a session folder: the page files in the order the user sees them and the layout
// a document file keeps, rewritten as a whole after every change of the pages (a temporary file,
// flushed, then renamed over "journal"), so that after a crash the folder holds a consistent
// state: every page file the journal names is complete, and a page file is removed only once the
// journal no longer names it. At the next start, a folder whose process has gone is offered for
// recovery.
//
// The journal is text:
//   quillory-journal 1
//   time <seconds since 1970>
//   layout <border> <centre> <max-size> <margin-h> <margin-v> <width> <height> <show-pdf>
//   page p000001.page          (one line per page, in order)
//   end <number of pages>

#include "document/DocumentFile.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TDynaArray;

namespace qly {

class PageStore;

struct JournalContents {
    int64_t time = 0; // of the last change, seconds since 1970
    DocumentLayout layout;
    std::vector<std::string> pages; // page file names within the folder, in order
};

std::string journalText(const JournalContents& contents);
// Reads a journal's text; false (and `out` left empty) when it is damaged: a missing line, a
// name that is not a page file's, a count that disagrees, anything unreadable.
bool parseJournal(std::string_view text, JournalContents& out);
// Writes `contents` as the journal of `folder` (with its trailing separator); false with the
// reason when it cannot be written, in which case the previous journal stays.
bool writeJournal(const std::string& folder, const JournalContents& contents, std::string& error);

// A session folder whose process has gone: locked by this process while the object lives, so
// no other instance offers it at the same time.
class LeftSession {
  public:
    LeftSession(std::string folder, int lockFd);
    ~LeftSession();
    LeftSession(LeftSession&&) noexcept;
    LeftSession& operator=(LeftSession&&) noexcept;
    LeftSession(const LeftSession&) = delete;

    const std::string& folder() const { return folder_; }
    bool journalRead() const { return journalRead_; }
    const JournalContents& journal() const { return journal_; }

    // Moves every readable page file named by the journal into `store` and appends its pages to
    // `pages` (records of type dib) in the journal's order (with a damaged journal: every page
    // file of the folder, in the order they were made). A missing, truncated or foreign file
    // is skipped and described in `problems`. The folder is removed afterwards.
    uint32_t restoreInto(PageStore& store, TDynaArray& pages, std::vector<std::string>& problems);
    // Removes the folder with everything in it.
    void remove();

  private:
    friend std::vector<LeftSession> findLeftSessions(const std::string& base);
    std::string folder_; // with a trailing separator
    int lockFd_ = -1;
    bool journalRead_ = false;
    JournalContents journal_;
};

// The session folders under `base` that no running process holds, with a journal naming at
// least one page (a damaged journal counts, with journalRead() false). Folders without pages are
// removed on the way, once they are a minute old (a folder being made right now is left alone).
// Ordered by the time of their last change, newest first.
std::vector<LeftSession> findLeftSessions(const std::string& base);

} // namespace qly
