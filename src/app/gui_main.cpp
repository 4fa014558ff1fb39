#include "ui/brikmux_main.h"
#include "ui/window_placement.h"

#include <QApplication>
#include <QFile>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brikmux"));
    // Message boxes and the file-open dialog carry the icon too.
    QApplication::setWindowIcon(brikmux::programIcon());

    // The argument is one text: the program's arguments joined by single blanks.
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        commandLine += (i > 1 ? " " : "") + std::string(argv[i]);
    }

    brikmux::BrikmuxMain window;
    window.Form_Load(commandLine);
    window.show();
    return QApplication::exec();
}
