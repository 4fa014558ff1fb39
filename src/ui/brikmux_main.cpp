#include "brikmux_main.h"

#include "brikmux_about.h"
#include "files/paths.h"
#include "ldraw/model_text.h"
#include "ldraw_locate.h"
#include "library/library.h"
#include "message_box_prompter.h"
#include "operations/merge.h"
#include "operations/messages.h"
#include "operations/mpd_check.h"
#include "operations/split.h"
#include "settings/native_text.h"
#include "settings/window_geometry.h"
#include "window_placement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QShortcut>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <cmath>

namespace brikmux {

namespace {

QString display(const std::string& name)
{
    return fromNativeText(name);
}

std::string raw(const QString& text)
{
    return toNativeText(text);
}

int toPixels(float twips)
{
    return static_cast<int>(std::lround(twips / static_cast<float>(kTwipsPerPixel)));
}

float toTwips(int pixels)
{
    return static_cast<float>(pixels * kTwipsPerPixel);
}

// A sans-serif face at 8 points, narrow enough for the captions: Arial's metrics where there is
// such a face, DejaVu's condensed face otherwise.
QFont windowFont()
{
    QFont font;
    font.setFamilies(
        {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("DejaVu Sans Condensed")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

template <typename Owned, typename Given, typename Make>
Given& choose(Given* given, std::unique_ptr<Owned>& owned, Make make)
{
    if (given != nullptr) {
        return *given;
    }
    owned = make();
    return *owned;
}

} // namespace

BrikmuxMain::BrikmuxMain(MainWindowServices services, QWidget* parent)
    : QMainWindow(parent),
      m_fileSystem(choose(services.fileSystem, m_ownFileSystem, [] { return std::make_unique<NativeFileSystem>(); })),
      m_fileOpenDialog(
          choose(services.fileOpenDialog, m_ownFileOpenDialog, [] { return std::make_unique<QtFileOpenDialog>(); })),
      m_prompter(
          choose(services.prompter, m_ownPrompter, [this] { return std::make_unique<MessageBoxPrompter>(this); })),
      HiddenFileList(m_fileSystem)
{
    buildControls();
    winId(); // the native window, which knows its frame on most platforms
    LDrawDirHolder.onChange = [this] { LDrawDirHolder_Change(); };
}

BrikmuxMain::~BrikmuxMain() = default;

void BrikmuxMain::buildControls()
{
    setObjectName("BrikmuxMain");
    setWindowTitle("Brikmux");
    setProgramIcon(*this);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(windowFont());
    QFont bold = windowFont();
    bold.setBold(true);

    MenuOptions = menuBar()->addMenu(QStringLiteral("Options"));
    MenuOptions->setObjectName("MenuOptions");
    MenuPack = MenuOptions->addAction(QStringLiteral("Pack Library Files into the .MPD (for Web Viewers)"));
    MenuPack->setObjectName("MenuPack");
    MenuPack->setCheckable(true);
    MenuOptions->addSeparator();
    MenuPackMPD = MenuOptions->addAction(QStringLiteral("Pack the .MPD File for Web Viewers"));
    MenuPackMPD->setObjectName("MenuPackMPD");
    connect(MenuPackMPD, &QAction::triggered, this, [this] { MenuPackMPD_Click(); });
    MenuCheckMPD = MenuOptions->addAction(QStringLiteral("Check the .MPD File"));
    MenuCheckMPD->setObjectName("MenuCheckMPD");
    connect(MenuCheckMPD, &QAction::triggered, this, [this] { MenuCheckMPD_Click(); });
    MenuHelp = menuBar()->addMenu(QStringLiteral("Help"));
    MenuHelp->setObjectName("MenuHelp");
    MenuAbout = MenuHelp->addAction(QStringLiteral("About Brikmux"));
    MenuAbout->setObjectName("MenuAbout");
    connect(MenuAbout, &QAction::triggered, this, [this] { MenuAbout_Click(); });

    auto* client = new QWidget(this);
    client->setFixedSize(6210 / kTwipsPerPixel, 2655 / kTwipsPerPixel);
    setCentralWidget(client);

    auto named = [](auto* widget, const char* name) {
        widget->setObjectName(name);
        return widget;
    };
    Line1 = named(new QFrame(client), "Line1");
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
    Line1->setGeometry(0, 0, 6540 / kTwipsPerPixel, 2);

    DATFileListLbl = named(new QLabel(QStringLiteral(".DAT File"), client), "DATFileListLbl");
    place(DATFileListLbl, 60, 180, 2415, 195);
    DATFileListLbl->setFont(bold);
    MPDFileListLbl = named(new QLabel(QStringLiteral(".MPD File"), client), "MPDFileListLbl");
    place(MPDFileListLbl, 3360, 180, 2415, 195);
    MPDFileListLbl->setFont(bold);

    DATFileCombo = named(new QComboBox(client), "DATFileCombo");
    place(DATFileCombo, 60, 420, 2415, 315);
    BrowseDATFileBtn = named(new QPushButton(QStringLiteral("..."), client), "BrowseDATFileBtn");
    place(BrowseDATFileBtn, 2520, 420, 315, 315);
    MPDFileCombo = named(new QComboBox(client), "MPDFileCombo");
    MPDFileCombo->setEditable(true);
    MPDFileCombo->setInsertPolicy(QComboBox::NoInsert);
    place(MPDFileCombo, 3360, 420, 2415, 315);
    // The MPD items act on the file the MPD list names: none, nothing to act on.
    const auto mpdNamed = [this] {
        const bool hasName = !MPDFileCombo->currentText().isEmpty();
        MenuPackMPD->setEnabled(hasName);
        MenuCheckMPD->setEnabled(hasName);
    };
    connect(MPDFileCombo, &QComboBox::editTextChanged, this, mpdNamed);
    mpdNamed();
    BrowseMPDFileBtn = named(new QPushButton(QStringLiteral("..."), client), "BrowseMPDFileBtn");
    place(BrowseMPDFileBtn, 5820, 420, 315, 315);

    MergeMPDBtn = named(new QPushButton(QStringLiteral("Merge .DAT files into .MPD >>>"), client), "MergeMPDBtn");
    place(MergeMPDBtn, 60, 780, 2415, 375);
    SplitMPDBtn = named(new QPushButton(QStringLiteral("<<< Split .MPD into .DAT files"), client), "SplitMPDBtn");
    place(SplitMPDBtn, 3360, 780, 2415, 375);

    AuthorNameLbl = named(new QLabel(QStringLiteral("Author Name"), client), "AuthorNameLbl");
    place(AuthorNameLbl, 60, 1380, 2415, 255);
    AuthorNameText = named(new QLineEdit(QStringLiteral("AuthorName"), client), "AuthorNameText");
    place(AuthorNameText, 60, 1620, 2415, 315);

    BrikmuxLogo = named(new QLabel(client), "BrikmuxLogo");
    BrikmuxLogo->setPixmap(QPixmap(QStringLiteral(":/artwork/banner.png")));
    BrikmuxLogo->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    place(BrikmuxLogo, 60, 2100, 6075, 480);
    ExitBtn = named(new QPushButton(QStringLiteral("Exit"), client), "ExitBtn");
    place(ExitBtn, 4860, 2160, 1215, 375);
    ExitBtn->raise(); // over the banner's right end

    // Enter presses the focused button, as Space does.
    for (QPushButton* button : {BrowseDATFileBtn, BrowseMPDFileBtn, MergeMPDBtn, SplitMPDBtn, ExitBtn}) {
        button->setAutoDefault(true);
    }
    // Focus order: Merge, Split, the two "..." buttons, the author name, the two lists, Exit.
    QWidget* order[] = {MergeMPDBtn,    SplitMPDBtn,  BrowseDATFileBtn, BrowseMPDFileBtn,
                        AuthorNameText, DATFileCombo, MPDFileCombo,     ExitBtn};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        setTabOrder(order[i], order[i + 1]);
    }
    MergeMPDBtn->setFocus();

    connect(BrowseDATFileBtn, &QPushButton::clicked, this, [this] { BrowseDATFileBtn_Click(); });
    connect(BrowseMPDFileBtn, &QPushButton::clicked, this, [this] { BrowseMPDFileBtn_Click(); });
    connect(MergeMPDBtn, &QPushButton::clicked, this, [this] { MergeMPDBtn_Click(); });
    connect(SplitMPDBtn, &QPushButton::clicked, this, [this] { SplitMPDBtn_Click(); });
    connect(ExitBtn, &QPushButton::clicked, this, [this] { ExitBtn_Click(); });
    // The user's choice of an entry, also of the one already chosen; the program's own
    // selections call the handler themselves.
    connect(DATFileCombo, &QComboBox::activated, this, [this] { DATFileCombo_Click(); });

    // A .dat or .mpd file dropped anywhere on the window, the text boxes included, is chosen as
    // the "..." buttons choose one.
    setAcceptDrops(true);
    MPDFileCombo->lineEdit()->setAcceptDrops(false);
    AuthorNameText->setAcceptDrops(false);

    // Alt shortcuts that leave the captions as they are.
    const std::pair<QKeyCombination, std::function<void()>> shortcuts[] = {
        {Qt::ALT | Qt::Key_M, [this] { MergeMPDBtn->click(); }},
        {Qt::ALT | Qt::Key_S, [this] { SplitMPDBtn->click(); }},
        {Qt::ALT | Qt::Key_X, [this] { ExitBtn->click(); }},
        {Qt::ALT | Qt::Key_D, [this] { DATFileCombo->setFocus(Qt::ShortcutFocusReason); }},
        {Qt::ALT | Qt::Key_P, [this] { MPDFileCombo->setFocus(Qt::ShortcutFocusReason); }},
        {Qt::ALT | Qt::Key_A, [this] { AuthorNameText->setFocus(Qt::ShortcutFocusReason); }},
    };
    for (const auto& [keys, action] : shortcuts) {
        connect(new QShortcut(QKeySequence(keys), this), &QShortcut::activated, this, action);
    }

    adjustSize();
    setFixedSize(client->width(), menuBar()->sizeHint().height() + client->height());
}

void BrikmuxMain::Form_Load(const std::string& commandLine)
{
    loadMainWindow(*this, m_store, commandLine);
}

void BrikmuxMain::Form_Unload()
{
    saveMainWindow(*this, m_store);
}

void BrikmuxMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        activateLater();
    }
}

void BrikmuxMain::activateLater()
{
    QTimer::singleShot(0, this, [this] {
        if (!m_unloaded && isVisible()) {
            Form_Activate();
        }
    });
}

void BrikmuxMain::Form_Activate()
{
    if (!holdsLDrawInstallation(m_fileSystem, m_ldrawPath)) {
        LocateLDraw();
    }
}

void BrikmuxMain::LocateLDraw()
{
    LDrawLocate dialog(*this, m_fileSystem, m_prompter, m_store);
    dialog.preset(m_ldrawPath);
    dialog.exec();
    // The window is active again: the check runs anew, and so the dialog comes back until a
    // folder is confirmed or the program ends.
    activateLater();
}

void BrikmuxMain::closeEvent(QCloseEvent* event)
{
    if (!m_unloaded) {
        m_unloaded = true;
        Form_Unload();
    }
    event->accept();
}

void BrikmuxMain::LDrawDirHolder_Change()
{
    m_ldrawPath = folderFromHolder(LDrawDirHolder.Path());
}

HolderWrite BrikmuxMain::writeLDrawDirHolder(const std::string& folder)
{
    return LDrawDirHolder.setPath(folder);
}

float BrikmuxMain::windowLeft() const
{
    return toTwips(frameGeometry().x());
}

float BrikmuxMain::windowTop() const
{
    return toTwips(frameGeometry().y());
}

float BrikmuxMain::windowWidth() const
{
    return toTwips(outerSize(*this).width());
}

float BrikmuxMain::windowHeight() const
{
    return toTwips(outerSize(*this).height());
}

bool BrikmuxMain::titleBarOnAScreen() const
{
    return brikmux::titleBarOnAScreen(*this);
}

void BrikmuxMain::setWindowLeft(float twips)
{
    move(toPixels(twips), frameGeometry().y());
}

void BrikmuxMain::setWindowTop(float twips)
{
    move(frameGeometry().x(), toPixels(twips));
}

float BrikmuxMain::screenWidth() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? toTwips(screen->geometry().width()) : 0.0F;
}

