#include "platform/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>

#include "platform/atomic_file.h"
#include "platform/cp1251.h"

namespace kordalt {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view s) {
    const size_t first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

// Lower-case partner of a cp1251 capital letter, or the byte itself.
unsigned char FoldByte(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if (c >= 0xC0 && c <= 0xDF) return c + 32;  // А..Я
    static constexpr std::array<std::pair<unsigned char, unsigned char>, 14> kPairs = {{
        {0x80, 0x90},
        {0x81, 0x83},
        {0x8A, 0x9A},
        {0x8C, 0x9C},
        {0x8D, 0x9D},
        {0x8E, 0x9E},
        {0x8F, 0x9F},
        {0xA1, 0xA2},
        {0xA3, 0xBC},
        {0xA5, 0xB4},
        {0xA8, 0xB8},
        {0xAA, 0xBA},
        {0xAF, 0xBF},
        {0xB2, 0xB3},
    }};
    for (const auto& [upper, lower] : kPairs)
        if (c == upper) return lower;
    if (c == 0xBD) return 0xBE;  // Ѕ
    return c;
}

std::string Fold(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(FoldByte(static_cast<unsigned char>(c)));
    return out;
}

std::string_view Unquote(std::string_view v) {
    const bool quoted = v.size() >= 2 && v.front() == v.back() && (v.front() == '"' || v.front() == '\'');
    return quoted ? v.substr(1, v.size() - 2) : v;
}

std::string OneLine(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

enum class LineKind { Other, Section, Key };

struct Line {
    std::string text;                // cp1251, without its line end
    std::optional<std::string> raw;  // the bytes as read; none once the line is new or changed
    std::string eol;                 // "\r\n", "\n", or "" for a last line without one
    LineKind kind = LineKind::Other;
    std::string name;   // section or key name as written
    std::string value;  // key lines: the value as read

    void Parse() {
        const std::string_view t = Trim(text);
        kind = LineKind::Other;
        name.clear();
        value.clear();
        if (t.empty() || t.front() == ';') return;
        if (t.front() == '[') {
            kind = LineKind::Section;
            name = Trim(t.substr(1, t.find(']') - 1));
            return;
        }
        const size_t eq = t.find('=');
        if (eq == std::string_view::npos || Trim(t.substr(0, eq)).empty()) return;
        kind = LineKind::Key;
        name = Trim(t.substr(0, eq));
        value = Unquote(Trim(t.substr(eq + 1)));
    }
};

Line MakeLine(std::string text, const std::string& eol) {
    Line line;
    line.text = std::move(text);
    line.eol = eol;
    line.Parse();
    return line;
}

struct FileStamp {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    int64_t mtimeNs = 0;
    bool operator==(const FileStamp&) const = default;
};

// For the player: UTF-8, in Russian.
std::string WriteError(const std::string& path, const std::string& why) {
    return "Не удалось записать файл настроек \"" + path + "\": " + why;
}

// False when the file exists but cannot be read; a missing file reads as empty.
bool ReadWholeFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT;
    bool ok = true;
    char buf[65536];
    for (;;) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n > 0)
            bytes.append(buf, static_cast<size_t>(n));
        else if (n == 0)
            break;
        else if (errno != EINTR) {
            ok = false;
            break;
        }
    }
    close(fd);
    if (!ok) bytes.clear();
    return ok;
}

}  // namespace

// The lines of one file, shared by every TIniFile open on it.
class IniDocument {
public:
    explicit IniDocument(std::string path) : path_(std::move(path)) {}

    std::optional<std::string> Value(std::string_view section, std::string_view key) {
        std::lock_guard lock(mutex_);
        Refresh();
        const Section* s = Find(section);
        if (!s) return std::nullopt;
        const auto it = s->keys.find(Fold(key));
        if (it == s->keys.end()) return std::nullopt;
        return lines_[it->second].value;
    }

    std::vector<std::string> Keys(std::string_view section) {
        std::lock_guard lock(mutex_);
        Refresh();
        std::vector<std::string> names;
        if (const Section* s = Find(section))
            for (size_t i : s->keyOrder) names.push_back(lines_[i].name);
        return names;
    }

    std::vector<std::string> Sections() {
        std::lock_guard lock(mutex_);
        Refresh();
        std::vector<std::string> names;
        for (const Section& s : sections_) names.push_back(lines_[s.header].name);
        return names;
    }

    bool HasSection(std::string_view section) {
        std::lock_guard lock(mutex_);
        Refresh();
        return Find(section) != nullptr;
    }

    // A file opened again is read as it is on disk now, however recently it was checked.
    void CheckDiskOnNextRead() {
        std::lock_guard lock(mutex_);
        checked_ = {};
    }

    void Write(std::string_view section, std::string_view key, std::string_view value) {
        Update([&] { return Written(section, key, value); });
    }

    void EraseSection(std::string_view section) {
        Update([&]() -> std::optional<std::vector<Line>> {
            const std::string folded = Fold(section);
            std::vector<Line> kept;
            bool inErased = false;
            for (const Line& line : lines_) {
                if (line.kind == LineKind::Section) inErased = Fold(line.name) == folded;
                if (!inErased) kept.push_back(line);
            }
            if (kept.size() == lines_.size()) return std::nullopt;
            return kept;
        });
    }

