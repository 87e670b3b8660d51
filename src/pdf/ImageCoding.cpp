#include "pdf/ImageCoding.h"

#include "document/Dib.h"
#include "platform/FileAccess.h"
#include "platform/GrafikRW3.h"
#include "platform/TempFolder.h"
#include "platform/faxencode.h"
#include "platform/jbig2/DibImage.h"
#include "platform/jbig2enc.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>

namespace qly {
namespace {

// ---------------------------------------------------------------------------------------------
// Rows for the colour coders

struct RowContext {
    const dib* picture;
    int32_t bits;
    std::array<std::array<uint8_t, 3>, 256> table; // palette as blue, green, red
};

const uint8_t* directRow(const void* ctx, int32_t y, uint8_t* /*scratch*/) {
    const auto* c = static_cast<const RowContext*>(ctx);
    return DibRowTop(*c->picture, y);
}

const uint8_t* paletteRow(const void* ctx, int32_t y, uint8_t* scratch) {
    const auto* c = static_cast<const RowContext*>(ctx);
    const uint8_t* row = DibRowTop(*c->picture, y);
    const int32_t w = dibwidth(*c->picture);
    uint8_t* d = scratch;
    if (c->bits == 8) {
        for (int32_t x = 0; x < w; ++x, d += 3) {
            std::memcpy(d, c->table[row[x]].data(), 3);
        }
    } else {
        for (int32_t x = 0; x < w; ++x, d += 3) {
            const uint8_t b = row[x >> 1];
            std::memcpy(d, c->table[(x & 1) == 0 ? b >> 4 : b & 15].data(), 3);
        }
    }
    return scratch;
}

const uint8_t* fiveBitRow(const void* ctx, int32_t y, uint8_t* scratch) {
    const auto* c = static_cast<const RowContext*>(ctx);
    const uint8_t* row = DibRowTop(*c->picture, y);
    const int32_t w = dibwidth(*c->picture);
    uint8_t* d = scratch;
    for (int32_t x = 0; x < w; ++x, d += 3) {
        const uint32_t v = row[x * 2] | uint32_t{row[x * 2 + 1]} << 8;
        d[0] = static_cast<uint8_t>((v & 0x1f) * 255 / 31);
        d[1] = static_cast<uint8_t>(((v >> 5) & 0x1f) * 255 / 31);
        d[2] = static_cast<uint8_t>(((v >> 10) & 0x1f) * 255 / 31);
    }
    return scratch;
}

bool codeColour(const dib& d, const ImageCodingParams& p, int32_t jp2Threads,
                std::vector<uint8_t>& out) {
    RowContext ctx{&d, dibbits(d), {}};
    DibRowFeed feed;
    feed.width = dibwidth(d);
    feed.height = dibheight(d);
    feed.ctx = &ctx;
    switch (ctx.bits) {
    case 24:
    case 32:
        feed.bytesPerPixel = ctx.bits / 8;
        feed.xPelsPerMeter = d.pmi->bmiHeader.biXPelsPerMeter;
        feed.yPelsPerMeter = d.pmi->bmiHeader.biYPelsPerMeter;
        feed.row = directRow;
        break;
    case 4:
    case 8:
        for (size_t i = 0; i < ctx.table.size(); ++i) {
            const PALETTEENTRY& e = d.pal.rgb0[i];
            ctx.table[i] = {e.peBlue, e.peGreen, e.peRed};
        }
        feed.row = paletteRow;
        break;
    case 16:
        feed.row = fiveBitRow;
        break;
    default:
        return false;
    }
    return SaveRowsToMemory(feed, p.jpeg2000 ? DIB_JP2 : DIB_JIF,
                            p.jpeg2000 ? p.jpeg2000Quality : p.jpegQuality, jp2Threads, out);
}

bool sameColour(const RGBQUAD& a, const RGBQUAD& b) {
    return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
}

bool isLevel(const RGBQUAD& q, uint8_t v) {
    return q.rgbRed == v && q.rgbGreen == v && q.rgbBlue == v;
}

// A 1-bit picture whose colour table is black and white, in either order.
bool blackAndWhite(const dib& d) {
    const RGBQUAD& c0 = d.pmi->bmiColors[0];
    const RGBQUAD& c1 = d.pmi->bmiColors[1];
    return (isLevel(c0, 0) && isLevel(c1, 255)) || (isLevel(c0, 255) && isLevel(c1, 0));
}

// Notes the colours a bilevel image shows: the entry coded black (the darker one, as
// jbig2::dibPolarity chooses) and the entry coded white; a flat picture shows its one colour
// either way. Black and white, or a flat page of either, is left to device grey.
void noteBilevelColours(const dib& d, CodedImage& c) {
    const RGBQUAD& c0 = d.pmi->bmiColors[0];
    const RGBQUAD& c1 = d.pmi->bmiColors[1];
    const jbig2::DibPolarity polarity = jbig2::dibPolarity(c0, c1);
    const RGBQUAD& black = polarity == jbig2::DibPolarity::OneIsBlack ? c1 : c0;
    const RGBQUAD& white = polarity == jbig2::DibPolarity::ZeroIsBlack ? c1 : c0;
    const bool grey = sameColour(black, white) ? isLevel(black, 0) || isLevel(black, 255)
                                               : isLevel(black, 0) && isLevel(white, 255);
    c.indexed = !grey;
    c.colours = {{{black.rgbRed, black.rgbGreen, black.rgbBlue},
                  {white.rgbRed, white.rgbGreen, white.rgbBlue}}};
}

bool codeGroup4(const dib& d, std::vector<uint8_t>& out) {
    // The pixels as the JBIG2 coder sees them: the darker entry black, a flat picture as one
    // row of its colour.
    jbig2::BilevelImage image;
    std::vector<uint8_t> flatRow;
    if (!jbig2::bilevelImageOfDib(d, image, flatRow)) {
        return false;
    }
    if (blackAndWhite(d)) {
        // A black-and-white picture's set bits are black when the red of palette copy entry 0
        // is non-zero, else its clear bits are.
        image.zeroIsBlack = d.pal.rgb0[0].peRed == 0;
    }
    // Group 4 takes a set bit as black.
    const auto w = static_cast<int32_t>(image.width);
    const auto h = static_cast<int32_t>(image.height);
    const size_t stride = (size_t(w) + 7) / 8;
    const auto tail = static_cast<uint8_t>(w % 8 == 0 ? 0xff : 0xff << (8 - w % 8));
    std::vector<uint8_t> packed(stride * size_t(h));
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* row = image.top + image.stride * y;
        uint8_t* dst = packed.data() + stride * size_t(y);
        for (size_t i = 0; i < stride; ++i) {
            dst[i] = image.zeroIsBlack ? static_cast<uint8_t>(~row[i]) : row[i];
        }
        dst[stride - 1] &= tail;
    }
    return g4EncodePacked(packed.data(), w, h, out);
}

void eraseFile(const std::string& name) noexcept {
    std::error_code ec;
    std::filesystem::remove(name, ec);
}

size_t resultBytes(const CodedImage& c) {
    return c.data.size() + c.globals.size();
}

} // namespace

