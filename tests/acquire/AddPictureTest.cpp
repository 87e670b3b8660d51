#include "acquire/AddPicture.h"
#include "common/RecordingSink.h"
#include "common/TestDib.h"
#include "document/Dib.h"
#include "document/DynaArray.h"
#include "platform/Messages.h"

#include <gtest/gtest.h>

#include <fstream>

using qlytest::TempDir;

namespace {

class AddPicture : public ::testing::Test {
  protected:
    void SetUp() override { previous_ = qly::setMessageSink(&sink_); }
    void TearDown() override {
        bilder_.First();
        while (bilder_.WhileNext()) {
            freedib(*static_cast<dib*>(abild_));
        }
        qly::setMessageSink(previous_);
    }
    qlytest::RecordingSink sink_;
    qly::MessageSink* previous_ = nullptr;
    void* abild_ = nullptr;
    TDynaArray bilder_{sizeof(dib), &abild_};
    TempDir dir_;
};

TEST_F(AddPicture, ReadableFilesAreAppendedInOrderAndUnreadableOnesReportedAndSkipped) {
    qlytest::OwnedDib a;
    qlytest::makePattern(a, 5, 3, 24, 1);
    qlytest::OwnedDib c;
    qlytest::makePattern(c, 2, 9, 1, 2);
    ASSERT_EQ(SaveDib(*a, dir_.file("a.bmp"), DIB_BMP), 1);
    ASSERT_EQ(SaveDib(*c, dir_.file("c.png"), DIB_PNG), 1);
    std::ofstream(dir_.file("b.jpg")) << "not a picture at all";

    EXPECT_TRUE(AddPicture_(bilder_, dir_.file("a.bmp")));
    EXPECT_FALSE(AddPicture_(bilder_, dir_.file("b.jpg")));
    EXPECT_TRUE(AddPicture_(bilder_, dir_.file("c.png")));
    EXPECT_FALSE(AddPicture_(bilder_, dir_.file("missing.png")));

    ASSERT_EQ(bilder_.count, 2u);
    const dib& first = *static_cast<dib*>(bilder_.GetObject(0));
    const dib& second = *static_cast<dib*>(bilder_.GetObject(1));
    EXPECT_EQ(dibwidth(first), 5);
    EXPECT_EQ(qlytest::pixelDifferences(first, *a), 0);
    EXPECT_EQ(dibbits(second), 1);
    EXPECT_EQ(qlytest::pixelDifferences(second, *c), 0);

    ASSERT_EQ(sink_.texts.size(), 2u);
    EXPECT_EQ(sink_.captions[0], "Fehler beim Öffnen von " + dir_.file("b.jpg") + "!");
    EXPECT_EQ(sink_.texts[0], "Unbekanntes Dateiformat");
    EXPECT_EQ(sink_.icons[0], qly::MessageIcon::Error);
    EXPECT_EQ(sink_.texts[1], "Datei kann nicht geöffnet werden");
}

} // namespace
