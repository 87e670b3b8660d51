#include "platform/scan/ScanReader.h"

#include "platform/CodePage.h"
#include "platform/GrafikRW3.h"
#include "platform/Texts.h"

#include <sane/saneopts.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <new>

namespace qly::sane {

namespace {

constexpr int32_t kMaxSide = 65535;

// Bytes one row needs at least for `pixels` pixels of `samples` samples of `depth` bits.
int64_t rowBytesNeeded(int64_t pixels, int samples, int depth) {
    return (pixels * samples * depth + 7) / 8;
}

int samplesOf(SANE_Frame f) {
    return f == SANE_FRAME_RGB ? 3 : 1;
}

// Sample `i` of a row as 8 bits. 16-bit samples are in the machine's byte order (SANE's rule).
uint8_t sample(const uint8_t* row, int64_t i, int depth) {
    switch (depth) {
    case 1:
        return (row[i >> 3] >> (7 - (i & 7))) & 1 ? 255 : 0;
    case 8:
        return row[i];
    default: {
        uint16_t v;
        std::memcpy(&v, row + 2 * i, 2);
        return static_cast<uint8_t>(v >> 8);
    }
    }
}

// `reason` is German and marked in the image library's context: the record's failure text is
// read in the user's language through DibErrorText, as the readers' are.
void fail(dib& out, const char* reason) {
    out = dib{};
    SetDibErrorText(out, qly::utf8ToUtf16(reason));
}

} // namespace

PageAssembler::Frame* PageAssembler::current() {
    return frames_.empty() ? nullptr : &frames_.back();
}

void PageAssembler::beginFrame(const SANE_Parameters& p) {
    const bool known = p.format == SANE_FRAME_GRAY || p.format == SANE_FRAME_RGB ||
                       p.format == SANE_FRAME_RED || p.format == SANE_FRAME_GREEN ||
                       p.format == SANE_FRAME_BLUE;
    if (!known || (p.depth != 1 && p.depth != 8 && p.depth != 16) || p.pixels_per_line <= 0 ||
        p.pixels_per_line > kMaxSide || p.lines > kMaxSide || p.lines == 0 ||
        p.bytes_per_line < rowBytesNeeded(p.pixels_per_line, samplesOf(p.format), p.depth)) {
        throw Error("frame layout", SANE_STATUS_INVAL);
    }
    if (!frames_.empty() && frames_.front().p.pixels_per_line != p.pixels_per_line) {
        throw Error("frames of different widths", SANE_STATUS_INVAL);
    }
    Frame f;
    f.p = p;
    if (p.lines > 0) {
        f.bytes.reserve(static_cast<size_t>(p.bytes_per_line) * static_cast<size_t>(p.lines));
    }
    frames_.push_back(std::move(f));
    last_ = p.last_frame == SANE_TRUE;
}

void PageAssembler::add(const SANE_Byte* data, size_t length) {
    Frame* f = current();
    if (f == nullptr) {
        return;
    }
    const int64_t cap = f->p.lines > 0 ? int64_t{f->p.bytes_per_line} * f->p.lines
                                       : int64_t{f->p.bytes_per_line} * kMaxSide;
    const int64_t room = std::max<int64_t>(0, cap - static_cast<int64_t>(f->bytes.size()));
    const size_t take = static_cast<size_t>(std::min<int64_t>(room, static_cast<int64_t>(length)));
    f->bytes.insert(f->bytes.end(), data, data + take);
}

int64_t PageAssembler::expectedBytes() const {
    if (frames_.empty() || frames_.back().p.lines < 0) {
        return 0;
    }
    return int64_t{frames_.back().p.bytes_per_line} * frames_.back().p.lines;
}

int64_t PageAssembler::receivedBytes() const {
    return frames_.empty() ? 0 : static_cast<int64_t>(frames_.back().bytes.size());
}

void PageAssembler::finish(dib& out, double dpi) {
    std::vector<Frame> frames = std::move(frames_);
    frames_.clear();
    last_ = false;
    if (frames.empty()) {
        fail(out, QLY_TRANSLATE_NOOP("ImageFormats", "Der Scanner hat kein Bild geliefert."));
        return;
    }
    // The rows every frame has completely.
    int64_t rows = kMaxSide;
    for (const Frame& f : frames) {
        rows = std::min<int64_t>(rows, static_cast<int64_t>(f.bytes.size()) / f.p.bytes_per_line);
    }
    const SANE_Parameters& first = frames.front().p;
    const int32_t width = first.pixels_per_line;
    const int32_t height = static_cast<int32_t>(rows);
    if (height <= 0) {
        fail(out, QLY_TRANSLATE_NOOP("ImageFormats", "Der Scanner hat kein Bild geliefert."));
        return;
    }

    // Which frame holds which channel; a single GRAY or RGB frame holds them all.
    const Frame* channel[3] = {nullptr, nullptr, nullptr};
    bool grey = false;
    if (first.format == SANE_FRAME_GRAY || first.format == SANE_FRAME_RGB) {
        grey = first.format == SANE_FRAME_GRAY;
    } else {
        for (const Frame& f : frames) {
            const int c = f.p.format == SANE_FRAME_RED ? 0 : f.p.format == SANE_FRAME_GREEN ? 1 : 2;
            if (f.p.format == SANE_FRAME_RED || f.p.format == SANE_FRAME_GREEN ||
                f.p.format == SANE_FRAME_BLUE) {
                channel[c] = &f;
            }
        }
        if (channel[0] == nullptr || channel[1] == nullptr || channel[2] == nullptr) {
            fail(out, QLY_TRANSLATE_NOOP("ImageFormats",
                                         "Der Scanner hat nicht alle Farbauszüge geliefert."));
            return;
        }
    }

    const int bits = grey ? (first.depth == 1 ? 1 : 8) : 24;
    newdib(out, width, height, bits, nullptr, 0);
    if (out.poi == nullptr) {
        return; // newdib left the reason in the record
    }
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* dst = DibRowTop(out, y);
        if (grey) {
            const uint8_t* src = frames.front().bytes.data() + int64_t{y} * first.bytes_per_line;
            if (first.depth == 1) {
                // SANE's lineart has 1 for black; the page's table has 0 black, 1 white.
                const int32_t n = (width + 7) / 8;
                for (int32_t i = 0; i < n; ++i) {
                    dst[i] = static_cast<uint8_t>(~src[i]);
                }
            } else {
                for (int32_t x = 0; x < width; ++x) {
                    dst[x] = sample(src, x, first.depth);
                }
            }
        } else if (first.format == SANE_FRAME_RGB) {
            const uint8_t* src = frames.front().bytes.data() + int64_t{y} * first.bytes_per_line;
            for (int32_t x = 0; x < width; ++x) {
                // DIB pixels are blue, green, red.
                dst[3 * x + 2] = sample(src, 3 * int64_t{x}, first.depth);
                dst[3 * x + 1] = sample(src, 3 * int64_t{x} + 1, first.depth);
                dst[3 * x + 0] = sample(src, 3 * int64_t{x} + 2, first.depth);
            }
        } else {
            for (int c = 0; c < 3; ++c) {
                const Frame& f = *channel[c];
                const uint8_t* src = f.bytes.data() + int64_t{y} * f.p.bytes_per_line;
                for (int32_t x = 0; x < width; ++x) {
                    dst[3 * x + (2 - c)] = sample(src, x, f.p.depth);
                }
            }
        }
    }
    if (dpi > 0) {
        // Dots per inch to dots per metre.
        const auto ppm = static_cast<int32_t>(std::lround(dpi / 0.0254));
        out.pmi->bmiHeader.biXPelsPerMeter = ppm;
        out.pmi->bmiHeader.biYPelsPerMeter = ppm;
    }
}

