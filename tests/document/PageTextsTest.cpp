// What the page store and the page model tell the user: German as written without a text lookup,
// and every message through the lookup with the values (folders, files, counts) put in as they are.
#include "document/Dib.h"
#include "document/DynaArray.h"
#include "document/PageDocument.h"
#include "document/PageStore.h"

#include "common/FileSizeCap.h"
#include "common/MarkedTexts.h"
#include "common/RecordingSink.h"
#include "common/TestDib.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

namespace {

using qlytest::marked;

struct Pages {
    Pages() : bilder(sizeof(dib), &current) {}
    ~Pages() { releaseAllPages(bilder); }
    void* current = nullptr;
    TDynaArray bilder;
};

void addPage(PageDocument& doc, int seed) {
    qlytest::OwnedDib pic;
    qlytest::makePattern(pic, 40, 30, 24, seed);
    dib page = *pic;
    *pic = dib{};
    const uint32_t before = doc.bilder().count;
    std::memcpy(doc.bilder().Add(), &page, sizeof page);
    doc.appended(before);
}

// A page store failure: what provokes it, and the German message the user reads (without the
// lookup), given the temporary folder and the store's folder.
struct StoreFailure {
    const char* what;
    std::function<std::string(const std::string& temp, qly::PageStore& store)> error;
    std::function<std::string(const std::string& temp, const std::string& folder)> german;
};

const StoreFailure kStoreFailures[] = {
    {"a file where the folder should be",
     [](const std::string& temp, qly::PageStore&) {
         std::ofstream(temp + "/plain") << "x";
         std::string error;
         EXPECT_EQ(qly::PageStore::open(temp + "/plain", error), nullptr);
         return error;
     },
     [](const std::string& temp, const std::string&) {
         return "Der Ordner für die Seiten kann nicht angelegt werden: " + temp + "/plain (" +
                std::strerror(ENOTDIR) + ")";
     }},
    {"a missing page file",
     [](const std::string&, qly::PageStore& store) {
         dib d{};
         std::string error;
         EXPECT_FALSE(store.adoptFile("gone.page", d, error));
         return error;
     },
     [](const std::string&, const std::string& folder) {
         return "Die Seitendatei " + folder + "gone.page fehlt.";
     }},
    {"a file of another kind",
     [](const std::string&, qly::PageStore& store) {
         std::ofstream(store.folder() + "other.page")
             << "not a page at all, but long enough to be read as one if nobody looked closely";
         dib d{};
         std::string error;
         EXPECT_FALSE(store.adoptFile("other.page", d, error));
         return error;
     },
     [](const std::string&, const std::string& folder) {
         return "Die Datei " + folder + "other.page ist keine Seitendatei.";
     }},
};

TEST(PageTexts, StoreFailuresAreGermanWithoutALookupAndGoThroughItWithOne) {
    for (const bool lookup : {false, true}) {
        for (const StoreFailure& f : kStoreFailures) {
            SCOPED_TRACE(std::string(f.what) + (lookup ? ", with the lookup" : ""));
            qlytest::TempDir temp;
            std::string error;
            auto store = qly::PageStore::open(temp.file("pages"), error);
            ASSERT_NE(store, nullptr) << error;
            std::unique_ptr<qlytest::ScopedMarkedTexts> texts;
            if (lookup) {
                texts = std::make_unique<qlytest::ScopedMarkedTexts>();
            }
            const std::string german = f.german(temp.file(""), store->folder());
            const std::string got = f.error(temp.file(""), *store);
            EXPECT_EQ(got, lookup ? marked("PageStore", german) : german);
        }
    }
}

TEST(PageTexts, StepNamesAreGivenInTheUsersLanguage) {
    Pages pages;
    PageDocument doc(pages.bilder);
    addPage(doc, 1);
    addPage(doc, 2);
    doc.removePages({0});
    doc.removePages({0}, "Markierte löschen");
    EXPECT_EQ(doc.undoName(), "Markierte löschen");
    ASSERT_TRUE(doc.undo());
    EXPECT_EQ(doc.undoName(), "Löschen");
    EXPECT_EQ(doc.redoName(), "Markierte löschen");
    {
        const qlytest::ScopedMarkedTexts texts;
        EXPECT_EQ(doc.undoName(), marked("PageDocument", "Löschen"));
        EXPECT_EQ(doc.redoName(), marked("PageDocument", "Markierte löschen"));
        ASSERT_TRUE(doc.undo());
        EXPECT_EQ(doc.undoName(), marked("PageDocument", "Hinzufügen"));
    }
    // The steps keep their German names: without the lookup they read as before.
    EXPECT_EQ(doc.undoName(), "Hinzufügen");
    EXPECT_EQ(doc.redoName(), "Löschen");
}

TEST(PageTexts, APageThatCannotBeStoredIsReportedInTheUsersLanguage) {
    qlytest::TempDir temp;
    std::string error;
    auto store = qly::PageStore::open(temp.file("pages"), error);
    ASSERT_NE(store, nullptr) << error;
    Pages pages;
    PageDocument doc(pages.bilder);
    doc.setStore(store.get());
    qlytest::ScopedRecordingSink sink;
    {
        const qlytest::ScopedMarkedTexts texts;
        const qlytest::FileSizeCap cap(1000);
        addPage(doc, 3);
    }
    ASSERT_EQ(sink.captions.size(), 1u);
    EXPECT_EQ(sink.captions[0], marked("PageDocument", "Seite nicht gesichert"));
    const std::string& text = sink.texts[0];
    const std::string start =
        marked("PageDocument", marked("PageStore", "Die Seite kann nicht im Ordner " +
                                                       store->folder() + " abgelegt werden: "));
    EXPECT_EQ(text.rfind(start, 0), 0u) << text;
    EXPECT_NE(text.find(marked("PageStore", "Die Datei würde zu groß.")), std::string::npos)
        << text;
    const std::string end = "\nDie Seite bleibt im Arbeitsspeicher, ist aber bei einem Absturz "
                            "nicht geschützt.";
    EXPECT_EQ(text.substr(text.size() - end.size()), end) << text;
}

} // namespace
