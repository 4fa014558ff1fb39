#include "startup.h"

#include "files/file_system.h"
#include "files/paths.h"
#include "library/library_places.h"
#include "native_text.h"
#include "window_geometry.h"

#include <QDir>
#include <QFileInfo>

#include <cstdlib>
#include <exception>
#include <functional>

namespace brikmux {

namespace {

constexpr std::string_view kPaths = "Paths";
constexpr std::string_view kSettings = "Settings";

// Runs one start-up step; a failure inside it ends that step alone.
void step(const std::function<void()>& body)
{
    try {
        body();
    } catch (const std::exception&) {
        // Start-up goes on without a message, whatever the step met.
    }
}

void restoreFolder(MainWindowState& window, const SettingsStore& store, std::string_view key,
                   std::string& (MainWindowState::*field)())
{
    std::string& folder = (window.*field)();
    folder = store.GetSetting(kAppName, kPaths, key, key == "LDrawPath" ? defaultLDrawFolder() : defaultFolder());
    if (window.writeLDrawDirHolder(folder) == HolderWrite::DeviceUnavailable) {
        (window.*field)() = defaultFolder();
    }
}

int centred(float screenSize, float windowSize)
{
    return centringOffset(screenSize - windowSize);
}

void restoreCoordinate(const SettingsStore& store, std::string_view key, int centredValue,
                       const std::function<void(float)>& apply)
{
    if (const auto value = coordinateFromText(store.GetSetting(kAppName, kSettings, key, centredValue))) {
        apply(*value);
    }
}

bool isAbsolute(std::string_view path)
{
#ifdef _WIN32
    return (path.size() >= 2 && path[1] == ':') || (!path.empty() && isNameSeparator(path.front()));
#else
    return !path.empty() && path.front() == '/';
#endif
}

// The file the program was opened with: its folder moves the DAT or MPD folder, whose list is
// refilled from it, and the file is selected there. An argument whose folder does not exist is
// left alone.
void applyCommandLine(MainWindowState& window, std::string_view argument)
{
    if (argument.empty()) {
        return;
    }
    std::string path(argument);
    if (!isAbsolute(path)) {
        path = withTrailingSeparator(toPathText(QDir::currentPath())) + path;
    }
#ifdef _WIN32
    const auto separator = path.find_last_of("\\/");
#else
    const auto separator = path.find_last_of(kSeparator);
#endif
    const std::string name = path.substr(separator + 1);
    const std::string folder = path.substr(0, separator + 1);
    const bool isMpd = endsWithIgnoringCase(name, "mpd");
    const bool isModel = endsWithIgnoringCase(name, "dat") || endsWithIgnoringCase(name, ".ldr");
    if ((!isMpd && !isModel) || !QFileInfo(fromNativeText(folder)).isDir()) {
        return;
    }
    if (isMpd) {
        window.setMpdText(name);
        window.MPDPath() = folder;
        window.RefreshMPDList();
        return;
    }
    window.DATPath() = folder;
    window.RefreshDATList();
    const int count = window.datListCount();
    int chosen = count > 0 ? 0 : -1;
    for (int i = 0; i < count; ++i) {
        if (equalsIgnoringCase(window.datListEntry(i), name)) {
            chosen = i; // the last match, as a walk through the whole list finds it
        }
    }
    if (chosen >= 0) {
        window.selectDatEntry(chosen);
    }
}

} // namespace

std::string defaultFolder()
{
#ifdef _WIN32
    return "C:\\";
#else
    return withTrailingSeparator(toPathText(QDir::homePath()));
#endif
}

std::string defaultLDrawFolder()
{
    const auto environment = [](const char* name) { return toPathText(qEnvironmentVariable(name)); };
    NativeFileSystem fileSystem;
    if (std::string found = findLibrary(fileSystem, usualLibraryFolders(environment)); !found.empty()) {
        return found;
    }
    if (const std::string ldrawDir = environment("LDRAWDIR"); !ldrawDir.empty()) {
        return withTrailingSeparator(ldrawDir);
    }
    return defaultFolder();
}

std::string folderFromHolder(std::string_view holderPath)
{
    std::string folder(holderPath);
    if (folder.empty() || folder.back() != kSeparator) {
        folder += kSeparator;
    }
    return folder;
}

void loadMainWindow(MainWindowState& window, const SettingsStore& store, std::string_view commandLine)
{
    step([&] { restoreFolder(window, store, "DATPath", &MainWindowState::DATPath); });
    step([&] { restoreFolder(window, store, "MPDPath", &MainWindowState::MPDPath); });
    step([&] { restoreFolder(window, store, "LDrawPath", &MainWindowState::LDrawPath); });
    step([&] {
        restoreCoordinate(store, "WindowLeft", centred(window.screenWidth(), window.windowWidth()),
                          [&](float left) { window.setWindowLeft(left); });
    });
    step([&] {
        restoreCoordinate(store, "WindowTop", centred(window.screenHeight(), window.windowHeight()),
                          [&](float top) { window.setWindowTop(top); });
    });
    step([&] {
        // A position stored on a screen that has gone would open the window where nobody can
        // reach it, and keep it there.
        if (!window.titleBarOnAScreen()) {
            window.setWindowLeft(static_cast<float>(centred(window.screenWidth(), window.windowWidth())));
            window.setWindowTop(static_cast<float>(centred(window.screenHeight(), window.windowHeight())));
        }
    });
    step([&] { window.setAuthorName(store.GetSetting(kAppName, kSettings, "AuthorName", "Brikmux")); });
    step([&] { window.setPackMPD(store.GetSetting(kAppName, kSettings, "PackMPD", "0") == "1"); });
    step([&] { window.setShowPicture(store.GetSetting(kAppName, kSettings, "ShowPicture", "0") == "1"); });
    step([&] {
        if (window.RefreshMPDList() && window.mpdListCount() > 0) {
            window.selectMpdEntry(0);
        }
    });
    step([&] {
        if (window.RefreshDATList() && window.datListCount() > 0) {
            window.selectDatEntry(0);
        }
    });
    step([&] { applyCommandLine(window, commandLine); });
}

void saveMainWindow(MainWindowState& window, SettingsStore& store)
{
    window.unloadOtherWindows();
    store.SaveSetting(kAppName, kPaths, "DATPath", window.DATPath());
    store.SaveSetting(kAppName, kPaths, "MPDPath", window.MPDPath());
    store.SaveSetting(kAppName, kSettings, "WindowLeft", coordinateText(window.windowLeft()));
    store.SaveSetting(kAppName, kSettings, "WindowTop", coordinateText(window.windowTop()));
    store.SaveSetting(kAppName, kSettings, "AuthorName", window.authorName());
    store.SaveSetting(kAppName, kSettings, "PackMPD", window.packMPD() ? "1" : "0");
    store.SaveSetting(kAppName, kSettings, "ShowPicture", window.showPicture() ? "1" : "0");
}

} // namespace brikmux
