#pragma once
// Message boxes of the window: the message sink that shows each message modally with an OK
// button and waits for it.

#include "platform/Messages.h"

class QWidget;

class MessageBoxSink : public qly::MessageSink {
public:
    explicit MessageBoxSink(QWidget* parent = nullptr) : parent_(parent) {}
    void showMessage(const std::string& caption, const std::string& text,
                     qly::MessageIcon icon) override;

private:
    QWidget* parent_;
};
