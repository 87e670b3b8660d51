#include "document/JpegOriginals.h"

#include "document/PageIdentity.h"

#include <mutex>
#include <new>
#include <unordered_map>

namespace {

struct Kept {
    std::shared_ptr<const JpegOriginal> original;
    bool pixelsPending = false;
};

// The pages are few (hundreds) and looked up once per export or turn; one lock is plenty.
std::mutex gLock;
std::unordered_map<uint64_t, Kept>& kept() {
    static auto* map = new std::unordered_map<uint64_t, Kept>(); // outlives every static page
    return *map;
}

} // namespace

bool keepJpegOriginal(dib& page, std::shared_ptr<const JpegOriginal> original, bool pixelsPending) {
    if (original == nullptr) {
        dropJpegOriginal(page);
        return false;
    }
    const uint64_t id = pageIdentity(page);
    try {
        const std::lock_guard<std::mutex> lock(gLock);
        kept()[id] = Kept{std::move(original), pixelsPending};
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

std::shared_ptr<const JpegOriginal> jpegOriginalOf(const dib& page) {
    const uint64_t id = pageIdentityIfAny(page);
    if (id == 0) {
        return nullptr;
    }
    const std::lock_guard<std::mutex> lock(gLock);
    const auto at = kept().find(id);
    return at != kept().end() ? at->second.original : nullptr;
}

void dropJpegOriginal(const dib& page) {
    const uint64_t id = pageIdentityIfAny(page);
    if (id == 0) {
        return;
    }
    std::shared_ptr<const JpegOriginal> released; // freed after the lock
    const std::lock_guard<std::mutex> lock(gLock);
    const auto at = kept().find(id);
    if (at != kept().end()) {
        released = std::move(at->second.original);
        kept().erase(at);
    }
}

bool ensurePagePixels(const dib& page) {
    const uint64_t id = pageIdentityIfAny(page);
    if (id == 0) {
        return true;
    }
    std::shared_ptr<const JpegOriginal> original;
    {
        const std::lock_guard<std::mutex> lock(gLock);
        const auto at = kept().find(id);
        if (at == kept().end() || !at->second.pixelsPending) {
            return true;
        }
        original = at->second.original;
    }
    const bool ok = qly::decodeJpegPixels(page, original->bytes.data(), original->bytes.size());
    const std::lock_guard<std::mutex> lock(gLock);
    const auto at = kept().find(id);
    if (at != kept().end()) {
        at->second.pixelsPending = false;
    }
    return ok;
}

size_t keptJpegOriginals() {
    const std::lock_guard<std::mutex> lock(gLock);
    return kept().size();
}
