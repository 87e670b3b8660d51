#include "platform/SettingsStore.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>
#include <QString>

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace qly {
namespace {

std::string executableName() {
    if (QCoreApplication::instance() != nullptr) {
        const QString name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
        if (!name.isEmpty()) {
            return name.toStdString();
        }
    }
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec && !exe.stem().empty()) {
        return exe.stem().string();
    }
    return "quillory";
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())) != 0) {
        s.remove_prefix(1);
    }
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())) != 0) {
        s.remove_suffix(1);
    }
    return s;
}

QString statusText(QSettings::Status status, const std::string& file) {
    switch (status) {
    case QSettings::AccessError:
        return QCoreApplication::translate(
                   "SettingsStore",
                   "Die Einstellungsdatei %1 kann nicht gelesen oder geschrieben werden.")
            .arg(QString::fromStdString(file));
    case QSettings::FormatError:
        return QCoreApplication::translate(
                   "SettingsStore",
                   "Die Einstellungsdatei %1 ist beschädigt; es gelten die Voreinstellungen.")
            .arg(QString::fromStdString(file));
    default:
        return {};
    }
}

std::string fourInts(const int v[4]) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d,%d,%d,%d", v[0], v[1], v[2], v[3]);
    return buf;
}

bool parseFourInts(const std::string& text, int v[4]) {
    int a = 0;
    int b = 0;
    int c = 0;
    int d = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%d,%d,%d,%d%c", &a, &b, &c, &d, &tail) != 4) {
        return false;
    }
    v[0] = a;
    v[1] = b;
    v[2] = c;
    v[3] = d;
    return true;
}

bool parseInt(const std::string& text, int& v) {
    double d = 0;
    if (!parseSettingNumber(text, d) || d != std::trunc(d) || std::fabs(d) > 2147483647.0) {
        return false;
    }
    v = static_cast<int>(d);
    return true;
}

} // namespace

void appendPlacementValues(const WindowPlacement& p, SettingsValues& out) {
    out.emplace_back("FormVersion", "0");
    out.emplace_back("Flags", std::to_string(p.Flags));
    out.emplace_back("ShowCmd", std::to_string(p.ShowCmd));
    out.emplace_back("PixelsPerInch", std::to_string(p.PixelsPerInch));
    out.emplace_back("MinMaxPos", fourInts(p.MinMaxPos));
    out.emplace_back("NormPos", fourInts(p.NormPos));
    out.emplace_back("Visible", settingBoolText(p.Visible));
}

bool readPlacementValues(const std::map<std::string, std::string>& values, WindowPlacement& p) {
    auto find = [&](const char* name) -> const std::string* {
        const auto it = values.find(name);
        return it == values.end() ? nullptr : &it->second;
    };
    WindowPlacement read = p;
    bool ok = true;
    if (const std::string* t = find("Flags")) {
        ok = parseInt(*t, read.Flags) && ok;
    }
    if (const std::string* t = find("ShowCmd")) {
        ok = parseInt(*t, read.ShowCmd) && ok;
    }
    if (const std::string* t = find("PixelsPerInch")) {
        ok = parseInt(*t, read.PixelsPerInch) && ok;
    }
    if (const std::string* t = find("MinMaxPos")) {
        ok = parseFourInts(*t, read.MinMaxPos) && ok;
    }
    if (const std::string* t = find("NormPos")) {
        ok = parseFourInts(*t, read.NormPos) && ok;
    }
    if (const std::string* t = find("Visible")) {
        ok = parseSettingBool(*t, read.Visible) && ok;
    }
    if (ok) {
        p = read;
    }
    return ok;
}

