#include "files/paths.h"
#include "library/library.h"
#include "settings/native_text.h"
#include "settings/startup.h"
#include "settings/window_geometry.h"
#include "test_support.h"
#include "ui/brikmux_about.h"
#include "ui/brikmux_main.h"
#include "ui/directory_browser.h"
#include "ui/drive_selector.h"
#include "ui/ldraw_locate.h"
#include "window_test_support.h"

#include <QFileSystemModel>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStorageInfo>
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
    // Shows the window; each Locate dialog that comes up is handed to answer.
    int showAnswering(BrikmuxMain& window, int dialogs, const std::function<void(LDrawLocate&)>& answer)
    {
        ModalAnswerer answerer([&](QWidget& modal) { answer(dynamic_cast<LDrawLocate&>(modal)); });
        window.show();
        (void)QTest::qWaitFor([&] { return answerer.count >= dialogs && !QApplication::activeModalWidget(); });
        QTest::qWait(50);
        return answerer.count;
    }

    ScriptedPrompter m_prompter;
    ScriptedFileDialog m_dialog;
    std::unique_ptr<TempDir> m_dir;
    std::string m_root;

private slots:
    void init()
    {
        clearStore();
        m_prompter = {};
        m_dir = std::make_unique<TempDir>();
        m_root = m_dir->field();
        for (const char* file :
             {"library/PARTS/3001.dat", "library/p/box.dat", "library/readme.txt", "dos/LDRAW.EXE",
              "half/parts/3001.dat", "half2/p/box.dat", "half2/models/x.dat", "files/parts", "files/p"}) {
            m_dir->write(file, "");
        }
        brikmux::testing::writeZip(m_dir->path() / "zipped" / "Complete.ZIP", {{"ldraw/parts/3001.dat", ""}});
        brikmux::testing::writeZip(m_dir->path() / "bin" / "library.bin", {{"ldraw/parts/3001.dat", ""}});
        m_dir->write("broken/complete.zip", "not a zip archive");
        store("Paths", "LDrawPath", m_root + native("nowhere/"));
    }

    void cleanup() { QCOMPARE(windowsLeftOpen(), QStringList()); }

    void installationCheck()
    {
        NativeFileSystem fileSystem;
        const std::pair<std::string, bool> folders[] = {{m_root + native("library/"), true},
                                                        {m_root + native("dos/"), true},
                                                        {m_root + "dos", false}, // the file name is appended directly
                                                        {m_root + native("half/"), false},
                                                        {m_root + native("half2/"), false},
                                                        {m_root + native("nowhere/"), false},
                                                        {m_root + native("files/"), false},
                                                        {m_root + native("zipped/"), true},
                                                        {m_root + native("bin/"), true},
                                                        {m_root + native("broken/"), false}};
        for (const auto& [folder, holds] : folders) {
            QVERIFY2(holdsLDrawInstallation(fileSystem, folder) == holds, folder.c_str());
        }
        QCOMPARE(folderFromHolder(native("/")) + folderFromHolder(native("/a/b")), native("//a/b/"));
    }

#ifdef _WIN32
    void driveSelectorListsDriveLetters()
    {
        DriveSelector drives;
        QStringList roots;
        for (int i = 0; i < drives.count(); ++i) {
            roots << drives.itemText(i);
        }
        QVERIFY2(roots.contains("C:\\"), qPrintable(roots.join(' ')));
        QCOMPARE(roots.filter(QRegularExpression("^[A-Z]:\\\\$")), roots);
        drives.setDrive("c:\\users");
        QCOMPARE(drives.Drive(), std::string("C:\\"));
        drives.setDrive(m_root);
        QCOMPARE(foldCase(drives.Drive()), foldCase(m_root.substr(0, 3)));
    }
