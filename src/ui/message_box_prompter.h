#pragma once

#include "operations/prompter.h"

class QWidget;

namespace brikmux {

// Puts questions and messages to the user in modal message boxes over a window.
class MessageBoxPrompter final : public Prompter {
public:
    explicit MessageBoxPrompter(QWidget* parent) : m_parent(parent) {}

    bool askYesNo(const Message& question) override;
    void inform(const Message& message) override;
    void reportFailure(const Message& message) override;

private:
    QWidget* m_parent;
};

} // namespace brikmux
