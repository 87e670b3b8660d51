#include "platform/jbig2enc.h"

#include "platform/GrafikRW3.h"
#include "platform/jbig2/DibImage.h"
#include "platform/jbig2/Segments.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <random>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace {

namespace fs = std::filesystem;

thread_local std::string gLastError;

// Failure reasons (the image library's reasons pass through unchanged).
constexpr const char* kErrNotBilevel = "Bild hat nicht 1 Bit pro Pixel";
constexpr const char* kErrSameNames = "Ausgabedateien haben denselben Namen";
constexpr const char* kErrCannotWrite = "Datei kann nicht geschrieben werden";
constexpr const char* kErrNoMemory = "Nicht genug Arbeitsspeicher";
constexpr const char* kErrTooLarge = "Bild ist zu groß";

struct Failure {
    std::string reason;
};

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Releases the picture read from the input file.
struct DibOwner {
    dib d{};
    DibOwner() = default;
    DibOwner(const DibOwner&) = delete;
    DibOwner& operator=(const DibOwner&) = delete;
    ~DibOwner() {
        if (d.poi != nullptr) {
            deldib(d);
        }
    }
};

// A temporary file that is removed again unless released.
struct TempFile {
    fs::path path;
    TempFile() = default;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        if (!path.empty()) {
            std::error_code ec;
            fs::remove(path, ec);
        }
    }
};

// A file written under a temporary name beside its target, moved there by commit. Whatever is
// left of it is removed when it goes out of scope uncommitted, also when writing throws.
class PendingFile {
  public:
    PendingFile(const std::string& target, const std::vector<uint8_t>& data) : target_(target) {
        std::error_code ec;
        if (target.empty() || fs::is_directory(target_, ec)) {
            throw Failure{kErrCannotWrite};
        }
        std::random_device rd;
        File f;
        for (int attempt = 0; attempt < 100 && !f; ++attempt) {
            fs::path candidate = target_;
            candidate += ".part" + std::to_string(rd() % 1000000);
            f.reset(std::fopen(candidate.c_str(), "wbx"));
            if (f) {
                temp_.path = candidate;
            } else if (errno != EEXIST) {
                break;
            }
        }
        if (!f) {
            throw Failure{kErrCannotWrite};
        }
        const bool written =
            (data.empty() || std::fwrite(data.data(), 1, data.size(), f.get()) == data.size()) &&
            std::fflush(f.get()) == 0;
        if (!written || std::fclose(f.release()) != 0) {
            throw Failure{kErrCannotWrite};
        }
    }
    // Moves the file to its target name.
    void commit() {
        std::error_code ec;
        fs::rename(temp_.path, target_, ec);
        if (ec) {
            throw Failure{kErrCannotWrite};
        }
        temp_.path.clear();
    }

  private:
    fs::path target_;
    TempFile temp_;
};

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec1;
    std::error_code ec2;
    const fs::path pa = fs::weakly_canonical(a, ec1);
    const fs::path pb = fs::weakly_canonical(b, ec2);
    return ec1 || ec2 ? a == b : pa == pb;
}

// Removes what may stand at the output names, but never the input picture itself.
void removeOutputs(const std::string& inputFile, const std::string& globalsFile,
                   const std::string& pageFile) {
    for (const std::string* name : {&globalsFile, &pageFile}) {
        std::error_code ec;
        if (!name->empty() && !fs::is_directory(*name, ec) && !sameFile(*name, inputFile)) {
            fs::remove(*name, ec);
        }
    }
}

// The page's segments of a 1-bit picture.
std::vector<uint8_t> pageSegments(const dib& picture) {
    qly::jbig2::BilevelImage image;
    std::vector<uint8_t> flatRow;
    if (!qly::jbig2::bilevelImageOfDib(picture, image, flatRow)) {
        throw Failure{kErrNotBilevel};
    }
    return qly::jbig2::encodePageStream(image, qly::jbig2::dibXResolution(picture),
                                        qly::jbig2::dibYResolution(picture));
}

void encodeFiles(const std::string& inputFile, const std::string& globalsFile,
                 const std::string& pageFile) {
    if (sameFile(globalsFile, pageFile)) {
        throw Failure{kErrSameNames};
    }
    std::vector<uint8_t> page;
    {
        DibOwner picture;
        OpenDib(picture.d, inputFile, DIB_BMP);
        if (picture.d.poi == nullptr) {
            throw Failure{DibErrorText(picture.d)};
        }
        page = pageSegments(picture.d);
    }
    // No global segments are coded: the globals stream is empty but must exist.
    const std::vector<uint8_t> globals;
    PendingFile globalsOut(globalsFile, globals);
    PendingFile pageOut(pageFile, page);
    globalsOut.commit();
    pageOut.commit();
}

} // namespace

bool jbig2encode(const std::string& inputFile, const std::string& globalsFile,
                 const std::string& pageFile) {
    gLastError.clear();
    try {
        encodeFiles(inputFile, globalsFile, pageFile);
        return true;
    } catch (const Failure& f) {
        gLastError = f.reason;
    } catch (const std::bad_alloc&) {
        gLastError = kErrNoMemory;
    } catch (const std::length_error&) {
        gLastError = kErrTooLarge;
    } catch (const std::exception&) {
        gLastError = kErrCannotWrite;
    }
    // Whatever happened, the caller must not find output that looks valid.
    removeOutputs(inputFile, globalsFile, pageFile);
    return false;
}

bool jbig2encodeDib(const dib& picture, std::vector<uint8_t>& globals, std::vector<uint8_t>& page) {
    globals.clear();
    page.clear();
    try {
        page = pageSegments(picture);
        return true;
    } catch (const Failure&) {
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    page.clear();
    return false;
}

std::string jbig2LastError() {
    return gLastError;
}
