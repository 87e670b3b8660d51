#include "app/KeptSettings.h"

#include "common/TestDib.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using qlytest::TempDir;

namespace {

std::string slurp(const std::string& name) {
    std::ifstream f(name);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

TEST(KeptSettings, DefaultsAreWrittenUnderTheirNamesInTextForm) {
    TempDir dir;
    const std::string file = dir.file("quillory.ini");
    std::string error;
    ASSERT_TRUE(saveMainFormSettings(MainFormSettings{}, file, error)) << error;
    const std::string text = slurp(file);
    const char* expected[] = {
        "[TMainForm]",
        "BreitEd_Value=210",
        "HochEd_Value=297",
        "Jpeg2000ED_Value=1",
        "JpegEd_Value=75",
        "JPEG2000_Checked=True",
        "RandHEd_Value=15",
        "RandVEd_Value=15",
        "ZentCheck_Checked=False",
        "RelSizeCheck_Checked=False",
        "MaxSizeCheck_Checked=True",
        "SingleImageCheck_Checked=False",
        "setpaperheichec_Checked=False",
        "UsePageSizeFromPicChecked_Checked=False",
        "ScanResEd_Value=300",
        "ScanUsingWIAChecked_Checked=True",
        "FormVersion=0",
        "Flags=0",
        "ShowCmd=1",
        "PixelsPerInch=96",
        "MinMaxPos=",
        "NormPos=",
        "Visible=False",
    };
    for (const char* line : expected) {
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    }
    EXPECT_EQ(text.find("BorderCheck"), std::string::npos);
    EXPECT_EQ(text.find("ShowPDFCheck"), std::string::npos);
}

TEST(KeptSettings, ChangedValuesSurviveARoundTripAndBordersAreNotKept) {
    TempDir dir;
    const std::string file = dir.file("quillory.ini");
    MainFormSettings s;
    s.exportSettings.BreitEd = 148;
    s.exportSettings.Jpeg2000ED = 0.5;
    s.exportSettings.RelSizeCheck = true;
    s.exportSettings.MaxSizeCheck = false;
    s.exportSettings.BorderCheck = true;
    s.exportSettings.ZentCheck = true;
    s.ShowPDFCheck = false;
    s.placement.NormPos[0] = 40;
    s.placement.NormPos[2] = 774;
    std::string error;
    ASSERT_TRUE(saveMainFormSettings(s, file, error)) << error;
    EXPECT_NE(slurp(file).find("Jpeg2000ED_Value=0.5"), std::string::npos);
    MainFormSettings back;
    ASSERT_TRUE(loadMainFormSettings(back, file, error)) << error;
    EXPECT_EQ(back.exportSettings.BreitEd, 148);
    EXPECT_EQ(back.exportSettings.Jpeg2000ED, 0.5);
    EXPECT_TRUE(back.exportSettings.RelSizeCheck);
    EXPECT_FALSE(back.exportSettings.MaxSizeCheck);
    EXPECT_TRUE(back.exportSettings.ZentCheck);
    EXPECT_FALSE(back.exportSettings.BorderCheck); // starts at its default every time
    EXPECT_TRUE(back.ShowPDFCheck);
    EXPECT_EQ(back.placement.NormPos[0], 40);
    EXPECT_EQ(back.placement.NormPos[2], 774);
}

TEST(KeptSettings, OutOfBoundValuesBecomeTheNearestBoundAndBadValuesAreReported) {
    MainFormSettings s;
    std::vector<std::string> unreadable;
    restoreKeptValues(s,
                      {{"BreitEd_Value", "5"},
                       {"HochEd_Value", "99999"},
                       {"JpegEd_Value", "80.7"},
                       {"Jpeg2000ED_Value", "0.001"},
                       {"RandHEd_Value", "zwanzig"},
                       {"ZentCheck_Checked", "Vielleicht"},
                       {"ScanResEd_Value", "600"},
                       {"MaxSizeCheck_Checked", "False"},
                       {"NormPos", "1,2,3"}},
                      unreadable);
    EXPECT_EQ(s.exportSettings.BreitEd, 10);
    EXPECT_EQ(s.exportSettings.HochEd, 10000);
    EXPECT_EQ(s.exportSettings.JpegEd, 80);
    EXPECT_EQ(s.exportSettings.Jpeg2000ED, 0.01);
    EXPECT_EQ(s.exportSettings.RandHEd, 15); // unreadable: unchanged
    EXPECT_FALSE(s.exportSettings.ZentCheck);
    EXPECT_EQ(s.exportSettings.ScanResEd, 600);
    EXPECT_FALSE(s.exportSettings.MaxSizeCheck);
    EXPECT_EQ(s.placement.NormPos[2], 0); // still none kept
    ASSERT_EQ(unreadable.size(), 3u);
    EXPECT_EQ(unreadable[0], "RandHEd_Value");
    EXPECT_EQ(unreadable[1], "ZentCheck_Checked");
    EXPECT_EQ(unreadable[2], "window placement");
}

TEST(KeptSettings, ADamagedFileIsReportedAndTheDefaultsStay) {
    TempDir dir;
    const std::string file = dir.file("quillory.ini");
    std::ofstream(file) << "[TMainForm]\nBreitEd_Value=148\n[kaputt\n";
    MainFormSettings s;
    std::string error;
    EXPECT_FALSE(loadMainFormSettings(s, file, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(s.exportSettings.BreitEd, 210);
}

} // namespace