CodedImage codePicture(const dib& picture, const ImageCodingParams& params, int32_t jp2Threads) {
    CodedImage c;
    if (picture.poi == nullptr || picture.pmi == nullptr) {
        return c;
    }
    c.width = dibwidth(picture);
    c.height = dibheight(picture);
    bool ok = false;
    try {
        if (dibbits(picture) == 1) {
            ok = params.jbig2 ? jbig2encodeDib(picture, c.globals, c.data)
                              : codeGroup4(picture, c.data);
            c.kind = params.jbig2 ? CodedImage::Kind::Jbig2 : CodedImage::Kind::Group4;
            noteBilevelColours(picture, c);
        } else {
            ok = codeColour(picture, params, jp2Threads, c.data);
            c.kind = params.jpeg2000 ? CodedImage::Kind::Jpx : CodedImage::Kind::Jpeg;
        }
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    if (!ok) {
        c = CodedImage{};
    }
    return c;
}

// ---------------------------------------------------------------------------------------------
// Jobs

ImageCodingJob::ImageCodingJob(const ImageCodingPool* pool, Source source, const dib& picture,
                               std::string parkedFile, int32_t bits,
                               const ImageCodingParams& params)
    : pool_(pool), source_(source), picture_(picture), parkedFile_(std::move(parkedFile)),
      bits_(bits), params_(params) {}

ImageCodingJob::~ImageCodingJob() {
    releasePicture();
    eraseResultFile();
}

void ImageCodingJob::releasePicture() noexcept {
    if (source_ == Source::Owned && picture_.poi != nullptr) {
        freedib(picture_);
    }
    picture_ = dib{};
    ready_.reset();
    task_ = nullptr;
}

void ImageCodingJob::eraseResultFile() noexcept {
    if (!resultFile_.empty()) {
        eraseFile(resultFile_);
        resultFile_.clear();
    }
}

// ---------------------------------------------------------------------------------------------
// The pool

ImageCodingPool::ImageCodingPool(unsigned workers, size_t memoryBound) : memoryBound_(memoryBound) {
    try {
        threads_.reserve(workers);
        for (unsigned i = 0; i < workers; ++i) {
            threads_.emplace_back([this] { work(); });
        }
    } catch (...) {
        // No thread to be had: the workers made so far end before the failure is passed on.
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        for (std::thread& t : threads_) {
            t.join();
        }
        throw;
    }
}

ImageCodingPool::~ImageCodingPool() {
    {
        std::unique_lock<std::mutex> lock(mutex_);
        stopping_ = true;
        for (const std::shared_ptr<ImageCodingJob>& job : queue_) {
            job->state_ = ImageCodingJob::State::Cancelled;
            job->releasePicture();
        }
        queue_.clear();
    }
    changed_.notify_all();
    for (std::thread& t : threads_) {
        t.join();
    }
}

unsigned ImageCodingPool::defaultWorkers() {
    return std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
}

int32_t ImageCodingPool::jp2Threads() const {
    // The cores are shared among the pictures being coded and those waiting: side by side each
    // coder takes one, and a picture coded alone (a one-page file, the last page) takes them
    // all. The coded bytes do not depend on the number of threads.
    const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t busy = std::max<size_t>(1, running_ + queue_.size());
    return static_cast<int32_t>(std::max<size_t>(1, cores / busy));
}

std::shared_ptr<ImageCodingJob> ImageCodingPool::codeBorrowed(const dib& picture,
                                                              const ImageCodingParams& p) {
    const int32_t bits = picture.poi != nullptr && picture.pmi != nullptr ? dibbits(picture) : 0;
    return submit(std::shared_ptr<ImageCodingJob>(
        new ImageCodingJob(this, ImageCodingJob::Source::Borrowed, picture, {}, bits, p)));
}

std::shared_ptr<ImageCodingJob> ImageCodingPool::codeOwned(const dib& picture,
                                                           const ImageCodingParams& p) {
    const int32_t bits = picture.poi != nullptr && picture.pmi != nullptr ? dibbits(picture) : 0;
    std::shared_ptr<ImageCodingJob> job;
    try {
        job.reset(new ImageCodingJob(this, ImageCodingJob::Source::Owned, picture, {}, bits, p));
    } catch (...) {
        dib d = picture;
        if (d.poi != nullptr) {
            freedib(d);
        }
        throw;
    }
    return submit(std::move(job));
}

std::shared_ptr<ImageCodingJob>
ImageCodingPool::codeParked(const std::string& bmpFile, int32_t bits, const ImageCodingParams& p) {
    return submit(std::shared_ptr<ImageCodingJob>(
        new ImageCodingJob(this, ImageCodingJob::Source::Parked, dib{}, bmpFile, bits, p)));
}

std::shared_ptr<ImageCodingJob>
ImageCodingPool::passJpeg(std::shared_ptr<const std::vector<uint8_t>> jpeg, int32_t width,
                          int32_t height, int32_t components, const ImageCodingParams& p) {
    std::shared_ptr<ImageCodingJob> job(new ImageCodingJob(this, ImageCodingJob::Source::Ready,
                                                           dib{}, {}, components == 1 ? 8 : 24, p));
    // Nothing to code: the job is done, and its data wait where they are until taken.
    job->ready_ = std::move(jpeg);
    job->result_.kind = CodedImage::Kind::Jpeg;
    job->result_.width = width;
    job->result_.height = height;
    job->result_.components = components;
    job->state_ = ImageCodingJob::State::Done;
    return job;
}

std::shared_ptr<ImageCodingJob> ImageCodingPool::runTask(std::function<void()> task) {
    std::shared_ptr<ImageCodingJob> job(
        new ImageCodingJob(this, ImageCodingJob::Source::Task, dib{}, {}, 0, ImageCodingParams{}));
    job->task_ = std::move(task);
    return submit(std::move(job));
}

std::shared_ptr<ImageCodingJob> ImageCodingPool::submit(std::shared_ptr<ImageCodingJob> job) {
    if (threads_.empty()) {
        return job; // coded when it is waited for
    }
    {
        // Two jobs per worker keep every worker busy; more would only pile up pictures.
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return queue_.size() + running_ < 2 * threads_.size(); });
        queue_.push_back(job);
    }
    changed_.notify_all();
    return job;
}