float BrikmuxMain::screenHeight() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? toTwips(screen->geometry().height()) : 0.0F;
}

std::string BrikmuxMain::authorName() const
{
    return AuthorNameText->text().toLocal8Bit().toStdString();
}

void BrikmuxMain::setAuthorName(const std::string& name)
{
    AuthorNameText->setText(QString::fromLocal8Bit(name));
}

bool BrikmuxMain::packMPD() const
{
    return MenuPack->isChecked();
}

void BrikmuxMain::setPackMPD(bool pack)
{
    MenuPack->setChecked(pack);
}

bool BrikmuxMain::RefreshMPDList()
{
    if (!HiddenFileList.list(m_mpdPath, {"*.mpd"})) {
        return false;
    }
    const QString kept = MPDFileCombo->currentText();
    MPDFileCombo->clear();
    m_mpdNames = HiddenFileList.names();
    for (const auto& name : m_mpdNames) {
        MPDFileCombo->addItem(display(name));
    }
    MPDFileCombo->setCurrentIndex(-1);
    MPDFileCombo->setEditText(kept);
    return true;
}

bool BrikmuxMain::RefreshDATList()
{
    // The model files: .dat, and .ldr as editors save models since LDraw 1.0.2.
    if (!HiddenFileList.list(m_datPath, {"*.dat", "*.ldr"})) {
        return false;
    }
    const QSignalBlocker quiet(DATFileCombo);
    DATFileCombo->clear();
    m_datNames = HiddenFileList.names();
    for (const auto& name : m_datNames) {
        DATFileCombo->addItem(display(name));
    }
    DATFileCombo->setCurrentIndex(-1);
    return true;
}

