#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

QObject* makeBrikmuxMainTest();
QObject* makeLocateAndAboutTest();

int main(int argc, char** argv)
{
    // Settings and home folder of the tests' own.
    QTemporaryDir sandbox;
    qputenv("XDG_CONFIG_HOME", (sandbox.path() + "/config").toLocal8Bit());
    qputenv("HOME", (sandbox.path() + "/home").toLocal8Bit());
    QDir().mkpath(sandbox.path() + "/home");
    // A test that crashes ends at once: Qt Test's stack dump runs gdb, which can stop the process
    // for good instead.
    qputenv("QTEST_DISABLE_STACK_DUMP", "1");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
#ifdef _WIN32
    // Set here, as Wine passes no QT_ variable from outside: the offscreen platform reads its fonts
    // from a folder, Windows' own; and messages go to standard error, not the debugger.
    if (qEnvironmentVariableIsEmpty("QT_QPA_FONTDIR")) {
        qputenv("QT_QPA_FONTDIR", qgetenv("SystemRoot") + "\\Fonts");
    }
    qputenv("QT_FORCE_STDERR_LOGGING", "1");
#endif
    QApplication application(argc, argv);
    int failures = 0;
    for (auto* make : {makeBrikmuxMainTest, makeLocateAndAboutTest}) {
        std::unique_ptr<QObject> test(make());
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
