#include "terminal_prompter.h"

#include "files/paths.h"

#include <istream>
#include <ostream>
#include <string>

namespace brikmux {

TerminalPrompter::TerminalPrompter(std::istream& input, std::ostream& output, std::ostream& errors,
                                   bool inputIsTerminal, Answer answer, bool verbose)
    : m_input(input), m_output(output), m_errors(errors), m_inputIsTerminal(inputIsTerminal), m_answer(answer),
      m_verbose(verbose)
{
}

bool TerminalPrompter::askYesNo(const Message& question)
{
    const std::string prompt = question.title + ": " + question.text + " [Y/n] ";
    if (m_answer != Answer::Ask) {
        return m_answer == Answer::AlwaysYes;
    }
    if (!m_inputIsTerminal) {
        m_errors << prompt << "No (no terminal to answer on; use --yes or --no)\n";
        return false;
    }
    for (;;) {
        m_errors << prompt << std::flush;
        std::string reply;
        if (!std::getline(m_input, reply)) {
            m_errors << "\n";
            return false;
        }
        const std::string answer = foldCase(reply);
        if (answer.empty() || answer == "y" || answer == "yes") {
            return true;
        }
        if (answer == "n" || answer == "no") {
            return false;
        }
        m_errors << "Please answer y or n.\n";
    }
}

void TerminalPrompter::inform(const Message& message)
{
    m_output << message.text << "\n";
    if (m_verbose && !message.details.empty()) {
        m_output << message.details;
        if (message.details.back() != '\n') {
            m_output << "\n";
        }
    }
    m_output.flush();
}

void TerminalPrompter::reportFailure(const Message& message)
{
    m_errors << message.title << ": " << message.text << "\n" << std::flush;
}

} // namespace brikmux