int BrikmuxMain::mpdListCount() const
{
    return MPDFileCombo->count();
}

void BrikmuxMain::selectMpdEntry(int index)
{
    MPDFileCombo->setCurrentIndex(index);
    m_mpdRawText = m_mpdNames.at(static_cast<std::size_t>(index));
}

void BrikmuxMain::setMpdText(const std::string& text)
{
    MPDFileCombo->setEditText(display(text));
    m_mpdRawText = text;
}

std::string BrikmuxMain::mpdText() const
{
    // A name that does not survive the trip through QString comes back as it was put in.
    const QString shown = MPDFileCombo->currentText();
    if (shown == display(m_mpdRawText)) {
        return m_mpdRawText;
    }
    const int index = MPDFileCombo->findText(shown, Qt::MatchExactly);
    return index >= 0 ? m_mpdNames.at(static_cast<std::size_t>(index)) : raw(shown);
}

int BrikmuxMain::datListCount() const
{
    return DATFileCombo->count();
}

std::string BrikmuxMain::datListEntry(int index) const
{
    return m_datNames.at(static_cast<std::size_t>(index));
}

void BrikmuxMain::selectDatEntry(int index)
{
    DATFileCombo->setCurrentIndex(index);
    DATFileCombo_Click();
}

std::string BrikmuxMain::datText() const
{
    const int index = DATFileCombo->currentIndex();
    return index >= 0 ? m_datNames.at(static_cast<std::size_t>(index)) : std::string();
}