void ImageCodingPool::work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) {
            return; // stopping, and nothing left
        }
        std::shared_ptr<ImageCodingJob> job = std::move(queue_.front());
        queue_.pop_front();
        job->state_ = ImageCodingJob::State::Running;
        ++running_;
        run(*job, lock, true);
        --running_;
        changed_.notify_all();
    }
}

void ImageCodingPool::run(ImageCodingJob& j, std::unique_lock<std::mutex>& lock, bool mayPark) {
    const int32_t jp2 = jp2Threads();
    lock.unlock();
    CodedImage result;
    std::string file;
    size_t bytes = 0;
    try {
        if (j.source_ == ImageCodingJob::Source::Task) {
            if (j.task_) {
                j.task_();
            }
        } else if (j.source_ == ImageCodingJob::Source::Parked) {
            dib loaded{};
            OpenDib(loaded, j.parkedFile_, DIB_BMP);
            // A file that no longer holds the picture drawn is not coded.
            if (loaded.poi != nullptr && loaded.pmi != nullptr && dibbits(loaded) == j.bits_) {
                result = codePicture(loaded, j.params_, jp2);
            }
            if (loaded.poi != nullptr) {
                freedib(loaded);
            }
        } else {
            result = codePicture(j.picture_, j.params_, jp2);
        }
        j.releasePicture();
        bytes = resultBytes(result);
        bool park = false;
        {
            const std::lock_guard<std::mutex> guard(mutex_);
            park = mayPark && bytes > 0 && held_ + bytes > memoryBound_;
        }
        if (park) {
            // Beyond the bound the data wait on disk. The file is made before it is written,
            // so workers never meet each other's names.
            file = createTempFile("tempimg", ".dat");
            if (!file.empty() &&
                replaceFile(file, {{result.data.data(), result.data.size()}}) == FileStatus::Ok) {
                j.resultSize_ = result.data.size();
                bytes -= result.data.size();
                std::vector<uint8_t>().swap(result.data);
            } else if (!file.empty()) {
                eraseFile(file);
                file.clear();
            }
        }
    } catch (...) {
        // Out of memory on the way: the image becomes a placeholder.
        j.releasePicture();
        result = CodedImage{};
        bytes = 0;
        if (!file.empty()) {
            eraseFile(file);
            file.clear();
        }
    }
    lock.lock();
    held_ += bytes;
    j.heldBytes_ = bytes;
    j.resultFile_ = std::move(file);
    j.result_ = std::move(result);
    j.state_ = ImageCodingJob::State::Done;
}

