#include "platform/Messages.h"

#include <cstdio>

namespace qly {
namespace {

StderrMessageSink gStderrSink;
MessageSink* gSink = &gStderrSink;

} // namespace

void StderrMessageSink::showMessage(const std::string& caption, const std::string& text,
                                    MessageIcon /*icon*/) {
    if (caption.empty()) {
        std::fprintf(stderr, "quillory: %s\n", text.c_str());
    } else {
        std::fprintf(stderr, "quillory: %s %s\n", caption.c_str(), text.c_str());
    }
    std::fflush(stderr);
}

MessageSink& messageSink() {
    return *gSink;
}

MessageSink* setMessageSink(MessageSink* sink) {
    MessageSink* previous = gSink == &gStderrSink ? nullptr : gSink;
    gSink = sink != nullptr ? sink : &gStderrSink;
    return previous;
}

} // namespace qly
