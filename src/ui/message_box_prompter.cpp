#include "message_box_prompter.h"

#include <QMessageBox>

namespace brikmux {

namespace {

QMessageBox::Icon iconOf(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Information:
        break;
    }
    return QMessageBox::Information;
}

int show(QWidget* parent, const Message& message, QMessageBox::StandardButtons buttons,
         QMessageBox::StandardButton defaultButton)
{
    // The texts are composed from model names, which are bytes in the system's code page.
    QMessageBox box(iconOf(message.icon), QString::fromLocal8Bit(message.title), QString::fromLocal8Bit(message.text),
                    buttons, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    if (!message.details.empty()) {
        box.setDetailedText(QString::fromLocal8Bit(message.details));
    }
    return box.exec();
}

} // namespace

bool MessageBoxPrompter::askYesNo(const Message& question)
{
    return show(m_parent, question, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

void MessageBoxPrompter::inform(const Message& message)
{
    show(m_parent, message, QMessageBox::Ok, QMessageBox::Ok);
}

void MessageBoxPrompter::reportFailure(const Message& message)
{
    show(m_parent, message, QMessageBox::Ok, QMessageBox::Ok);
}

} // namespace brikmux
