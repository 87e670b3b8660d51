#pragma once
// Texts the user reads, for code that does not link Qt. The source text is the German one; the
// application installs a lookup at start that gives the text in the user's language, and without
// one every text stays as written. `translate` and `QLY_TRANSLATE_NOOP` are read by Qt's lupdate
// like Qt's own `QCoreApplication::translate` and `QT_TRANSLATE_NOOP`.

#include <initializer_list>
#include <string>
#include <string_view>

// Marks a text in a table for translation without translating it there; the table's user
// passes it to `translate` with the same context.
#define QLY_TRANSLATE_NOOP(context, text) text

namespace qly {

// Gives the user's text for `source` in `context`, or an empty string when it has none.
using TextLookup = std::string (*)(const char* context, const char* source);

// Installs the lookup; null leaves every text as written. Install it before other threads run.
void setTextLookup(TextLookup lookup);

// The user's text for `source` (UTF-8) in `context`.
std::string translate(const char* context, const char* source);

// `pattern` with %1 ... %9 replaced by `values` in order; a number without a value stays as it
// is, and a value is never searched again for markers.
std::string withArgs(std::string_view pattern, std::initializer_list<std::string_view> values);

} // namespace qly
