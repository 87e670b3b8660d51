#pragma once
// JPEG files made by libjpeg-turbo's own tools (cjpeg, jpegtran) for the tests of pages kept as
// their JPEG files, and pictures decoded by djpeg or rendered from a PDF by poppler, mupdf and
// ghostscript, exchanged as binary PGM/PPM.

#include "common/OutsideTools.h"

#include <string>
#include <vector>

namespace qlytest {

// `src` written as PPM (or PGM with `-grayscale` among the options) and coded by cjpeg with the
// options; empty (and a failed test) when cjpeg fails.
inline std::vector<uint8_t> cjpegFile(const TempDir& dir, const dib& src,
                                      const std::string& options, const std::string& name) {
    const std::string ppm = dir.file(name + ".ppm");
    const std::string jpg = dir.file(name + ".jpg");
    writePpm(src, ppm);
    const ToolResult r = runTool(dir, "cjpeg " + options + " -outfile " + qlytest::quoted(jpg) +
                                          " " + qlytest::quoted(ppm));
    EXPECT_EQ(r.status, 0) << r.output;
    return readFileBytes(jpg);
}

// A JPEG file as djpeg (libjpeg-turbo, its default decoder settings) decodes it.
inline NetpbmPicture djpegPicture(const TempDir& dir, const std::vector<uint8_t>& jpeg) {
    const std::string in = dir.file("djpeg-in.jpg");
    const std::string out = dir.file("djpeg-out.pnm");
    writeFileBytes(in, jpeg);
    const ToolResult r =
        runTool(dir, "djpeg -pnm -outfile " + qlytest::quoted(out) + " " + qlytest::quoted(in));
    EXPECT_EQ(r.status, 0) << r.output;
    NetpbmPicture p;
    EXPECT_TRUE(parseNetpbm(readFileBytes(out), p));
    return p;
}

// A picture read by the image library as a PGM/PPM-like sample array (grey takes the red).
inline NetpbmPicture samplesOf(const dib& d, bool grey) {
    NetpbmPicture p;
    p.width = d.pmi->bmiHeader.biWidth;
    p.height = d.pmi->bmiHeader.biHeight;
    p.channels = grey ? 1 : 3;
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            int rgb[3];
            pixelRgb(d, x, y, rgb[0], rgb[1], rgb[2]);
            for (int c = 0; c < p.channels; ++c) {
                p.samples.push_back(uint8_t(rgb[c]));
            }
        }
    }
    return p;
}

// Page 1 of a PDF rendered at 72 dpi, in grey or colour, by "poppler", "mupdf" or "ghostscript".
// poppler renders through its Cairo output (pdftocairo): pdftoppm's own rasteriser resamples
// pictures even at one pixel per pixel (most samples of a 640 x 480 JPEG page differ, seen).
inline NetpbmPicture renderedPage(const TempDir& dir, const std::string& pdf,
                                  const std::string& renderer, bool grey) {
    std::string out = dir.file(renderer + (grey ? ".pgm" : ".ppm"));
    std::string command;
    if (renderer == "poppler") {
        const std::string root = dir.file("poppler");
        out = root + ".png";
        command = "pdftocairo -png -r 72 -singlefile " + std::string(grey ? "-gray " : "") +
                  qlytest::quoted(pdf) + " " + qlytest::quoted(root);
    } else if (renderer == "mupdf") {
        command = "mutool draw -q -r 72 " + std::string(grey ? "-c gray " : "-c rgb ") + "-o " +
                  qlytest::quoted(out) + " " + qlytest::quoted(pdf) + " 1";
    } else {
        // Always in colour: ghostscript's grey output devices move some grey levels by one even
        // for an uncompressed DeviceGray picture (seen), its colour ones do not.
        out = dir.file("ghostscript.ppm");
        command = "gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=ppmraw -r72 -sOutputFile=" +
                  qlytest::quoted(out) + " " + qlytest::quoted(pdf);
    }
    const ToolResult r = runTool(dir, command);
    EXPECT_EQ(r.status, 0) << renderer << ": " << r.output;
    NetpbmPicture p;
    if (renderer == "poppler") {
        OwnedDib png;
        OpenDib(*png, out, DIB_AUTO);
        EXPECT_NE(png->poi, nullptr) << renderer;
        if (png->poi != nullptr) {
            p = samplesOf(*png, grey);
        }
    } else {
        EXPECT_TRUE(parseNetpbm(readFileBytes(out), p)) << renderer;
        if (grey && p.channels == 3) {
            for (size_t i = 0; i < p.samples.size() / 3; ++i) {
                p.samples[i] = p.samples[i * 3];
            }
            p.samples.resize(p.samples.size() / 3);
            p.channels = 1;
        }
    }
    return p;
}

// The largest difference of one sample between two pictures of the same size and channels; 256
// when they do not match in size or channels.
inline int largestSampleDifference(const NetpbmPicture& a, const NetpbmPicture& b) {
    if (a.width != b.width || a.height != b.height || a.channels != b.channels) {
        return 256;
    }
    int most = 0;
    for (size_t i = 0; i < a.samples.size(); ++i) {
        most = std::max(most, std::abs(int(a.samples[i]) - int(b.samples[i])));
    }
    return most;
}

} // namespace qlytest
