#include "game/rules_text.h"

#include "game/language_file.h"
#include "platform/cp1251.h"

namespace kordalt {

std::string Cp(std::string_view utf8) { return Utf8ToCp1251(utf8); }

std::string RulesText(int id, std::string_view defaultUtf8) {
    const std::string fallback = Cp(defaultUtf8);
    return LanguageFile ? LanguageFile->GetText(id, fallback) : fallback;
}

}  // namespace kordalt
