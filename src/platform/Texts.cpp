#include "platform/Texts.h"

#include <atomic>

namespace qly {
namespace {

std::atomic<TextLookup> gLookup{nullptr};

} // namespace

void setTextLookup(TextLookup lookup) {
    gLookup.store(lookup, std::memory_order_release);
}

std::string translate(const char* context, const char* source) {
    if (const TextLookup lookup = gLookup.load(std::memory_order_acquire)) {
        std::string text = lookup(context, source);
        if (!text.empty()) {
            return text;
        }
    }
    return source;
}

std::string withArgs(std::string_view pattern, std::initializer_list<std::string_view> values) {
    std::string out;
    out.reserve(pattern.size());
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const auto k = static_cast<size_t>(pattern[i + 1] - '1');
            if (k < values.size()) {
                out += *(values.begin() + k);
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

} // namespace qly
