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
    const ToolResult r =
        runTool(dir, "cjpeg " + options + " -outfile " + quoted(jpg) + " " + quoted(ppm));
    EXPECT_EQ(r.status, 0) << r.output;
    return readFileBytes(jpg);
}

// A JPEG file as djpeg (libjpeg-turbo, its default decoder settings) decodes it.
inline NetpbmPicture djpegPicture(const TempDir& dir, const std::vector<uint8_t>& jpeg) {
    const std::string in = dir.file("djpeg-in.jpg");
    const std::string out = dir.file("djpeg-out.pnm");
    writeFileBytes(in, jpeg);
    const ToolResult r = runTool(dir, "djpeg -pnm -outfile " + quoted(out) + " " + quoted(in));
    EXPECT_EQ(r.status, 0) << r.output;
    NetpbmPicture p;
    EXPECT_TRUE(parseNetpbm(readFileBytes(out), p));
    return p;
}

// Page 1 of a PDF rendered at 72 dpi, in grey or colour, by "poppler", "mupdf" or "ghostscript".
inline NetpbmPicture renderedPage(const TempDir& dir, const std::string& pdf,
                                  const std::string& renderer, bool grey) {
    const std::string out = dir.file(renderer + (grey ? ".pgm" : ".ppm"));
    std::string command;
    if (renderer == "poppler") {
        const std::string root = out.substr(0, out.size() - 4);
        command = "pdftoppm -r 72 -singlefile " + std::string(grey ? "-gray " : "") + quoted(pdf) +
                  " " + quoted(root);
    } else if (renderer == "mupdf") {
        command = "mutool draw -q -r 72 " + std::string(grey ? "-c gray " : "-c rgb ") + "-o " +
                  quoted(out) + " " + quoted(pdf) + " 1";
    } else {
        command =
            "gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=" + std::string(grey ? "pgmraw" : "ppmraw") +
            " -r72 -sOutputFile=" + quoted(out) + " " + quoted(pdf);
    }
    const ToolResult r = runTool(dir, command);
    EXPECT_EQ(r.status, 0) << renderer << ": " << r.output;
    NetpbmPicture p;
    EXPECT_TRUE(parseNetpbm(readFileBytes(out), p)) << renderer;
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
