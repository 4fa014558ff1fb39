#include "ldraw_locate.h"

#include "brikmux_main.h"
#include "directory_browser.h"
#include "drive_selector.h"
#include "files/paths.h"
#include "library/library.h"
#include "operations/messages.h"
#include "settings/native_text.h"
#include "settings/startup.h"
#include "settings/window_geometry.h"
#include "window_placement.h"

#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include <filesystem>

namespace brikmux {

namespace {

constexpr const char* kInstructions = "Using the directory browser, please specify the directory where the file is "
                                      "located and hit \"OK\" when finished.";

// The nearest existing folder at or above folder, else the home folder.
std::string existingFolder(const std::string& folder)
{
    std::error_code error;
    std::filesystem::path path = toNativePath(folder).lexically_normal();
    while (!path.empty()) {
        if (path.is_absolute() && std::filesystem::is_directory(path, error)) {
            return fromNativePath(path);
        }
        if (path == path.parent_path()) {
            break;
        }
        path = path.parent_path();
    }
    return toPathText(QDir::homePath());
}

} // namespace

LDrawLocate::LDrawLocate(BrikmuxMain& owner, FileSystem& fileSystem, Prompter& prompter, SettingsStore& store)
    : QDialog(&owner), m_owner(owner), m_fileSystem(fileSystem), m_prompter(prompter), m_store(store)
{
    setObjectName("LDrawLocate");
    setWindowTitle(QStringLiteral("Locate LDraw.EXE"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFont(owner.font());
    setProgramIcon(*this);
    setFixedSize(4875 / kTwipsPerPixel, 3075 / kTwipsPerPixel);

    const char* captions[] = {
        "The LDraw.EXE was not found in the default location:",
        "LDrawPath",
        kInstructions,
    };
    const int tops[] = {60, 540, 1200};
    const int heights[] = {435, 255, 795};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(QString::fromLatin1(captions[i]), this);
        label->setObjectName(QStringLiteral("LocateLbl%1").arg(i));
        label->setWordWrap(i != 1);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        place(label, 60, tops[i], 2295, heights[i]);
        LocateLbl.at(static_cast<std::size_t>(i)) = label;
    }
    DriveList = new DriveSelector(this);
    DriveList->setObjectName("DriveList");
    place(DriveList, 2400, 60, 2415, 315);
    DirectoryList = new DirectoryBrowser(this);
    DirectoryList->setObjectName("DirectoryList");
    place(DirectoryList, 2400, 420, 2415, 2055);
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName("OKBtn");
    place(OKBtn, 3660, 2640, 1155, 375);
    OKBtn->setEnabled(false);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName("CancelBtn");
    place(CancelBtn, 2400, 2640, 1155, 375);
    // Cancel is the default: Enter presses it unless another button has the focus, which Enter
    // then presses (both buttons are auto-default).
    CancelBtn->setDefault(true);

    setTabOrder(DirectoryList, OKBtn);
    setTabOrder(OKBtn, CancelBtn);
    setTabOrder(CancelBtn, DriveList);
    DirectoryList->setFocus();

    // Like new controls, both start on the current folder and its volume.
    const std::string current = toPathText(QDir::currentPath());
    DriveList->setDrive(current);
    DirectoryList->setPath(current);
    DirectoryList->onChange = [this] { DirectoryList_Change(); };
    DriveList->onChange = [this] { DriveList_Change(); };
    connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtn_Click(); });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { CancelBtn_Click(); });

    winId(); // the native window, which knows its frame on most platforms
    Form_Load();
}

void LDrawLocate::Form_Load()
{
    centreOn(*this, m_owner);
}

void LDrawLocate::preset(const std::string& folder)
{
    const QString shown = fromNativeText(folder);
    LocateLbl[1]->setText(LocateLbl[1]->fontMetrics().elidedText(shown, Qt::ElideMiddle, LocateLbl[1]->width()));
    LocateLbl[1]->setToolTip(shown);
    DirectoryList->setPath(existingFolder(folder));
    DriveList->setDrive(folder);
}

void LDrawLocate::DirectoryList_Change()
{
    const InstallationCheck check = checkLDrawInstallation(m_fileSystem, folderFromHolder(DirectoryList->Path()));
    OKBtn->setEnabled(check.holds);
    // A folder whose only library is a damaged archive: the instructions give way to the reason.
    LocateLbl[2]->setText(check.archive.empty()
                              ? QString::fromLatin1(kInstructions)
                              : fromNativeText(messages::locateArchiveProblem(
                                    check.archive.substr(check.archive.find_last_of("\\/") + 1), check.reason)));
}

void LDrawLocate::DriveList_Change()
{
    // A volume that cannot be read leaves the browser where it was.
    DirectoryList->setPath(DriveList->Drive());
}

void LDrawLocate::OKBtn_Click()
{
    const std::string stored = folderFromHolder(DirectoryList->Path());
    m_store.SaveSetting(kAppName, "Paths", "LDrawPath", stored);
    m_owner.writeLDrawDirHolder(DirectoryList->Path());
    // Also when the holder held that folder already and so raised no change.
    m_owner.LDrawPath() = stored;
    accept();
}

void LDrawLocate::CancelBtn_Click()
{
    m_prompter.reportFailure(messages::unableToRun());
    m_owner.close();
}

void LDrawLocate::keyPressEvent(QKeyEvent* event)
{
    // Esc presses Cancel, which ends the program; closing the window by its frame does not.
    if (event->key() == Qt::Key_Escape) {
        CancelBtn->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace brikmux
