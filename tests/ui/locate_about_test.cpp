#include "conversion/library.h"
#include "settings/startup.h"
#include "settings/window_geometry.h"
#include "test_support.h"
#include "ui/brikmux_about.h"
#include "ui/brikmux_main.h"
#include "ui/directory_browser.h"
#include "ui/ldraw_locate.h"
#include "window_test_support.h"

#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

using namespace brikmux;
using namespace brikmux::testing;

class LocateAndAboutTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<BrikmuxMain> makeWindow()
    {
        auto window = std::make_unique<BrikmuxMain>(MainWindowServices{&m_prompter, &m_dialog, nullptr});
        window->Form_Load("");
        return window;
    }
    static void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(2, 2)); }

    ScriptedPrompter m_prompter;
    ScriptedFileDialog m_dialog;
    std::unique_ptr<TempDir> m_dir;

private slots:
    void init()
    {
        clearStore();
        m_prompter = {};
        m_dir = std::make_unique<TempDir>();
        m_dir->write("library/PARTS/3001.dat", "");
        m_dir->write("library/p/box.dat", "");
        m_dir->write("dos/LDRAW.EXE", "");
        m_dir->write("half/parts/3001.dat", "");
        store("Paths", "LDrawPath", m_dir->field() + "nowhere/");
    }

    void cleanup() { QCOMPARE(windowsLeftOpen(), QStringList()); }

    void installationCheck()
    {
        NativeFileSystem fileSystem;
        const std::string root = m_dir->field();
        QVERIFY(holdsLDrawInstallation(fileSystem, root + "library/"));
        QVERIFY(holdsLDrawInstallation(fileSystem, root + "dos/"));
        QVERIFY(!holdsLDrawInstallation(fileSystem, root + "dos")); // the file name is appended directly
        QVERIFY(!holdsLDrawInstallation(fileSystem, root + "half/"));
        QVERIFY(!holdsLDrawInstallation(fileSystem, root + "nowhere/"));
        m_dir->write("files/parts", "");
        m_dir->write("files/p", "");
        QVERIFY(!holdsLDrawInstallation(fileSystem, root + "files/"));
        const std::string shared = BRIKMUX_SHARED_DIR "/ldraw/";
        if (QFileInfo(QString::fromStdString(shared)).isDir()) {
            QVERIFY(holdsLDrawInstallation(fileSystem, shared)); // a real library: parts and p, no ldraw.exe
        }
        QCOMPARE(folderFromHolder("/"), std::string("/"));
        QCOMPARE(folderFromHolder("/a/b"), std::string("/a/b/"));
    }

    void okFollowsTheBrowser()
    {
        auto window = makeWindow();
        NativeFileSystem fileSystem;
        SettingsStore settings;
        LDrawLocate dialog(*window, fileSystem, m_prompter, settings);
        dialog.preset(m_dir->field() + "nowhere/deeper/");
        QCOMPARE(dialog.label(1)->toolTip(), QString::fromStdString(m_dir->field() + "nowhere/deeper/"));
        QCOMPARE(dialog.directoryList().Path(), m_dir->path().string()); // the nearest existing folder
        QVERIFY(!dialog.okButton()->isEnabled());
        const std::pair<const char*, bool> moves[] = {
            {"library", true}, {"library/PARTS", false}, {"library", true}, {"half", false}, {"dos", true}};
        for (const auto& [folder, enabled] : moves) {
            QVERIFY(dialog.directoryList().setPath(m_dir->field() + folder));
            QVERIFY2(dialog.okButton()->isEnabled() == enabled, folder);
        }
        QVERIFY(!dialog.directoryList().setPath(m_dir->field() + "missing"));
        QCOMPARE(dialog.directoryList().Path(), m_dir->field() + "dos");
    }

    void dialogsAreCentredOnTheMainWindow()
    {
        auto window = makeWindow();
        window->move(101, 57);
        window->show();
        NativeFileSystem fileSystem;
        SettingsStore settings;
        LDrawLocate locate(*window, fileSystem, m_prompter, settings);
        BrikmuxAbout about(*window);
        for (const QWidget* dialog : {static_cast<QWidget*>(&locate), static_cast<QWidget*>(&about)}) {
            for (const QLabel* label : dialog->findChildren<QLabel*>()) {
                // Every caption fits its label, wrapped where the label wraps.
                const QFontMetrics metrics = label->fontMetrics();
                const int needed = label->wordWrap() ? label->heightForWidth(label->width()) : metrics.height();
                QVERIFY2(needed <= label->height(), qPrintable(label->objectName()));
                QVERIFY2(label->wordWrap() || metrics.horizontalAdvance(label->text()) <= label->width(),
                         qPrintable(label->objectName()));
            }
            // Outer rectangles, frames included, as the shown windows have them.
            const_cast<QWidget*>(dialog)->show();
            const QRect main = window->frameGeometry();
            const QRect own = dialog->frameGeometry();
            QVERIFY(own.width() > dialog->width());
            QCOMPARE(own.x(), main.x() + centringOffset(float((main.width() - own.width()) * 15)) / 15);
            QCOMPARE(own.y(), main.y() + centringOffset(float((main.height() - own.height()) * 15)) / 15);
            const_cast<QWidget*>(dialog)->hide();
        }
        window->close();
    }

    void okStoresTheFolderAndTheDialogDoesNotComeBack()
    {
        auto window = makeWindow();
        ModalAnswerer answerer([this](QWidget& modal) {
            auto& dialog = dynamic_cast<LDrawLocate&>(modal);
            QCOMPARE(dialog.label(1)->toolTip(), QString::fromStdString(m_dir->field() + "nowhere/"));
            QCOMPARE(dialog.focusWidget(), static_cast<QWidget*>(&dialog.directoryList()));
            dialog.directoryList().setPath(m_dir->field() + "library/");
            QDir().mkpath(BRIKMUX_SCREENSHOT_DIR);
            dialog.grab().save(BRIKMUX_SCREENSHOT_DIR "/ldraw_locate.png");
            // Tab from the browser to OK, then Enter: OK, not the default Cancel.
            QTest::keyClick(&dialog.directoryList(), Qt::Key_Tab);
            QCOMPARE(dialog.focusWidget(), static_cast<QWidget*>(dialog.okButton()));
            QTest::keyClick(dialog.okButton(), Qt::Key_Return);
        });
        window->show();
        QTRY_COMPARE(answerer.count, 1);
        QTest::qWait(50);
        QCOMPARE(answerer.count, 1);
        QCOMPARE(stored("Paths", "LDrawPath"), m_dir->field() + "library/");
        QCOMPARE(window->LDrawPath(), m_dir->field() + "library/");
        window->close();
        QCOMPARE(stored("Paths", "LDrawPath"), m_dir->field() + "library/");
    }

    void closingTheDialogBringsItBack()
    {
        auto window = makeWindow();
        ModalAnswerer answerer([this](QWidget& modal) {
            auto& dialog = dynamic_cast<LDrawLocate&>(modal);
            if (m_closes++ == 0) {
                dialog.close(); // by its frame: nothing stored
                return;
            }
            dialog.directoryList().setPath(m_dir->field() + "dos");
            click(dialog.okButton());
        });
        window->show();
        QTRY_COMPARE(answerer.count, 2);
        QCOMPARE(stored("Paths", "LDrawPath"), m_dir->field() + "dos/");
        window->close();
    }

    void cancelEndsTheProgramAndSavesAllButTheLDrawFolder()
    {
        store("Paths", "DATPath", m_dir->field());
        auto window = makeWindow();
        // Enter while the browser has the focus presses the default button, Cancel.
        ModalAnswerer answerer([](QWidget& modal) {
            QTest::keyClick(&dynamic_cast<LDrawLocate&>(modal).directoryList(), Qt::Key_Return);
        });
        window->show();
        QTRY_VERIFY(!window->isVisible());
        const auto failures = m_prompter.failures();
        QCOMPARE(failures.size(), std::size_t(1));
        QCOMPARE(failures[0].title, std::string("Brikmux Unable to Run"));
        QCOMPARE(failures[0].text, std::string("In order to run Brikmux, you must have LDraw installed. If LDraw "
                                               "cannot be found then you must supply its location. The program will "
                                               "now exit."));
        QCOMPARE(failures[0].icon, MessageIcon::Critical);
        QCOMPARE(stored("Paths", "LDrawPath"), m_dir->field() + "nowhere/");
        QCOMPARE(stored("Paths", "DATPath"), m_dir->field());
        QVERIFY(stored("Settings", "WindowLeft") != "<absent>");
    }

    void aboutShowsTheVersionAndClosesOnAClick()
    {
        store("Paths", "LDrawPath", m_dir->field() + "library/");
        auto window = makeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QDir().mkpath(BRIKMUX_SCREENSHOT_DIR);
        window->grab().save(BRIKMUX_SCREENSHOT_DIR "/brikmux_main_banner.png");
        const char* targets[] = {"AboutText0", "AboutText2", "ZELKLogo", "Image1", "background"};
        int opened = 0;
        ModalAnswerer answerer([&](QWidget& modal) {
            auto& about = dynamic_cast<BrikmuxAbout&>(modal);
            QCOMPARE(about.windowTitle(), QString("About Brikmux"));
            QCOMPARE(about.text(2)->text(), QString("Version 1.2.2"));
            if (opened == 0) {
                about.grab().save(BRIKMUX_SCREENSHOT_DIR "/brikmux_about.png");
            }
            const QByteArray target = targets[opened++];
            QWidget* part = target == "background" ? static_cast<QWidget*>(&about) : control<QWidget>(about, target);
            QTest::mousePress(part, Qt::LeftButton, {}, QPoint(2, 2));
            QVERIFY(about.isVisible()); // a click closes it, not a press
            QTest::mouseRelease(part, Qt::LeftButton, {}, QPoint(2, 2));
        });
        for (std::size_t i = 0; i < std::size(targets); ++i) {
            window->findChild<QAction*>("MenuAbout")->trigger();
        }
        QCOMPARE(answerer.count, 5);
        QCOMPARE(versionLine(), QString("Version 1.2.2"));
        window->close();
    }

private:
    int m_closes = 0;
};

QObject* makeLocateAndAboutTest()
{
    return new LocateAndAboutTest;
}

#include "locate_about_test.moc"
