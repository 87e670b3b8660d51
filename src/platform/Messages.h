#pragma once
// Where the engine sends what the user must see. The window installs a sink that shows modal
// message boxes; without a display the default sink writes to standard error; tests install a
// recording sink. Texts are UTF-8.

#include <string>

namespace qly {

enum class MessageIcon { None, Information, Warning, Error, Question };

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    // Shows `text` with an OK button. An empty caption means "no caption of its own".
    virtual void showMessage(const std::string& caption, const std::string& text,
                             MessageIcon icon) = 0;
};

// Writes "caption: text" lines to standard error.
class StderrMessageSink : public MessageSink {
  public:
    void showMessage(const std::string& caption, const std::string& text,
                     MessageIcon icon) override;
};

// The sink in force; never null.
MessageSink& messageSink();
// Installs a sink (not owned; null restores the standard-error sink). Returns the previous one.
MessageSink* setMessageSink(MessageSink* sink);

} // namespace qly