    void DeleteKey(std::string_view section, std::string_view key) {
        Update([&]() -> std::optional<std::vector<Line>> {
            const Section* s = Find(section);
            if (!s) return std::nullopt;
            const std::string folded = Fold(key);
            std::vector<Line> kept;
            for (size_t i = 0; i < lines_.size(); ++i) {
                const Line& line = lines_[i];
                const bool inSection = i > s->header && i < s->end;
                if (!(inSection && line.kind == LineKind::Key && Fold(line.name) == folded))
                    kept.push_back(line);
            }
            if (kept.size() == lines_.size()) return std::nullopt;
            return kept;
        });
    }

private:
    struct Section {
        size_t header = 0;
        size_t end = 0;                      // one past its last line
        size_t lastKey = 0;                  // its last key line
        std::map<std::string, size_t> keys;  // folded name -> first line
        std::vector<size_t> keyOrder;        // first lines of its keys in file order
    };

    // Reads the file as it is now, with every other writer of it held off, and
    // saves the lines `change` makes of it (none: nothing to write).
    template <class Change>
    void Update(Change change) {
        std::lock_guard lock(mutex_);
        const FileUpdateLock fileLock(path_);
        if (fileLock.Error()) throw EIniFileError(WriteError(path_, FileErrorText(fileLock.Error())));
        Reload();
        if (std::optional<std::vector<Line>> lines = change()) Save(std::move(*lines));
    }

    std::vector<Line> Written(std::string_view section, std::string_view key, std::string_view value) const {
        std::vector<Line> lines = lines_;
        const std::string text = std::string(key) + "=" + OneLine(value);
        if (const Section* s = Find(section)) {
            const auto it = s->keys.find(Fold(key));
            if (it != s->keys.end()) {
                const size_t i = it->second;
                lines[i] = MakeLine(lines[i].name + "=" + OneLine(value), lines[i].eol);
            } else {
                const size_t at = s->keyOrder.empty() ? s->header + 1 : s->lastKey + 1;
                lines.insert(lines.begin() + static_cast<ptrdiff_t>(at), MakeLine(text, eol_));
                if (lines[at - 1].eol.empty()) lines[at - 1].eol = eol_;
            }
        } else {
            if (!lines.empty() && lines.back().eol.empty()) lines.back().eol = eol_;
            lines.push_back(MakeLine("[" + std::string(section) + "]", eol_));
            lines.push_back(MakeLine(text, eol_));
        }
        return lines;
    }

    const Section* Find(std::string_view section) const {
        const auto it = sectionByName_.find(Fold(section));
        return it == sectionByName_.end() ? nullptr : &sections_[it->second];
    }

    FileStamp Stamp() const {
        struct stat st {};
        if (stat(path_.c_str(), &st) != 0) return {};
        const int64_t mtimeNs = int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec;
        return {true, st.st_dev, st.st_ino, st.st_size, mtimeNs};
    }

    // Reads the file again when it changed on disk since it was last read or
    // written; the disk is looked at no more often than once per kIniChangeCheckInterval.
    void Refresh() {
        const auto now = std::chrono::steady_clock::now();
        if (loaded_ && now - checked_ < kIniChangeCheckInterval) return;
        checked_ = now;
        const FileStamp stamp = Stamp();
        if (loaded_ && stamp == stamp_) return;
        Load();
        stamp_ = stamp;
        loaded_ = true;
    }

    void Reload() {
        checked_ = std::chrono::steady_clock::now();
        stamp_ = Stamp();
        Load();
        loaded_ = true;
    }

    void Load() {
        lines_.clear();
        utf8_ = true;
        bom_ = false;
        eol_ = "\n";
        std::string bytes;
        readFailed_ = !ReadWholeFile(path_, bytes);
        Parse(std::move(bytes));
    }

    void Parse(std::string bytes) {
        if (bytes.starts_with(kBom)) {
            bom_ = true;
            bytes.erase(0, kBom.size());
        } else {
            utf8_ = IsValidUtf8(bytes);
        }
        bool eolSeen = false;
        for (size_t pos = 0; pos < bytes.size();) {
            size_t nl = bytes.find('\n', pos);
            const bool last = nl == std::string::npos;
            if (last) nl = bytes.size();
            size_t end = nl;
            std::string eol = last ? "" : "\n";
            if (!last && end > pos && bytes[end - 1] == '\r') {
                --end;
                eol = "\r\n";
            }
            if (!last && !eolSeen) {
                eol_ = eol;
                eolSeen = true;
            }
            std::string raw = bytes.substr(pos, end - pos);
            Line line = MakeLine(utf8_ ? Utf8ToCp1251(raw) : raw, eol);
            line.raw = std::move(raw);
            lines_.push_back(std::move(line));
            pos = nl + 1;
        }
        Index();
    }

