#include "view/PrintFormSettings.h"

#include "view/PrintGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kBreitName = "BreitEdit_Value";
constexpr const char* kHochName = "HochEdit_Value";

bool parsePercent(const std::string& text, int32_t& v) {
    double d = 0;
    if (!qly::parseSettingNumber(text, d)) {
        return false;
    }
    // A field of whole numbers: the fraction is dropped, the bounds are kept.
    v = static_cast<int32_t>(std::clamp(std::trunc(d), double{kPercentMin}, double{kPercentMax}));
    return true;
}

} // namespace

qly::SettingsValues printFormValues(const PrintFormSettings& s) {
    qly::SettingsValues out;
    if (s.BreitEdit) {
        out.emplace_back(kBreitName, qly::settingNumberText(*s.BreitEdit));
    }
    if (s.HochEdit) {
        out.emplace_back(kHochName, qly::settingNumberText(*s.HochEdit));
    }
    qly::appendPlacementValues(s.placement, out);
    return out;
}

void restorePrintFormValues(PrintFormSettings& s, const std::map<std::string, std::string>& values,
                            std::vector<std::string>& unreadable) {
    for (auto [name, field] :
         {std::pair{kBreitName, &s.BreitEdit}, std::pair{kHochName, &s.HochEdit}}) {
        const auto it = values.find(name);
        if (it == values.end()) {
            continue;
        }
        int32_t v = 0;
        if (parsePercent(it->second, v)) {
            *field = v;
        } else {
            unreadable.emplace_back(name);
        }
    }
    if (!qly::readPlacementValues(values, s.placement)) {
        unreadable.emplace_back("window placement");
    }
}

bool loadPrintFormSettings(PrintFormSettings& s, const std::string& fileName, std::string& error) {
    return qly::restoreSection(
        fileName, kPrintFormSection,
        [&s](const std::map<std::string, std::string>& values,
             std::vector<std::string>& unreadable) {
            restorePrintFormValues(s, values, unreadable);
        },
        error);
}

bool savePrintFormSettings(const PrintFormSettings& s, const std::string& fileName,
                           std::string& error) {
    return qly::SettingsStore(fileName).write(kPrintFormSection, printFormValues(s), error);
}
