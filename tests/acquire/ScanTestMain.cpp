// The scanning tests run on one offscreen QApplication (the dialogs are widgets; the backends
// report through its event loop). SANE's test backend is set up before anything starts SANE.
#include "common/SaneTestBackend.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qlytest::SaneTestBackend::instance();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
