#pragma once
// Access to scanners through SANE: the library's lifetime, the list of devices, and an open device
// whose options are reached by name and type, never by index.
//
// SANE may be used from several threads, but never at the same moment: the library's global calls
// (init, exit, device list, open, close) are serialised here, and each open Device is used by one
// thread at a time (the one that scans with it). Every failing SANE call raises qly::sane::Error
// carrying the status.

#include <sane/sane.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace qly::sane {

// A failed SANE call: `status` is SANE's, what() names the call and SANE's text for the status.
class Error : public std::runtime_error {
  public:
    Error(const std::string& what, SANE_Status status);
    SANE_Status status() const { return status_; }

  private:
    SANE_Status status_;
};

// Keeps SANE initialised while any Session exists: the first one calls sane_init, the last one
// to go calls sane_exit (so the next Session reads the configuration again). A Device holds a
// Session of its own.
class Session {
  public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
};

struct DeviceInfo {
    std::string name; // what sane_open takes, e.g. "test:0" or "escl:http://..."
    std::string vendor;
    std::string model;
    std::string type; // e.g. "flatbed scanner"
    // "vendor model", or the name when both are empty.
    std::string label() const;
};

// Every device SANE finds, local and network ones, in SANE's order. Raises Error when SANE cannot
// be asked. May take seconds with network backends: call it off the UI thread.
std::vector<DeviceInfo> listDevices(Session& session);

enum class OptionType { Bool, Int, Fixed, String, Button, Group };
enum class Constraint { None, Range, WordList, StringList };

// One option as its descriptor describes it at the moment it was read. Numbers of Fixed options are
// given as doubles, of Int options as whole doubles.
struct OptionInfo {
    std::string name;
    std::string title;
    OptionType type = OptionType::Int;
    SANE_Unit unit = SANE_UNIT_NONE;
    int count = 1; // number of values (more than 1 for arrays such as gamma tables)
    bool active = false;
    bool settable = false;
    Constraint constraint = Constraint::None;
    double min = 0, max = 0, quant = 0; // Range
    std::vector<double> words;          // WordList
    std::vector<std::string> strings;   // StringList
};

// Returns `value` as an option accepts it: clamped to a range and rounded to its quantisation,
// the nearest entry of a word list, rounded to a whole number for Int options.
double fitNumber(const OptionInfo& option, double value);

// An open SANE device. Options are looked up by name each time, so a backend that reloads its
// options after a change (another mode offering other depths) is always read afresh.
class Device {
  public:
    // Opens the device (sane_open); raises Error.
    explicit Device(const std::string& name);
    ~Device(); // cancels any scan and closes the device
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    const std::string& name() const { return name_; }

    // The option of that name, if the device has one.
    std::optional<OptionInfo> option(const std::string& name) const;
    // True when the device has an active option of that name.
    bool hasActive(const std::string& name) const;

    // Values. Raise Error when the option is missing, inactive, of another type or the backend
    // refuses. Numbers work for Int and Fixed options alike (the first value of an array).
    std::string getString(const std::string& name) const;
    double getNumber(const std::string& name) const;
    bool getBool(const std::string& name) const;

    // Setting: the value is first fitted to the option's constraint (fitNumber; a string must be
    // an entry of the option's list, compared without regard to case). Returns the value the
    // backend reports afterwards, which may differ when it rounds. Raise Error when the option is
    // missing, inactive, not settable, of another type, the string is not in the list, or the
    // backend refuses.
    std::string setString(const std::string& name, const std::string& value);
    double setNumber(const std::string& name, double value);
    bool setBool(const std::string& name, bool value);

    // Scanning (sane_start, sane_get_parameters, sane_read, sane_cancel). start() and read()
    // return SANE's status instead of raising, as the end of a page (SANE_STATUS_EOF) and an empty
    // feeder (SANE_STATUS_NO_DOCS) are part of normal work.
    SANE_Status start();
    SANE_Parameters parameters() const;
    SANE_Status read(SANE_Byte* buffer, SANE_Int maxLength, SANE_Int& length);
    void cancel();

  private:
    int indexOf(const std::string& name) const;
    const SANE_Option_Descriptor* descriptor(int index) const;
    const SANE_Option_Descriptor* usable(const std::string& name, int& index,
                                         bool forSetting) const;

    Session session_;
    std::string name_;
    SANE_Handle handle_ = nullptr;
};

// A short German text for the user saying what a status means for the scan ("Papierstau im
// Vorlageneinzug.", ...).
std::string statusText(SANE_Status status);

} // namespace qly::sane
