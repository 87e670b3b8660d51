#include "app/KeptSettings.h"

#include "ocr/TextRecognition.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

using qly::parseSettingBool;
using qly::parseSettingNumber;
using qly::settingBoolText;
using qly::settingNumberText;

// One kept control value: its stored name, how to write it, and how to read it back.
struct KeptValue {
    const char* name;
    std::function<std::string(const MainFormSettings&)> text;
    std::function<bool(MainFormSettings&, const std::string&)> apply;
};

KeptValue decimal(const char* name, double ExportSettings::*field, double lo, double hi) {
    return {
        name,
        [field](const MainFormSettings& s) { return settingNumberText(s.exportSettings.*field); },
        [field, lo, hi](MainFormSettings& s, const std::string& text) {
            double v = 0;
            if (!parseSettingNumber(text, v)) {
                return false;
            }
            s.exportSettings.*field = std::clamp(v, lo, hi);
            return true;
        }};
}

KeptValue whole(const char* name, double ExportSettings::*field, double lo, double hi) {
    return {name,
            [field](const MainFormSettings& s) {
                return settingNumberText(std::trunc(s.exportSettings.*field));
            },
            [field, lo, hi](MainFormSettings& s, const std::string& text) {
                double v = 0;
                if (!parseSettingNumber(text, v)) {
                    return false;
                }
                s.exportSettings.*field = std::clamp(std::trunc(v), lo, hi);
                return true;
            }};
}

KeptValue flag(const char* name, std::function<bool&(MainFormSettings&)> field) {
    return {name,
            [field](const MainFormSettings& s) {
                MainFormSettings copy = s;
                return settingBoolText(field(copy));
            },
            [field](MainFormSettings& s, const std::string& text) {
                bool v = false;
                if (!parseSettingBool(text, v)) {
                    return false;
                }
                field(s) = v;
                return true;
            }};
}

// A text field whose stored text must pass `valid`.
KeptValue text(const char* name, std::string ExportSettings::*field,
               bool (*valid)(const std::string&)) {
    return {name, [field](const MainFormSettings& s) { return s.exportSettings.*field; },
            [field, valid](MainFormSettings& s, const std::string& text) {
                if (!valid(text)) {
                    return false;
                }
                s.exportSettings.*field = text;
                return true;
            }};
}

// One of the two size-mode radio buttons: checking it clears its partner.
KeptValue radio(const char* name, bool ExportSettings::*self, bool ExportSettings::*partner) {
    return {name,
            [self](const MainFormSettings& s) { return settingBoolText(s.exportSettings.*self); },
            [self, partner](MainFormSettings& s, const std::string& text) {
                bool v = false;
                if (!parseSettingBool(text, v)) {
                    return false;
                }
                s.exportSettings.*self = v;
                if (v) {
                    s.exportSettings.*partner = false;
                }
                return true;
            }};
}

// The kept values in restore order.
const std::vector<KeptValue>& keptTable() {
    static const std::vector<KeptValue> table = {
        decimal("BreitEd_Value", &ExportSettings::BreitEd, 10, 10000),
        decimal("HochEd_Value", &ExportSettings::HochEd, 10, 10000),
        decimal("Jpeg2000ED_Value", &ExportSettings::Jpeg2000ED, 0.01, 100),
        whole("JpegEd_Value", &ExportSettings::JpegEd, 1, 100),
        flag("JPEG2000_Checked",
             [](MainFormSettings& s) -> bool& { return s.exportSettings.JPEG2000; }),
        decimal("RandHEd_Value", &ExportSettings::RandHEd, 1, 10000),
        decimal("RandVEd_Value", &ExportSettings::RandVEd, 1, 10000),
        flag("ZentCheck_Checked",
             [](MainFormSettings& s) -> bool& { return s.exportSettings.ZentCheck; }),
        radio("RelSizeCheck_Checked", &ExportSettings::RelSizeCheck, &ExportSettings::MaxSizeCheck),
        radio("MaxSizeCheck_Checked", &ExportSettings::MaxSizeCheck, &ExportSettings::RelSizeCheck),
        flag("SingleImageCheck_Checked",
             [](MainFormSettings& s) -> bool& { return s.SingleImageCheck; }),
        flag("setpaperheichec_Checked",
             [](MainFormSettings& s) -> bool& { return s.exportSettings.setpaperheichec; }),
        flag("UsePageSizeFromPicChecked_Checked",
             [](MainFormSettings& s) -> bool& {
                 return s.exportSettings.UsePageSizeFromPicChecked;
             }),
        whole("ScanResEd_Value", &ExportSettings::ScanResEd, 10, 10000),
        flag("ScanUsingWIAChecked_Checked",
             [](MainFormSettings& s) -> bool& { return s.ScanUsingWIAChecked; }),
        flag("OcrCheck_Checked",
             [](MainFormSettings& s) -> bool& { return s.exportSettings.OcrCheck; }),
        text("OcrLangEd_Text", &ExportSettings::OcrLangEd, qly::validTextLanguages),
    };
    return table;
}

} // namespace

qly::SettingsValues keptValues(const MainFormSettings& s) {
    qly::SettingsValues out;
    for (const KeptValue& k : keptTable()) {
        out.emplace_back(k.name, k.text(s));
    }
    qly::appendPlacementValues(s.placement, out);
    return out;
}

void restoreKeptValues(MainFormSettings& s, const std::map<std::string, std::string>& values,
                       std::vector<std::string>& unreadable) {
    auto find = [&](const char* name) -> const std::string* {
        const auto it = values.find(name);
        return it == values.end() ? nullptr : &it->second;
    };
    for (const KeptValue& k : keptTable()) {
        if (const std::string* text = find(k.name); text != nullptr && !k.apply(s, *text)) {
            unreadable.emplace_back(k.name);
        }
    }
    if (!qly::readPlacementValues(values, s.placement)) {
        unreadable.emplace_back("window placement");
    }
}

bool loadMainFormSettings(MainFormSettings& s, const std::string& fileName, std::string& error) {
    return qly::restoreSection(
        fileName, kMainFormSection,
        [&s](const std::map<std::string, std::string>& values,
             std::vector<std::string>& unreadable) { restoreKeptValues(s, values, unreadable); },
        error);
}

bool saveMainFormSettings(const MainFormSettings& s, const std::string& fileName,
                          std::string& error) {
    return qly::SettingsStore(fileName).write(kMainFormSection, keptValues(s), error);
}
