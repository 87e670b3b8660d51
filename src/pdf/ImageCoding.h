#pragma once
// Coding pictures into the data of PDF image XObjects, on a pool of worker threads.
//
// A job codes one picture: 1-bit pictures as JBIG2 (ITU-T T.88) or CCITT Group 4 (ITU-T T.6),
// all others as JPEG or JPEG 2000 with three 8-bit colour components. Everything a job needs (the
// picture, the coder and its quality) travels with it; the coders read no process-wide setting
// and write no file, so any number of jobs run at once. A pool with no workers codes each job on
// the thread that first waits for it, in the order the caller waits, which is the serial way of
// working with only one picture's coding state alive at a time.
//
// The coded data of a finished job stays in memory until it is taken, up to the pool's memory
// bound for all finished jobs together; beyond it a worker parks the data in a temporary file of
// its own (made race-free in the process's private temporary folder) and the data are read back
// when taken. A file that cannot be written leaves the data in memory.

#include "platform/DibRecord.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qly {

// How the pictures of one PDF are coded.
struct ImageCodingParams {
    bool jbig2 = true;             // 1-bit pictures as JBIG2, else CCITT Group 4
    bool jpeg2000 = false;         // other pictures as JPEG 2000, else JPEG
    int32_t jpegQuality = 75;      // 1..100
    int32_t jpeg2000Quality = 100; // 1..10000: hundredths of a per cent of the raw size
    bool operator==(const ImageCodingParams&) const = default;
};

// The data of one image XObject.
struct CodedImage {
    enum class Kind : uint8_t { None, Jpeg, Jpx, Jbig2, Group4 };
    Kind kind = Kind::None; // None: the picture could not be coded
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> data;    // the image stream (for JBIG2 the page's segments)
    std::vector<uint8_t> globals; // JBIG2 global segments (empty when there are none)
    // JBIG2 and Group 4: whether the image shows colours other than black and white, and which:
    // red, green, blue of the colour coded black (entry 0; both filters decode black to 0) and
    // of the colour coded white (entry 1), for an indexed colour space over the bilevel data.
    // False: the image is black and white, in device grey.
    bool indexed = false;
    std::array<std::array<uint8_t, 3>, 2> colours{};
    // Colour components of JPEG data: 3 for everything coded here; a JPEG file embedded as it is
    // may have 1 (grey).
    int32_t components = 3;
    // A JPEG file embedded as it is: its bytes, shared with whoever keeps the file, in place of
    // `data` (so a page's file is never copied on its way into the PDF).
    std::shared_ptr<const std::vector<uint8_t>> file;
};

// Codes `picture` on the calling thread. 1-bit pictures follow params.jbig2; their colours come
// from the colour table. A black-and-white picture is coded as it shows; Group 4 then takes a set
// bit as black when the red of palette copy entry 0 is non-zero. Of any other two colours both
// coders code the darker one as black (a light background stays white, the colour the coders
// compress best) and note the two colours in `indexed` and `colours`; a picture whose two entries
// are one colour is coded as a flat page of that colour. 4- and 8-bit pictures are coded
// in the colours of their palette copy `pal`, 16-bit (5-5-5) pictures with each component
// scaled to 0..255; both without a resolution, as a true-colour copy of them has none. 24- and
// 32-bit pictures keep the resolution of their header. `jp2Threads` limits OpenJPEG's own
// threads (0: as many as the machine has). Any other picture gives Kind::None.
CodedImage codePicture(const dib& picture, const ImageCodingParams& params, int32_t jp2Threads);

class ImageCodingPool;

// One picture on its way to being coded. Made by a pool, shared by whoever waits for it.
class ImageCodingJob {
  public:
    ImageCodingJob(const ImageCodingJob&) = delete;
    ImageCodingJob& operator=(const ImageCodingJob&) = delete;
    ~ImageCodingJob();

    // Bits per pixel of the picture as handed over (the parked file's for a parked picture).
    int32_t bits() const { return bits_; }
    const ImageCodingParams& params() const { return params_; }
    // True when the image takes two PDF objects (JBIG2: the image and its globals).
    bool takesTwoObjects() const { return bits_ == 1 && params_.jbig2; }
    // The pool that made the job, the only one that takes or cancels it.
    const ImageCodingPool* pool() const { return pool_; }

  private:
    friend class ImageCodingPool;
    enum class State : uint8_t { Queued, Running, Done, Taken, Cancelled };
    enum class Source : uint8_t { Borrowed, Owned, Parked, Ready, Task };
    ImageCodingJob(const ImageCodingPool* pool, Source source, const dib& picture,
                   std::string parkedFile, int32_t bits, const ImageCodingParams& params);
    void releasePicture() noexcept;
    void eraseResultFile() noexcept;