CodedImage ImageCodingPool::take(ImageCodingJob& job) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (job.state_ == ImageCodingJob::State::Queued) {
        // Not started by a worker (or there are none): coded here.
        const auto at = std::find_if(queue_.begin(), queue_.end(),
                                     [&](const auto& q) { return q.get() == &job; });
        std::shared_ptr<ImageCodingJob> keep;
        if (at != queue_.end()) {
            keep = *at;
            queue_.erase(at);
        }
        job.state_ = ImageCodingJob::State::Running;
        ++running_;
        // A job coded here is written at once, so it is never parked.
        run(job, lock, false);
        --running_;
        changed_.notify_all();
    }
    changed_.wait(lock, [&] { return job.state_ != ImageCodingJob::State::Running; });
    if (job.state_ != ImageCodingJob::State::Done) {
        return {};
    }
    job.state_ = ImageCodingJob::State::Taken;
    held_ -= job.heldBytes_;
    job.heldBytes_ = 0;
    CodedImage result = std::move(job.result_);
    const std::string file = std::move(job.resultFile_);
    job.resultFile_.clear();
    result.file = std::move(job.ready_);
    lock.unlock();
    if (!file.empty()) {
        // The file must still hold exactly what was parked.
        if (readRegularFile(file, result.data, job.resultSize_) != FileStatus::Ok ||
            result.data.size() != job.resultSize_) {
            result = CodedImage{};
        }
        eraseFile(file);
    }
    return result;
}

bool ImageCodingPool::waitFor(const ImageCodingJob& job, std::chrono::milliseconds timeout) {
    using State = ImageCodingJob::State;
    std::unique_lock<std::mutex> lock(mutex_);
    if (threads_.empty()) {
        return job.state_ != State::Queued;
    }
    return changed_.wait_for(
        lock, timeout, [&] { return job.state_ != State::Queued && job.state_ != State::Running; });
}

void ImageCodingPool::cancel(ImageCodingJob& job) noexcept {
    std::unique_lock<std::mutex> lock(mutex_);
    if (job.state_ == ImageCodingJob::State::Queued) {
        const auto at = std::find_if(queue_.begin(), queue_.end(),
                                     [&](const auto& q) { return q.get() == &job; });
        std::shared_ptr<ImageCodingJob> keep; // released after the lock
        if (at != queue_.end()) {
            keep = *at;
            queue_.erase(at);
        }
        job.state_ = ImageCodingJob::State::Cancelled;
        job.releasePicture();
        lock.unlock();
        changed_.notify_all();
        return;
    }
    changed_.wait(lock, [&] { return job.state_ != ImageCodingJob::State::Running; });
    if (job.state_ == ImageCodingJob::State::Done) {
        held_ -= job.heldBytes_;
        job.heldBytes_ = 0;
        job.result_ = CodedImage{};
        job.eraseResultFile();
        job.ready_.reset();
    }
    job.state_ = ImageCodingJob::State::Cancelled;
}

} // namespace qly
