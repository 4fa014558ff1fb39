#pragma once

#include <string>
#include <string_view>

namespace brikmux {

// The value that the window stored under key in section, or fallback when it stored none.
std::string rememberedSetting(std::string_view section, std::string_view key, std::string_view fallback);

} // namespace brikmux
