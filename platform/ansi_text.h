// Case folding of Windows-1251 text, as the platform compares names.
#pragma once

#include <string>
#include <string_view>

namespace kordalt {

std::string AnsiLowerCase(std::string_view cp1251);
bool AnsiSameText(std::string_view a, std::string_view b);

}  // namespace kordalt
