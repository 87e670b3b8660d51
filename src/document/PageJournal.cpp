#include "document/PageJournal.h"

#include "document/Dib.h"
#include "document/DynaArray.h"
#include "document/PageStore.h"
#include "platform/Texts.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <type_traits>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qly {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFirstLine = "quillory-journal 1";
constexpr size_t kMaxJournalBytes = size_t{64} << 20;

// "p" + at least six digits + ".page": nothing a journal names can lead out of its folder.
bool isPageFileName(std::string_view name) {
    if (name.size() < 12 || name.size() > 40 || name.front() != 'p' ||
        name.substr(name.size() - 5) != ".page") {
        return false;
    }
    const std::string_view digits = name.substr(1, name.size() - 6);
    return std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string number(double v) {
    char buffer[32];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, v);
    return std::string(buffer, r.ptr);
}

template <typename T> bool readNumber(std::string_view text, T& out) {
    const auto r = std::from_chars(text.data(), text.data() + text.size(), out);
    if constexpr (std::is_floating_point_v<T>) {
        if (!std::isfinite(out)) {
            return false; // "nan" and "inf" are no lengths
        }
    }
    return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

bool readFlag(std::string_view text, bool& out) {
    if (text == "0" || text == "1") {
        out = text == "1";
        return true;
    }
    return false;
}

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < line.size()) {
        const size_t end = std::min(line.find(' ', i), line.size());
        if (end > i) {
            out.push_back(line.substr(i, end - i));
        }
        i = end + 1;
    }
    return out;
}

bool readWholeFile(const std::string& path, std::string& out) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    struct stat st {};
    if (fd < 0) {
        return false;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<uint64_t>(st.st_size) > kMaxJournalBytes) {
        ::close(fd);
        return false;
    }
    out.resize(static_cast<size_t>(st.st_size));
    size_t got = 0;
    while (got < out.size()) {
        const ssize_t n = ::read(fd, out.data() + got, out.size() - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    out.resize(got);
    return true;
}

} // namespace

std::string journalText(const JournalContents& c) {
    const DocumentLayout& l = c.layout;
    std::string text = std::string(kFirstLine) + "\ntime " + std::to_string(c.time) + "\nlayout " +
                       (l.BorderCheck ? "1 " : "0 ") + (l.ZentCheck ? "1 " : "0 ") +
                       (l.MaxSizeCheck ? "1 " : "0 ") + number(l.RandHEd) + " " +
                       number(l.RandVEd) + " " + number(l.BreitEd) + " " + number(l.HochEd) +
                       (l.ShowPDFCheck ? " 1\n" : " 0\n");
    for (const std::string& page : c.pages) {
        text += "page " + page + "\n";
    }
    text += "end " + std::to_string(c.pages.size()) + "\n";
    return text;
}

bool parseJournal(std::string_view text, JournalContents& out) {
    out = JournalContents{};
    JournalContents c;
    std::vector<std::string_view> lines;
    size_t i = 0;
    while (i < text.size()) {
        const size_t end = text.find('\n', i);
        if (end == std::string_view::npos) {
            return false; // every line ends, the last one too
        }
        lines.push_back(text.substr(i, end - i));
        i = end + 1;
    }
    if (lines.size() < 4 || lines[0] != kFirstLine) {
        return false;
    }
    const auto time = words(lines[1]);
    if (time.size() != 2 || time[0] != "time" || !readNumber(time[1], c.time)) {
        return false;
    }
    const auto layout = words(lines[2]);
    DocumentLayout& l = c.layout;
    if (layout.size() != 9 || layout[0] != "layout" || !readFlag(layout[1], l.BorderCheck) ||
        !readFlag(layout[2], l.ZentCheck) || !readFlag(layout[3], l.MaxSizeCheck) ||
        !readNumber(layout[4], l.RandHEd) || !readNumber(layout[5], l.RandVEd) ||
        !readNumber(layout[6], l.BreitEd) || !readNumber(layout[7], l.HochEd) ||
        !readFlag(layout[8], l.ShowPDFCheck)) {
        return false;
    }
    for (size_t k = 3; k + 1 < lines.size(); ++k) {
        const auto page = words(lines[k]);
        if (page.size() != 2 || page[0] != "page" || !isPageFileName(page[1])) {
            return false;
        }
        c.pages.emplace_back(page[1]);
    }
    const auto end = words(lines.back());
    size_t count = 0;
    if (end.size() != 2 || end[0] != "end" || !readNumber(end[1], count) ||
        count != c.pages.size()) {
        return false;
    }
    out = std::move(c);
    return true;
}

