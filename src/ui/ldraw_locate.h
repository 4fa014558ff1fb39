#pragma once

#include "files/file_system.h"
#include "operations/prompter.h"
#include "settings/settings_store.h"

#include <QDialog>

#include <array>
#include <string>

class QLabel;
class QPushButton;

namespace brikmux {

class BrikmuxMain;
class DirectoryBrowser;
class DriveSelector;

// The modal dialog in which the user points the program at the LDraw installation.
class LDrawLocate final : public QDialog {
    Q_OBJECT

public:
    // Creates the dialog over owner, centred on it.
    LDrawLocate(BrikmuxMain& owner, FileSystem& fileSystem, Prompter& prompter, SettingsStore& store);

    // Shows folder as the LDraw folder that was not found, and browses to it (or to the nearest
    // existing folder above it, or to the home folder).
    void preset(const std::string& folder);

    QLabel* label(int index) const { return LocateLbl.at(static_cast<std::size_t>(index)); }
    DirectoryBrowser& directoryList() const { return *DirectoryList; }
    DriveSelector& driveList() const { return *DriveList; }
    QPushButton* okButton() const { return OKBtn; }
    QPushButton* cancelButton() const { return CancelBtn; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load();
    void DirectoryList_Change();
    void DriveList_Change();
    void OKBtn_Click();
    void CancelBtn_Click();

    BrikmuxMain& m_owner;
    FileSystem& m_fileSystem;
    Prompter& m_prompter;
    SettingsStore& m_store;
    std::array<QLabel*, 3> LocateLbl{};
    DriveSelector* DriveList = nullptr;
    DirectoryBrowser* DirectoryList = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
};

} // namespace brikmux
