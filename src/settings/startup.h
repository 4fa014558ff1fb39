#pragma once

#include "settings_store.h"

#include <string>
#include <string_view>

namespace brikmux {

// How a write of the folder holder's Path ended.
enum class HolderWrite {
    Done,              // the holder holds the folder (moved to it, or held it already)
    DeviceUnavailable, // the folder names a drive or volume that is not there
    Failed,            // any other failure: the folder does not exist, for one
};

// The main window as its start-up and shut-down see it. Coordinates are in twips; the window's
// are its outer edges.
class MainWindowState {
public:
    virtual ~MainWindowState() = default;

    virtual std::string& DATPath() = 0;
    virtual std::string& MPDPath() = 0;
    virtual std::string& LDrawPath() = 0;
    // Writes the Path of LDrawDirHolder; a move runs LDrawDirHolder_Change before it returns.
    virtual HolderWrite writeLDrawDirHolder(const std::string& folder) = 0;

    virtual float windowLeft() const = 0;
    virtual float windowTop() const = 0;
    virtual float windowWidth() const = 0;
    virtual float windowHeight() const = 0;
    virtual void setWindowLeft(float twips) = 0;
    virtual void setWindowTop(float twips) = 0;
    virtual float screenWidth() const = 0;
    virtual float screenHeight() const = 0;
    // False when the window's title bar lies on no screen (one that has been unplugged, say).
    virtual bool titleBarOnAScreen() const = 0;

    virtual std::string authorName() const = 0;
    virtual void setAuthorName(const std::string& name) = 0;
    // Whether merges embed every library file too (packed MPDs, for viewers without a library).
    virtual bool packMPD() const = 0;
    virtual void setPackMPD(bool pack) = 0;
    // Whether the window shows a picture of the model chosen.
    virtual bool showPicture() const = 0;
    virtual void setShowPicture(bool show) = 0;

    // Refill the lists from their folders; false, with the list unchanged, when the folder
    // cannot be listed.
    virtual bool RefreshMPDList() = 0;
    virtual bool RefreshDATList() = 0;
    virtual int mpdListCount() const = 0;
    virtual void selectMpdEntry(int index) = 0;
    virtual void setMpdText(const std::string& text) = 0;
    virtual int datListCount() const = 0;
    virtual std::string datListEntry(int index) const = 0;
    // Selects a DAT entry; DATFileCombo_Click runs before it returns.
    virtual void selectDatEntry(int index) = 0;

    // Closes every other window of the program.
    virtual void unloadOtherWindows() = 0;
};

// The folder that stands in for a missing or unavailable one: the home folder on POSIX
// (ending in "/"), "C:\" on Windows.
std::string defaultFolder();

// The default of the LDraw folder: the first of the usual places ($LDRAWDIR first) that holds a
// library, else $LDRAWDIR, else defaultFolder(); with a trailing separator.
std::string defaultLDrawFolder();

// Restores the folders, position, author name and packing choice from the store, fills the lists and applies
// the command-line argument. Each step is carried out on its own: a step that fails is skipped
// without a message.
void loadMainWindow(MainWindowState& window, const SettingsStore& store, std::string_view commandLine);

// Writes the DAT and MPD folders, the position, the author name and the packing choice to the store, after closing
// every other window. The LDraw folder is not written here.
void saveMainWindow(MainWindowState& window, SettingsStore& store);

// The LDraw folder for a holder's canonical folder: with a trailing separator where it has none.
std::string folderFromHolder(std::string_view holderPath);

} // namespace brikmux
