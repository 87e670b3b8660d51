// The MQ arithmetic encoder against T.88's published test sequence and against an independent
// decoder.
#include "platform/jbig2/MqEncoder.h"

#include "common/Jbig2Decoder.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using qly::jbig2::MqContext;
using qly::jbig2::MqEncoder;

namespace {

// T.88 Annex H.2: 256 decisions (32 bytes, most significant bit first), all coded in one
// context that starts at index 0 with MPS 0, and the coded bytes the standard lists for them.
const uint8_t kAnnexHDecisions[32] = {
    0x00, 0x02, 0x00, 0x51, 0x00, 0x00, 0x00, 0xC0, 0x03, 0x52, 0x87, 0x2A, 0xAA, 0xAA, 0xAA, 0xAA,
    0x82, 0xC0, 0x20, 0x00, 0xFC, 0xD7, 0x9E, 0xF6, 0xBF, 0x7F, 0xED, 0x90, 0x4F, 0x46, 0xA3, 0xBF};
const uint8_t kAnnexHCode[30] = {0x84, 0xC7, 0x3B, 0xFC, 0xE1, 0xA1, 0x43, 0x04, 0x02, 0x20,
                                 0x00, 0x00, 0x41, 0x0D, 0xBB, 0x86, 0xF4, 0x31, 0x7F, 0xFF,
                                 0x88, 0xFF, 0x37, 0x47, 0x1A, 0xDB, 0x6A, 0xDF, 0xFF, 0xAC};

struct Decision {
    unsigned context;
    unsigned bit;
};

std::vector<uint8_t> encodeAll(const std::vector<Decision>& decisions, unsigned contexts) {
    std::vector<uint8_t> out;
    std::vector<MqContext> cx(contexts, 0);
    MqEncoder mq(out);
    for (const Decision& d : decisions) {
        mq.encode(cx[d.context], d.bit);
    }
    mq.finish();
    return out;
}

// Decisions whose bits follow per-context probabilities, some of them very skewed, so the coder
// walks the whole probability table, exchanges, switches MPS and propagates carries.
std::vector<Decision> randomDecisions(uint32_t seed, size_t count, unsigned contexts) {
    std::mt19937 rng(seed);
    std::vector<double> p(contexts);
    for (double& v : p) {
        const double r = std::uniform_real_distribution<double>(0, 1)(rng);
        v = r < 0.3 ? r * 0.01 : r < 0.6 ? 1 - r * 0.01 : r;
    }
    std::vector<Decision> d(count);
    for (Decision& e : d) {
        e.context = static_cast<unsigned>(rng() % contexts);
        e.bit = std::uniform_real_distribution<double>(0, 1)(rng) < p[e.context] ? 1 : 0;
    }
    return d;
}

void expectDecodesTo(const std::vector<uint8_t>& code, const std::vector<Decision>& decisions,
                     unsigned contexts) {
    qlytest::MqDecoder dec(code.data(), code.size());
    std::vector<qlytest::MqDecoder::Context> cx(contexts);
    for (size_t i = 0; i < decisions.size(); ++i) {
        ASSERT_EQ(dec.decode(cx[decisions[i].context]), static_cast<int>(decisions[i].bit))
            << "decision " << i;
    }
}

TEST(MqEncoder, CodesTheAnnexHTestSequenceExactly) {
    std::vector<uint8_t> out;
    MqContext cx = 0;
    MqEncoder mq(out);
    for (const uint8_t byte : kAnnexHDecisions) {
        for (int i = 7; i >= 0; --i) {
            mq.encode(cx, (byte >> i) & 1u);
        }
    }
    mq.finish();
    EXPECT_EQ(out, std::vector<uint8_t>(std::begin(kAnnexHCode), std::end(kAnnexHCode)));
}

TEST(MqEncoder, TheReferenceDecoderReadsTheAnnexHCode) {
    // Guards the decoder the other tests rely on.
    qlytest::MqDecoder dec(kAnnexHCode, sizeof kAnnexHCode);
    qlytest::MqDecoder::Context cx;
    for (const uint8_t byte : kAnnexHDecisions) {
        int value = 0;
        for (int i = 0; i < 8; ++i) {
            value = value << 1 | dec.decode(cx);
        }
        EXPECT_EQ(value, byte);
    }
}

TEST(MqEncoder, RandomDecisionsInManyContextsDecodeBack) {
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        const unsigned contexts = seed % 3 == 0 ? 1 : seed % 3 == 1 ? 7 : 300;
        const auto decisions = randomDecisions(seed, 5000 + seed * 97, contexts);
        const auto code = encodeAll(decisions, contexts);
        expectDecodesTo(code, decisions, contexts);
        if (HasFatalFailure()) {
            FAIL() << "seed " << seed;
        }
    }
}

