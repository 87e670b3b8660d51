#pragma once
// The per-user settings store: one INI file per user, named after the executable, in the XDG
// config folder ($XDG_CONFIG_HOME, default ~/.config), with one section per window class. Values
// are text in fixed forms: numbers in general format with "." as decimal separator whatever the
// locale, Booleans as "True"/"False".

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qly {

// Name/text pairs in the order they are written.
using SettingsValues = std::vector<std::pair<std::string, std::string>>;

// A window's placement as the store keeps it beside the window's values: flags, show command
// (1 normal, 2 minimised, 3 maximised), screen resolution, minimised/maximised position and the
// normal position (left, top, right, bottom).
struct WindowPlacement {
    int Flags = 0;
    int ShowCmd = 1;
    int PixelsPerInch = 96;
    int MinMaxPos[4] = {-1, -1, -1, -1};
    int NormPos[4] = {0, 0, 0, 0};
    bool Visible = false;
};

// Appends "FormVersion" (0) and the placement values "Flags", "ShowCmd", "PixelsPerInch",
// "MinMaxPos", "NormPos" (four integers "%d,%d,%d,%d") and "Visible", in this order.
void appendPlacementValues(const WindowPlacement& p, SettingsValues& out);
// Reads those of the placement values that are present in `values`. When one of them cannot be
// read, `p` is left unchanged and the result is false.
bool readPlacementValues(const std::map<std::string, std::string>& values, WindowPlacement& p);

// Reads `section` of the settings file `fileName` and hands its values to `restore`, which adds
// the names of the values it cannot read to its second argument. False when the file cannot be
// read or some value was unreadable, with the reason (naming the values) in `error`.
bool restoreSection(const std::string& fileName, const std::string& section,
                    const std::function<void(const std::map<std::string, std::string>&,
                                             std::vector<std::string>&)>& restore,
                    std::string& error);

// $XDG_CONFIG_HOME/<executable name>.ini (~/.config when XDG_CONFIG_HOME is unset or relative).
std::string settingsFilePath();

class SettingsStore {
  public:
    explicit SettingsStore(std::string fileName);

    // Reads every value of `section` into `out`. A missing file is not an error (out stays
    // empty). A file that cannot be read or is damaged gives false, an English/German reason in
    // `error`, and an empty `out`, so every setting keeps its default.
    bool read(const std::string& section, std::map<std::string, std::string>& out,
              std::string& error) const;
    // Writes the values into `section`, keeping the file's other sections. The file is replaced
    // as a whole (written under a temporary name, then renamed). False with a reason on failure.
    bool write(const std::string& section, const SettingsValues& values, std::string& error) const;

    const std::string& fileName() const { return fileName_; }

  private:
    std::string fileName_;
};

// "210", "0.5", "15.25", "1e+20": the shortest text that reads back as the same double (at most
// 17 significant digits), "." as decimal separator.
std::string settingNumberText(double v);
// Parses what settingNumberText writes (also "+1.5", " 3 "); false for anything else.
bool parseSettingNumber(std::string_view text, double& v);
std::string settingBoolText(bool v);
// "True"/"False" in any letter case, also "1"/"0"; false for anything else.
bool parseSettingBool(std::string_view text, bool& v);

} // namespace qly