    const ImageCodingPool* pool_;
    Source source_;
    dib picture_;            // Borrowed: the caller's record; Owned: ours until coded
    std::string parkedFile_; // Parked: the bitmap file to read (left in place)
    std::shared_ptr<const std::vector<uint8_t>> ready_; // Ready: the JPEG file to embed
    int32_t bits_;
    ImageCodingParams params_;
    // Task: the work to run.
    std::function<void()> task_;
    State state_ = State::Queued;
    CodedImage result_;
    std::string resultFile_; // the coded data parked on disk, when they are there
    size_t resultSize_ = 0;  // their size
    size_t heldBytes_ = 0;   // bytes of result_ counted against the pool's bound
};

class ImageCodingPool {
  public:
    // `workers` threads; 0 codes every job on the thread that waits for it. Finished results
    // are held in memory up to `memoryBound` bytes in all.
    explicit ImageCodingPool(unsigned workers,
                             size_t memoryBound = std::numeric_limits<size_t>::max());
    // Cancels the jobs no worker has started and waits for the running ones.
    ~ImageCodingPool();
    ImageCodingPool(const ImageCodingPool&) = delete;
    ImageCodingPool& operator=(const ImageCodingPool&) = delete;

    // One worker per core, at most 8.
    static unsigned defaultWorkers();
    unsigned workers() const { return static_cast<unsigned>(threads_.size()); }

    // Starts coding the caller's picture in place: it must stay unchanged and allocated until
    // the job has been taken or cancelled, or the pool destroyed.
    std::shared_ptr<ImageCodingJob> codeBorrowed(const dib& picture, const ImageCodingParams& p);
    // Takes over `picture` (a bitmap of the image library), released once it is coded or the
    // job is cancelled.
    std::shared_ptr<ImageCodingJob> codeOwned(const dib& picture, const ImageCodingParams& p);
    // Codes the bitmap file `bmpFile` (left in place). The coded result is empty (Kind::None)
    // when the file cannot be read or does not hold a picture of `bits` bits per pixel.
    std::shared_ptr<ImageCodingJob> codeParked(const std::string& bmpFile, int32_t bits,
                                               const ImageCodingParams& p);
    // A JPEG file to be embedded as it is (DCTDecode), with nothing to code: `jpeg` is a complete
    // sequential or progressive JPEG file of width x height pixels with `components` (1 or 3)
    // components of 8 bits whose colours DCTDecode shows as they are (see jpegShowsAlikeInPdf).
    // The job is done at once; taking it hands over the bytes (CodedImage::file), which the job
    // keeps alive until then.
    std::shared_ptr<ImageCodingJob> passJpeg(std::shared_ptr<const std::vector<uint8_t>> jpeg,
                                             int32_t width, int32_t height, int32_t components,
                                             const ImageCodingParams& p);

    // Runs `task` on a worker beside the pictures, in turn with them (with no workers: on the
    // thread that takes the job): work that goes with the pages being coded, such as recognising
    // their text. Taking the job waits for the task (or runs it) and gives Kind::None; cancelling
    // drops a task no worker has started and waits for one that runs. What the task captures is
    // released once it has run or been dropped. An exception it throws ends it quietly.
    std::shared_ptr<ImageCodingJob> runTask(std::function<void()> task);

    // Waits until the job is coded (coding it here when no worker has started it) and hands
    // over its result; a job is taken once, later calls give Kind::None.
    CodedImage take(ImageCodingJob& job);
    // Waits up to `timeout` for a worker to finish the job; true once it is coded (or taken or
    // cancelled). With no workers a job is only coded when it is taken, so this returns false.
    bool waitFor(const ImageCodingJob& job, std::chrono::milliseconds timeout);
    // Drops the job: it is not coded when no worker has started it, else this waits for the
    // worker. Its picture is free afterwards and whatever it parked is erased.
    void cancel(ImageCodingJob& job) noexcept;

  private:
    std::shared_ptr<ImageCodingJob> submit(std::shared_ptr<ImageCodingJob> job);
    void work();
    // Codes a job taken off the queue (without the lock) and files its result (with it).
    void run(ImageCodingJob& job, std::unique_lock<std::mutex>& lock, bool mayPark);
    // OpenJPEG threads for a picture starting now (called with the lock held).
    int32_t jp2Threads() const;

    size_t memoryBound_;
    size_t held_ = 0;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::shared_ptr<ImageCodingJob>> queue_;
    size_t running_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

} // namespace qly
