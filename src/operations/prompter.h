#pragma once

#include <string>

namespace brikmux {

enum class MessageIcon { Information, Warning, Critical };

// A message box's content: title, text and icon, and optionally a longer account (the files
// written) that a window may offer behind a button.
struct Message {
    std::string title;
    std::string text;
    MessageIcon icon = MessageIcon::Information;
    std::string details;
};

// How the operations put questions and messages to the user. The windows answer with message
// boxes, the command line with the terminal, tests with scripted answers.
class Prompter {
public:
    virtual ~Prompter() = default;
    // Asks a Yes/No question (Yes is the default); returns true for Yes.
    virtual bool askYesNo(const Message& question) = 0;
    // Tells the user something, with an OK button.
    virtual void inform(const Message& message) = 0;
    // Tells the user that an operation failed, with an OK button.
    virtual void reportFailure(const Message& message) = 0;
};

} // namespace brikmux
