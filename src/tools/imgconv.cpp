// qly-imgconv: reads pictures through the image library and writes each one again.
//   qly-imgconv FORMAT OUTDIR picture...
// FORMAT is a format code (3 BMP, 8 JPEG, 15 PNG, ...). Prints one line per picture.
#include "document/Dib.h"
#include "platform/GrafikRW3.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

const char* extensionOf(int format) {
    switch (format) {
    case DIB_BMP:
        return ".bmp";
    case DIB_DIB:
        return ".dib";
    case DIB_GIF:
        return ".gif";
    case DIB_IFF:
        return ".iff";
    case DIB_JIF:
        return ".jif";
    case DIB_JPG:
        return ".jpg";
    case DIB_LBM:
        return ".lbm";
    case DIB_PCX:
        return ".pcx";
    case DIB_RLE:
        return ".rle";
    case DIB_TGA:
        return ".tga";
    case DIB_PNG:
        return ".png";
    case DIB_TIF:
        return ".tif";
    case DIB_JP2:
        return ".jp2";
    case DIB_PNM:
        return ".pnm";
    case DIB_J2K:
        return ".j2k";
    default:
        return ".img";
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s FORMAT OUTDIR picture...\n", argv[0]);
        return 2;
    }
    const int format = std::atoi(argv[1]);
    const std::filesystem::path outdir(argv[2]);
    std::error_code ec;
    std::filesystem::create_directories(outdir, ec);
    int failures = 0;
    for (int i = 3; i < argc; ++i) {
        dib d{};
        OpenDib(d, argv[i], DIB_AUTO);
        if (d.poi == nullptr) {
            std::fprintf(stderr, "%s: %s\n", argv[i], DibErrorText(d).c_str());
            ++failures;
            continue;
        }
        const auto out =
            (outdir / std::filesystem::path(argv[i]).stem()).string() + extensionOf(format);
        if (SaveDib(d, out, format) != 1) {
            std::fprintf(stderr, "%s: %s\n", out.c_str(), DibLastError().c_str());
            ++failures;
        } else {
            std::printf("%s: %dx%d, %d bit -> %s\n", argv[i], dibwidth(d), dibheight(d), dibbits(d),
                        out.c_str());
        }
        freedib(d);
    }
    return failures == 0 ? 0 : 1;
}
