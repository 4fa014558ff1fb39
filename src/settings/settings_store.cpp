#include "native_text.h"
#include "settings_store.h"

#include <QSettings>

namespace brikmux {

namespace {

QString text(std::string_view bytes)
{
    return fromNativeText(bytes);
}

QString keyPath(std::string_view section, std::string_view key)
{
    return text(section) + QLatin1Char('/') + text(key);
}

QSettings open(std::string_view appName)
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, text(appName), text(appName));
}

} // namespace

std::string SettingsStore::GetSetting(std::string_view appName, std::string_view section, std::string_view key,
                                      std::string_view defaultValue) const
{
    const QSettings settings = open(appName);
    const QVariant value = settings.value(keyPath(section, key));
    if (!value.isValid()) {
        return std::string(defaultValue);
    }
    return toNativeText(value.toString());
}

std::string SettingsStore::GetSetting(std::string_view appName, std::string_view section, std::string_view key,
                                      std::int32_t defaultValue) const
{
    return GetSetting(appName, section, key, std::to_string(defaultValue));
}

bool SettingsStore::SaveSetting(std::string_view appName, std::string_view section, std::string_view key,
                                std::string_view value)
{
    QSettings settings = open(appName);
    settings.setValue(keyPath(section, key), text(value));
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace brikmux
