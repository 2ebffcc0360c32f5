// The settings file beside the program: its languages, the texts of the current
// language, and (through TIniFile) every other section of settings.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "game/texts.h"
#include "platform/ini_file.h"

namespace kordalt {

class TLanguageFile : public TIniFile {
public:
    // Opens `fileName` and loads the language list. The list itself is read from
    // the program's own settings file (ProgramDirectory() + DefaultIniFileName()).
    explicit TLanguageFile(const std::string& fileName);

    // Reads [Languages]; ends the program with exit code 7 when it lists none.
    void LoadLanguages();

    // The current language's text `Id` (cp1251), or `Default` when it has none;
    // each "|" becomes CR LF.
    std::string GetText(int32_t Id, const std::string& Default) const;
    // The same, with "|" left as it is.
    std::string GetTextRaw(int32_t Id, const std::string& Default) const;

    // Replaces `Lines` with the texts of introduction N (FirstIDIntroN, CountIntroN);
    // leaves them alone when either key is missing.
    void LoadIntro(int32_t N, std::vector<std::string>& Lines) const;

    // File names of the current language, with the program's directory put in
    // front of a non-empty value; empty when the key is empty or missing.
    std::string GetImageFileName(int32_t N) const;  // "Image" for 0, else "Image" + N
    std::string GetDataFileName() const;            // "dim.dat"
    std::string GetHelpFileName() const;            // "help", "kordalt.hlp" by default

    // Makes language Index current and stores it as [Languages] Default; does
    // nothing when Index is not a language.
    void SetLanguage(int32_t Index);

    std::string LanguageSection;              // section of the current language (cp1251)
    std::vector<std::string> LanguageTitles;  // titles, in index order
    std::vector<std::string> SectionNames;    // section names, in index order
    int32_t LanguageIndex = 0;

private:
    std::string FileNameOf(std::string_view key, std::string_view def) const;
};

// The program's one settings file, made by CreateLanguageFile.
extern std::unique_ptr<TLanguageFile> LanguageFile;

// LanguageFile on ProgramDirectory() + DefaultIniFileName().
void CreateLanguageFile();
void FreeLanguageFile();

// The text the program shows: the current language's text (cp1251), or the
// text's default when it has none or no settings file is open; each "|" becomes
// CR LF. Windows show it through Qs.
std::string LangText(TText text);
// The same, with "|" left as it is.
std::string LangTextRaw(TText text);

}  // namespace kordalt
