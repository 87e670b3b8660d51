#include "platform/jbig2/MqEncoder.h"

#include <array>

namespace qly::jbig2 {
namespace {

// T.88 Table E.1: Qe, next index after MPS, next index after LPS, MPS switch on LPS.
struct QeRow {
    uint16_t qe;
    uint8_t nmps;
    uint8_t nlps;
    bool swtch;
};

constexpr std::array<QeRow, 47> kQeTable = {{
    {0x5601, 1, 1, true},    {0x3401, 2, 6, false},   {0x1801, 3, 9, false},
    {0x0AC1, 4, 12, false},  {0x0521, 5, 29, false},  {0x0221, 38, 33, false},
    {0x5601, 7, 6, true},    {0x5401, 8, 14, false},  {0x4801, 9, 14, false},
    {0x3801, 10, 14, false}, {0x3001, 11, 17, false}, {0x2401, 12, 18, false},
    {0x1C01, 13, 20, false}, {0x1601, 29, 21, false}, {0x5601, 15, 14, true},
    {0x5401, 16, 14, false}, {0x5101, 17, 15, false}, {0x4801, 18, 16, false},
    {0x3801, 19, 17, false}, {0x3401, 20, 18, false}, {0x3001, 21, 19, false},
    {0x2801, 22, 19, false}, {0x2401, 23, 20, false}, {0x2201, 24, 21, false},
    {0x1C01, 25, 22, false}, {0x1801, 26, 23, false}, {0x1601, 27, 24, false},
    {0x1401, 28, 25, false}, {0x1201, 29, 26, false}, {0x1101, 30, 27, false},
    {0x0AC1, 31, 28, false}, {0x09C1, 32, 29, false}, {0x08A1, 33, 30, false},
    {0x0521, 34, 31, false}, {0x0441, 35, 32, false}, {0x02A1, 36, 33, false},
    {0x0221, 37, 34, false}, {0x0141, 38, 35, false}, {0x0111, 39, 36, false},
    {0x0085, 40, 37, false}, {0x0049, 41, 38, false}, {0x0025, 42, 39, false},
    {0x0015, 43, 40, false}, {0x0009, 44, 41, false}, {0x0005, 45, 42, false},
    {0x0001, 45, 43, false}, {0x5601, 46, 46, false},
}};

constexpr std::array<MqState, 94> buildStates() {
    std::array<MqState, 94> states{};
    for (unsigned i = 0; i < kQeTable.size(); ++i) {
        const QeRow& r = kQeTable[i];
        for (unsigned mps = 0; mps < 2; ++mps) {
            const unsigned lpsMps = r.swtch ? 1 - mps : mps;
            states[i * 2 + mps] = MqState{r.qe, static_cast<MqContext>(r.nmps * 2 + mps),
                                          static_cast<MqContext>(r.nlps * 2 + lpsMps)};
        }
    }
    return states;
}

} // namespace

// Constant-initialised at compile time.
const std::array<MqState, 94> kMqStates = buildStates();

MqEncoder::MqEncoder(std::vector<uint8_t>& out) : out_(out), start_(out.size()) {}

size_t MqEncoder::bytesWritten() const {
    return out_.size() - start_;
}

// BYTEOUT with bit stuffing after 0xFF and carry propagation into the last byte.
// Before the first byte T.88 places a virtual byte B = 0 ahead of the buffer; the coder's initial
// CT = 12 guarantees that no carry can reach it, so it is never stored.
void MqEncoder::byteOut() {
    const bool haveB = out_.size() > start_;
    if (haveB && out_.back() == 0xFF) {
        out_.push_back(static_cast<uint8_t>(c_ >> 20));
        c_ &= 0xFFFFF;
        ct_ = 7;
        return;
    }
    if (c_ >= 0x8000000u && haveB) {
        // Carry into the byte already written.
        ++out_.back();
        if (out_.back() == 0xFF) {
            c_ &= 0x7FFFFFF;
            out_.push_back(static_cast<uint8_t>(c_ >> 20));
            c_ &= 0xFFFFF;
            ct_ = 7;
            return;
        }
    }
    out_.push_back(static_cast<uint8_t>(c_ >> 19));
    c_ &= 0x7FFFF;
    ct_ = 8;
}

void MqEncoder::finish() {
    // SETBITS: as many trailing 1 bits as the interval allows.
    const uint32_t tempc = c_ + a_;
    c_ |= 0xFFFF;
    if (c_ >= tempc) {
        c_ -= 0x8000;
    }
    c_ <<= ct_;
    byteOut();
    c_ <<= ct_;
    byteOut();
    // The marker that ends arithmetically coded data; a final 0xFF doubles as its first byte.
    if (out_.back() != 0xFF) {
        out_.push_back(0xFF);
    }
    out_.push_back(0xAC);
}

} // namespace qly::jbig2