TEST(MqEncoder, EveryCodeEndsWithTheMarkerAndStuffsAfter0xFF) {
    size_t ffBytes = 0;
    for (uint32_t seed = 100; seed < 160; ++seed) {
        const auto code = encodeAll(randomDecisions(seed, 3000, 5), 5);
        ASSERT_GE(code.size(), 2u);
        EXPECT_EQ(code[code.size() - 2], 0xFF);
        EXPECT_EQ(code.back(), 0xAC);
        // Inside the coded data a 0xFF is always followed by a byte below 0x90, so no marker
        // appears before the end.
        for (size_t i = 0; i + 2 < code.size(); ++i) {
            if (code[i] == 0xFF) {
                ++ffBytes;
                EXPECT_LT(code[i + 1], 0x90) << "seed " << seed << " at " << i;
            }
        }
    }
    EXPECT_GT(ffBytes, 0u) << "the sample never produced a 0xFF byte";
}

TEST(MqEncoder, EmptyAndSingleDecisionCodesDecode) {
    for (unsigned bit = 0; bit < 2; ++bit) {
        const std::vector<Decision> one = {{0, bit}};
        const auto code = encodeAll(one, 1);
        EXPECT_EQ(code.back(), 0xAC);
        expectDecodesTo(code, one, 1);
    }
    const auto empty = encodeAll({}, 1);
    EXPECT_GE(empty.size(), 2u);
    EXPECT_EQ(empty.back(), 0xAC);
}

TEST(MqEncoder, AppendsAfterBytesAlreadyInTheOutput) {
    const auto decisions = randomDecisions(7, 2000, 4);
    const auto alone = encodeAll(decisions, 4);
    std::vector<uint8_t> out = {0xFF, 0xFF, 0x12};
    std::vector<MqContext> cx(4, 0);
    MqEncoder mq(out);
    for (const Decision& d : decisions) {
        mq.encode(cx[d.context], d.bit);
    }
    mq.finish();
    ASSERT_EQ(out.size(), alone.size() + 3);
    EXPECT_EQ(out[0], 0xFF);
    EXPECT_EQ(out[1], 0xFF);
    EXPECT_EQ(out[2], 0x12);
    EXPECT_TRUE(std::equal(alone.begin(), alone.end(), out.begin() + 3));
}

TEST(MqEncoder, RunsOfEqualDecisionsCodeAsSingleCallsWould) {
    std::mt19937 rng(3);
    for (int trial = 0; trial < 60; ++trial) {
        std::vector<uint8_t> a;
        std::vector<uint8_t> b;
        MqContext ca[3] = {0, 0, 0};
        MqContext cb[3] = {0, 0, 0};
        MqEncoder ma(a);
        MqEncoder mb(b);
        for (int run = 0; run < 300; ++run) {
            const unsigned context = rng() % 3;
            // Mostly zeros, in runs long and short, so the fast path and its fallback both run.
            const unsigned bit = rng() % 8 == 0 ? 1 : 0;
            const unsigned count = 1 + rng() % (trial % 2 == 0 ? 9 : 3000);
            for (unsigned i = 0; i < count; ++i) {
                ma.encode(ca[context], bit);
            }
            mb.encodeRepeated(cb[context], bit, count);
            ASSERT_EQ(ca[context], cb[context]) << "trial " << trial << " run " << run;
        }
        ma.finish();
        mb.finish();
        ASSERT_EQ(a, b) << "trial " << trial;
    }
}

} // namespace