void BrikmuxMain::unloadOtherWindows()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != this && window->isVisible()) {
            window->close();
        }
    }
}

void BrikmuxMain::DATFileCombo_Click()
{
    setMpdText(mpdNameFor(datText()));
}

std::optional<FileOpenChoice> BrikmuxMain::browse(const QString& title, const std::string& folder,
                                                  const QString& filter)
{
    const FileOpenRequest request{title, folder, {filter, QStringLiteral("All Files (*)")}, 0};
    auto choice = m_fileOpenDialog.open(this, request);
    if (!choice || choice->fullPath.empty()) {
        return std::nullopt;
    }
    return choice;
}

void BrikmuxMain::chooseDatFile(const FileOpenChoice& choice)
{
    m_datPath = choice.fullPath.substr(0, choice.fullPath.size() - choice.title.size());
    RefreshDATList();
    for (std::size_t i = 0; i < m_datNames.size(); ++i) {
        if (m_datNames[i] == choice.title) {
            selectDatEntry(static_cast<int>(i));
            break;
        }
    }
}

void BrikmuxMain::chooseMpdFile(const FileOpenChoice& choice)
{
    m_mpdPath = choice.fullPath.substr(0, choice.fullPath.size() - choice.title.size());
    RefreshMPDList();
    setMpdText(choice.title);
}

void BrikmuxMain::BrowseDATFileBtn_Click()
{
    guarded("Brikmux", m_datPath, [this] {
        if (const auto choice =
                browse(QStringLiteral("Select .DAT file"), m_datPath, QStringLiteral("LDraw models (*.dat *.ldr)"))) {
            chooseDatFile(*choice);
        }
    });
}

void BrikmuxMain::BrowseMPDFileBtn_Click()
{
    guarded("Brikmux", m_mpdPath, [this] {
        if (const auto choice =
                browse(QStringLiteral("Select .MPD file"), m_mpdPath, QStringLiteral("LDraw MPD (*.mpd)"))) {
            chooseMpdFile(*choice);
        }
    });
}

