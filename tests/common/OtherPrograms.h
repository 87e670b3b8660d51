#pragma once
// Helpers for tests that check our files against other programs (ImageMagick, GraphicsMagick,
// Netpbm): running a command, reading its output, and comparing pictures by colour. A missing
// program makes the test fail, never skip.

#include "common/Shell.h"
#include "common/TestDib.h"
#include "platform/GrafikRW3.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <sys/wait.h>

namespace qlytest {

// Runs a shell command with its standard error discarded; returns its exit status, or -1 when it
// could not be run or was killed.
inline int runCommand(const std::string& command) {
    const int status = std::system((command + " 2>/dev/null").c_str());
    if (status == -1 || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

// Standard output of a shell command (standard error discarded); empty when it failed.
inline std::string commandOutput(const std::string& command) {
    struct Closer {
        void operator()(std::FILE* f) const { pclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> pipe(popen((command + " 2>/dev/null").c_str(), "r"));
    if (!pipe) {
        return {};
    }
    std::string out;
    std::array<char, 4096> buf{};
    size_t n = 0;
    while ((n = std::fread(buf.data(), 1, buf.size(), pipe.get())) > 0) {
        out.append(buf.data(), n);
    }
    return out;
}

// Succeeds when the program is on the PATH; tests ASSERT this so a missing program is a failure.
inline ::testing::AssertionResult haveProgram(const std::string& name) {
    if (runCommand("command -v " + name + " >/dev/null") == 0) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << name << " is not installed (scripts/install-deps.sh installs it)";
}

// Number of pixels whose red, green or blue differ (sizes must match; depths may differ).
inline int64_t colourDifferences(const dib& a, const dib& b) {
    int64_t n = 0;
    for (int32_t y = 0; y < a.pmi->bmiHeader.biHeight; ++y) {
        for (int32_t x = 0; x < a.pmi->bmiHeader.biWidth; ++x) {
            int r1, g1, b1, r2, g2, b2;
            pixelRgb(a, x, y, r1, g1, b1);
            pixelRgb(b, x, y, r2, g2, b2);
            n += (r1 != r2 || g1 != g2 || b1 != b2) ? 1 : 0;
        }
    }
    return n;
}

// The largest difference of red, green or blue between two pictures of the same size.
inline int maxChannelDifference(const dib& a, const dib& b) {
    int worst = 0;
    for (int32_t y = 0; y < a.pmi->bmiHeader.biHeight; ++y) {
        for (int32_t x = 0; x < a.pmi->bmiHeader.biWidth; ++x) {
            int c1[3], c2[3];
            pixelRgb(a, x, y, c1[0], c1[1], c1[2]);
            pixelRgb(b, x, y, c2[0], c2[1], c2[2]);
            for (int c = 0; c < 3; ++c) {
                worst = std::max(worst, std::abs(c1[c] - c2[c]));
            }
        }
    }
    return worst;
}

// A picture with `colours` distinct colours in blocks, as a 24-bit bitmap: few enough colours
// that palette formats keep it exactly.
inline void makeFewColours(OwnedDib& out, int32_t width, int32_t height, int colours,
                           uint32_t seed = 7) {
    out.reset();
    newdib(*out, width, height, 24, nullptr, 0);
    ASSERT_NE(out->poi, nullptr);
    std::mt19937 rng(seed);
    std::vector<uint32_t> table(static_cast<size_t>(colours));
    for (auto& c : table) {
        c = rng() & 0xffffff;
    }
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            // Blocks of 3 x 2 pixels in reading order, so every colour appears when there are
            // at least as many blocks as colours.
            const int block = (y / 2) * ((width + 2) / 3) + x / 3;
            setpixel(*out, x, y, table[static_cast<size_t>(block % colours)]);
        }
    }
}

} // namespace qlytest
