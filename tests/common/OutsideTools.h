#pragma once
// Helpers for tests that check our files against other programs (libtiff's tools, OpenJPEG's
// tools, ImageMagick): running a command, and a small independent reader and writer of binary
// PGM/PPM files to exchange pixels with them.

#include "common/Shell.h"
#include "common/TestDib.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

namespace qlytest {

// Result of a command run through the shell: exit status and what it printed (both streams).
struct ToolResult {
    int status = -1;
    std::string output;
};

// Runs `command` through /bin/sh with its output captured in a file of `dir`. A program that is
// missing gives status 127, which the callers treat as a failure like any other.
inline ToolResult runTool(const TempDir& dir, const std::string& command) {
    const std::string log = dir.file("tool-output.txt");
    const std::string full = "(" + command + ") >'" + log + "' 2>&1";
    ToolResult r;
    const int raw = std::system(full.c_str());
    r.status = raw == -1 ? -1 : WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    std::ifstream in(log, std::ios::binary);
    r.output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return r;
}

// A binary PGM (P5) or PPM (P6) with maxval 255, as OpenJPEG's and ImageMagick's tools write them.
struct NetpbmPicture {
    int width = 0;
    int height = 0;
    int channels = 0; // 1 grey, 3 RGB
    std::vector<uint8_t> samples;
    int at(int x, int y, int c) const {
        return samples[(size_t(y) * size_t(width) + size_t(x)) * size_t(channels) + size_t(c)];
    }
};

// Parses P5/P6 with maxval 255; returns false for anything else.
inline bool parseNetpbm(const std::vector<uint8_t>& bytes, NetpbmPicture& out) {
    if (bytes.size() < 2 || bytes[0] != 'P' || (bytes[1] != '5' && bytes[1] != '6')) {
        return false;
    }
    out.channels = bytes[1] == '5' ? 1 : 3;
    size_t pos = 2;
    int fields[3] = {0, 0, 0};
    for (int& f : fields) {
        while (pos < bytes.size() && (std::isspace(bytes[pos]) || bytes[pos] == '#')) {
            if (bytes[pos] == '#') {
                while (pos < bytes.size() && bytes[pos] != '\n') {
                    ++pos;
                }
            } else {
                ++pos;
            }
        }
        while (pos < bytes.size() && std::isdigit(bytes[pos])) {
            f = f * 10 + (bytes[pos++] - '0');
        }
    }
    ++pos; // the single white-space character before the samples
    out.width = fields[0];
    out.height = fields[1];
    const size_t n = size_t(out.width) * size_t(out.height) * size_t(out.channels);
    if (fields[2] != 255 || pos + n > bytes.size()) {
        return false;
    }
    out.samples.assign(bytes.begin() + std::ptrdiff_t(pos),
                       bytes.begin() + std::ptrdiff_t(pos + n));
    return true;
}

// Writes a picture of any depth as a binary PPM (P6) through getpixel and its colour table.
inline void writePpm(const dib& d, const std::string& name) {
    const int w = d.pmi->bmiHeader.biWidth;
    const int h = d.pmi->bmiHeader.biHeight;
    std::vector<uint8_t> bytes;
    const std::string header = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
    bytes.assign(header.begin(), header.end());
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int r, g, b;
            pixelRgb(d, x, y, r, g, b);
            bytes.push_back(uint8_t(r));
            bytes.push_back(uint8_t(g));
            bytes.push_back(uint8_t(b));
        }
    }
    writeFileBytes(name, bytes);
}

// Peak signal-to-noise ratio between a picture and a PGM/PPM of the same size (grey compares
// the red channel of the picture).
inline double psnrAgainst(const dib& d, const NetpbmPicture& p) {
    double se = 0;
    int64_t n = 0;
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            int rgb[3];
            pixelRgb(d, x, y, rgb[0], rgb[1], rgb[2]);
            for (int c = 0; c < p.channels; ++c) {
                const double e = rgb[c] - p.at(x, y, c);
                se += e * e;
                ++n;
            }
        }
    }
    return se == 0 ? 1e9 : 10.0 * std::log10(255.0 * 255.0 / (se / double(n)));
}

} // namespace qlytest