namespace {

// True when name is a model file chosen on the DAT side: .dat or .ldr.
bool isDatSideModel(std::string_view name)
{
    return endsWithIgnoringCase(name, ".dat") || endsWithIgnoringCase(name, ".ldr");
}

// The model file a drag carries: exactly one local .dat, .ldr or .mpd file.
std::optional<FileOpenChoice> draggedModel(const QMimeData* data)
{
    if (data == nullptr || data->urls().size() != 1 || !data->urls().constFirst().isLocalFile()) {
        return std::nullopt;
    }
    const QFileInfo file(data->urls().constFirst().toLocalFile());
    const std::string title = raw(file.fileName());
    if (!file.isFile() || !(isDatSideModel(title) || endsWithIgnoringCase(title, ".mpd"))) {
        return std::nullopt;
    }
    return FileOpenChoice{toPathText(file.absoluteFilePath()), title};
}

} // namespace

void BrikmuxMain::dragEnterEvent(QDragEnterEvent* event)
{
    if (draggedModel(event->mimeData())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void BrikmuxMain::dropEvent(QDropEvent* event)
{
    const auto model = draggedModel(event->mimeData());
    if (!model) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    guarded("Brikmux", model->fullPath, [&] {
        if (isDatSideModel(model->title)) {
            chooseDatFile(*model);
        } else {
            chooseMpdFile(*model);
        }
    });
}

void BrikmuxMain::MergeToMPD(const std::string& mainName)
{
    // The ".mpd" suffix shows before the overwrite question, and stays whatever the answer.
    const std::string mpdName = mpdText();
    if (const std::string suffixed = withMpdSuffix(mpdName); suffixed != mpdName) {
        setMpdText(suffixed);
    }
    const MergeJob job{m_datPath, m_mpdPath, m_ldrawPath, mpdText(), authorName(), ReferenceKinds::Any, packMPD()};
    m_datFiles = brikmux::MergeToMPD(mainName, job, m_fileSystem, m_prompter).datFiles;
}

void BrikmuxMain::SplitMPD(const std::string& name)
{
    brikmux::SplitMPD(name, SplitJob{m_mpdPath, m_datPath}, m_fileSystem, m_prompter);
}

void BrikmuxMain::PackMPD(const std::string& name)
{
    const MergeJob job{m_mpdPath,    m_mpdPath,           m_ldrawPath, mergedMpdName(name, true),
                       authorName(), ReferenceKinds::Any, true};
    brikmux::MergeToMPD(name, job, m_fileSystem, m_prompter);
    RefreshMPDList();
}

void BrikmuxMain::CheckMPD(const std::string& name)
{
    const MpdCheckReport report = CheckMpdFile(joinPath(m_mpdPath, name), m_ldrawPath, m_fileSystem);
    if (report.failure.empty()) {
        m_prompter.inform(messages::mpdChecked(report));
    } else {
        m_prompter.reportFailure(messages::mpdChecked(report));
    }
}

void BrikmuxMain::guarded(const std::string& title, const std::string& subject, const std::function<void()>& work)
{
    try {
        work();
    } catch (const std::exception& error) {
        m_prompter.reportFailure(messages::unexpectedFailure(title, subject, error.what()));
    } catch (...) {
        m_prompter.reportFailure(messages::unexpectedFailure(title, subject, "unknown failure"));
    }
}

void BrikmuxMain::MergeMPDBtn_Click()
{
    const std::string name = datText();
    guarded("Merge Failed", joinPath(m_datPath, name), [&] { MergeToMPD(name); });
}

void BrikmuxMain::SplitMPDBtn_Click()
{
    const std::string name = mpdText();
    guarded("Split Failed", joinPath(m_mpdPath, name), [&] { SplitMPD(name); });
}

void BrikmuxMain::MenuPackMPD_Click()
{
    const std::string name = mpdText();
    guarded("Merge Failed", joinPath(m_mpdPath, name), [&] { PackMPD(name); });
}

void BrikmuxMain::MenuCheckMPD_Click()
{
    const std::string name = mpdText();
    guarded(".MPD File Check", joinPath(m_mpdPath, name), [&] { CheckMPD(name); });
}

void BrikmuxMain::ExitBtn_Click()
{
    close();
}

void BrikmuxMain::MenuAbout_Click()
{
    BrikmuxAbout about(*this);
    about.exec();
    activateLater();
}

} // namespace brikmux
