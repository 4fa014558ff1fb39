#include "files/paths.h"
#include "settings/native_text.h"
#include "settings/window_geometry.h"
#include "test_support.h"
#include "ui/brikmux_main.h"
#include "ui/hidden_file_list.h"
#include "ui/message_box_prompter.h"
#include "ui/model_picture.h"
#include "window_test_support.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

using namespace brikmux;
using namespace brikmux::testing;

// The stored values in the order the tests list them.
const char* const kKeys[][2] = {{"Paths", "DATPath"},       {"Paths", "MPDPath"},      {"Paths", "LDrawPath"},
                                {"Settings", "WindowLeft"}, {"Settings", "WindowTop"}, {"Settings", "AuthorName"}};

class BrikmuxMainTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<BrikmuxMain> makeWindow(const std::string& commandLine = "")
    {
        auto window = std::make_unique<BrikmuxMain>(MainWindowServices{&m_prompter, &m_dialog, nullptr});
        window->Form_Load(commandLine);
        return window;
    }
    static QString text(BrikmuxMain& window, const char* list)
    {
        return control<QComboBox>(window, list)->currentText();
    }
    static QString entries(BrikmuxMain& window, const char* list)
    {
        QStringList names;
        for (int i = 0; i < control<QComboBox>(window, list)->count(); ++i) {
            names << control<QComboBox>(window, list)->itemText(i);
        }
        return names.join('|');
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
    // text with "@" standing for the test's folder, its "/" in the platform's form.
    QString withRoot(QString text) const
    {
        return QString::fromStdString(native(text.replace("@", QString::fromStdString(m_root)).toStdString()));
    }

    ScriptedPrompter m_prompter;
    ScriptedFileDialog m_dialog;
    std::unique_ptr<TempDir> m_dir;
    std::string m_root;

private slots:
    void fileListPatterns()
    {
        // "+" where the name matches the pattern, "-" where it does not, then pattern|name; letter
        // case aside.
        for (const std::string row :
             {"+*.dat|car.dat", "+*.dat|CAR.DAT", "+*.dat|.dat", "+*|anything", "+?.dat|a.dat", "+a*b*c|aXbYc",
              "+*ab|aab", "+*x|xx", "+**.dat|a.dat", "+*.dat*|a.dat", "+|", "-*.dat|car.dat.bak", "-*.dat|cardat",
              "-?.dat|ab.dat", "-a*b*c|aXbY", "-*.ldr|x.l", "-|a", "-a|"}) {
            const std::size_t bar = row.find('|');
            QVERIFY2(matchesPattern(row.substr(bar + 1), row.substr(1, bar - 1)) == (row[0] == '+'), row.c_str());
        }
    }

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
        m_dir->write("models/car.dat",
                     crlf({"0 Car", "1 4 0 0 0 1 0 0 0 1 0 0 0 1 wheel.dat", "1 4 0 0 0 1 0 0 0 1 0 0 0 1 3001.dat"}));
        m_dir->write("models/wheel.dat", crlf({"0 Wheel"}));
        m_dir->write("models/Town.LDR", crlf({"1 4 0 0 0 1 0 0 0 1 0 0 0 1 car.dat"}));
        // A library that the installation check accepts, so that no Locate dialog comes up.
        store("Paths", "LDrawPath", m_root + native("ldraw/"));
        store("Paths", "DATPath", m_root + native("models/"));
        store("Paths", "MPDPath", m_root + native("mpd/"));
    }

    void cleanup() { QCOMPARE(windowsLeftOpen(), QStringList()); }

    void windowIsFixedAndEveryCaptionFitsAndKeysWork()
    {
        auto window = makeWindow();
        QVERIFY(!(window->windowFlags() & Qt::WindowMinMaxButtonsHint));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QCOMPARE(captionsThatDoNotFit(*window), QStringList());
        QStringList bold;
        for (const auto* label : window->findChildren<QLabel*>()) {
            if (label->font().bold()) {
                bold << label->text();
            }
        }
        QCOMPARE(bold.join('|'), QString(".DAT File|.MPD File")); // the lists' headings
        // Each heading sits right above its control, at its left edge; no two controls overlap, and
        // each lies inside the window.
        for (const auto& [heading, below] : {std::pair{"DATFileListLbl", "DATFileCombo"},
                                             {"MPDFileListLbl", "MPDFileCombo"},
                                             {"AuthorNameLbl", "AuthorNameText"}}) {
            const QRect label = control<QWidget>(*window, heading)->geometry();
            const QRect under = control<QWidget>(*window, below)->geometry();
            QVERIFY2(label.left() == under.left() && label.bottom() <= under.top() && under.top() - label.bottom() < 10,
                     heading);
        }
        QList<QWidget*> controls;
        for (QWidget* widget : window->centralWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (qobject_cast<QPushButton*>(widget) || qobject_cast<QComboBox*>(widget) ||
                qobject_cast<QLineEdit*>(widget)) {
                controls << widget;
            }
        }
        QCOMPARE(controls.size(), 8);
        QCOMPARE(partsOutOfPlace(controls, window->centralWidget()->rect()), QStringList());
        // The banner spans the window's foot under every control but Exit, which sits on its right end.
        const QRect banner = control<QWidget>(*window, "BrikmuxLogo")->geometry();
        for (const QWidget* c : controls) {
            QVERIFY2(c->objectName() == "ExitBtn" ? banner.contains(c->geometry().center())
                                                  : !banner.intersects(c->geometry()),
                     qPrintable(c->objectName()));
        }
        QVERIFY(!window->windowIcon().isNull());
        QVERIFY(!control<QLabel>(*window, "BrikmuxLogo")->pixmap().isNull());
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
        QCOMPARE(order.join(' '), QString("MergeMPDBtn SplitMPDBtn BrowseDATFileBtn BrowseMPDFileBtn AuthorNameText "
                                          "DATFileCombo MPDFileCombo ExitBtn"));
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
        // Stored, in kKeys' order ("-": absent), then the same after start-up: a coordinate in pixels,
        // "centred", or "" where it is left alone; "@" is the test's folder, "~" the home folder;
        // last, where the folders are known, the DAT and MPD names shown.
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("as stored") << QStringList{"@models/", "@mpd/", "@ldraw", "-150", "1500", ""}
                                   << QStringList{"@models/", "@mpd/", "@ldraw/",          "-10",
                                                  "100",      "",      "Axle.DAT|Axle.mpd"};
        QTest::newRow("no models in the DAT folder")
            << QStringList{"@mpd/", "@mpd/", "@ldraw", "-", "-", "-"}
            << QStringList{"@mpd/", "@mpd/", "@ldraw/", "centred", "centred", "Brikmux", "|A.MPD"};
        QTest::newRow("absent") << QStringList{"-", "-", "-", "-", "-", "-"}
                                << QStringList{"~", "~", "~", "centred", "centred", "Brikmux"};
        QTest::newRow("unusable") << QStringList{"Q:\\models\\", "@no such/", "@ldraw/", "left", "300", "-"}
                                  << QStringList{"~", "@no such/", "@ldraw/", "", "20", "Brikmux"};
        // The title bar (top 30 pixels) stands with 8 pixels of it on a screen, as a window at a
        // Windows screen's top edge has its invisible borders above it.
        for (const auto& [top, pixels] : {std::pair{"-150", "-10"}, {"-330", "-22"}}) {
            QTest::newRow(qPrintable(QString("top %1 pixels").arg(pixels)))
                << QStringList{"-", "-", "@ldraw/", "1500", top, "-"}
                << QStringList{"~", "~", "@ldraw/", "100", pixels, "Brikmux"};
        }
        for (const auto& [left, top] :
             {std::pair{"300000", "1500"}, {"1500", "-345"}, {"1500", "-3000"}, {"-30000", "1500"}}) {
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
        for (int i = 0; i < 6; ++i) {
            if (stored[i] != "-") {
                store(kKeys[i][0], kKeys[i][1], withRoot(stored[i]).toStdString());
            }
        }
        auto window = makeWindow();
        const QString paths =
            QString::fromStdString(window->DATPath() + "|" + window->MPDPath() + "|" + window->LDrawPath());
        QCOMPARE(paths,
                 withRoot(expected.mid(0, 3).join('|')).replace("~", QString::fromStdString(defaultFolderField())));
        QCOMPARE(control<QLineEdit>(*window, "AuthorNameText")->text(), expected[5]);
        if (expected.size() > 6) {
            QCOMPARE(text(*window, "DATFileCombo") + "|" + text(*window, "MPDFileCombo"), expected[6]);
        }
        QVERIFY(expected[3] == "centred" || expected[3].isEmpty() ||
                window->frameGeometry().x() == expected[3].toInt());
        QVERIFY(expected[4] == "centred" || window->frameGeometry().y() == expected[4].toInt());
        // Centred by the outer size, frame included, as the shown window has it.
        window->LDrawPath() = m_root + native("ldraw/");
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const QRect frame = window->frameGeometry();
        QVERIFY(frame.width() > window->width());
        QVERIFY(expected[3] != "centred" || frame.x() == centred(frame).x());
        QVERIFY(expected[4] != "centred" || frame.y() == centred(frame).y());
        window->close();
    }

    void libraryFoundAtFirstStart()
    {
        // Nothing stored and no LDRAWDIR: LDraw's complete.zip, never unzipped, in a usual place
        // is proposed (and stored only when the Locate dialog is confirmed). The usual places are
        // moved into a folder of the test's own: on Windows (and under Wine, where Documents is a
        // link to the Unix home) the real profile must never be touched.
        clearStore();
        qunsetenv("LDRAWDIR");
        QTemporaryDir profile;
        const QByteArray saved[] = {qgetenv("HOME"), qgetenv("USERPROFILE")};
        qputenv("HOME", profile.path().toLocal8Bit());
        qputenv("USERPROFILE", profile.path().toLocal8Bit());
        const std::filesystem::path library = toNativePath(toPathText(profile.path())) / "Documents" / "LDraw";
        brikmux::testing::writeZip(library / "complete.zip", {{"ldraw/parts/3001.dat", ""}});
        auto window = makeWindow();
        qputenv("HOME", saved[0]);
        qputenv("USERPROFILE", saved[1]);
        QCOMPARE(window->LDrawPath(), withTrailingSeparator(fromNativePath(library)));
        QCOMPARE(stored("Paths", "LDrawPath"), std::string("<absent>"));
        window->close();
    }

    void commandLine_data()
    {
        // The argument, DAT and MPD folder, the lists' texts, then their entries. "@" is each row's
        // own temporary folder; the current folder is its models/.
        QTest::addColumn<QStringList>("row");
        const QString models = "Axle.DAT|car.dat|Town.LDR|wheel.dat", other = "CAR.dat|garage.dat|Garden.ldr",
                      mpds = "A.MPD|b.mpd";
        QTest::newRow("dat elsewhere, other case")
            << QStringList{"@other/car.dat", "@other/", "@mpd/", "CAR.dat", "CAR.mpd", other, mpds};
        QTest::newRow("ldr model, as Explorer's Open with passes it")
            << QStringList{"@other/garden.LDR", "@other/", "@mpd/", "Garden.ldr", "Garden.mpd", other, mpds};
        QTest::newRow("dat not in its folder")
            << QStringList{"@other/boat.dat", "@other/", "@mpd/", "CAR.dat", "CAR.mpd", other, mpds};
        QTest::newRow("dat in a folder without models")
            << QStringList{"@my models/x.dat", "@my models/", "@mpd/", "", "Axle.mpd", "", mpds};
        QTest::newRow("new mpd elsewhere")
            << QStringList{"@other/New.MPD", "@models/", "@other/", "Axle.DAT", "New.MPD", models, "x.mpd"};
        QTest::newRow("mpd without dot, blanks kept")
            << QStringList{"@my models/a b campd", "@models/", "@my models/", "Axle.DAT", "a b campd", models, ""};
        QTest::newRow("names outside ASCII") << QStringList{
            "@Gélé dir/Gélé 2.mpd", "@models/", "@Gélé dir/", "Axle.DAT", "Gélé 2.mpd", models, "Gélé 2.mpd"};
        QTest::newRow("bare name") << QStringList{"wheel.dat", "@models/", "@mpd/", "wheel.dat",
                                                  "wheel.mpd", models,     mpds};
        for (const char* ignored : {"@nowhere/car.dat", "@other/car.dat/", "\"@other/car.dat\""}) {
            QTest::newRow(ignored) << QStringList{ignored, "@models/", "@mpd/", "Axle.DAT", "Axle.mpd", models, mpds};
        }
    }

    void commandLine()
    {
        for (const char* file : {"other/CAR.dat", "other/garage.dat", "other/Garden.ldr", "other/x.mpd",
                                 "my models/notes.txt", "Gélé dir/Gélé 2.mpd"}) {
            m_dir->write(file, "");
        }
        QFETCH(QStringList, row);
        const QString current = QDir::currentPath();
        QDir::setCurrent(withRoot("@models"));
        auto window = makeWindow(withRoot(row[0]).toStdString());
        QDir::setCurrent(current);
        const QStringList shown{withRoot(row[0]),
                                QString::fromStdString(window->DATPath()),
                                QString::fromStdString(window->MPDPath()),
                                text(*window, "DATFileCombo"),
                                text(*window, "MPDFileCombo"),
                                entries(*window, "DATFileCombo"),
                                entries(*window, "MPDFileCombo")};
        QCOMPARE(shown.join('\n'), withRoot(row.join('\n')));
    }

    void browseButtonsAndDropsChooseAFile()
    {
        clearStore();
        store("Paths", "LDrawPath", m_root + native("ldraw/"));
        auto window = makeWindow();
        control<QComboBox>(*window, "MPDFileCombo")->setEditText("typed.mpd");
        m_dialog.choices = {std::nullopt,
                            FileOpenChoice{"", ""},
                            FileOpenChoice{m_root + native("models/wheel.dat"), "wheel.dat"},
                            std::nullopt,
                            FileOpenChoice{m_root + native("mpd/new.mpd"), "new.mpd"},
                            FileOpenChoice{m_root + native("models/notes.txt"), "notes.txt"}};
        for (int i = 0; i < 2; ++i) {
            press(*window, "BrowseDATFileBtn"); // cancelled, or no file given: nothing changes
            QCOMPARE(window->DATPath(), defaultFolderField());
            QCOMPARE(text(*window, "MPDFileCombo"), QString("typed.mpd"));
        }
        press(*window, "BrowseDATFileBtn");
        QCOMPARE(window->DATPath(), m_root + native("models/"));
        QCOMPARE(text(*window, "DATFileCombo") + " " + text(*window, "MPDFileCombo"), QString("wheel.dat wheel.mpd"));
        press(*window, "BrowseMPDFileBtn");
        press(*window, "BrowseMPDFileBtn"); // a name that does not exist yet
        QCOMPARE(window->MPDPath(), m_root + native("mpd/"));
        QCOMPARE(entries(*window, "MPDFileCombo") + " " + text(*window, "MPDFileCombo"),
                 QString("A.MPD|b.mpd new.mpd"));
        press(*window, "BrowseDATFileBtn"); // through "All Files", not in the DAT list: no selection
        QCOMPARE(control<QComboBox>(*window, "DATFileCombo")->currentIndex(), -1);
        QCOMPARE(m_dialog.requests.size(), std::size_t(6));
        QCOMPARE(m_dialog.requests[0].initialFolder, defaultFolderField());
        QCOMPARE(m_dialog.requests[0].filters.first(), QString("LDraw models (*.dat *.ldr)"));

        // A dropped .dat or .mpd file is chosen the same way, wherever it falls (the text boxes take
        // no text from it); anything else is refused.
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        auto drag = [&](const QStringList& files, const char* over = "DATFileListLbl") {
            QMimeData data;
            QList<QUrl> urls;
            for (const auto& file : files) {
                urls << QUrl::fromLocalFile(withRoot("@" + file));
            }
            data.setUrls(urls);
            data.setText(urls.first().toString()); // as file managers give it: text too
            const QWidget* target = window->findChild<QWidget*>(over);
            const QPoint at = target->mapTo(window.get(), target->rect().center());
            QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(window->windowHandle(), &enter);
            QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(window->windowHandle(), &drop);
            return enter.isAccepted() && drop.isAccepted();
        };
        for (const QStringList& refused :
             {QStringList{"models/notes.txt"}, {"models/folder.dat"}, {"models/car.dat", "mpd/b.mpd"}, {"gone.dat"}}) {
            QVERIFY(!drag(refused));
        }
        QVERIFY(drag({"models/Axle.DAT"}));
        QCOMPARE(text(*window, "DATFileCombo") + " " + text(*window, "MPDFileCombo"), QString("Axle.DAT Axle.mpd"));
        QVERIFY(drag({"mpd/A.MPD"}, "MPDFileCombo"));
        QCOMPARE(text(*window, "MPDFileCombo"), QString("A.MPD"));
        const QString author = control<QLineEdit>(*window, "AuthorNameText")->text();
        QVERIFY(drag({"models/Town.LDR"}, "AuthorNameText"));
        QCOMPARE(text(*window, "DATFileCombo") + " " + text(*window, "MPDFileCombo") + " " +
                     control<QLineEdit>(*window, "AuthorNameText")->text(),
                 QString("Town.LDR Town.mpd ") + author);
        QDir().mkpath(BRIKMUX_SCREENSHOT_DIR);
        QVERIFY(window->grab().save(BRIKMUX_SCREENSHOT_DIR "/brikmux_main_ldr.png"));
    }

    void aFolderThatIsGoneChangesNothing()
    {
        auto window = makeWindow();
        const QString dats = entries(*window, "DATFileCombo");
        window->DATPath() = m_root + native("gone/");
        QVERIFY(!window->RefreshDATList());
        QCOMPARE(entries(*window, "DATFileCombo"), dats);
        QCOMPARE(window->writeLDrawDirHolder(m_root + native("gone/")), HolderWrite::Failed);
        QCOMPARE(window->writeLDrawDirHolder(m_root + native("models/Axle.DAT")), HolderWrite::Failed);
    }

    void namesThatAreNoTextKeepTheirBytes()
    {
#ifdef _WIN32
        QSKIP("Windows names are text");
#endif
        m_dir->write("models/caf\xe9.dat", "");
        auto window = makeWindow();
        auto* datList = control<QComboBox>(*window, "DATFileCombo");
        const int index = datList->findText(QString::fromLocal8Bit("caf\xe9.dat"));
        QVERIFY(index >= 0);
        datList->setCurrentIndex(index);
        emit datList->activated(index);
        QCOMPARE(window->datText() + " " + window->mpdText(), std::string("caf\xe9.dat caf\xe9.mpd"));
    }

    void thePictureShowsTheModelChosenAndIsRemembered()
    {
        m_dir->write("ldraw/parts/3003.dat", crlf({"0 Brick 2 x 2", "4 16 -20 0 -20 20 0 -20 20 0 20 -20 0 20",
                                                   "4 16 -20 0 -20 20 0 -20 20 24 -20 -20 24 -20"}));
        m_dir->write("ldraw/LDConfig.ldr", crlf({"0 !COLOUR Blue CODE 1 VALUE #0055BF EDGE #05131D",
                                                 "0 !COLOUR Red CODE 4 VALUE #C91A09 EDGE #333333"}));
        m_dir->write("models/house.ldr",
                     crlf({"1 4 0 0 0 1 0 0 0 1 0 0 0 1 3003.dat", "1 4 0 0 0 1 0 0 0 1 0 0 0 1 gone.dat",
                           "1 4 0 0 0 1 0 0 0 1 0 0 0 1 a-part-that-is-missing-too.dat",
                           "1 4 0 0 0 1 0 0 0 1 0 0 0 1 another-one.dat"}));
        m_dir->write("mpd/tower.mpd", crlf({"0 FILE tower.ldr", "1 1 0 0 0 1 0 0 0 1 0 0 0 1 3003.dat"}));
        {
            // Nothing drawn yet: a white panel, as the pictures' background.
            ModelPicture blank;
            blank.resize(200, 150);
            QCOMPARE(blank.grab().toImage().pixelColor(100, 50), QColor(Qt::white));
        }
        auto window = makeWindow();
        auto* panel = window->findChild<ModelPicture*>();
        const QSize narrow = window->size();
        QVERIFY(panel->isHidden());
        window->findChild<QAction*>("MenuPicture")->trigger();
        QVERIFY(!panel->isHidden());
        QCOMPARE(window->height() > narrow.height() || window->width() > narrow.width() + 300, true);
        // Beside the form, every control of which keeps its place.
        for (const QWidget* control : window->centralWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            QVERIFY2(control == panel || control->objectName() == "Line1" ||
                         control->geometry().right() < panel->geometry().left(),
                     qPrintable(control->objectName()));
        }
        // The colour of the picture's pixels: how many are the brick's red, and how many blue.
        const auto hues = [&] {
            const QImage image = panel->picture()->pixmap().toImage();
            int red = 0;
            int blue = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    const QColor c = image.pixelColor(x, y);
                    red += c.red() > 100 && c.green() < 40 && c.blue() < 40 ? 1 : 0;
                    blue += c.blue() > 100 && c.red() < 40 ? 1 : 0;
                }
            }
            return QString("%1 red, %2 blue").arg(red > 1000 ? "many" : "few", blue > 1000 ? "many" : "few");
        };
        auto* dats = control<QComboBox>(*window, "DATFileCombo");
        const int house = dats->findText("house.ldr");
        dats->setCurrentIndex(house);
        emit dats->activated(house);
        QTRY_VERIFY(!panel->busy());
        QCOMPARE(panel->picture()->accessibleName(), QString("Picture of house.ldr"));
        QCOMPARE(panel->notFound()->text(),
                 QString("Not found: gone.dat, a-part-that-is-missing-too.dat, another-one.dat"));
        QCOMPARE(captionsThatDoNotFit(*panel), QStringList()); // every name wrapped onto the lines below
        QCOMPARE(hues(), QString("many red, few blue"));
        QCOMPARE(panel->picture()->pixmap().size(), panel->picture()->contentsRect().size()); // fills its frame
        QVERIFY(window->grab().save(BRIKMUX_SCREENSHOT_DIR "/brikmux_main_picture.png"));
        // A drag turns the model: 60 pixels right, 30 down.
        const QImage before = panel->picture()->pixmap().toImage();
        QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(100, 100));
        QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(160, 130));
        QTRY_VERIFY(!panel->busy());
        QCOMPARE(QString("%1 %2").arg(panel->angle().latitude).arg(panel->angle().longitude), QString("45 15"));
        QVERIFY(panel->picture()->pixmap().toImage() != before);
        QCOMPARE(hues(), QString("many red, few blue"));
        // The MPD list's choice; two choices in a row show the later.
        emit dats->activated(dats->findText("car.dat"));
        auto* mpds = control<QComboBox>(*window, "MPDFileCombo");
        mpds->setCurrentIndex(mpds->findText("tower.mpd"));
        emit mpds->activated(mpds->currentIndex());
        QTRY_VERIFY(!panel->busy());
        QCOMPARE(panel->picture()->accessibleName() + " " + hues(), QString("Picture of tower.mpd few red, many blue"));
        QCOMPARE(panel->notFound()->text(), QString());
        // Remembered: the next window shows it too, with the DAT list's first model.
        window->close();
        QCOMPARE(stored("Settings", "ShowPicture"), std::string("1"));
        auto next = makeWindow();
        QVERIFY(!next->findChild<ModelPicture*>()->isHidden());
        QCOMPARE(next->size(), window->size());
        QTRY_VERIFY(!next->findChild<ModelPicture*>()->busy());
        QCOMPARE(next->findChild<ModelPicture*>()->picture()->accessibleName(), QString("Picture of Axle.DAT"));
        next->findChild<QAction*>("MenuPicture")->trigger();
        QCOMPARE(next->size(), narrow);
        next->close();
        QCOMPARE(stored("Settings", "ShowPicture"), std::string("0"));
    }

    void mergeAndSplitFromTheButtons()
    {
        store("Settings", "AuthorName", "A. Builder");
        auto window = makeWindow(m_root + native("models/car.dat"));
        control<QComboBox>(*window, "MPDFileCombo")->setEditText("garage");
        press(*window, "MergeMPDBtn");
        QCOMPARE(window->DATFiles(), (std::vector<std::string>{"car.dat", "wheel.dat"}));
        QVERIFY(m_dir->read("mpd/garage.mpd").find("0 MPD Author: A. Builder\r\n") != std::string::npos);
        QCOMPARE(entries(*window, "MPDFileCombo"), QString("A.MPD|b.mpd")); // not refreshed
        // The suffix shows while the overwrite question is asked, and stays after No.
        control<QComboBox>(*window, "MPDFileCombo")->setEditText("garage");
        QString shownWhileAsking;
        m_prompter.whileAsking = [&] { shownWhileAsking = text(*window, "MPDFileCombo"); };
        m_prompter.answers = {false, true, false};
        press(*window, "MergeMPDBtn");
        QCOMPARE(shownWhileAsking + " " + text(*window, "MPDFileCombo"), QString("garage.mpd garage.mpd"));
        press(*window, "SplitMPDBtn"); // asks about car.dat, then wheel.dat
        QCOMPARE(m_prompter.informations().size(), std::size_t(2));
        QCOMPARE(m_prompter.informations()[0].text + "\n" + m_prompter.informations()[1].text,
                 std::string("garage.mpd has been successfully created. 1 .DAT file(s) merged.\n"
                             "garage.mpd has been successfully split. 2 .DAT file(s) created."));

        // Packing, chosen in the Options menu and remembered: library files travel in the MPD.
        QVERIFY(!window->findChild<QAction*>("MenuPack")->isChecked());
        window->findChild<QAction*>("MenuPack")->trigger();
        control<QComboBox>(*window, "MPDFileCombo")->setEditText("packed");
        press(*window, "MergeMPDBtn");
        QVERIFY(m_dir->read("mpd/packed.mpd").find("wheel.dat\r\n1 4 0 0 0 1 0 0 0 1 0 0 0 1 parts/3001.dat\r\n") !=
                std::string::npos);
        window->close();
        QCOMPARE(stored("Settings", "PackMPD"), std::string("1"));
        QVERIFY(makeWindow()->findChild<QAction*>("MenuPack")->isChecked());
        store("Settings", "PackMPD", "0");

        // An unforeseen failure inside a button's work is one message, and the window stays usable.
        FaultyFileSystem fileSystem;
        fileSystem.throwOnOpenForReading = 1;
        fileSystem.reason = "device lost";
        m_prompter = {};
        BrikmuxMain faulty(MainWindowServices{&m_prompter, &m_dialog, &fileSystem});
        faulty.Form_Load(m_root + native("models/car.dat"));
        press(faulty, "MergeMPDBtn");
        press(faulty, "MergeMPDBtn");
        QCOMPARE(m_prompter.transcript(),
                 "fail C Merge Failed: " + m_root + native("models/car.dat") +
                     ": device lost.\ninform I .MPD "
                     "File Created: car.mpd has been successfully created. 1 .DAT file(s) merged.\n");
    }

    void mpdMenuItemsPackAndCheckTheNamedFile()
    {
        m_dir->write("mpd/house.mpd", crlf({"0 FILE house.ldr", "1 4 0 0 0 1 0 0 0 1 0 0 0 1 Sub.ldr", "0 FILE sub.ldr",
                                            "1 4 0 0 0 1 0 0 0 1 0 0 0 1 3001.dat", "0 FILE spare.ldr", "0 spare"}));
        auto window = makeWindow();
        auto* pack = window->findChild<QAction*>("MenuPackMPD");
        auto* check = window->findChild<QAction*>("MenuCheckMPD");
        // The option for merges, a line, then the two that act on the MPD named.
        QStringList items;
        for (const QAction* action : window->findChild<QMenu*>("MenuOptions")->actions()) {
            items << (action->isSeparator() ? "-" : action->text());
        }
        QCOMPARE(items.join('|'), QString("Pack Library Files into the .MPD (for Web Viewers)|-|Pack the .MPD File for "
                                          "Web Viewers|Check the .MPD File|-|Show a Picture of the Model"));
        control<QComboBox>(*window, "MPDFileCombo")->setEditText("");
        QVERIFY(!pack->isEnabled() && !check->isEnabled()); // no MPD named
        control<QComboBox>(*window, "MPDFileCombo")->setEditText("house.mpd");
        QVERIFY(pack->isEnabled() && check->isEnabled());

        auto* menu = window->findChild<QMenu*>("MenuOptions");
        menu->popup(window->mapToGlobal(QPoint(0, 0)));
        QVERIFY(menu->grab().save(BRIKMUX_SCREENSHOT_DIR "/options_menu.png"));
        menu->close();

        // Packed beside it, with what the main section reaches; a second time asks first.
        pack->trigger();
        const std::string packed = m_dir->read("mpd/house_Packed.mpd");
        QVERIFY(packed.find("0 FILE Sub.ldr\r\n1 4 0 0 0 1 0 0 0 1 0 0 0 1 parts/3001.dat\r\n0 FILE parts/3001.dat") !=
                std::string::npos);
        QVERIFY(packed.find("spare") == std::string::npos);
        QCOMPARE(m_prompter.informations().back().details, std::string("house.ldr\nSub.ldr\n3001.dat (library)\n"));
        QVERIFY(entries(*window, "MPDFileCombo").contains("house_Packed.mpd"));
        m_prompter.answers = {false};
        pack->trigger();
        QCOMPARE(m_prompter.questions().size(), std::size_t(1));

        // The check's summary, its problems behind the details; a file that is no MPD fails.
        check->trigger();
        const Message checked = m_prompter.informations().back();
        QCOMPARE(checked.text, std::string("house.mpd: 0 errors, 3 warnings."));
        QVERIFY(checked.details.find("line 2: warning case-differs:") != std::string::npos);
        QVERIFY(checked.details.find("line 5: warning empty-section:") != std::string::npos);
        QVERIFY(checked.details.find("line 5: warning unused:") != std::string::npos);
        control<QComboBox>(*window, "MPDFileCombo")->setEditText("b.mpd");
        check->trigger();
        QCOMPARE(m_prompter.failures().back().text,
                 std::string("b.mpd holds no \"0 FILE\" line: it is not an .MPD file."));
    }

    void messageBoxesAnswerYesAndNo()
    {
        QWidget owner;
        MessageBoxPrompter prompter(&owner);
        for (const auto button : {QMessageBox::No, QMessageBox::Yes}) {
            // What the box showed; it is answered whatever it showed, so that nothing waits on it.
            QString shown;
            QTimer::singleShot(0, [&shown, button] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                const bool yesIsDefault = box->defaultButton() == box->button(QMessageBox::Yes);
                shown = QString("%1|%2|%3|%4|%5")
                            .arg(box->windowTitle(), box->text(), box->detailedText())
                            .arg(box->icon())
                            .arg(yesIsDefault);
                box->button(button) != nullptr ? box->button(button)->click() : (void)box->close();
            });
            QCOMPARE(prompter.askYesNo({"T", "Text", MessageIcon::Warning, "more\n"}), button == QMessageBox::Yes);
            QCOMPARE(shown, QString("T|Text|more\n|%1|1").arg(QMessageBox::Warning));
        }
    }

    void fileDialogShowsWhatIsAskedAndGivesTheTypedName()
    {
#ifdef _WIN32
        QSKIP("Windows' own file dialog cannot be answered from a test");
#endif
        const FileOpenRequest request{"Select .MPD File",
                                      m_root + native("mpd/"),
                                      {"LDraw models (*.dat *.ldr)", "MPD files (*.mpd)", "All files (*)"},
                                      1};
        auto answerer = std::make_unique<ModalAnswerer>([&](QWidget& modal) {
            auto& dialog = dynamic_cast<QFileDialog&>(modal);
            QCOMPARE(dialog.windowTitle() + "|" + dialog.nameFilters().join('|') + "|" + dialog.selectedNameFilter(),
                     "Select .MPD File|" + request.filters.join('|') + "|MPD files (*.mpd)");
            QCOMPARE(QString::fromStdString(withTrailingSeparator(toPathText(dialog.directory().absolutePath()))),
                     QString::fromStdString(m_root + native("mpd/")));
            dialog.selectFile("new.mpd");           // a name not yet there may be typed
            static_cast<QDialog&>(dialog).accept(); // as its Open button does
        });
        const auto choice = QtFileOpenDialog().open(nullptr, request);
        QCOMPARE(answerer->count, 1);
        answerer.reset();
        // A filter chosen that the request does not hold: the first is selected.
        FileOpenRequest unknown = request;
        unknown.selectedFilter = 7;
        ModalAnswerer closer([](QWidget& modal) {
            QCOMPARE(dynamic_cast<QFileDialog&>(modal).selectedNameFilter(), QString("LDraw models (*.dat *.ldr)"));
            modal.close();
        });
        QVERIFY(!QtFileOpenDialog().open(nullptr, unknown).has_value());
        QVERIFY(choice.has_value());
        QCOMPARE(choice->fullPath + "|" + choice->title, m_root + native("mpd/new.mpd") + "|new.mpd");
    }

    void exitAndClosingSaveAllButTheLDrawFolder()
    {
        for (bool exit : {true, false}) {
            auto window = makeWindow();
            window->show();
            window->DATPath() = m_root + native("mpd/");
            window->MPDPath() = "";
            window->LDrawPath() = "/elsewhere/";
            window->move(30, 40);
            control<QLineEdit>(*window, "AuthorNameText")->setText("Closer");
            exit ? press(*window, "ExitBtn") : (void)window->close();
            QVERIFY(!window->isVisible());
            QStringList saved;
            for (const auto& [section, key] : kKeys) {
                saved << QString::fromStdString(stored(section, key));
            }
            QCOMPARE(saved, withRoot("@mpd/||@ldraw/|%1|%2|Closer")
                                .arg(window->frameGeometry().x() * 15)
                                .arg(window->frameGeometry().y() * 15)
                                .split('|'));
        }
    }
};

QObject* makeBrikmuxMainTest()
{
    return new BrikmuxMainTest;
}

#include "brikmux_main_test.moc"
