#include "brikmux_main.h"

#include "brikmux_about.h"
#include "ldraw/model_text.h"
#include "ldraw_locate.h"
#include "library/library.h"
#include "message_box_prompter.h"
#include "settings/window_geometry.h"
#include "window_placement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QTimer>


namespace brikmux {

namespace {

int toPixels(float twips)
{
    return static_cast<int>(std::lround(twips / static_cast<float>(kTwipsPerPixel)));
}

float toTwips(int pixels)
{
    return static_cast<float>(pixels * kTwipsPerPixel);
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
    m_mpdList = std::make_unique<ModelFileList>(MPDFileCombo, HiddenFileList, true);
    m_datList = std::make_unique<ModelFileList>(DATFileCombo, HiddenFileList, false);
    winId(); // the native window, which knows its frame on most platforms
    LDrawDirHolder.onChange = [this] { LDrawDirHolder_Change(); };
}

BrikmuxMain::~BrikmuxMain() = default;

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

bool BrikmuxMain::showPicture() const
{
    return MenuPicture->isChecked();
}

void BrikmuxMain::setShowPicture(bool show)
{
    MenuPicture->setChecked(show);
    m_picture->setVisible(show);
    fitToContents();
    if (show && !m_pictured.second.empty()) {
        m_picture->draw(m_pictured.first, m_pictured.second, m_ldrawPath);
    }
}

void BrikmuxMain::pictureOf(const std::string& folder, const std::string& name)
{
    m_pictured = {folder, name};
    if (!showPicture()) {
        return;
    }
    if (name.empty()) {
        m_picture->clear();
    } else {
        m_picture->draw(folder, name, m_ldrawPath);
    }
}

bool BrikmuxMain::RefreshMPDList()
{
    return m_mpdList->refresh(m_mpdPath, {"*.mpd"});
}

bool BrikmuxMain::RefreshDATList()
{
    // The model files: .dat, and .ldr as editors save models since LDraw 1.0.2.
    return m_datList->refresh(m_datPath, {"*.dat", "*.ldr"});
}

int BrikmuxMain::mpdListCount() const
{
    return m_mpdList->count();
}

void BrikmuxMain::selectMpdEntry(int index)
{
    m_mpdList->select(index);
}

void BrikmuxMain::setMpdText(const std::string& text)
{
    m_mpdList->setText(text);
}

std::string BrikmuxMain::mpdText() const
{
    return m_mpdList->text();
}

int BrikmuxMain::datListCount() const
{
    return m_datList->count();
}

std::string BrikmuxMain::datListEntry(int index) const
{
    return m_datList->entry(index);
}

void BrikmuxMain::selectDatEntry(int index)
{
    m_datList->select(index);
    DATFileCombo_Click();
}

std::string BrikmuxMain::datText() const
{
    return m_datList->selected();
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
    pictureOf(m_datPath, datText());
}

void BrikmuxMain::MPDFileCombo_Click()
{
    pictureOf(m_mpdPath, mpdText());
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
    if (const int index = m_datList->find(choice.title); index >= 0) {
        selectDatEntry(index);
    }
}

void BrikmuxMain::chooseMpdFile(const FileOpenChoice& choice)
{
    m_mpdPath = choice.fullPath.substr(0, choice.fullPath.size() - choice.title.size());
    RefreshMPDList();
    setMpdText(choice.title);
    MPDFileCombo_Click();
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
