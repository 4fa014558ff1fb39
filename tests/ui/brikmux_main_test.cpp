#include "settings/window_geometry.h"
#include "test_support.h"
#include "ui/brikmux_main.h"
#include "ui/message_box_prompter.h"
#include "window_test_support.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

using namespace brikmux;
using namespace brikmux::testing;

class BrikmuxMainTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<BrikmuxMain> makeWindow(const std::string& commandLine = "")
    {
        auto window = std::make_unique<BrikmuxMain>(MainWindowServices{&m_prompter, &m_dialog, nullptr});
        window->Form_Load(commandLine);
        return window;
    }
    static QString text(BrikmuxMain& window, const char* list) { return control<QComboBox>(window, list)->currentText(); }
    static QStringList entries(BrikmuxMain& window, const char* list)
    {
        QStringList names;
        for (int i = 0; i < control<QComboBox>(window, list)->count(); ++i) {
            names << control<QComboBox>(window, list)->itemText(i);
        }
        return names;
    }
    static void press(BrikmuxMain& window, const char* button)
    {
        QTest::mouseClick(control<QPushButton>(window, button), Qt::LeftButton);
    }
    // The top left corner that centres the window's outer rectangle on the screen.
    static QPoint centred(const QRect& frame)
    {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        return {centringOffset(float((screen.width() - frame.width()) * 15)) / 15,
                centringOffset(float((screen.height() - frame.height()) * 15)) / 15};
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
        m_dialog = {};
        m_dir = std::make_unique<TempDir>();
        m_root = m_dir->field();
        for (const char* file : {"models/Axle.DAT", "models/.hidden.dat", "models/folder.dat/x", "models/notes.txt",
                                 "mpd/b.mpd", "mpd/A.MPD", "ldraw/parts/3001.dat", "ldraw/p/box.dat"}) {
            m_dir->write(file, "");
        }
        m_dir->write("models/car.dat", crlf({"0 Car", "1 4 0 0 0 1 0 0 0 1 0 0 0 1 wheel.dat"}));
        m_dir->write("models/wheel.dat", crlf({"0 Wheel"}));
        // A library that the installation check accepts, so that no Locate dialog comes up.
        store("Paths", "LDrawPath", m_root + "ldraw/");
    }

    void cleanup() { QCOMPARE(windowsLeftOpen(), QStringList()); }

    void windowIsFixedAndEveryCaptionFitsAndKeysWork()
    {
        store("Paths", "DATPath", m_root + "models/");
        store("Paths", "MPDPath", m_root + "mpd/");
        auto window = makeWindow();
        QCOMPARE(window->centralWidget()->size(), QSize(414, 177));
        QCOMPARE(window->windowTitle(), QString("Brikmux"));
        QVERIFY(!(window->windowFlags() & Qt::WindowMinMaxButtonsHint));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        for (const auto* label : window->findChildren<QLabel*>()) {
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(), qPrintable(label->text()));
        }
        for (const auto* button : window->findChildren<QPushButton*>()) {
            // The caption, with a few pixels of frame on either side.
            QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) + 6 <= button->width(),
                     qPrintable(button->text()));
        }
        QVERIFY(control<QLabel>(*window, "DATFileListLbl")->font().bold());
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QDir().mkpath(BRIKMUX_SCREENSHOT_DIR);
        QVERIFY(window->grab().save(BRIKMUX_SCREENSHOT_DIR "/brikmux_main.png"));

        // Focus starts on Merge and moves through the table's order.
        QStringList order;
        for (int i = 0; i < 8; ++i) {
            QWidget* focus = QApplication::focusWidget();
            order << (focus->objectName().isEmpty() ? focus->parentWidget() : focus)->objectName();
            QTest::keyClick(focus, Qt::Key_Tab);
        }
        QCOMPARE(order, QStringList({"MergeMPDBtn", "SplitMPDBtn", "BrowseDATFileBtn", "BrowseMPDFileBtn",
                                     "AuthorNameText", "DATFileCombo", "MPDFileCombo", "ExitBtn"}));
        // Alt shortcuts; Enter presses the button that has the focus.
        QTest::keyClick(window.get(), Qt::Key_P, Qt::AltModifier);
        control<QComboBox>(*window, "MPDFileCombo")->lineEdit()->setText("typed");
        QTest::keyClick(window.get(), Qt::Key_M, Qt::AltModifier);
        QVERIFY(m_dir->exists("mpd/typed.mpd")); // Axle.DAT merged into it
        m_prompter.answers = {true};
        control<QPushButton>(*window, "MergeMPDBtn")->setFocus();
        QTest::keyClick(control<QPushButton>(*window, "MergeMPDBtn"), Qt::Key_Return);
        QCOMPARE(m_prompter.informations().size(), std::size_t(2));
        QTest::keyClick(window.get(), Qt::Key_X, Qt::AltModifier);
        QVERIFY(!window->isVisible());
    }

    void storedValues_data()
    {
        QTest::addColumn<QStringList>("stored"); // DATPath, MPDPath, LDrawPath, WindowLeft, WindowTop, AuthorName
        // The same after start-up: a coordinate in pixels, "centred", or "" where it is left alone.
        QTest::addColumn<QStringList>("expected");
        const QString root = QString::fromStdString(m_root);
        QTest::newRow("as stored") << QStringList{"@models/", "@mpd/", "@ldraw", "-150", "1500", ""}
                                   << QStringList{"@models/", "@mpd/", "@ldraw/", "-10", "100", ""};
        QTest::newRow("absent") << QStringList{"-", "-", "-", "-", "-", "-"}
                                << QStringList{"~", "~", "~", "centred", "centred", "Brikmux"};
        QTest::newRow("unusable") << QStringList{"Z:\\models\\", "@no such/", "@ldraw/", "left", "300", "-"}
                                  << QStringList{"~", "@no such/", "@ldraw/", "", "20", "Brikmux"};
        for (const auto& [left, top] : {std::pair{"300000", "1500"}, {"1500", "-3000"}, {"-30000", "1500"}}) {
            QTest::newRow(qPrintable(QString("off every screen %1 %2").arg(left, top)))
                << QStringList{"-", "-", "@ldraw/", left, top, "-"}
                << QStringList{"~", "~", "@ldraw/", "centred", "centred", "Brikmux"};
        }
    }

    void storedValues()
    {
        QFETCH(QStringList, stored);
        QFETCH(QStringList, expected);
        clearStore();
        qunsetenv("LDRAWDIR");
        const QString root = QString::fromStdString(m_root);
        const QString home = QString::fromStdString(brikmux::testing::home());
        const char* keys[][2] = {{"Paths", "DATPath"},      {"Paths", "MPDPath"},     {"Paths", "LDrawPath"},
                                 {"Settings", "WindowLeft"}, {"Settings", "WindowTop"}, {"Settings", "AuthorName"}};
        for (int i = 0; i < 6; ++i) {
            if (stored[i] != "-") {
                store(keys[i][0], keys[i][1], QString(stored[i]).replace("@", root).toStdString());
            }
        }
        auto window = makeWindow();
        for (QString& value : expected) {
            value.replace("@", root).replace("~", home);
        }
        QCOMPARE(QString::fromStdString(window->DATPath()), expected[0]);
        QCOMPARE(QString::fromStdString(window->MPDPath()), expected[1]);
        QCOMPARE(QString::fromStdString(window->LDrawPath()), expected[2]);
        QCOMPARE(control<QLineEdit>(*window, "AuthorNameText")->text(), expected[5]);
        for (int i : {3, 4}) {
            const int position = i == 3 ? window->frameGeometry().x() : window->frameGeometry().y();
            QVERIFY(expected[i] == "centred" || expected[i].isEmpty() || position == expected[i].toInt());
        }
        // Centred by the outer size, frame included, as the shown window has it.
        window->LDrawPath() = m_root + "ldraw/";
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const QRect frame = window->frameGeometry();
        QVERIFY(frame.width() > window->width());
        QVERIFY(expected[3] != "centred" || frame.x() == centred(frame).x());
        QVERIFY(expected[4] != "centred" || frame.y() == centred(frame).y());
        window->close();
    }

    void commandLine_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("datPath");
        QTest::addColumn<QString>("mpdPath");
        QTest::addColumn<QString>("datText");
        QTest::addColumn<QString>("mpdText");
        QTest::addColumn<QStringList>("datEntries");
        QTest::addColumn<QStringList>("mpdEntries");
        // "@" is each row's own temporary folder; the current folder is its models/.
        const QStringList modelFiles = {"Axle.DAT", "car.dat", "wheel.dat"};
        const QStringList mpdFiles = {"A.MPD", "b.mpd"};
        const QStringList otherFiles = {"CAR.dat", "garage.dat"};
        QTest::newRow("dat elsewhere, other case")
            << "@other/car.dat" << "@other/" << "@mpd/" << "CAR.dat" << "CAR.mpd" << otherFiles << mpdFiles;
        QTest::newRow("dat not in its folder")
            << "@other/boat.dat" << "@other/" << "@mpd/" << "CAR.dat" << "CAR.mpd" << otherFiles << mpdFiles;
        QTest::newRow("new mpd elsewhere") << "@other/New.MPD" << "@models/" << "@other/" << "Axle.DAT" << "New.MPD"
                                           << modelFiles << QStringList{"x.mpd"};
        QTest::newRow("mpd without dot, blanks kept") << "@my models/a b campd" << "@models/" << "@my models/"
                                                      << "Axle.DAT" << "a b campd" << modelFiles << QStringList{};
        QTest::newRow("bare name") << "wheel.dat" << "@models/" << "@mpd/" << "wheel.dat" << "wheel.mpd" << modelFiles
                                   << mpdFiles;
        for (const char* ignored : {"@nowhere/car.dat", "@other/car.dat/", "\"@other/car.dat\""}) {
            QTest::newRow(ignored) << ignored << "@models/" << "@mpd/" << "Axle.DAT" << "Axle.mpd" << modelFiles
                                   << mpdFiles;
        }
    }

    void commandLine()
    {
        for (const char* file : {"other/CAR.dat", "other/garage.dat", "other/x.mpd", "my models/notes.txt"}) {
            m_dir->write(file, "");
        }
        store("Paths", "DATPath", m_root + "models/");
        store("Paths", "MPDPath", m_root + "mpd/");
        const QString root = QString::fromStdString(m_root);
        const QString current = QDir::currentPath();
        QDir::setCurrent(root + "models");
        QFETCH(QString, argument);
        auto window = makeWindow(argument.replace("@", root).toStdString());
        QDir::setCurrent(current);
        QFETCH(QString, datPath);
        QFETCH(QString, mpdPath);
        QCOMPARE(QString::fromStdString(window->DATPath()), datPath.replace("@", root));
        QCOMPARE(QString::fromStdString(window->MPDPath()), mpdPath.replace("@", root));
        QTEST(text(*window, "DATFileCombo"), "datText");
        QTEST(text(*window, "MPDFileCombo"), "mpdText");
        QTEST(entries(*window, "DATFileCombo"), "datEntries");
        QTEST(entries(*window, "MPDFileCombo"), "mpdEntries");
    }

    void browseButtonsAndDropsChooseAFile()
    {
        auto window = makeWindow();
        control<QComboBox>(*window, "MPDFileCombo")->setEditText("typed.mpd");
        m_dialog.choices = {std::nullopt, FileOpenChoice{m_root + "models/wheel.dat", "wheel.dat"}, std::nullopt,
                            FileOpenChoice{m_root + "mpd/new.mpd", "new.mpd"},
                            FileOpenChoice{m_root + "models/notes.txt", "notes.txt"}};
        press(*window, "BrowseDATFileBtn"); // cancelled: nothing changes
        QCOMPARE(window->DATPath(), home());
        QCOMPARE(text(*window, "MPDFileCombo"), QString("typed.mpd"));
        press(*window, "BrowseDATFileBtn");
        QCOMPARE(window->DATPath(), m_root + "models/");
        QCOMPARE(text(*window, "DATFileCombo"), QString("wheel.dat"));
        QCOMPARE(text(*window, "MPDFileCombo"), QString("wheel.mpd"));
        press(*window, "BrowseMPDFileBtn");
        press(*window, "BrowseMPDFileBtn"); // a name that does not exist yet
        QCOMPARE(window->MPDPath(), m_root + "mpd/");
        QCOMPARE(entries(*window, "MPDFileCombo"), QStringList({"A.MPD", "b.mpd"}));
        QCOMPARE(text(*window, "MPDFileCombo"), QString("new.mpd"));
        press(*window, "BrowseDATFileBtn"); // through "All Files", not in the DAT list: no selection
        QCOMPARE(control<QComboBox>(*window, "DATFileCombo")->currentIndex(), -1);
        QCOMPARE(m_dialog.requests.size(), std::size_t(5));
        QCOMPARE(m_dialog.requests[0].title, QString("Select .DAT file"));
        QCOMPARE(m_dialog.requests[0].initialFolder, home());
        QCOMPARE(m_dialog.requests[0].filters, QStringList({"LDraw DAT (*.dat)", "All Files (*)"}));
        QCOMPARE(m_dialog.requests[0].selectedFilter, 0);
        QCOMPARE(m_dialog.requests[2].title, QString("Select .MPD file"));
        QCOMPARE(m_dialog.requests[2].filters, QStringList({"LDraw MPD (*.mpd)", "All Files (*)"}));

        // A dropped .dat or .mpd file is chosen the same way; anything else is refused.
        auto drag = [&](const QStringList& files) {
            QMimeData data;
            QList<QUrl> urls;
            for (const auto& file : files) {
                urls << QUrl::fromLocalFile(QString::fromStdString(m_root) + file);
            }
            data.setUrls(urls);
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(window.get(), &enter);
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(window.get(), &drop);
            return enter.isAccepted();
        };
        for (const QStringList& refused :
             {QStringList{"models/notes.txt"}, {"models/folder.dat"}, {"models/car.dat", "mpd/b.mpd"}, {"gone.dat"}}) {
            QVERIFY(!drag(refused));
        }
        QVERIFY(drag({"models/Axle.DAT"}));
        QCOMPARE(text(*window, "DATFileCombo"), QString("Axle.DAT"));
        QCOMPARE(text(*window, "MPDFileCombo"), QString("Axle.mpd"));
        QVERIFY(drag({"mpd/A.MPD"}));
        QCOMPARE(text(*window, "MPDFileCombo"), QString("A.MPD"));
    }

    void theFileDialogTakesANewFileName()
    {
        const std::string chosen = m_root + "mpd/new.mpd";
        ModalAnswerer answerer([&](QWidget& modal) {
            auto* dialog = qobject_cast<QFileDialog*>(&modal);
            QVERIFY(dialog != nullptr);
            dialog->selectFile(QString::fromStdString(chosen));
            // A dialog that wants an existing file refuses with a message box of its own.
            QTimer::singleShot(100, dialog, [dialog] {
                if (QApplication::activeModalWidget() != dialog) {
                    QApplication::activeModalWidget()->close();
                }
            });
            QMetaObject::invokeMethod(dialog, "accept");
        });
        const auto choice = QtFileOpenDialog().open(nullptr, {"Select .MPD file", m_root + "mpd/", {"All Files (*)"}, 0});
        QVERIFY(choice.has_value());
        QCOMPARE(choice->fullPath, chosen);
        QCOMPARE(choice->title, std::string("new.mpd"));
    }

    void mergeAndSplitFromTheButtons()
    {
        store("Paths", "DATPath", m_root + "models/");
        store("Paths", "MPDPath", m_root + "mpd/");
        store("Settings", "AuthorName", "A. Builder");
        auto window = makeWindow(m_root + "models/car.dat");
        control<QComboBox>(*window, "MPDFileCombo")->setEditText("garage");
        press(*window, "MergeMPDBtn");
        QCOMPARE(window->DATFiles(), (std::vector<std::string>{"car.dat", "wheel.dat"}));
        QVERIFY(m_dir->read("mpd/garage.mpd").find("0 MPD Author: A. Builder\r\n") != std::string::npos);
        QCOMPARE(m_prompter.informations().at(0).text,
                 std::string("garage.mpd has been successfully created. 1 .DAT file(s) merged."));
        QCOMPARE(entries(*window, "MPDFileCombo"), QStringList({"A.MPD", "b.mpd"})); // not refreshed
        // The suffix shows while the overwrite question is asked, and stays after No.
        control<QComboBox>(*window, "MPDFileCombo")->setEditText("garage");
        QString shownWhileAsking;
        m_prompter.whileAsking = [&] { shownWhileAsking = text(*window, "MPDFileCombo"); };
        m_prompter.answers = {false, true, false};
        press(*window, "MergeMPDBtn");
        QCOMPARE(shownWhileAsking, QString("garage.mpd"));
        QCOMPARE(text(*window, "MPDFileCombo"), QString("garage.mpd"));
        press(*window, "SplitMPDBtn"); // asks about car.dat, then wheel.dat
        QCOMPARE(m_prompter.informations().at(1).text,
                 std::string("garage.mpd has been successfully split. 2 .DAT file(s) created."));
    }

    void failuresNeverEscapeAButton()
    {
        store("Paths", "DATPath", m_root + "models/");
        FaultyFileSystem fileSystem;
        fileSystem.throwOnOpenForReading = 1;
        fileSystem.reason = "device lost";
        BrikmuxMain window(MainWindowServices{&m_prompter, &m_dialog, &fileSystem});
        window.Form_Load(m_root + "models/car.dat");
        press(window, "MergeMPDBtn");
        QCOMPARE(m_prompter.failures().size(), std::size_t(1));
        QCOMPARE(m_prompter.failures()[0].title, std::string("Merge Failed"));
        QCOMPARE(m_prompter.failures()[0].text, m_root + "models/car.dat: device lost.");
        press(window, "MergeMPDBtn"); // still usable
        QCOMPARE(m_prompter.informations().size(), std::size_t(1));
    }

    void messageBoxesShowTheMessageAsGiven()
    {
        QWidget owner;
        MessageBoxPrompter prompter(&owner);
        const Message message{"Title", "Text", MessageIcon::Warning, "details\n"};
        // Each call, with the box's button that answers it and what the box must show.
        const std::tuple<std::function<void()>, QMessageBox::StandardButton, QMessageBox::Icon> calls[] = {
            {[&] { QVERIFY(!prompter.askYesNo(message)); }, QMessageBox::No, QMessageBox::Warning},
            {[&] { QVERIFY(prompter.askYesNo(message)); }, QMessageBox::Yes, QMessageBox::Warning},
            {[&] { prompter.inform({"Title", "Text", MessageIcon::Information, "details\n"}); }, QMessageBox::Ok,
             QMessageBox::Information},
            {[&] { prompter.reportFailure({"Title", "Text", MessageIcon::Critical, "details\n"}); }, QMessageBox::Ok,
             QMessageBox::Critical}};
        for (const auto& [call, button, icon] : calls) {
            QTimer::singleShot(0, [button, icon] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box != nullptr && box->isModal());
                QCOMPARE(box->windowTitle(), QString("Title"));
                QCOMPARE(box->text(), QString("Text"));
                QCOMPARE(box->detailedText(), QString("details\n"));
                QCOMPARE(box->icon(), icon);
                const bool question = button != QMessageBox::Ok;
                QCOMPARE(box->standardButtons(), question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok);
                QVERIFY(!question || box->defaultButton() == box->button(QMessageBox::Yes));
                box->button(button)->click();
            });
            call();
        }
    }

    void exitAndClosingSaveAllButTheLDrawFolder()
    {
        for (bool exit : {true, false}) {
            auto window = makeWindow();
            window->show();
            window->DATPath() = m_root + "models/";
            window->MPDPath() = "";
            window->LDrawPath() = "/elsewhere/";
            window->move(30, 40);
            control<QLineEdit>(*window, "AuthorNameText")->setText("Closer");
            exit ? press(*window, "ExitBtn") : (void)window->close();
            QVERIFY(!window->isVisible());
            QCOMPARE(stored("Paths", "DATPath"), m_root + "models/");
            QCOMPARE(stored("Paths", "MPDPath"), std::string());
            QCOMPARE(stored("Paths", "LDrawPath"), m_root + "ldraw/");
            QCOMPARE(stored("Settings", "WindowLeft"), std::to_string(window->frameGeometry().x() * 15));
            QCOMPARE(stored("Settings", "WindowTop"), std::to_string(window->frameGeometry().y() * 15));
            QCOMPARE(stored("Settings", "AuthorName"), std::string("Closer"));
        }
    }
};

QObject* makeBrikmuxMainTest()
{
    return new BrikmuxMainTest;
}

#include "brikmux_main_test.moc"
