#include "platform/jbig2/DibImage.h"

#include "platform/GrafikRW3.h"

namespace qly::jbig2 {

DibPolarity dibPolarity(const RGBQUAD& colour0, const RGBQUAD& colour1) {
    // ITU-R BT.601 luma weights, in thousandths.
    auto luma = [](const RGBQUAD& c) {
        return 299 * c.rgbRed + 587 * c.rgbGreen + 114 * c.rgbBlue;
    };
    auto sum = [](const RGBQUAD& c) { return c.rgbRed + c.rgbGreen + c.rgbBlue; };
    if (colour0.rgbRed == colour1.rgbRed && colour0.rgbGreen == colour1.rgbGreen &&
        colour0.rgbBlue == colour1.rgbBlue) {
        return luma(colour0) < 128 * 1000 ? DibPolarity::AllBlack : DibPolarity::AllWhite;
    }
    if (luma(colour0) != luma(colour1)) {
        return luma(colour0) < luma(colour1) ? DibPolarity::ZeroIsBlack : DibPolarity::OneIsBlack;
    }
    if (sum(colour0) != sum(colour1)) {
        return sum(colour0) < sum(colour1) ? DibPolarity::ZeroIsBlack : DibPolarity::OneIsBlack;
    }
    return DibPolarity::ZeroIsBlack;
}

bool bilevelImageOfDib(const dib& d, BilevelImage& out, std::vector<uint8_t>& flatRow) {
    if (d.poi == nullptr || d.pmi == nullptr) {
        return false;
    }
    const BITMAPINFOHEADER& h = d.pmi->bmiHeader;
    if (h.biBitCount != 1 || h.biWidth <= 0 || h.biHeight <= 0 || d.bytew <= 0 ||
        static_cast<int64_t>(d.bytew) * 8 < h.biWidth) {
        return false;
    }
    out = BilevelImage{};
    out.width = static_cast<uint32_t>(h.biWidth);
    out.height = static_cast<uint32_t>(h.biHeight);
    const DibPolarity polarity = dibPolarity(d.pmi->bmiColors[0], d.pmi->bmiColors[1]);
    if (polarity == DibPolarity::AllWhite || polarity == DibPolarity::AllBlack) {
        // One white row, repeated; read as black where the picture is all black.
        flatRow.assign(static_cast<size_t>(d.bytew), 0);
        out.top = flatRow.data();
        out.stride = 0;
        out.zeroIsBlack = polarity == DibPolarity::AllBlack;
    } else {
        // Rows are stored bottom-up: start at the top row and step backwards.
        out.top = DibRowTop(d, 0);
        out.stride = -static_cast<ptrdiff_t>(d.bytew);
        out.zeroIsBlack = polarity == DibPolarity::ZeroIsBlack;
    }
    return true;
}

uint32_t dibXResolution(const dib& d) {
    const int32_t v = d.pmi != nullptr ? d.pmi->bmiHeader.biXPelsPerMeter : 0;
    return v > 0 ? static_cast<uint32_t>(v) : 0;
}

uint32_t dibYResolution(const dib& d) {
    const int32_t v = d.pmi != nullptr ? d.pmi->bmiHeader.biYPelsPerMeter : 0;
    return v > 0 ? static_cast<uint32_t>(v) : 0;
}

} // namespace qly::jbig2
