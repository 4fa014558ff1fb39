#include "remembered_settings.h"

#include "settings/settings_store.h"

namespace brikmux {

std::string rememberedSetting(std::string_view section, std::string_view key, std::string_view fallback)
{
    return SettingsStore().GetSetting(kAppName, section, key, fallback);
}

} // namespace brikmux
