#pragma once
// A message sink that records what the engine shows to the user, for tests.

#include "platform/Messages.h"

#include <string>
#include <vector>

namespace qlytest {

class RecordingSink : public qly::MessageSink {
  public:
    void showMessage(const std::string& caption, const std::string& text,
                     qly::MessageIcon icon) override {
        captions.push_back(caption);
        texts.push_back(text);
        icons.push_back(icon);
    }
    std::vector<std::string> captions;
    std::vector<std::string> texts;
    std::vector<qly::MessageIcon> icons;
};

// Installs a RecordingSink for the lifetime of the object.
class ScopedRecordingSink : public RecordingSink {
  public:
    ScopedRecordingSink() : previous_(qly::setMessageSink(this)) {}
    ~ScopedRecordingSink() override { qly::setMessageSink(previous_); }
    ScopedRecordingSink(const ScopedRecordingSink&) = delete;
    ScopedRecordingSink& operator=(const ScopedRecordingSink&) = delete;

  private:
    qly::MessageSink* previous_;
};

} // namespace qlytest
