// The original JPEG bytes kept beside the pages: found through the record wherever it moves,
// gone with the picture (freedib, deleting the page, a change in place), never found by a new
// picture, and the pixels of a page read without them decoded on demand.
#include "document/JpegOriginals.h"

#include "common/TestDib.h"
#include "document/Dib.h"
#include "document/DynaArray.h"
#include "document/PageIdentity.h"
#include "document/PageList.h"
#include "platform/GrafikRW3.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// A JPEG file of a smooth picture, coded by the image library, and the picture read from it.
struct JpegPage {
    std::vector<uint8_t> bytes;
    qly::JpegFacts facts;
    dib page{}; // owned by whoever takes it
};

JpegPage jpegPage(bool pixelsLater) {
    qlytest::OwnedDib src;
    qlytest::makeSmooth(src, 40, 24);
    std::vector<uint8_t> file;
    EXPECT_TRUE(SaveDibToMemory(*src, DIB_JPG, file));
    JpegPage p;
    qly::OpenDibKeepingJpegFromMemory(p.page, file.data(), file.size(), p.bytes, p.facts,
                                      [&](const qly::JpegFacts&) { return pixelsLater; });
    EXPECT_NE(p.page.poi, nullptr);
    EXPECT_EQ(p.bytes, file);
    return p;
}

std::shared_ptr<const JpegOriginal> originalOf(const JpegPage& p) {
    auto o = std::make_shared<JpegOriginal>();
    o->bytes = p.bytes;
    o->facts = p.facts;
    return o;
}

dib& record(TDynaArray& pages, uint32_t i) {
    return *static_cast<dib*>(pages.GetObject(i));
}

TEST(JpegOriginals, FollowTheRecordAndGoWithItsPicture) {
    const size_t before = keptJpegOriginals();
    void* current = nullptr;
    TDynaArray pages(sizeof(dib), &current);
    for (int i = 0; i < 3; ++i) {
        JpegPage p = jpegPage(false);
        ASSERT_TRUE(keepJpegOriginal(p.page, originalOf(p)));
        std::memcpy(pages.Add(), &p.page, sizeof p.page);
    }
    EXPECT_EQ(keptJpegOriginals(), before + 3);
    const std::shared_ptr<const JpegOriginal> first = jpegOriginalOf(record(pages, 0));
    ASSERT_NE(first, nullptr);
    // Records moved as raw bytes (moving and interleaving pages) keep what is theirs.
    int32_t adib = 1;
    ASSERT_TRUE(movePageBack(pages, adib));
    EXPECT_EQ(jpegOriginalOf(record(pages, 1)), first);
    EXPECT_NE(jpegOriginalOf(record(pages, 0)), first);
    // A new picture in the same record finds nothing.
    dib other{};
    newdib(other, 40, 24, 24, nullptr, 0);
    EXPECT_EQ(jpegOriginalOf(other), nullptr);
    freedib(other);
    // A picture changed in place loses its original and gets a new identity.
    const uint64_t id = pageIdentity(record(pages, 2));
    pictureChanged(record(pages, 2));
    EXPECT_EQ(jpegOriginalOf(record(pages, 2)), nullptr);
    EXPECT_NE(pageIdentity(record(pages, 2)), id);
    EXPECT_EQ(keptJpegOriginals(), before + 2);
    // Deleting a page and releasing all pages release the rest.
    ASSERT_TRUE(deletePage(pages, 1));
    EXPECT_EQ(keptJpegOriginals(), before + 1);
    releaseAllPages(pages);
    EXPECT_EQ(keptJpegOriginals(), before);
    // What an export still holds stays valid after the page is gone.
    EXPECT_FALSE(first->bytes.empty());
}

TEST(JpegOriginals, PixelsLeftForLaterAreDecodedOnceWhenNeeded) {
    const qlytest::OwnedDib full(jpegPage(false).page);
    for (bool pending : {false, true}) {
        SCOPED_TRACE(pending ? "pending" : "decoded");
        JpegPage p = jpegPage(pending);
        ASSERT_TRUE(keepJpegOriginal(p.page, originalOf(p), pending));
        EXPECT_EQ(qlytest::pixelDifferences(p.page, *full) == 0, !pending);
        EXPECT_TRUE(ensurePagePixels(p.page));
        EXPECT_EQ(qlytest::pixelDifferences(p.page, *full), 0);
        // Once there, the pixels are the page's own: a second call leaves a change alone.
        setpixel(p.page, 0, 0, 0x123456);
        EXPECT_TRUE(ensurePagePixels(p.page));
        EXPECT_EQ(getpixel(p.page, 0, 0), 0x123456u);
        freedib(p.page);
    }
}

} // namespace
