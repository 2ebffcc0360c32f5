#include "game/language_file.h"

#include "platform/cp1251.h"
#include "platform/fatal.h"
#include "platform/program_path.h"

namespace kordalt {
namespace {

constexpr char kLanguages[] = "Languages";

std::string SettingsFileName() { return ProgramDirectory() + DefaultIniFileName(); }

std::string BarsToLineBreaks(std::string text) {
    for (size_t bar = text.find('|'); bar != std::string::npos; bar = text.find('|', bar + 2))
        text.replace(bar, 1, "\r\n");
    return text;
}

}  // namespace

std::unique_ptr<TLanguageFile> LanguageFile;

TLanguageFile::TLanguageFile(const std::string& fileName) : TIniFile(fileName) { LoadLanguages(); }

void TLanguageFile::LoadLanguages() {
    LanguageTitles.clear();
    SectionNames.clear();
    const TIniFile ini(SettingsFileName());
    const int32_t count = ini.ReadInteger(kLanguages, "Count", 0);
    if (count <= 0) FatalExit(7, "no languages in the settings file " + ini.FileName());
    const int32_t current = ini.ReadInteger(kLanguages, "Default", 0);
    for (int32_t i = 0; i < count; ++i) {
        std::string section = ini.ReadString(kLanguages, std::to_string(i), "");
        LanguageTitles.push_back(ini.ReadString(section, "Title", ""));
        if (i == current) {
            LanguageIndex = i;
            LanguageSection = section;
        }
        SectionNames.push_back(std::move(section));
    }
}

std::string TLanguageFile::GetText(int32_t Id, const std::string& Default) const {
    return BarsToLineBreaks(GetTextRaw(Id, Default));
}

std::string TLanguageFile::GetTextRaw(int32_t Id, const std::string& Default) const {
    return ReadString(LanguageSection, std::to_string(Id), Default);
}

void TLanguageFile::LoadIntro(int32_t N, std::vector<std::string>& Lines) const {
    static const std::string kError = Cp("Ошибка");
    const std::string n = std::to_string(N);
    const int32_t first = ReadInteger(LanguageSection, "FirstIDIntro" + n, -1);
    const int32_t count = ReadInteger(LanguageSection, "CountIntro" + n, -1);
    if (first == -1 || count == -1) return;
    Lines.clear();
    for (int64_t id = first; id < int64_t{first} + count; ++id)
        Lines.push_back(GetText(static_cast<int32_t>(id), kError));
}

std::string TLanguageFile::FileNameOf(std::string_view key, std::string_view def) const {
    const std::string name = ReadString(LanguageSection, key, def);
    return name.empty() ? name : ProgramDirectory() + Cp1251ToUtf8(name);
}

std::string TLanguageFile::GetImageFileName(int32_t N) const {
    const std::string key = N == 0 ? "Image" : "Image" + std::to_string(N);
    return FileNameOf(key, "");
}

std::string TLanguageFile::GetDataFileName() const { return FileNameOf("dim.dat", ""); }

std::string TLanguageFile::GetHelpFileName() const { return FileNameOf("help", "kordalt.hlp"); }

void TLanguageFile::SetLanguage(int32_t Index) {
    if (Index < 0 || static_cast<size_t>(Index) >= SectionNames.size()) return;
    LanguageIndex = Index;
    LanguageSection = SectionNames[static_cast<size_t>(Index)];
    TIniFile ini(SettingsFileName());
    ini.WriteInteger(kLanguages, "Default", Index);
    ini.UpdateFile();
}

void CreateLanguageFile() { LanguageFile = std::make_unique<TLanguageFile>(SettingsFileName()); }

void FreeLanguageFile() { LanguageFile.reset(); }

std::string LangText(TText text) {
    const std::string fallback = Cp(text.Default);
    return LanguageFile ? LanguageFile->GetText(text.Id, fallback) : BarsToLineBreaks(fallback);
}

std::string LangTextRaw(TText text) {
    const std::string fallback = Cp(text.Default);
    return LanguageFile ? LanguageFile->GetTextRaw(text.Id, fallback) : fallback;
}

}  // namespace kordalt