#endif

    void driveSelectorTakesTheVolumeThatHoldsAPath()
    {
        // Each volume for itself, and for a folder in it; not for a name that only begins like it.
        DriveSelector drives;
        QVERIFY(drives.count() > 0);
        for (int i = 0; i < drives.count(); ++i) {
            const std::string root = toPathText(drives.itemText(i));
            const bool ended = root.back() == '/' || root.back() == '\\';
            drives.setCurrentIndex((i + 1) % drives.count());
            drives.setDrive(root);
            QCOMPARE(drives.Drive(), root);
            drives.setCurrentIndex((i + 1) % drives.count());
            drives.setDrive(root + (ended ? "" : std::string(1, kSeparator)) + "no such folder");
            QCOMPARE(drives.Drive(), root);
            if (!ended) {
                drives.setDrive(root + "x");
                QVERIFY2(drives.Drive() != root, root.c_str());
            }
        }
    }

    void okFollowsTheBrowserAndTheDialogsAreCentred()
    {
        auto window = makeWindow();
        window->move(101, 57);
        window->show();
        NativeFileSystem fileSystem;
        SettingsStore settings;
        // Created on the drive of the folder it is preset to, which then stays on that folder.
        const QString current = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(m_root));
        LDrawLocate locate(*window, fileSystem, m_prompter, settings);
        QDir::setCurrent(current);
        locate.preset(m_root + native("nowhere/deeper/"));
        QCOMPARE(locate.label(1)->toolTip(), QString::fromStdString(m_root + native("nowhere/deeper/")));
        QCOMPARE(locate.directoryList().Path(), fromNativePath(m_dir->path())); // the nearest existing folder
        QVERIFY(!locate.okButton()->isEnabled());
        // The drive list shows the volume that holds the folder; the browser, folders alone.
        QCOMPARE(locate.driveList().Drive(), toPathText(QStorageInfo(QString::fromStdString(m_root)).rootPath()));
        QVERIFY(locate.directoryList().isHeaderHidden());
        const QString instructions = locate.label(2)->text();
        for (const auto& [folder, enabled] : {std::pair{"library", true},
                                              {"library/PARTS", false},
                                              {"library", true},
                                              {"half", false},
                                              {"zipped", true},
                                              {"broken", false},
                                              {"dos", true}}) {
            QVERIFY(locate.directoryList().setPath(m_root + native(folder)));
            QVERIFY2(locate.okButton()->isEnabled() == enabled, folder);
            // A damaged archive is the one folder whose reason is given.
            const bool damaged = std::string_view(folder) == "broken";
            QCOMPARE(locate.label(2)->text().startsWith("complete.zip here cannot be read: "), damaged);
            if (damaged) {
                QVERIFY(locate.grab().save(BRIKMUX_SCREENSHOT_DIR "/ldraw_locate_damaged_archive.png"));
                QCOMPARE(captionsThatDoNotFit(locate), QStringList());
            }
        }
        QCOMPARE(locate.label(2)->text(), instructions);
        QVERIFY(!locate.directoryList().setPath(m_root + "missing"));
        QCOMPARE(locate.directoryList().Path(), m_root + "dos");
        // A folder the user picks in the browser is the one checked.
        auto& browser = locate.directoryList();
        browser.setCurrentIndex(
            static_cast<QFileSystemModel*>(browser.model())->index(QString::fromStdString(m_root + "library")));
        QCOMPARE(browser.Path(), m_root + "library");
        QVERIFY(locate.okButton()->isEnabled());

        // Nothing in the dialog overlaps anything else or reaches past its edge.
        const auto parts = locate.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        QCOMPARE(parts.size(), 7); // three captions, the drive list, the browser, OK and Cancel
        QCOMPARE(partsOutOfPlace(parts, locate.rect()), QStringList());

        BrikmuxAbout about(*window);
        for (QWidget* dialog : {static_cast<QWidget*>(&locate), static_cast<QWidget*>(&about)}) {
            QCOMPARE(captionsThatDoNotFit(*dialog), QStringList());
            QVERIFY(!dialog->windowIcon().isNull());
            // Its title bar has the close button alone: none to minimize, maximize or ask for help.
            const Qt::WindowFlags buttons = Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint |
                                            Qt::WindowMinMaxButtonsHint | Qt::WindowContextHelpButtonHint;
            QCOMPARE(dialog->windowFlags() & buttons, Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint);
            for (int i = 0; i < 3; ++i) {
                QVERIFY(dialog != &locate ||
                        locate.findChild<QLabel*>(QString("LocateLbl%1").arg(i)) == locate.label(i));
            }
            // Outer rectangles, frames included, as the shown windows have them.
            dialog->show();
            const QRect main = window->frameGeometry();
            const QRect own = dialog->frameGeometry();
            QVERIFY(own.width() > dialog->width());
            QCOMPARE(own.x(), main.x() + centringOffset(float((main.width() - own.width()) * 15)) / 15);
            QCOMPARE(own.y(), main.y() + centringOffset(float((main.height() - own.height()) * 15)) / 15);
            dialog->hide();
        }
        window->close();
    }

    void theBrowserKeepsItsFolderInViewUntilTheUserTakesOver()
    {
        for (int i = 10; i < 70; ++i) {
            m_dir->write("many/f" + std::to_string(i) + "/x", "");
        }
        DirectoryBrowser browser;
        browser.resize(200, 150);
        browser.show();
        QVERIFY(QTest::qWaitForWindowExposed(&browser));
        // It lists folders only: the library's two, never the file beside them.
        QVERIFY(browser.setPath(m_root + native("library/")));
        QTRY_COMPARE(browser.model()->rowCount(browser.currentIndex()), 2);
        QScrollBar& bar = *browser.verticalScrollBar();
        // A range change (rows read in the background) brings the folder back into view, until
        // the user clicks, scrolls or types in the tree.
        // (Emitted again while waiting: rows the model is still sorting may not be in view yet.)
        const auto scrolledBackAfterARangeChange = [&] {
            bar.setValue(0);
            return QTest::qWaitFor(
                [&] {
                    emit bar.rangeChanged(0, bar.maximum());
                    return bar.value() > 0;
                },
                1000);
        };
        const std::function<void()> userActions[] = {
            [&] { QTest::mousePress(browser.viewport(), Qt::LeftButton, {}, QPoint(20, 5)); },
            [&] {
                const int before = bar.value();
                QWheelEvent wheel(QPointF(20, 20), browser.mapToGlobal(QPointF(20, 20)), {}, QPoint(0, -120),
                                  Qt::NoButton, {}, Qt::NoScrollPhase, false);
                QApplication::sendEvent(browser.viewport(), &wheel);
                QVERIFY(bar.value() != before); // the wheel scrolls
            },
            [&] { QTest::keyClick(&browser, Qt::Key_Down); },
        };
        for (const auto& act : userActions) {
            QVERIFY(browser.setPath(m_root + native("many/f10/")));
            QVERIFY(browser.setPath(m_root + native("many/f60/")));
            QTRY_VERIFY(browser.viewport()->rect().contains(browser.visualRect(browser.currentIndex())));
            QVERIFY(scrolledBackAfterARangeChange());
            act();
            QVERIFY(!scrolledBackAfterARangeChange());
        }
    }

    void okStoresTheFolderAndTheDialogComesBackUntilThen()
    {
        auto window = makeWindow();
        int shown = 0;
        QCOMPARE(showAnswering(*window, 2,
                               [&](LDrawLocate& dialog) {
                                   if (shown++ == 0) {
                                       dialog.close(); // by its frame: nothing stored, and it comes back
                                       return;
                                   }
                                   QCOMPARE(dialog.label(1)->toolTip(),
                                            QString::fromStdString(m_root + native("nowhere/")));
                                   QCOMPARE(dialog.focusWidget(), static_cast<QWidget*>(&dialog.directoryList()));
                                   dialog.directoryList().setPath(m_root + native("library/"));
                                   QDir().mkpath(BRIKMUX_SCREENSHOT_DIR);
                                   dialog.grab().save(BRIKMUX_SCREENSHOT_DIR "/ldraw_locate.png");
                                   // Tab from the browser to OK, then Enter: OK, not the default Cancel.
                                   QTest::keyClick(&dialog.directoryList(), Qt::Key_Tab);
                                   QCOMPARE(dialog.focusWidget(), static_cast<QWidget*>(dialog.okButton()));
                                   QTest::keyClick(dialog.okButton(), Qt::Key_Return);
                                   QVERIFY(!dialog.isVisible());
                                   QCOMPARE(dialog.result(), int(QDialog::Accepted));
                               }),
                 2);
        QCOMPARE(stored("Paths", "LDrawPath") + window->LDrawPath(),
                 m_root + native("library/") + m_root + native("library/"));
        // The folder is checked at start-up only, not each time the window comes back.
        window->LDrawPath() = m_root + native("nowhere/");
        window->hide();
        QCOMPARE(showAnswering(*window, 0, [](LDrawLocate& dialog) { dialog.close(); }), 0);
        window->close();
        QCOMPARE(stored("Paths", "LDrawPath"), m_root + native("library/"));
        // Nor does a window hidden again before it was first active look for the library.
        store("Paths", "LDrawPath", m_root + native("nowhere/"));
        auto hidden = makeWindow();
        ModalAnswerer answerer([](QWidget& modal) { modal.close(); });
        hidden->show();
        hidden->hide();
        QTest::qWait(50);
        QCOMPARE(answerer.count, 0);
    }

    void cancelEndsTheProgramAndSavesAllButTheLDrawFolder()
    {
        store("Paths", "DATPath", m_root);
        auto window = makeWindow();
        // Enter while the browser has the focus presses the default button, Cancel.
        showAnswering(*window, 1,
                      [](LDrawLocate& dialog) { QTest::keyClick(&dialog.directoryList(), Qt::Key_Return); });
        QTRY_VERIFY(!window->isVisible());
        QCOMPARE(m_prompter.transcript(), std::string("fail C Brikmux Unable to Run: In order to run Brikmux, you must "
                                                      "have LDraw installed. If LDraw cannot be found then you must "
                                                      "supply its location. The program will now exit.\n"));
        QCOMPARE(stored("Paths", "LDrawPath") + stored("Paths", "DATPath"), m_root + native("nowhere/") + m_root);
        QVERIFY(stored("Settings", "WindowLeft") != "<absent>");
    }

    void aboutShowsTheVersionAndClosesOnAClick()
    {
        store("Paths", "LDrawPath", m_root + native("library/"));
        auto window = makeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const char* targets[] = {"AboutText0", "ZELKLogo", "Image1", "background"};
        int opened = 0;
        ModalAnswerer answerer([&](QWidget& modal) {
            auto& about = dynamic_cast<BrikmuxAbout&>(modal);
            QCOMPARE(about.text(2)->text(), QString("Version 1.2.2"));
            if (opened == 0) {
                about.grab().save(BRIKMUX_SCREENSHOT_DIR "/brikmux_about.png");
            }
            const QByteArray target = targets[opened++];
            QWidget* part = target == "background" ? static_cast<QWidget*>(&about) : control<QWidget>(about, target);
            if (opened == 1) { // a press let go elsewhere is no click
                QTest::mousePress(part, Qt::LeftButton, {}, QPoint(2, 2));
                QTest::mouseRelease(part, Qt::LeftButton, {}, QPoint(part->width() + 20, 2));
                QVERIFY(about.isVisible());
            }
            QTest::mousePress(part, Qt::LeftButton, {}, QPoint(2, 2));
            QVERIFY(about.isVisible()); // a click closes it, not a press
            QTest::mouseRelease(part, Qt::LeftButton, {}, QPoint(2, 2));
            QVERIFY(!about.isVisible());
            QCOMPARE(about.result(), int(QDialog::Accepted));
        });
        for (std::size_t i = 0; i < std::size(targets); ++i) {
            window->findChild<QAction*>("MenuAbout")->trigger();
        }
        QCOMPARE(answerer.count, 4);
        window->close();
    }
};

QObject* makeLocateAndAboutTest()
{
    return new LocateAndAboutTest;
}

#include "locate_about_test.moc"
