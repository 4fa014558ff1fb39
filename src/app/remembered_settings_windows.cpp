// Windows only: the build compiles this file there alone.
#ifdef _WIN32

#include "remembered_settings.h"

#include "files/wide_text.h"

#include <windows.h>

namespace brikmux {

// The window's store is Qt's native one, which on Windows is the registry:
// HKEY_CURRENT_USER\Software\Brikmux\Brikmux\<section>, one string value per key.
std::string rememberedSetting(std::string_view section, std::string_view key, std::string_view fallback)
{
    const std::wstring subKey = L"Software\\Brikmux\\Brikmux\\" + toWide(section);
    const std::wstring name = toWide(key);
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, subKey.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
        ERROR_SUCCESS) {
        return std::string(fallback);
    }
    std::wstring value(bytes / sizeof(wchar_t), L'\0');
    if (RegGetValueW(HKEY_CURRENT_USER, subKey.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, value.data(), &bytes) !=
        ERROR_SUCCESS) {
        return std::string(fallback);
    }
    value.resize(bytes / sizeof(wchar_t));
    while (!value.empty() && value.back() == L'\0') {
        value.pop_back();
    }
    return fromWide(value);
}

} // namespace brikmux

#endif
