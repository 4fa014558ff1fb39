#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brikmux {

// The per-user store of text values addressed by application, section and key. On Linux it is
// the INI file ~/.config/APP/APP.conf; on Windows QSettings' per-user registry area. Every write
// goes to the store at once, under QSettings' file lock, so several copies of the program can
// share it without corrupting it.
class SettingsStore {
public:
    // Returns the stored value, unchanged (the empty text included), or defaultValue when the
    // application, section or key is absent. Never fails.
    std::string GetSetting(std::string_view appName, std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // The same with a whole number as default, returned as its decimal digits.
    std::string GetSetting(std::string_view appName, std::string_view section, std::string_view key,
                           std::int32_t defaultValue) const;
    // Stores value under the key, creating the section where missing; returns false when the
    // store could not be written.
    bool SaveSetting(std::string_view appName, std::string_view section, std::string_view key, std::string_view value);
};

// The application name that Brikmux keeps its settings under.
inline constexpr std::string_view kAppName = "Brikmux";

} // namespace brikmux
