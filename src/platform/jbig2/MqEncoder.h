#pragma once
// The MQ binary arithmetic coder of ITU-T T.88 Annex E (the coder JBIG2 shares with JPEG 2000),
// encoder side.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qly::jbig2 {

// Adaptive probability state of one coding context: (Qe table index << 1) | MPS. A freshly
// zeroed context (index 0, MPS 0) is the initial state T.88 prescribes for every context.
using MqContext = uint8_t;

// One row of the probability estimation table (T.88 Table E.1) with the transitions resolved
// into whole context states, so that an MPS or LPS update is a single table look-up.
struct MqState {
    uint16_t qe;    // probability estimate of the less probable symbol
    MqContext nmps; // state after coding the more probable symbol
    MqContext nlps; // state after coding the less probable symbol (MPS switched where due)
};
extern const std::array<MqState, 94> kMqStates;

// Encodes binary decisions into bytes (T.88 E.2). The coded bytes are appended to the vector
// given at construction, which must outlive the encoder; `finish` terminates the code with the
// 0xFF 0xAC marker. Not copyable: it keeps a reference to its output.
class MqEncoder {
  public:
    explicit MqEncoder(std::vector<uint8_t>& out);
    MqEncoder(const MqEncoder&) = delete;
    MqEncoder& operator=(const MqEncoder&) = delete;

    // Codes decision `bit` (0 or 1) in context `cx` and updates the context's state.
    void encode(MqContext& cx, unsigned bit) {
        const MqState& s = kMqStates[cx];
        const uint32_t qe = s.qe;
        a_ -= qe;
        if (bit == (cx & 1u)) {
            if ((a_ & 0x8000u) != 0) {
                c_ += qe; // the common case: no renormalisation
                return;
            }
            // CODEMPS with conditional exchange.
            if (a_ < qe) {
                a_ = qe;
            } else {
                c_ += qe;
            }
            cx = s.nmps;
        } else {
            // CODELPS with conditional exchange.
            if (a_ < qe) {
                c_ += qe;
            } else {
                a_ = qe;
            }
            cx = s.nlps;
        }
        renormalise();
    }

    // Codes `count` equal decisions `bit` in context `cx`; the same as calling encode `count`
    // times, but a run of more probable symbols that needs no renormalisation costs one step.
    void encodeRepeated(MqContext& cx, unsigned bit, unsigned count) {
        while (count > 0) {
            const uint64_t total = uint64_t{kMqStates[cx].qe} * count;
            if (bit == (cx & 1u) && a_ >= 0x8000u + total) {
                a_ -= static_cast<uint32_t>(total);
                c_ += static_cast<uint32_t>(total);
                return;
            }
            encode(cx, bit);
            --count;
        }
    }

    // Flushes the coder (FLUSH) and appends the terminating marker 0xFF 0xAC. No
    // decision may be coded afterwards.
    void finish();

    // Bytes appended to the output so far (the last of them may still change until finish).
    size_t bytesWritten() const;

  private:
    // RENORME, shifting as many bits at once as the byte counter allows.
    void renormalise() {
        int shift = std::countl_zero(a_) - 16; // a_ is below 0x8000 and non-zero here
        while (shift >= ct_) {
            a_ <<= ct_;
            c_ <<= ct_;
            shift -= ct_;
            byteOut();
        }
        a_ <<= shift;
        c_ <<= shift;
        ct_ -= shift;
    }
    void byteOut();

    std::vector<uint8_t>& out_;
    size_t start_; // size of the output before the first coded byte
    uint32_t a_ = 0x8000;
    uint32_t c_ = 0;
    int ct_ = 12;
};

} // namespace qly::jbig2
