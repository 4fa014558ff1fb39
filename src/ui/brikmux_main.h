#pragma once

#include "directory_holder.h"
#include "file_open_dialog.h"
#include "files/file_system.h"
#include "hidden_file_list.h"
#include "model_file_list.h"
#include "model_picture.h"
#include "operations/prompter.h"
#include "settings/settings_store.h"
#include "settings/startup.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace brikmux {

// What the main window works through. Anything left null is the real thing: message boxes over
// the window, the platform's file-open dialog, this machine's file system.
struct MainWindowServices {
    Prompter* prompter = nullptr;
    FileOpenDialog* fileOpenDialog = nullptr;
    FileSystem* fileSystem = nullptr;
};

// The main window: pick a DAT file and an MPD name, then merge or split.
class BrikmuxMain final : public QMainWindow, public MainWindowState {
    Q_OBJECT

public:
    explicit BrikmuxMain(MainWindowServices services = {}, QWidget* parent = nullptr);
    ~BrikmuxMain() override;

    // Restores folders, position and author name, fills the lists and applies commandLine (the
    // program's arguments joined by single blanks). Called once, before the window is first shown.
    void Form_Load(const std::string& commandLine);
    // Closes every other window and saves the settings; runs whenever the window closes.
    void Form_Unload();
    // Runs whenever the window becomes the program's active window (first shown, or another
    // window of the program in front of it closed): without an LDraw installation in the LDraw
    // folder, asks for one.
    void Form_Activate();
    // Shows the Locate dialog over the window and waits until it closes.
    void LocateLDraw();

    // Merges the DAT file mainName (with its custom sub-files) into the MPD file the MPD list names.
    void MergeToMPD(const std::string& mainName);
    // Splits the MPD file name into DAT files.
    void SplitMPD(const std::string& name);
    // Packs the MPD file name, in the MPD folder, into NAME_Packed.mpd beside it.
    void PackMPD(const std::string& name);
    // Checks the MPD file name and shows what it found.
    void CheckMPD(const std::string& name);

    // The work list of the last merge.
    const std::vector<std::string>& DATFiles() const { return m_datFiles; }
    // The raw text of the MPD list, as a name on disk.
    std::string mpdText() const;
    // The raw text of the DAT list, as a name on disk; empty without a selection.
    std::string datText() const;

    // MainWindowState
    std::string& DATPath() override { return m_datPath; }
    std::string& MPDPath() override { return m_mpdPath; }
    std::string& LDrawPath() override { return m_ldrawPath; }
    HolderWrite writeLDrawDirHolder(const std::string& folder) override;
    float windowLeft() const override;
    float windowTop() const override;
    float windowWidth() const override;
    float windowHeight() const override;
    void setWindowLeft(float twips) override;
    void setWindowTop(float twips) override;
    float screenWidth() const override;
    float screenHeight() const override;
    bool titleBarOnAScreen() const override;
    std::string authorName() const override;
    void setAuthorName(const std::string& name) override;
    bool packMPD() const override;
    void setPackMPD(bool pack) override;
    bool showPicture() const override;
    void setShowPicture(bool show) override;
    bool RefreshMPDList() override;
    bool RefreshDATList() override;
    int mpdListCount() const override;
    void selectMpdEntry(int index) override;
    void setMpdText(const std::string& text) override;
    int datListCount() const override;
    std::string datListEntry(int index) const override;
    void selectDatEntry(int index) override;
    void unloadOtherWindows() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BrowseDATFileBtn_Click();
    void BrowseMPDFileBtn_Click();
    void DATFileCombo_Click();
    void MergeMPDBtn_Click();
    void SplitMPDBtn_Click();
    void ExitBtn_Click();
    void MenuAbout_Click();
    void MenuPackMPD_Click();
    void MenuCheckMPD_Click();
    void MPDFileCombo_Click();
    void LDrawDirHolder_Change();

    std::optional<FileOpenChoice> browse(const QString& title, const std::string& folder, const QString& filter);
    // Moves the DAT folder to the chosen file's, refreshes the list and selects the file.
    void chooseDatFile(const FileOpenChoice& choice);
    // Moves the MPD folder to the chosen file's, refreshes the list and shows the file's name.
    void chooseMpdFile(const FileOpenChoice& choice);
    void buildControls();
    // Runs a handler's work; a failure that escapes it becomes one critical message naming
    // subject and the reason, and the window stays usable.
    void guarded(const std::string& title, const std::string& subject, const std::function<void()>& work);
    // Shows the picture of the model name in folder, where pictures are shown; the model is drawn
    // when they come to be shown otherwise.
    void pictureOf(const std::string& folder, const std::string& name);
    // Sizes the window to the form, and to the picture beside it where that is shown.
    void fitToContents();
    // Runs Form_Activate once the event that activated the window has been handled.
    void activateLater();

    std::unique_ptr<FileSystem> m_ownFileSystem;
    std::unique_ptr<FileOpenDialog> m_ownFileOpenDialog;
    std::unique_ptr<Prompter> m_ownPrompter;
    FileSystem& m_fileSystem;
    FileOpenDialog& m_fileOpenDialog;
    Prompter& m_prompter;
    SettingsStore m_store;

    std::string m_datPath;
    std::string m_mpdPath;
    std::string m_ldrawPath;
    std::vector<std::string> m_datFiles;
    std::unique_ptr<ModelFileList> m_mpdList; // MPDFileCombo's names
    std::unique_ptr<ModelFileList> m_datList; // DATFileCombo's names

    QMenu* MenuOptions = nullptr;
    QAction* MenuPack = nullptr;
    QAction* MenuPackMPD = nullptr;
    QAction* MenuCheckMPD = nullptr;
    QAction* MenuPicture = nullptr;
    QMenu* MenuHelp = nullptr;
    QAction* MenuAbout = nullptr;
    QFrame* Line1 = nullptr;
    QLabel* DATFileListLbl = nullptr;
    QLabel* MPDFileListLbl = nullptr;
    QComboBox* DATFileCombo = nullptr;
    QPushButton* BrowseDATFileBtn = nullptr;
    QComboBox* MPDFileCombo = nullptr;
    QPushButton* BrowseMPDFileBtn = nullptr;
    QPushButton* MergeMPDBtn = nullptr;
    QPushButton* SplitMPDBtn = nullptr;
    QLabel* AuthorNameLbl = nullptr;
    QLineEdit* AuthorNameText = nullptr;
    QLabel* BrikmuxLogo = nullptr;
    QPushButton* ExitBtn = nullptr;
    QWidget* m_client = nullptr;
    ModelPicture* m_picture = nullptr;
    std::pair<std::string, std::string> m_pictured; // the folder and name of the model to show
    brikmux::HiddenFileList HiddenFileList;
    DirectoryHolder LDrawDirHolder;
    bool m_unloaded = false;
    bool m_shown = false;
};

} // namespace brikmux
