#pragma once

#include "operations/prompter.h"

#include <iosfwd>

namespace brikmux {

// Puts questions and messages to a terminal: completion messages to the output stream, failures
// and questions to the error stream, answers from the input stream.
class TerminalPrompter final : public Prompter {
public:
    enum class Answer { Ask, AlwaysYes, AlwaysNo };

    // inputIsTerminal says whether a person can answer on input; without one, questions are
    // answered No.
    TerminalPrompter(std::istream& input, std::ostream& output, std::ostream& errors, bool inputIsTerminal,
                     Answer answer, bool verbose);

    bool askYesNo(const Message& question) override;
    void inform(const Message& message) override;
    void reportFailure(const Message& message) override;

private:
    std::istream& m_input;
    std::ostream& m_output;
    std::ostream& m_errors;
    bool m_inputIsTerminal;
    Answer m_answer;
    bool m_verbose;
};

} // namespace brikmux
