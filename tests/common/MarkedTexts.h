#pragma once
// A text lookup for tests: every text comes out as "<Context>source", so a test sees which texts
// go through qly::translate and in which context, while the values put into them stay readable.

#include "platform/Texts.h"

#include <string>

namespace qlytest {

inline std::string markedText(const char* context, const char* source) {
    return "<" + std::string(context) + ">" + source;
}

// The text `source` of `context` as the marking lookup gives it.
inline std::string marked(const std::string& context, const std::string& source) {
    return "<" + context + ">" + source;
}

// Installs the marking lookup for the lifetime of the object; afterwards texts stay as written.
class ScopedMarkedTexts {
  public:
    ScopedMarkedTexts() { qly::setTextLookup(&markedText); }
    ~ScopedMarkedTexts() { qly::setTextLookup(nullptr); }
    ScopedMarkedTexts(const ScopedMarkedTexts&) = delete;
    ScopedMarkedTexts& operator=(const ScopedMarkedTexts&) = delete;
};

} // namespace qlytest