    void Index() {
        sections_.clear();
        sectionByName_.clear();
        Section* current = nullptr;
        for (size_t i = 0; i < lines_.size(); ++i) {
            const Line& line = lines_[i];
            if (line.kind == LineKind::Section) {
                if (current) current->end = i;
                current = nullptr;
                if (sectionByName_.emplace(Fold(line.name), sections_.size()).second) {
                    sections_.push_back({i, lines_.size(), i, {}, {}});
                    current = &sections_.back();
                }
            } else if (line.kind == LineKind::Key && current) {
                current->lastKey = i;
                if (current->keys.emplace(Fold(line.name), i).second) current->keyOrder.push_back(i);
            }
        }
    }

    std::string Encode(const Line& line) const {
        if (line.raw) return *line.raw;
        return utf8_ ? Cp1251ToUtf8(line.text) : line.text;
    }

    void Save(std::vector<Line> lines) {
        if (readFailed_) throw EIniFileError(WriteError(path_, "его не удалось прочитать"));
        std::string bytes = bom_ ? std::string(kBom) : std::string();
        for (const Line& line : lines) bytes += Encode(line) + line.eol;
        if (const int err = WriteFileAtomically(path_, bytes))
            throw EIniFileError(WriteError(path_, FileErrorText(err)));
        lines_ = std::move(lines);
        Index();
        stamp_ = Stamp();
    }

    const std::string path_;
    std::mutex mutex_;
    std::vector<Line> lines_;
    std::vector<Section> sections_;                // first occurrences, in file order
    std::map<std::string, size_t> sectionByName_;  // folded name -> index in sections_
    FileStamp stamp_;
    std::chrono::steady_clock::time_point checked_;
    bool loaded_ = false;
    bool readFailed_ = false;
    bool utf8_ = true;
    bool bom_ = false;
    std::string eol_ = "\n";  // line end of lines we add
};

namespace {

std::shared_ptr<IniDocument> OpenDocument(const std::string& fileName) {
    namespace fs = std::filesystem;
    static std::mutex mutex;
    static std::map<std::string, std::weak_ptr<IniDocument>> documents;
    std::error_code ec;
    fs::path path = fs::absolute(fileName, ec);
    if (ec) path = fileName;
    const fs::path canonical = fs::weakly_canonical(path, ec);
    const std::string key = (ec ? path : canonical).lexically_normal().string();

    std::lock_guard lock(mutex);
    std::erase_if(documents, [](const auto& entry) { return entry.second.expired(); });
    std::weak_ptr<IniDocument>& slot = documents[key];
    std::shared_ptr<IniDocument> doc = slot.lock();
    if (doc) {
        doc->CheckDiskOnNextRead();
    } else {
        doc = std::make_shared<IniDocument>(key);
        slot = doc;
    }
    return doc;
}

}  // namespace

bool ParseIniInteger(std::string_view text, int32_t& value) {
    std::string_view s = text;
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (s.starts_with('$')) {
        base = 16;
        s.remove_prefix(1);
    } else if (s.starts_with("0x") || s.starts_with("0X")) {
        base = 16;
        s.remove_prefix(2);
    }
    if (s.empty()) return false;
    // Hexadecimal takes all 32 bits ("$FFFFFFFF" is -1); decimal stops at the int32 range.
    const uint64_t limit = base == 16 ? 0xFFFFFFFFu : (negative ? 0x80000000u : 0x7FFFFFFFu);
    uint64_t magnitude = 0;
    for (char c : s) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        magnitude = magnitude * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
        if (magnitude > limit) return false;
    }
    const auto bits = static_cast<uint32_t>(magnitude);
    value = static_cast<int32_t>(negative ? 0u - bits : bits);
    return true;
}

TIniFile::TIniFile(const std::string& fileName) : fileName_(fileName), doc_(OpenDocument(fileName)) {}

TIniFile::~TIniFile() = default;

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
    std::optional<std::string> value = doc_->Value(section, key);
    return value ? std::move(*value) : std::string(def);
}

int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key, int32_t def) const {
    const std::optional<std::string> text = doc_->Value(section, key);
    int32_t value = 0;
    return text && ParseIniInteger(*text, value) ? value : def;
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    doc_->Write(section, key, value);
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

std::vector<std::string> TIniFile::ReadSection(std::string_view section) const { return doc_->Keys(section); }

std::vector<std::string> TIniFile::ReadSections() const { return doc_->Sections(); }

bool TIniFile::SectionExists(std::string_view section) const { return doc_->HasSection(section); }

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const {
    return doc_->Value(section, key).has_value();
}

void TIniFile::EraseSection(std::string_view section) { doc_->EraseSection(section); }

void TIniFile::DeleteKey(std::string_view section, std::string_view key) { doc_->DeleteKey(section, key); }

void AddMissingKeys(const TIniFile& source, TIniFile& target) {
    for (const std::string& section : source.ReadSections())
        for (const std::string& key : source.ReadSection(section))
            if (!target.ValueExists(section, key))
                target.WriteString(section, key, source.ReadString(section, key, ""));
}

}  // namespace kordalt
