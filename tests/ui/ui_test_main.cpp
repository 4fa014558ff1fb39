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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    int failures = 0;
    for (auto* make : {makeBrikmuxMainTest, makeLocateAndAboutTest}) {
        std::unique_ptr<QObject> test(make());
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