namespace {

// The resolution the device will scan with, read back after the options were set.
double scanResolution(const Device& device) {
    for (const char* name : {SANE_NAME_SCAN_RESOLUTION, SANE_NAME_SCAN_X_RESOLUTION}) {
        try {
            if (device.hasActive(name)) {
                return device.getNumber(name);
            }
        } catch (const Error&) {
        }
    }
    return 0;
}

} // namespace

ReadResult readPages(Device& device, int maxPages, const std::atomic<bool>& cancel,
                     const ReadCallbacks& callbacks) {
    ReadResult result;
    auto end = [&](ReadEnd how, SANE_Status status) {
        device.cancel();
        result.end = how;
        result.status = status;
        return result;
    };
    // After an empty feeder or an error the pages read so far stand; what ended the batch decides
    // how it is reported.
    auto stopped = [&](SANE_Status status) {
        if (status == SANE_STATUS_CANCELLED || cancel.load()) {
            return end(ReadEnd::Cancelled, SANE_STATUS_CANCELLED);
        }
        if (status == SANE_STATUS_NO_DOCS && result.pages > 0) {
            return end(ReadEnd::FeederEmpty, status);
        }
        return end(ReadEnd::Failed, status);
    };

    std::vector<SANE_Byte> buffer(size_t{1} << 16);
    PageAssembler assembler;
    for (int page = 1; maxPages <= 0 || page <= maxPages; ++page) {
        if (cancel.load()) {
            return end(ReadEnd::Cancelled, SANE_STATUS_CANCELLED);
        }
        if (callbacks.beforePage) {
            callbacks.beforePage(device, page);
        }
        if (callbacks.progress) {
            callbacks.progress(page, 0);
        }
        // One sane_start per frame: three for a three-pass colour page.
        do {
            const SANE_Status started = device.start();
            if (started != SANE_STATUS_GOOD) {
                return stopped(started);
            }
            try {
                assembler.beginFrame(device.parameters());
            } catch (const Error& e) {
                return end(ReadEnd::Failed, e.status());
            }
            int lastPercent = -1;
            for (;;) {
                if (cancel.load()) {
                    return end(ReadEnd::Cancelled, SANE_STATUS_CANCELLED);
                }
                SANE_Int length = 0;
                const SANE_Status st =
                    device.read(buffer.data(), static_cast<SANE_Int>(buffer.size()), length);
                if (st == SANE_STATUS_EOF) {
                    break;
                }
                if (st != SANE_STATUS_GOOD) {
                    return stopped(st);
                }
                assembler.add(buffer.data(), static_cast<size_t>(std::max<SANE_Int>(length, 0)));
                const int64_t expected = assembler.expectedBytes();
                const int percent = expected > 0
                                        ? static_cast<int>(std::min<int64_t>(
                                              100, assembler.receivedBytes() * 100 / expected))
                                        : 0;
                if (percent != lastPercent && callbacks.progress) {
                    callbacks.progress(page, percent);
                    lastPercent = percent;
                }
            }
        } while (!assembler.lastFrame());

        dib picture{};
        assembler.finish(picture, scanResolution(device));
        if (picture.poi == nullptr) {
            return end(ReadEnd::Failed, SANE_STATUS_NO_MEM);
        }
        ++result.pages;
        if (callbacks.pageDone) {
            callbacks.pageDone(picture);
        } else {
            deldib(picture);
        }
    }
    return end(ReadEnd::Done, SANE_STATUS_GOOD);
}

} // namespace qly::sane
