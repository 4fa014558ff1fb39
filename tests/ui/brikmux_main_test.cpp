#include "settings/settings_store.h"
#include "settings/window_geometry.h"
#include "test_support.h"
#include "window_test_support.h"
#include "ui/brikmux_main.h"
#include "ui/message_box_prompter.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QUrl>
#include <QTimer>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <deque>

using namespace brikmux;
using brikmux::testing::crlf;
using brikmux::testing::FaultyFileSystem;
using brikmux::testing::ScriptedPrompter;
using brikmux::testing::TempDir;
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
    static QString mpdText(BrikmuxMain& window) { return control<QComboBox>(window, "MPDFileCombo")->currentText(); }
    static QStringList entries(BrikmuxMain& window, const char* list)
    {
        QStringList names;
        auto* combo = control<QComboBox>(window, list);
        for (int i = 0; i < combo->count(); ++i) {
            names << combo->itemText(i);
        }
        return names;
    }

    ScriptedPrompter m_prompter;
    ScriptedFileDialog m_dialog;
    std::unique_ptr<TempDir> m_dir;

private slots:
    void init()
    {
        clearStore();
        m_prompter = {};
        m_dialog = {};
        m_dir = std::make_unique<TempDir>();
        m_dir->write("models/car.dat", crlf({"0 Car", "1 4 0 0 0 1 0 0 0 1 0 0 0 1 wheel.dat"}));
        m_dir->write("models/wheel.dat", crlf({"0 Wheel"}));
        m_dir->write("models/Axle.DAT", crlf({"0 Axle"}));
        m_dir->write("models/.hidden.dat", "");
        m_dir->write("models/folder.dat/x", "");
        m_dir->write("models/notes.txt", "");
        m_dir->write("mpd/b.mpd", "");
        m_dir->write("mpd/A.MPD", "");
        m_dir->write("ldraw/parts/3001.dat", "");
        m_dir->write("ldraw/p/box.dat", "");
        // A library that the installation check accepts, so that no Locate dialog comes up.
        store("Paths", "LDrawPath", m_dir->field() + "ldraw/");
    }

    void cleanup() { QCOMPARE(windowsLeftOpen(), QStringList()); }

    void windowIsFixedAndEveryCaptionFits()
    {
        auto window = makeWindow();
        QCOMPARE(window->centralWidget()->size(), QSize(414, 177));
        QCOMPARE(window->windowTitle(), QString("Brikmux"));
        QVERIFY(!(window->windowFlags() & Qt::WindowMinMaxButtonsHint));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        for (const char* name : {"DATFileListLbl", "MPDFileListLbl", "AuthorNameLbl"}) {
            const auto* label = control<QLabel>(*window, name);
            QVERIFY2(label->fontMetrics().boundingRect(label->text()).width() <= label->width(), name);
            QVERIFY2(label->fontMetrics().height() <= label->height(), name);
        }
        for (const char* name : {"BrowseDATFileBtn", "MergeMPDBtn", "SplitMPDBtn", "ExitBtn"}) {
            const auto* button = control<QPushButton>(*window, name);
            // The caption, with a few pixels of frame on either side.
            QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) + 6 <= button->width(), name);
        }
        QVERIFY(control<QLabel>(*window, "DATFileListLbl")->font().bold());
        QCOMPARE(window->font().pointSize(), 8);

        // Focus starts on Merge and moves through the table's order.
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QStringList order;
        for (int i = 0; i < 8; ++i) {
            QWidget* focus = QApplication::focusWidget();
            while (focus != nullptr && focus->objectName().isEmpty()) {
                focus = focus->parentWidget(); // the line edit inside the MPD list
            }
            order << (focus != nullptr ? focus->objectName() : QString());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(order, QStringList({"MergeMPDBtn", "SplitMPDBtn", "BrowseDATFileBtn", "BrowseMPDFileBtn",
                                     "AuthorNameText", "DATFileCombo", "MPDFileCombo", "ExitBtn"}));
        QDir().mkpath(BRIKMUX_SCREENSHOT_DIR);
        QVERIFY(window->grab().save(BRIKMUX_SCREENSHOT_DIR "/brikmux_main.png"));
        window->hide();
    }

    void firstStartUsesTheDefaults()
    {
        clearStore();
        qunsetenv("LDRAWDIR");
        auto window = makeWindow();
        QCOMPARE(window->DATPath(), home());
        QCOMPARE(window->MPDPath(), home());
        QCOMPARE(window->LDrawPath(), home());
        QCOMPARE(control<QLineEdit>(*window, "AuthorNameText")->text(), QString("Brikmux"));
        // Centred by the outer size, frame included, as the shown window has it.
        window->LDrawPath() = m_dir->field() + "ldraw/"; // no Locate dialog
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const QRect frame = window->frameGeometry();
        QVERIFY(frame.width() > window->width());
        QCOMPARE(frame.x(), centringOffset(float((screen.width() - frame.width()) * 15)) / 15);
        QCOMPARE(frame.y(), centringOffset(float((screen.height() - frame.height()) * 15)) / 15);
        window->close();

        qputenv("LDRAWDIR", (m_dir->path() / "ldraw").c_str());
        QCOMPARE(makeWindow()->LDrawPath(), m_dir->field() + "ldraw/");
        qunsetenv("LDRAWDIR");
    }

    void storedValuesComeBack()
    {
        store("Paths", "DATPath", m_dir->field() + "models/");
        store("Paths", "MPDPath", m_dir->field() + "mpd/");
        store("Paths", "LDrawPath", m_dir->field() + "ldraw"); // without its separator
        store("Settings", "WindowLeft", "-150");
        store("Settings", "WindowTop", "1500");
        store("Settings", "AuthorName", "");
        auto window = makeWindow();
        QCOMPARE(window->DATPath(), m_dir->field() + "models/");
        QCOMPARE(window->LDrawPath(), m_dir->field() + "ldraw/");
        QCOMPARE(window->frameGeometry().topLeft(), QPoint(-10, 100));
        QCOMPARE(control<QLineEdit>(*window, "AuthorNameText")->text(), QString());
        // Regular files matching regardless of case, in case-insensitive order.
        QCOMPARE(entries(*window, "DATFileCombo"), QStringList({"Axle.DAT", "car.dat", "wheel.dat"}));
        QCOMPARE(entries(*window, "MPDFileCombo"), QStringList({"A.MPD", "b.mpd"}));
        QCOMPARE(control<QComboBox>(*window, "DATFileCombo")->currentText(), QString("Axle.DAT"));
        QCOMPARE(mpdText(*window), QString("Axle.mpd"));
    }

    void aPositionOffEveryScreenGivesWayToTheCentredDefault()
    {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const auto twips = [](int pixels) { return std::to_string(pixels * 15); };
        const std::pair<std::string, std::string> gone[] = {
            {twips(screen.right() + 100), "1500"}, {"1500", twips(-200)}, {twips(-2000), "1500"}};
        for (const auto& [left, top] : gone) {
            store("Settings", "WindowLeft", left);
            store("Settings", "WindowTop", top);
            auto window = makeWindow();
            const QRect frame = window->frameGeometry();
            QCOMPARE(frame.x(), centringOffset(float((screen.width() - frame.width()) * 15)) / 15);
            QCOMPARE(frame.y(), centringOffset(float((screen.height() - frame.height()) * 15)) / 15);
        }
    }

    void badStoredValuesSkipOnlyTheirOwnStep()
    {
        store("Paths", "DATPath", "Z:\\models\\");                     // a drive that is not there
        store("Paths", "MPDPath", m_dir->field() + "no such folder/"); // a folder that is not there
        store("Paths", "LDrawPath", m_dir->field() + "ldraw/");
        store("Settings", "WindowLeft", "left");
        store("Settings", "WindowTop", "300");
        auto window = makeWindow();
        QCOMPARE(window->DATPath(), home());
        QCOMPARE(window->MPDPath(), m_dir->field() + "no such folder/");
        QCOMPARE(window->LDrawPath(), m_dir->field() + "ldraw/");
        QCOMPARE(entries(*window, "MPDFileCombo"), QStringList());
        QCOMPARE(window->frameGeometry().y(), 20);
        QCOMPARE(control<QLineEdit>(*window, "AuthorNameText")->text(), QString("Brikmux"));
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
        const QString models = "@models/";
        const QString mpd = "@mpd/";
        const QStringList modelFiles = {"Axle.DAT", "car.dat", "wheel.dat"};
        const QStringList mpdFiles = {"A.MPD", "b.mpd"};
        QTest::newRow("dat elsewhere, other case") << "@other/car.dat"
                                                   << "@other/" << mpd << "CAR.dat"
                                                   << "CAR.mpd" << QStringList{"CAR.dat", "garage.dat"} << mpdFiles;
        QTest::newRow("dat not in its folder") << "@other/boat.dat"
                                               << "@other/" << mpd << "CAR.dat"
                                               << "CAR.mpd" << QStringList{"CAR.dat", "garage.dat"} << mpdFiles;
        QTest::newRow("new mpd elsewhere") << "@other/New.MPD" << models << "@other/"
                                           << "Axle.DAT"
                                           << "New.MPD" << modelFiles << QStringList{"x.mpd"};
        QTest::newRow("mpd without dot, blanks kept") << "@my models/a b campd" << models << "@my models/"
                                                      << "Axle.DAT"
                                                      << "a b campd" << modelFiles << QStringList{};
        QTest::newRow("bare name") << "wheel.dat" << models << mpd << "wheel.dat"
                                   << "wheel.mpd" << modelFiles << mpdFiles;
        for (const char* ignored : {"@nowhere/car.dat", "@other/car.dat/", "\"@other/car.dat\""}) {
            QTest::newRow(ignored) << ignored << models << mpd << "Axle.DAT"
                                   << "Axle.mpd" << modelFiles << mpdFiles;
        }
    }

    void commandLine()
    {
        QFETCH(QString, argument);
        m_dir->write("other/CAR.dat", "");
        m_dir->write("other/garage.dat", "");
        m_dir->write("other/x.mpd", "");
        m_dir->write("my models/notes.txt", "");
        store("Paths", "DATPath", m_dir->field() + "models/");
        store("Paths", "MPDPath", m_dir->field() + "mpd/");
        const QString root = QString::fromStdString(m_dir->field());
        const QString current = QDir::currentPath();
        QDir::setCurrent(root + "models");
        auto window = makeWindow(argument.replace("@", root).toStdString());
        QDir::setCurrent(current);
        QFETCH(QString, datPath);
        QFETCH(QString, mpdPath);
        QCOMPARE(QString::fromStdString(window->DATPath()), datPath.replace("@", root));
        QCOMPARE(QString::fromStdString(window->MPDPath()), mpdPath.replace("@", root));
        QTEST(control<QComboBox>(*window, "DATFileCombo")->currentText(), "datText");
        QTEST(mpdText(*window), "mpdText");
        QTEST(entries(*window, "DATFileCombo"), "datEntries");
        QTEST(entries(*window, "MPDFileCombo"), "mpdEntries");
    }

    void browseButtonsMoveTheFolderAndPickTheFile()
    {
        auto window = makeWindow();
        control<QComboBox>(*window, "MPDFileCombo")->setEditText("typed.mpd");
        m_dialog.choices = {std::nullopt, FileOpenChoice{m_dir->field() + "models/wheel.dat", "wheel.dat"},
                            std::nullopt, FileOpenChoice{m_dir->field() + "mpd/b.mpd", "b.mpd"},
                            FileOpenChoice{m_dir->field() + "models/notes.txt", "notes.txt"}};

        QTest::mouseClick(control<QPushButton>(*window, "BrowseDATFileBtn"), Qt::LeftButton);
        QCOMPARE(window->DATPath(), home());
        QCOMPARE(mpdText(*window), QString("typed.mpd"));
        QTest::mouseClick(control<QPushButton>(*window, "BrowseDATFileBtn"), Qt::LeftButton);
        QCOMPARE(window->DATPath(), m_dir->field() + "models/");
        QCOMPARE(control<QComboBox>(*window, "DATFileCombo")->currentText(), QString("wheel.dat"));
        QCOMPARE(mpdText(*window), QString("wheel.mpd"));
        QCOMPARE(window->MPDPath(), home());

        QTest::mouseClick(control<QPushButton>(*window, "BrowseMPDFileBtn"), Qt::LeftButton);
        QCOMPARE(mpdText(*window), QString("wheel.mpd"));
        QTest::mouseClick(control<QPushButton>(*window, "BrowseMPDFileBtn"), Qt::LeftButton);
        QCOMPARE(window->MPDPath(), m_dir->field() + "mpd/");
        QCOMPARE(entries(*window, "MPDFileCombo"), QStringList({"A.MPD", "b.mpd"}));
        QCOMPARE(mpdText(*window), QString("b.mpd"));
        QCOMPARE(control<QComboBox>(*window, "DATFileCombo")->currentText(), QString("wheel.dat"));

        // A file chosen through "All Files" that the DAT list does not hold: no selection.
        QTest::mouseClick(control<QPushButton>(*window, "BrowseDATFileBtn"), Qt::LeftButton);
        QCOMPARE(control<QComboBox>(*window, "DATFileCombo")->currentIndex(), -1);
        QCOMPARE(mpdText(*window), QString("b.mpd"));

        QCOMPARE(m_dialog.requests.size(), std::size_t(5));
        const FileOpenRequest& dat = m_dialog.requests[0];
        QCOMPARE(dat.title, QString("Select .DAT file"));
        QCOMPARE(dat.initialFolder, home());
        QCOMPARE(dat.filters, QStringList({"LDraw DAT (*.dat)", "All Files (*)"}));
        QCOMPARE(dat.selectedFilter, 0);
        QCOMPARE(m_dialog.requests[2].title, QString("Select .MPD file"));
        QCOMPARE(m_dialog.requests[2].filters, QStringList({"LDraw MPD (*.mpd)", "All Files (*)"}));
    }

    void theFileDialogTakesANewFileName()
    {
        const std::string chosen = m_dir->field() + "mpd/new.mpd";
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
        const auto choice = QtFileOpenDialog().open(
            nullptr, {"Select .MPD file", m_dir->field() + "mpd/", {"LDraw MPD (*.mpd)", "All Files (*)"}, 0});
        QVERIFY(choice.has_value());
        QCOMPARE(choice->fullPath, chosen);
        QCOMPARE(choice->title, std::string("new.mpd"));
        QCOMPARE(answerer.count, 1);
    }

    void mergeAndSplitFromTheButtons()
    {
        store("Paths", "DATPath", m_dir->field() + "models/");
        store("Paths", "MPDPath", m_dir->field() + "mpd/");
        store("Paths", "LDrawPath", m_dir->field() + "ldraw/");
        store("Settings", "AuthorName", "A. Builder");
        auto window = makeWindow(m_dir->field() + "models/car.dat");
        control<QComboBox>(*window, "MPDFileCombo")->setEditText("garage");

        QTest::mouseClick(control<QPushButton>(*window, "MergeMPDBtn"), Qt::LeftButton);
        QCOMPARE(mpdText(*window), QString("garage.mpd"));
        QCOMPARE(window->DATFiles(), (std::vector<std::string>{"car.dat", "wheel.dat"}));
        QVERIFY(m_dir->read("mpd/garage.mpd").find("0 MPD Author: A. Builder\r\n") != std::string::npos);
        QCOMPARE(m_prompter.informations().at(0).text,
                 std::string("garage.mpd has been successfully created. 1 .DAT file(s) merged."));
        QCOMPARE(m_prompter.informations().at(0).details, std::string("car.dat\nwheel.dat\n"));
        QCOMPARE(entries(*window, "MPDFileCombo"), QStringList({"A.MPD", "b.mpd"})); // not refreshed
        // The suffix shows while the overwrite question is asked, and stays after No.
        control<QComboBox>(*window, "MPDFileCombo")->setEditText("garage");
        QString shownWhileAsking;
        m_prompter.whileAsking = [&] { shownWhileAsking = mpdText(*window); };
        m_prompter.answers = {false};
        QTest::mouseClick(control<QPushButton>(*window, "MergeMPDBtn"), Qt::LeftButton);
        QCOMPARE(shownWhileAsking, QString("garage.mpd"));
        QCOMPARE(mpdText(*window), QString("garage.mpd"));
        m_prompter.whileAsking = nullptr;

        m_prompter.answers = {true, false};
        QTest::mouseClick(control<QPushButton>(*window, "SplitMPDBtn"), Qt::LeftButton);
        QCOMPARE(m_prompter.questions().size(), std::size_t(3)); // the overwrite, then one per existing file
        QCOMPARE(m_prompter.informations().at(1).text,
                 std::string("garage.mpd has been successfully split. 2 .DAT file(s) created."));
    }

    void droppedModelFilesAreChosenAndOthersRefused()
    {
        auto window = makeWindow();
        control<QComboBox>(*window, "MPDFileCombo")->setEditText("typed.mpd");
        auto drag = [&](const std::vector<std::string>& files) {
            QMimeData data;
            QList<QUrl> urls;
            for (const auto& file : files) {
                urls << QUrl::fromLocalFile(QString::fromStdString(m_dir->field() + file));
            }
            data.setUrls(urls);
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(window.get(), &enter);
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(window.get(), &drop);
            return enter.isAccepted();
        };
        for (const auto& refused : std::vector<std::vector<std::string>>{
                 {"models/notes.txt"}, {"models/folder.dat"}, {"models/car.dat", "models/wheel.dat"}, {"gone.dat"}}) {
            QVERIFY(!drag(refused));
            QCOMPARE(window->DATPath(), home());
            QCOMPARE(mpdText(*window), QString("typed.mpd"));
        }
        QVERIFY(drag({"models/Axle.DAT"}));
        QCOMPARE(window->DATPath(), m_dir->field() + "models/");
        QCOMPARE(control<QComboBox>(*window, "DATFileCombo")->currentText(), QString("Axle.DAT"));
        QCOMPARE(mpdText(*window), QString("Axle.mpd"));
        QVERIFY(drag({"mpd/A.MPD"}));
        QCOMPARE(window->MPDPath(), m_dir->field() + "mpd/");
        QCOMPARE(entries(*window, "MPDFileCombo"), QStringList({"A.MPD", "b.mpd"}));
        QCOMPARE(mpdText(*window), QString("A.MPD"));
    }

    void keyboardShortcutsAndEnter()
    {
        store("Paths", "DATPath", m_dir->field() + "models/");
        store("Paths", "MPDPath", m_dir->field() + "mpd/");
        auto window = makeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        auto* mpd = control<QComboBox>(*window, "MPDFileCombo");
        QTest::keyClick(window.get(), Qt::Key_P, Qt::AltModifier);
        QVERIFY(mpd->hasFocus());
        mpd->lineEdit()->setText("typed");
        QTest::keyClick(mpd->lineEdit(), Qt::Key_Return);
        QCOMPARE(mpd->currentText(), QString("typed"));
        QCOMPARE(mpd->count(), 2);
        QVERIFY(m_prompter.calls.empty());
        QTest::keyClick(window.get(), Qt::Key_M, Qt::AltModifier);
        QCOMPARE(m_prompter.informations().size(), std::size_t(1)); // Axle.DAT merged into typed.mpd
        QVERIFY(m_dir->exists("mpd/typed.mpd"));
        // Enter presses the button that has the focus.
        m_prompter.answers = {true};
        auto* merge = control<QPushButton>(*window, "MergeMPDBtn");
        merge->setFocus();
        QTest::keyClick(merge, Qt::Key_Return);
        QCOMPARE(m_prompter.informations().size(), std::size_t(2));
        QTest::keyClick(window.get(), Qt::Key_X, Qt::AltModifier);
        QVERIFY(!window->isVisible());
    }

    void failuresNeverEscapeAButton()
    {
        store("Paths", "DATPath", m_dir->field() + "models/");
        store("Paths", "MPDPath", m_dir->field() + "mpd/");
        FaultyFileSystem fileSystem;
        fileSystem.throwOnOpenForReading = 1;
        fileSystem.reason = "device lost";
        BrikmuxMain window(MainWindowServices{&m_prompter, &m_dialog, &fileSystem});
        window.Form_Load(m_dir->field() + "models/car.dat");
        QTest::mouseClick(control<QPushButton>(window, "MergeMPDBtn"), Qt::LeftButton);
        const auto failures = m_prompter.failures();
        QCOMPARE(failures.size(), std::size_t(1));
        QCOMPARE(failures[0].title, std::string("Merge Failed"));
        QCOMPARE(failures[0].text, m_dir->field() + "models/car.dat: device lost.");
        QCOMPARE(failures[0].icon, MessageIcon::Critical);
        // Still usable: the next press merges.
        QTest::mouseClick(control<QPushButton>(window, "MergeMPDBtn"), Qt::LeftButton);
        QCOMPARE(m_prompter.informations().size(), std::size_t(1));
    }

    void messageBoxesShowTheMessageAsGiven()
    {
        QWidget owner;
        MessageBoxPrompter prompter(&owner);
        struct Seen {
            QString title, text, details;
            QMessageBox::Icon icon = QMessageBox::NoIcon;
            QMessageBox::StandardButtons buttons;
            QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
            bool modal = false;
        } seen;
        auto answerWith = [&](QMessageBox::StandardButton button) {
            QTimer::singleShot(0, [&seen, button] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box != nullptr);
                seen = {box->windowTitle(),     box->text(),
                        box->detailedText(),    box->icon(),
                        box->standardButtons(), box->standardButton(box->defaultButton()),
                        box->isModal()};
                box->button(button)->click();
            });
        };
        answerWith(QMessageBox::No);
        QVERIFY(!prompter.askYesNo({"Output File Exists", "Overwrite?", MessageIcon::Warning, {}}));
        QCOMPARE(seen.title, QString("Output File Exists"));
        QCOMPARE(seen.text, QString("Overwrite?"));
        QCOMPARE(seen.icon, QMessageBox::Warning);
        QCOMPARE(seen.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(seen.defaultButton, QMessageBox::Yes);
        QVERIFY(seen.modal);
        answerWith(QMessageBox::Yes);
        QVERIFY(prompter.askYesNo({"Output File Exists", "Overwrite?", MessageIcon::Warning, {}}));

        answerWith(QMessageBox::Ok);
        prompter.inform({".MPD File Created", "car.mpd has been successfully created. 1 .DAT file(s) merged.",
                         MessageIcon::Information, "car.dat\nwheel.dat\n"});
        QCOMPARE(seen.icon, QMessageBox::Information);
        QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(seen.details, QString("car.dat\nwheel.dat\n"));
        answerWith(QMessageBox::Ok);
        prompter.reportFailure({"Merge Failed", "Cannot read x", MessageIcon::Critical, {}});
        QCOMPARE(seen.title, QString("Merge Failed"));
        QCOMPARE(seen.icon, QMessageBox::Critical);
    }

    void exitAndClosingSaveAllButTheLDrawFolder()
    {
        for (const char* how : {"exit", "close"}) {
            store("Paths", "LDrawPath", m_dir->field() + "ldraw/");
            auto window = makeWindow();
            window->show();
            window->DATPath() = m_dir->field() + "models/";
            window->MPDPath() = "";
            window->LDrawPath() = "/elsewhere/";
            window->move(30, 40);
            control<QLineEdit>(*window, "AuthorNameText")->setText("Closer");
            if (QByteArray(how) == "exit") {
                QTest::mouseClick(control<QPushButton>(*window, "ExitBtn"), Qt::LeftButton);
            } else {
                window->close();
            }
            QVERIFY(!window->isVisible());
            QCOMPARE(stored("Paths", "DATPath"), m_dir->field() + "models/");
            QCOMPARE(stored("Paths", "MPDPath"), std::string());
            QCOMPARE(stored("Paths", "LDrawPath"), m_dir->field() + "ldraw/");
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
