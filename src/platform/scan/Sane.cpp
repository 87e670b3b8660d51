#include "platform/scan/Sane.h"

#include "platform/Texts.h"

#include <sane/saneopts.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <strings.h>

namespace qly::sane {

namespace {

// Serialises SANE's global calls and counts the sessions.
std::mutex& libraryMutex() {
    static std::mutex m;
    return m;
}
int sessions = 0;

std::string text(SANE_String_Const s) {
    return s != nullptr ? std::string(s) : std::string();
}

void check(SANE_Status status, const std::string& what) {
    if (status != SANE_STATUS_GOOD) {
        throw Error(what, status);
    }
}

OptionType typeOf(SANE_Value_Type t) {
    switch (t) {
    case SANE_TYPE_BOOL:
        return OptionType::Bool;
    case SANE_TYPE_INT:
        return OptionType::Int;
    case SANE_TYPE_FIXED:
        return OptionType::Fixed;
    case SANE_TYPE_STRING:
        return OptionType::String;
    case SANE_TYPE_BUTTON:
        return OptionType::Button;
    default:
        return OptionType::Group;
    }
}

// A word of an Int or Fixed option as a number, and back.
double fromWord(SANE_Value_Type t, SANE_Word w) {
    return t == SANE_TYPE_FIXED ? SANE_UNFIX(w) : static_cast<double>(w);
}
SANE_Word toWord(SANE_Value_Type t, double v) {
    if (t == SANE_TYPE_FIXED) {
        return SANE_FIX(v);
    }
    return static_cast<SANE_Word>(std::lround(v));
}

OptionInfo describe(const SANE_Option_Descriptor& d) {
    OptionInfo o;
    o.name = text(d.name);
    o.title = text(d.title);
    o.type = typeOf(d.type);
    o.unit = d.unit;
    o.count = (d.type == SANE_TYPE_INT || d.type == SANE_TYPE_FIXED)
                  ? std::max<int>(1, d.size / static_cast<int>(sizeof(SANE_Word)))
                  : 1;
    o.active = SANE_OPTION_IS_ACTIVE(d.cap);
    o.settable = SANE_OPTION_IS_SETTABLE(d.cap);
    switch (d.constraint_type) {
    case SANE_CONSTRAINT_RANGE:
        if (d.constraint.range != nullptr) {
            o.constraint = Constraint::Range;
            o.min = fromWord(d.type, d.constraint.range->min);
            o.max = fromWord(d.type, d.constraint.range->max);
            o.quant = fromWord(d.type, d.constraint.range->quant);
        }
        break;
    case SANE_CONSTRAINT_WORD_LIST:
        if (d.constraint.word_list != nullptr) {
            // The first word is the number of words that follow.
            o.constraint = Constraint::WordList;
            for (SANE_Int i = 1; i <= d.constraint.word_list[0]; ++i) {
                o.words.push_back(fromWord(d.type, d.constraint.word_list[i]));
            }
        }
        break;
    case SANE_CONSTRAINT_STRING_LIST:
        if (d.constraint.string_list != nullptr) {
            o.constraint = Constraint::StringList;
            for (const SANE_String_Const* s = d.constraint.string_list; *s != nullptr; ++s) {
                o.strings.push_back(*s);
            }
        }
        break;
    default:
        break;
    }
    return o;
}

} // namespace

Error::Error(const std::string& what, SANE_Status status)
    : std::runtime_error(what + ": " + text(sane_strstatus(status))), status_(status) {}

Session::Session() {
    std::lock_guard lock(libraryMutex());
    if (sessions == 0) {
        SANE_Int version = 0;
        check(sane_init(&version, nullptr), "sane_init");
    }
    ++sessions;
}

Session::~Session() {
    std::lock_guard lock(libraryMutex());
    if (--sessions == 0) {
        sane_exit();
    }
}

std::string DeviceInfo::label() const {
    std::string s = vendor;
    if (!model.empty()) {
        s += s.empty() ? model : " " + model;
    }
    return s.empty() ? name : s;
}

std::vector<DeviceInfo> listDevices(Session&) {
    std::lock_guard lock(libraryMutex());
    const SANE_Device** devices = nullptr;
    check(sane_get_devices(&devices, SANE_FALSE), "sane_get_devices");
    std::vector<DeviceInfo> out;
    for (const SANE_Device** d = devices; d != nullptr && *d != nullptr; ++d) {
        out.push_back({text((*d)->name), text((*d)->vendor), text((*d)->model), text((*d)->type)});
    }
    return out;
}

double fitNumber(const OptionInfo& option, double value) {
    double v = value;
    if (option.constraint == Constraint::Range) {
        v = std::clamp(v, option.min, option.max);
        if (option.quant > 0) {
            v = option.min + std::round((v - option.min) / option.quant) * option.quant;
            v = std::min(v, option.max);
        }
    } else if (option.constraint == Constraint::WordList && !option.words.empty()) {
        v = *std::min_element(option.words.begin(), option.words.end(), [&](double a, double b) {
            return std::fabs(a - value) < std::fabs(b - value);
        });
    }
    if (option.type == OptionType::Int) {
        v = std::round(v);
    }
    return v;
}

Device::Device(const std::string& name) : name_(name) {
    std::lock_guard lock(libraryMutex());
    check(sane_open(name.c_str(), &handle_), "sane_open " + name);
}

Device::~Device() {
    std::lock_guard lock(libraryMutex());
    sane_cancel(handle_);
    sane_close(handle_);
}

const SANE_Option_Descriptor* Device::descriptor(int index) const {
    return sane_get_option_descriptor(handle_, index);
}

int Device::indexOf(const std::string& name) const {
    // Option 0 is always the number of options.
    SANE_Int n = 0;
    if (sane_control_option(handle_, 0, SANE_ACTION_GET_VALUE, &n, nullptr) != SANE_STATUS_GOOD) {
        return -1;
    }
    for (SANE_Int i = 1; i < n; ++i) {
        const SANE_Option_Descriptor* d = descriptor(i);
        if (d != nullptr && d->name != nullptr && name == d->name) {
            return i;
        }
    }
    return -1;
}

std::optional<OptionInfo> Device::option(const std::string& name) const {
    const int i = indexOf(name);
    if (i < 0) {
        return std::nullopt;
    }
    return describe(*descriptor(i));
}

bool Device::hasActive(const std::string& name) const {
    const std::optional<OptionInfo> o = option(name);
    return o && o->active;
}

const SANE_Option_Descriptor* Device::usable(const std::string& name, int& index,
                                             bool forSetting) const {
    index = indexOf(name);
    if (index < 0) {
        throw Error("option " + name + " missing", SANE_STATUS_UNSUPPORTED);
    }
    const SANE_Option_Descriptor* d = descriptor(index);
    if (!SANE_OPTION_IS_ACTIVE(d->cap)) {
        throw Error("option " + name + " inactive", SANE_STATUS_INVAL);
    }
    if (forSetting && !SANE_OPTION_IS_SETTABLE(d->cap)) {
        throw Error("option " + name + " not settable", SANE_STATUS_INVAL);
    }
    return d;
}

std::string Device::getString(const std::string& name) const {
    int i = 0;
    const SANE_Option_Descriptor* d = usable(name, i, false);
    if (d->type != SANE_TYPE_STRING || d->size <= 0) {
        throw Error("option " + name + " is not a string", SANE_STATUS_INVAL);
    }
    std::vector<char> buffer(static_cast<size_t>(d->size) + 1, '\0');
    check(sane_control_option(handle_, i, SANE_ACTION_GET_VALUE, buffer.data(), nullptr),
          "get " + name);
    return std::string(buffer.data());
}

double Device::getNumber(const std::string& name) const {
    int i = 0;
    const SANE_Option_Descriptor* d = usable(name, i, false);
    if (d->type != SANE_TYPE_INT && d->type != SANE_TYPE_FIXED) {
        throw Error("option " + name + " is not a number", SANE_STATUS_INVAL);
    }
    // Arrays are read whole: the backend writes d->size bytes.
    std::vector<SANE_Word> words(
        std::max<size_t>(1, static_cast<size_t>(d->size) / sizeof(SANE_Word)));
    check(sane_control_option(handle_, i, SANE_ACTION_GET_VALUE, words.data(), nullptr),
          "get " + name);
    return fromWord(d->type, words[0]);
}

bool Device::getBool(const std::string& name) const {
    int i = 0;
    const SANE_Option_Descriptor* d = usable(name, i, false);
    if (d->type != SANE_TYPE_BOOL) {
        throw Error("option " + name + " is not a switch", SANE_STATUS_INVAL);
    }
    SANE_Bool b = SANE_FALSE;
    check(sane_control_option(handle_, i, SANE_ACTION_GET_VALUE, &b, nullptr), "get " + name);
    return b == SANE_TRUE;
}

std::string Device::setString(const std::string& name, const std::string& value) {
    int i = 0;
    const SANE_Option_Descriptor* d = usable(name, i, true);
    if (d->type != SANE_TYPE_STRING || d->size <= 0) {
        throw Error("option " + name + " is not a string", SANE_STATUS_INVAL);
    }
    std::string chosen = value;
    if (d->constraint_type == SANE_CONSTRAINT_STRING_LIST && d->constraint.string_list != nullptr) {
        bool found = false;
        for (const SANE_String_Const* s = d->constraint.string_list; *s != nullptr; ++s) {
            if (strcasecmp(*s, value.c_str()) == 0) {
                chosen = *s;
                found = true;
                break;
            }
        }
        if (!found) {
            throw Error("option " + name + " has no value " + value, SANE_STATUS_INVAL);
        }
    }
    // The backend may write the value it chose back into the buffer: give it the full size.
    std::vector<char> buffer(std::max(static_cast<size_t>(d->size), chosen.size() + 1), '\0');
    std::memcpy(buffer.data(), chosen.c_str(), chosen.size());
    buffer[static_cast<size_t>(d->size) - 1] = '\0';
    check(sane_control_option(handle_, i, SANE_ACTION_SET_VALUE, buffer.data(), nullptr),
          "set " + name);
    return getString(name);
}

double Device::setNumber(const std::string& name, double value) {
    int i = 0;
    const SANE_Option_Descriptor* d = usable(name, i, true);
    if (d->type != SANE_TYPE_INT && d->type != SANE_TYPE_FIXED) {
        throw Error("option " + name + " is not a number", SANE_STATUS_INVAL);
    }
    if (static_cast<size_t>(d->size) != sizeof(SANE_Word)) {
        throw Error("option " + name + " is an array", SANE_STATUS_INVAL);
    }
    SANE_Word w = toWord(d->type, fitNumber(describe(*d), value));
    check(sane_control_option(handle_, i, SANE_ACTION_SET_VALUE, &w, nullptr), "set " + name);
    return getNumber(name);
}

bool Device::setBool(const std::string& name, bool value) {
    int i = 0;
    const SANE_Option_Descriptor* d = usable(name, i, true);
    if (d->type != SANE_TYPE_BOOL) {
        throw Error("option " + name + " is not a switch", SANE_STATUS_INVAL);
    }
    SANE_Bool b = value ? SANE_TRUE : SANE_FALSE;
    check(sane_control_option(handle_, i, SANE_ACTION_SET_VALUE, &b, nullptr), "set " + name);
    return getBool(name);
}

SANE_Status Device::start() {
    return sane_start(handle_);
}

SANE_Parameters Device::parameters() const {
    SANE_Parameters p{};
    check(sane_get_parameters(handle_, &p), "sane_get_parameters");
    return p;
}

SANE_Status Device::read(SANE_Byte* buffer, SANE_Int maxLength, SANE_Int& length) {
    length = 0;
    return sane_read(handle_, buffer, maxLength, &length);
}

void Device::cancel() {
    sane_cancel(handle_);
}

std::string statusText(SANE_Status status) {
    switch (status) {
    case SANE_STATUS_GOOD:
    case SANE_STATUS_EOF:
        return "";
    case SANE_STATUS_CANCELLED:
        return qly::translate("Scanner", "Der Scanvorgang wurde abgebrochen.");
    case SANE_STATUS_DEVICE_BUSY:
        return qly::translate("Scanner", "Der Scanner ist belegt.");
    case SANE_STATUS_JAMMED:
        return qly::translate("Scanner", "Papierstau im Vorlageneinzug.");
    case SANE_STATUS_NO_DOCS:
        return qly::translate("Scanner", "Der Vorlageneinzug ist leer.");
    case SANE_STATUS_COVER_OPEN:
        return qly::translate("Scanner", "Die Abdeckung des Scanners ist offen.");
    case SANE_STATUS_IO_ERROR:
        return qly::translate("Scanner", "Fehler bei der Verbindung zum Scanner.");
    case SANE_STATUS_NO_MEM:
        return qly::translate("Scanner", "Nicht genug Arbeitsspeicher zum Scannen.");
    case SANE_STATUS_ACCESS_DENIED:
        return qly::translate("Scanner", "Der Zugriff auf den Scanner wurde verweigert.");
    default:
        return qly::withArgs(qly::translate("Scanner", "Der Scanner meldet einen Fehler: %1"),
                             {text(sane_strstatus(status))});
    }
}

} // namespace qly::sane
