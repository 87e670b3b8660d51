#pragma once
// The main window's kept settings: the values of its controls that survive between runs, their
// names and text forms in the settings store, and the window placement stored beside them.
// Plain data, so the command-line conversion without a display uses the same values as the
// window.

#include "export/PageLayout.h"
#include "platform/SettingsStore.h"

#include <map>
#include <string>
#include <vector>

using WindowPlacement = qly::WindowPlacement;

struct MainFormSettings {
    ExportSettings exportSettings; // BorderCheck is not kept
    bool SingleImageCheck = false;
    bool ScanUsingWIAChecked = true;
    bool ShowPDFCheck = true; // not kept
    // An empty rectangle means "no position kept": the window then starts centred. A run that
    // never shows the window (the conversion without a display) writes back what it read.
    WindowPlacement placement{};
};

// The section of the main window in the settings file.
inline constexpr const char* kMainFormSection = "TMainForm";

// The kept values in their text forms, in restore order, followed by FormVersion and the
// window placement.
qly::SettingsValues keptValues(const MainFormSettings& s);

// Applies stored values in restore order. A missing value leaves the setting as it is; a value
// that cannot be read leaves it as well and its name is added to `unreadable`. Numbers are kept
// within their fields' bounds (a value outside becomes the nearest bound); choosing one of the
// two size modes clears the other.
void restoreKeptValues(MainFormSettings& s, const std::map<std::string, std::string>& values,
                       std::vector<std::string>& unreadable);

// Reads the main window's section of the per-user file into `s`. Problems (an unreadable or
// damaged file, values that cannot be read) are described in `error`; the settings concerned
// keep their values. Returns false when there was a problem.
bool loadMainFormSettings(MainFormSettings& s, const std::string& fileName, std::string& error);
// Writes every kept value and the placement. False with a reason on failure.
bool saveMainFormSettings(const MainFormSettings& s, const std::string& fileName,
                          std::string& error);
