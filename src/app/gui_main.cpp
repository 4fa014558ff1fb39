#include "settings/native_text.h"
#include "ui/brikmux_main.h"
#include "ui/window_placement.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brikmux"));
    // Message boxes and the file-open dialog carry the icon too.
    QApplication::setWindowIcon(brikmux::programIcon());

    // The argument is one text: the program's arguments joined by single blanks. On Windows they
    // come from the wide command line (argv is in the ANSI code page), as Explorer quotes them.
    std::string commandLine;
#ifdef _WIN32
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    commandLine = brikmux::toNativeText(arguments.join(QLatin1Char(' ')));
#else
    for (int i = 1; i < argc; ++i) {
        commandLine += (i > 1 ? " " : "") + std::string(argv[i]);
    }
#endif

    brikmux::BrikmuxMain window;
    window.Form_Load(commandLine);
    window.show();
    return QApplication::exec();
}
