// Times the window's work that users wait for: with no argument, starts like brikmux and exits as
// soon as the main window is shown (time the whole process from outside); with "list FOLDER",
// prints how long refreshing the DAT list of FOLDER takes, in milliseconds.

#include "ui/brikmux_main.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    brikmux::BrikmuxMain window;
    if (argc == 3 && std::string(argv[1]) == "list") {
        window.DATPath() = std::string(argv[2]) + "/";
        QElapsedTimer timer;
        timer.start();
        const bool listed = window.RefreshDATList();
        std::printf("%.1f ms for %d files\n", static_cast<double>(timer.nsecsElapsed()) / 1e6, window.datListCount());
        return listed ? 0 : 1;
    }
    window.Form_Load("");
    window.show();
    // The first event-loop pass after show() paints the window.
    QTimer::singleShot(0, &application, &QCoreApplication::quit);
    return QApplication::exec();
}
