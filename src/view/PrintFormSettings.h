#pragma once
// The print window's kept settings: the two percentages and the window's state, in the section
// "TPrintForm" of the same per-user settings file as the main window's.

#include "platform/SettingsStore.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

inline constexpr const char* kPrintFormSection = "TPrintForm";

struct PrintFormSettings {
    // "BreitEdit_Value" and "HochEdit_Value", 1..100; empty when the file holds none.
    std::optional<int32_t> BreitEdit;
    std::optional<int32_t> HochEdit;
    // Only ShowCmd is applied when the window opens; the rest is written as the store writes it.
    qly::WindowPlacement placement;
};

// The values in their text forms, the percentages first, then FormVersion and the placement.
qly::SettingsValues printFormValues(const PrintFormSettings& s);

// Takes the stored values into `s`. A missing value leaves its setting as it is; a value that
// cannot be read leaves it as well and its name is added to `unreadable`. Percentages are whole
// numbers kept within 1..100.
void restorePrintFormValues(PrintFormSettings& s, const std::map<std::string, std::string>& values,
                            std::vector<std::string>& unreadable);

// Reads the section from the file. Problems are described in `error` (the settings concerned
// keep their values); false when there was one.
bool loadPrintFormSettings(PrintFormSettings& s, const std::string& fileName, std::string& error);
// Writes the section, keeping the file's other sections. False with a reason on failure.
bool savePrintFormSettings(const PrintFormSettings& s, const std::string& fileName,
                           std::string& error);
