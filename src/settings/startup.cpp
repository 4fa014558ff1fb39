#include "startup.h"

#include "conversion/paths.h"
#include "window_geometry.h"

#include <QDir>
#include <QFile>

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

void restoreCoordinate(const SettingsStore& store, std::string_view key, float screenSize, float windowSize,
                       const std::function<void(float)>& apply)
{
    const int centred = centringOffset(screenSize - windowSize);
    if (const auto value = coordinateFromText(store.GetSetting(kAppName, kSettings, key, centred))) {
        apply(*value);
    }
}

bool endsWithThree(std::string_view name, std::string_view extension)
{
    return name.size() >= 3 && equalsIgnoringCase(name.substr(name.size() - 3), extension);
}

void applyCommandLine(MainWindowState& window, std::string_view argument)
{
    if (argument.empty()) {
        return;
    }
    const auto separator = argument.find_last_of(kSeparator);
    const std::string_view name = separator == std::string_view::npos ? argument : argument.substr(separator + 1);
    const std::string folder(separator == std::string_view::npos ? std::string_view()
                                                                 : argument.substr(0, separator + 1));
    if (endsWithThree(name, "mpd")) {
        window.setMpdText(std::string(name));
        window.MPDPath() = folder;
    } else if (endsWithThree(name, "dat")) {
        const int count = window.datListCount();
        for (int i = 0; i < count; ++i) {
            if (equalsIgnoringCase(window.datListEntry(i), name)) {
                window.selectDatEntry(i);
            }
        }
        window.DATPath() = folder;
    }
}

} // namespace

std::string defaultFolder()
{
#ifdef _WIN32
    return "C:\\";
#else
    return withTrailingSeparator(QFile::encodeName(QDir::homePath()).toStdString());
#endif
}

std::string defaultLDrawFolder()
{
    const char* ldrawDir = std::getenv("LDRAWDIR");
    if (ldrawDir != nullptr && *ldrawDir != '\0') {
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
        restoreCoordinate(store, "WindowLeft", window.screenWidth(), window.windowWidth(),
                          [&](float left) { window.setWindowLeft(left); });
    });
    step([&] {
        restoreCoordinate(store, "WindowTop", window.screenHeight(), window.windowHeight(),
                          [&](float top) { window.setWindowTop(top); });
    });
    step([&] { window.setAuthorName(store.GetSetting(kAppName, kSettings, "AuthorName", "Brikmux")); });
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
}

} // namespace brikmux
