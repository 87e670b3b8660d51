#pragma once
// The per-user settings store: one INI file per user, named after the executable, in the XDG
// config folder ($XDG_CONFIG_HOME, default ~/.config), with one section per window class. Values
// are text in fixed forms: numbers in general format with "." as decimal separator whatever the
// locale, Booleans as "True"/"False".

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qly {

// Name/text pairs in the order they are written.
using SettingsValues = std::vector<std::pair<std::string, std::string>>;

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