bool writeJournal(const std::string& folder, const JournalContents& contents, std::string& error) {
    const std::string text = journalText(contents);
    const std::string part = folder + "journal.part";
    const std::string target = folder + "journal";
    const int fd =
        ::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        error = qly::withArgs(
            qly::translate("PageStore",
                           "Die Seitenliste kann nicht im Ordner %1 gesichert werden (%2)."),
            {folder, std::strerror(errno)});
        return false;
    }
    size_t done = 0;
    bool ok = true;
    while (ok && done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        ok = n > 0;
        done += ok ? static_cast<size_t>(n) : 0;
    }
    ok = ok && ::fdatasync(fd) == 0;
    const int saved = errno;
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(part.c_str(), target.c_str()) != 0) {
        error = qly::withArgs(
            qly::translate("PageStore",
                           "Die Seitenliste kann nicht im Ordner %1 gesichert werden (%2)."),
            {folder, std::strerror(ok ? errno : saved)});
        ::unlink(part.c_str());
        return false;
    }
    // The rename itself reaches the disk with the folder.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

// ---- sessions left behind ----

LeftSession::LeftSession(std::string folder, int lockFd)
    : folder_(std::move(folder)), lockFd_(lockFd) {}

LeftSession::~LeftSession() {
    if (lockFd_ >= 0) {
        ::close(lockFd_);
    }
}

LeftSession::LeftSession(LeftSession&& other) noexcept
    : folder_(std::move(other.folder_)), lockFd_(other.lockFd_), journalRead_(other.journalRead_),
      journal_(std::move(other.journal_)) {
    other.lockFd_ = -1;
}

LeftSession& LeftSession::operator=(LeftSession&& other) noexcept {
    if (this != &other) {
        if (lockFd_ >= 0) {
            ::close(lockFd_);
        }
        folder_ = std::move(other.folder_);
        lockFd_ = other.lockFd_;
        journalRead_ = other.journalRead_;
        journal_ = std::move(other.journal_);
        other.lockFd_ = -1;
    }
    return *this;
}

void LeftSession::remove() {
    std::error_code ec;
    fs::remove_all(fs::path(folder_), ec);
}

uint32_t LeftSession::restoreInto(PageStore& store, TDynaArray& pages,
                                  std::vector<std::string>& problems) {
    uint32_t restored = 0;
    for (const std::string& name : journal_.pages) {
        // Under a name of the store's own, so later pages never meet it.
        const std::string moved = store.reserveName();
        if (moved.empty() ||
            ::rename((folder_ + name).c_str(), (store.folder() + moved).c_str()) != 0) {
            if (!moved.empty()) {
                ::unlink((store.folder() + moved).c_str());
            }
            problems.push_back(qly::withArgs(
                qly::translate("PageStore", "Die Seitendatei %1 fehlt."), {folder_ + name}));
            continue;
        }
        dib page{};
        std::string error;
        if (!store.adoptFile(moved, page, error)) {
            problems.push_back(error);
            ::unlink((store.folder() + moved).c_str());
            continue;
        }
        void* slot = pages.Add();
        if (slot == nullptr) {
            freedib(page);
            problems.push_back(
                qly::translate("PageStore", "Nicht genug Arbeitsspeicher für weitere Seiten."));
            break;
        }
        std::memcpy(slot, &page, sizeof page);
        ++restored;
    }
    remove();
    return restored;
}

std::vector<LeftSession> findLeftSessions(const std::string& base) {
    std::vector<LeftSession> found;
    std::error_code ec;
    const auto now = fs::file_time_type::clock::now();
    for (fs::directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.rfind("session-", 0) != 0) {
            continue;
        }
        struct stat st {};
        if (::lstat(it->path().c_str(), &st) != 0 || !S_ISDIR(st.st_mode) ||
            st.st_uid != ::getuid()) {
            continue;
        }
        const int fd = ::open(it->path().c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd); // a running instance's folder
            continue;
        }
        LeftSession session(it->path().string() + "/", fd);
        std::string text;
        const bool haveJournal = readWholeFile(session.folder_ + "journal", text);
        session.journalRead_ = haveJournal && parseJournal(text, session.journal_);
        if (haveJournal && !session.journalRead_) {
            // A damaged journal: every page file there is restored, in the order they were made,
            // and the time is the folder's.
            session.journal_.time = static_cast<int64_t>(st.st_mtime);
            std::error_code listError;
            for (fs::directory_iterator f(it->path(), listError), last; !listError && f != last;
                 f.increment(listError)) {
                const std::string file = f->path().filename().string();
                if (isPageFileName(file)) {
                    session.journal_.pages.push_back(file);
                }
            }
            std::sort(session.journal_.pages.begin(), session.journal_.pages.end());
        }
        const bool offer = haveJournal && !session.journal_.pages.empty();
        if (!offer) {
            // Nothing to restore: removed, unless it may be a folder being made at this moment.
            std::error_code timeError;
            const auto changed = fs::last_write_time(it->path(), timeError);
            if (!timeError && now - changed > std::chrono::minutes(1)) {
                session.remove();
            }
            continue;
        }
        found.push_back(std::move(session));
    }
    std::sort(found.begin(), found.end(), [](const LeftSession& a, const LeftSession& b) {
        return a.journal().time > b.journal().time;
    });
    return found;
}

} // namespace qly
