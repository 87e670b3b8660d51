#pragma once
// Where the pixels of the pages live: one file per page in a session folder of this process,
// mapped into memory, so a page record's pmi and poi point into the file and the rest of the
// program reads and writes the rows as before. The kernel writes the files back and drops their
// pages when memory is short, so the memory a window needs no longer grows with its pages, and a
// journal of the page order (document/PageJournal.h) beside the files lets the pages survive a
// crash.
//
// The session folder is `<base>/session-XXXXXX`, where base is $XDG_STATE_HOME/quillory (default
// ~/.local/state/quillory). The process holds a lock (flock) on the folder while the store lives,
// so another process can tell a folder in use from one that a killed process left behind.
//
// A page file holds a 64-byte head (magic "QLYPAGE1", the byte counts), the bitmap header with
// its colour table and, at a 64-byte aligned offset, the pixel rows exactly as the page record
// has them (bottom-up, rows padded to 4 bytes).

#include "platform/DibRecord.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qly {

// $XDG_STATE_HOME/quillory, or ~/.local/state/quillory; without a home, a folder "quillory-state"
// under the system's temporary folder.
std::string pageStateFolder();

class PageStore {
  public:
    // Makes a new locked session folder under `base` (made with its parents as needed). Null with
    // the reason in `error` when it cannot be made.
    static std::unique_ptr<PageStore> open(const std::string& base, std::string& error);
    // Removes the session folder with every page file: the normal end. Pages still mapped stay
    // readable until they are released.
    ~PageStore();
    PageStore(const PageStore&) = delete;
    PageStore& operator=(const PageStore&) = delete;

    // The session folder with a trailing separator.
    const std::string& folder() const { return folder_; }

    // Moves the picture of `d` (a bitmap of the heap, as newdib or the image library make it)
    // into a new page file and points the record at the mapped file; the heap blocks are
    // released. A page that is stored already (here or in another store) is left as it is. False
    // with a message naming the folder and what is missing (disk space, say) when the file
    // cannot be written: the record is then unchanged and still valid on the heap.
    bool adopt(dib& d, std::string& error);
    // Makes a new, empty page file under the next free name and returns that name (empty when
    // none can be made); a file moved over it becomes a page of this store with adoptFile.
    std::string reserveName();
    // Adopts an existing page file (recovered from another session, say) that has been moved
    // into this folder under `name`: checks it and maps it into `d`. False with the reason when
    // it is not a complete page file of ours.
    bool adoptFile(const std::string& name, dib& d, std::string& error);

    // Whether `d`'s picture lives in a page file (of any store), and its file name within its
    // folder ("p000001.page"); empty for a picture on the heap.
    static bool isStored(const dib& d);
    static std::string fileOf(const dib& d);

    // Flushes every page file written since the last call to the disk, so a journal written
    // after it names only files that are complete. False when the system reports an error.
    bool flushPages();

    // Files of released pages are removed at once, unless a journal may still name them: with
    // `defer` on (a journal is kept), they wait until removeReleased(), which the journal calls
    // once it no longer names them, and new page files wait for flushPages(). Without a journal
    // nothing waits for the disk.
    void deferRemoval(bool defer);
    void removeReleased();

    // Free bytes on the folder's file system for this user (0 when unknown).
    uint64_t freeBytes() const;

    // Releases `d`'s picture when it lives in a page file: unmaps it and removes the file (now
    // or, with removal deferred, later) and clears the record's bitmap fields. False (nothing
    // done) for a picture on the heap. freedib calls it first.
    static bool release(dib& d);

  private:
    PageStore(std::string folder, int lockFd);
    int createPageFile(std::string& name);
    bool map(int fd, const std::string& name, uint64_t length, dib& d, std::string& error);

    std::string folder_;
    int lockFd_ = -1;
    uint64_t next_ = 1;
    bool defer_ = false;
    std::mutex mutex_;
    std::vector<std::string> released_; // files waiting to be removed
    std::vector<int> unsynced_;         // descriptors of files written since the last flush
};

} // namespace qly