bool restoreSection(const std::string& fileName, const std::string& section,
                    const std::function<void(const std::map<std::string, std::string>&,
                                             std::vector<std::string>&)>& restore,
                    std::string& error) {
    std::map<std::string, std::string> values;
    if (!SettingsStore(fileName).read(section, values, error)) {
        return false;
    }
    std::vector<std::string> unreadable;
    restore(values, unreadable);
    if (unreadable.empty()) {
        return true;
    }
    // The values' names stay as the file has them.
    error = QCoreApplication::translate("SettingsStore",
                                        "In der Einstellungsdatei %1 sind Werte unlesbar:")
                .arg(QString::fromStdString(fileName))
                .toStdString();
    for (const std::string& name : unreadable) {
        error += " " + name;
    }
    return false;
}

std::string settingsFilePath() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != 0) {
        base = std::string(home) + "/.config";
    } else {
        base = ".";
    }
    return base + "/" + executableName() + ".ini";
}

SettingsStore::SettingsStore(std::string fileName) : fileName_(std::move(fileName)) {}

bool SettingsStore::read(const std::string& section, std::map<std::string, std::string>& out,
                         std::string& error) const {
    out.clear();
    error.clear();
    std::error_code ec;
    if (!std::filesystem::exists(fileName_, ec)) {
        return true;
    }
    if (!std::filesystem::is_regular_file(fileName_, ec)) {
        // A folder, pipe or device: reading it could give garbage or wait for ever.
        error = statusText(QSettings::AccessError, fileName_).toStdString();
        return false;
    }
    QSettings s(QString::fromStdString(fileName_), QSettings::IniFormat);
    if (s.status() != QSettings::NoError) {
        error = statusText(s.status(), fileName_).toStdString();
        return false;
    }
    s.beginGroup(QString::fromStdString(section));
    for (const QString& key : s.childKeys()) {
        const QVariant v = s.value(key);
        // A value written as a list (an unquoted comma) comes back joined as it stood.
        const QString text = v.typeId() == QMetaType::QStringList
                                 ? v.toStringList().join(QLatin1Char(','))
                                 : v.toString();
        out[key.toStdString()] = text.toStdString();
    }
    s.endGroup();
    return true;
}

bool SettingsStore::write(const std::string& section, const SettingsValues& values,
                          std::string& error) const {
    error.clear();
    std::error_code ec;
    const std::filesystem::path dir = std::filesystem::path(fileName_).parent_path();
    if (!dir.empty()) {
        std::filesystem::create_directories(dir, ec);
    }
    // Writing merges with what the file holds, so it is read first: only a regular file will do.
    if (std::filesystem::exists(fileName_, ec) &&
        !std::filesystem::is_regular_file(fileName_, ec)) {
        error = statusText(QSettings::AccessError, fileName_).toStdString();
        return false;
    }
    QSettings s(QString::fromStdString(fileName_), QSettings::IniFormat);
    if (s.status() == QSettings::FormatError) {
        // A damaged file is replaced: writing over it is the only way to get good settings back.
        s.clear();
    }
    s.beginGroup(QString::fromStdString(section));
    for (const auto& [name, text] : values) {
        s.setValue(QString::fromStdString(name), QString::fromStdString(text));
    }
    s.endGroup();
    s.sync();
    if (s.status() != QSettings::NoError) {
        error = statusText(s.status(), fileName_).toStdString();
        return false;
    }
    return true;
}

std::string settingNumberText(double v) {
    if (!std::isfinite(v)) {
        return "0";
    }
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

bool parseSettingNumber(std::string_view text, double& v) {
    text = trim(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return false;
    }
    double parsed = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size() || !std::isfinite(parsed)) {
        return false;
    }
    v = parsed;
    return true;
}

std::string settingBoolText(bool v) {
    return v ? "True" : "False";
}

bool parseSettingBool(std::string_view text, bool& v) {
    text = trim(text);
    std::string lower;
    for (char c : text) {
        lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
    if (lower == "true" || lower == "1") {
        v = true;
        return true;
    }
    if (lower == "false" || lower == "0") {
        v = false;
        return true;
    }
    return false;
}

} // namespace qly
