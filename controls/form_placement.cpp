#include "controls/form_placement.h"

#include <fnmatch.h>
#include <sys/stat.h>

#include <QCloseEvent>
#include <QDialog>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "controls/ini_link.h"
#include "platform/ini_file.h"
#include "platform/program_path.h"

namespace kordalt {

namespace {

std::string ClassNameOf(const QObject& object) {
    std::string name = object.metaObject()->className();
    const auto colon = name.rfind("::");
    return colon == std::string::npos ? name : name.substr(colon + 2);
}

std::string NameOf(const QObject& object) { return object.objectName().toStdString(); }

int ScreenPixelsPerInch(const QWidget& form) {
    const QScreen* screen = form.screen();
    return screen ? static_cast<int>(std::llrint(screen->logicalDotsPerInch())) : 96;
}

QSize ScreenSize(const QWidget& form) {
    const QScreen* screen = form.screen();
    return screen ? screen->geometry().size() : QSize();
}

std::string WithScreenSize(const QWidget& form, std::string_view key) {
    const QSize size = ScreenSize(form);
    return std::string(key) + "(" + std::to_string(size.width()) + "x" + std::to_string(size.height()) + ")";
}

std::string FourInts(int a, int b, int c, int d) {
    char text[64];
    std::snprintf(text, sizeof text, "%d,%d,%d,%d", a, b, c, d);
    return text;
}

// The value under the screen-size key, else under the plain key; empty when neither exists.
bool ReadScreenValue(const QWidget& form, const TIniFile& ini, std::string_view section, std::string_view key,
                     std::string& value) {
    for (const std::string& name : {WithScreenSize(form, key), std::string(key)}) {
        if (ini.ValueExists(section, name)) {
            value = ini.ReadString(section, name, "");
            return true;
        }
    }
    return false;
}

int WordAsInt(int n, const std::string& text, int def) {
    int32_t value = 0;
    return ParseIniInteger(NthWord(n, text, " ,"), value) ? value : def;
}

constexpr std::string_view kFlags = "Flags", kShowCmd = "ShowCmd", kPixels = "PixelsPerInch",
                           kMinMaxPos = "MinMaxPos", kNormPos = "NormPos";
constexpr int kShowNormal = 1, kShowMinimized = 2, kShowMaximized = 3;

}  // namespace

std::string DefaultSectionOf(const QObject* component) {
    if (!component) return {};
    if (const auto* widget = qobject_cast<const QWidget*>(component)) {
        if (widget->isWindow()) return ClassNameOf(*widget);
        return ClassNameOf(*widget->window()) + NameOf(*widget);
    }
    const auto* owner = qobject_cast<const QWidget*>(component->parent());
    if (owner && owner->isWindow()) return ClassNameOf(*owner) + "." + NameOf(*component);
    return NameOf(*component);
}

std::string IniReadStr(const TIniFile* ini, std::string_view section, std::string_view key,
                       std::string_view def) {
    return ini ? ini->ReadString(section, key, def) : std::string(def);
}

void IniWriteStr(TIniFile* ini, std::string_view section, std::string_view key, std::string_view value) {
    if (!ini) return;
    if (auto* registry = dynamic_cast<TRegIniFile*>(ini)) {
        registry->WriteString(section, key, value);
        return;
    }
    const bool quoted =
        value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.front() == value.back();
    ini->WriteString(section, key, quoted ? "\"" + std::string(value) + "\"" : std::string(value));
}

int32_t IniReadInt(const TIniFile* ini, std::string_view section, std::string_view key, int32_t def) {
    return ini ? ini->ReadInteger(section, key, def) : def;
}

void IniWriteInt(TIniFile* ini, std::string_view section, std::string_view key, int32_t value) {
    if (ini) ini->WriteInteger(section, key, value);
}

void IniEraseSection(TIniFile* ini, std::string_view section) {
    if (ini) ini->EraseSection(section);
}

namespace {

std::string FirstMatchingName(const std::string& name) {
    const std::filesystem::path path(name);
    const std::string pattern = path.filename().string();
    if (pattern.empty()) return {};
    std::filesystem::path dir = path.parent_path();
    if (dir.empty()) dir = ".";
    std::error_code ec;
    std::vector<std::string> matches;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        const std::string candidate = entry.path().filename().string();
        if (fnmatch(pattern.c_str(), candidate.c_str(), FNM_PERIOD) == 0) matches.push_back(candidate);
    }
    if (matches.empty()) return {};
    return *std::min_element(matches.begin(), matches.end());
}

}  // namespace

std::string ShortToLongPath(const std::string& name) { return FirstMatchingName(name); }
std::string LongToShortPath(const std::string& name) { return FirstMatchingName(name); }

int WordStartPos(int n, std::string_view s, std::string_view delims) {
    int count = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const bool starts = delims.find(s[i]) == std::string_view::npos &&
                            (i == 0 || delims.find(s[i - 1]) != std::string_view::npos);
        if (starts && ++count == n) return static_cast<int>(i) + 1;
    }
    return 0;
}

std::string NthWord(int n, std::string_view s, std::string_view delims) {
    const int start = WordStartPos(n, s, delims);
    if (start == 0) return {};
    const std::string_view rest = s.substr(static_cast<size_t>(start - 1));
    return std::string(rest.substr(0, rest.find_first_of(delims)));
}

bool FolderExists(const std::string& name) {
    struct stat info {};
    return !name.empty() && ::stat(name.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsValidFileName(std::string_view name) {
    return !name.empty() && name.find_first_of("<>\"[]|") == std::string_view::npos;
}

void SavePlacement(QWidget& form, TIniFile* ini, std::string_view section) {
    if (!ini) return;
    const QRect normal = form.normalGeometry().isValid() ? form.normalGeometry() : form.geometry();
    const int showCmd = form.isMinimized()   ? kShowMinimized
                        : form.isMaximized() ? kShowMaximized
                                             : kShowNormal;
    // The window system keeps no minimized or maximized position of its own.
    const std::string minMax = FourInts(-1, -1, -1, -1);
    const std::string norm =
        FourInts(normal.left(), normal.top(), normal.left() + normal.width(), normal.top() + normal.height());
    ini->WriteInteger(section, kFlags, 0);
    ini->WriteInteger(section, kShowCmd, showCmd);
    ini->WriteInteger(section, kPixels, ScreenPixelsPerInch(form));
    ini->WriteString(section, WithScreenSize(form, kMinMaxPos), minMax);
    ini->WriteString(section, WithScreenSize(form, kNormPos), norm);
    ini->WriteString(section, kMinMaxPos, minMax);
    ini->WriteString(section, kNormPos, norm);
}

namespace {

void LoadPosition(QWidget& form, const TIniFile& ini, std::string_view section) {
    std::string minMax, norm;
    const bool hasMinMax = ReadScreenValue(form, ini, section, kMinMaxPos, minMax);
    const bool hasNorm = ReadScreenValue(form, ini, section, kNormPos, norm);
    const int pixels = ScreenPixelsPerInch(form);
    if ((!hasMinMax && !hasNorm) || ini.ReadInteger(section, kPixels, pixels) != pixels) return;
    const QRect current = form.geometry();
    int left = WordAsInt(1, norm, current.left());
    int top = WordAsInt(2, norm, current.top());
    int right = WordAsInt(3, norm, current.left() + current.width());
    int bottom = WordAsInt(4, norm, current.top() + current.height());
    if (form.minimumSize() == form.maximumSize()) {  // not sizeable: keeps its size
        right = left + current.width();
        bottom = top + current.height();
    }
    if (right > left) form.setGeometry(left, top, right - left, bottom - top);
}

void LoadState(QWidget& form, const TIniFile& ini, std::string_view section) {
    Qt::WindowState state = Qt::WindowNoState;
    switch (ini.ReadInteger(section, kShowCmd, 0)) {
        case 2:
        case 6:
        case 7:
            state = Qt::WindowMinimized;
            break;
        case 3:
            state = Qt::WindowMaximized;
            break;
        default:
            break;
    }
    const Qt::WindowStates others =
        form.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
    form.setWindowState(others | state);
}

}  // namespace

void LoadPlacement(QWidget& form, const TIniFile* ini, std::string_view section, bool loadState,
                   bool loadPosition) {
    if (!ini || (!loadState && !loadPosition)) return;
    if (loadPosition) LoadPosition(form, *ini, section);
    if (loadState) LoadState(form, *ini, section);
    form.update();
}

void TWinMinMaxInfo::SetValue(Field field, int value) {
    if (values_[field] == value) return;
    values_[field] = value;
    owner_->UpdatePlacement();
}

bool TWinMinMaxInfo::DefaultMinMaxInfo() const {
    return std::all_of(std::begin(values_), std::end(values_), [](int v) { return v == 0; });
}

class TFormPlacement::OpenStore {
public:
    explicit OpenStore(TFormPlacement& owner) : owner_(owner), opened_(!owner.ini_) {
        if (opened_) owner_.ini_ = owner_.MakeStore();
    }
    ~OpenStore() {
        if (opened_) owner_.ini_.reset();
    }
    OpenStore(const OpenStore&) = delete;
    OpenStore& operator=(const OpenStore&) = delete;

private:
    TFormPlacement& owner_;
    bool opened_;
};

TFormPlacement::TFormPlacement(QObject* owner) : QObject(owner) {
    auto* form = qobject_cast<QWidget*>(owner);
    if (!form || !form->isWindow()) return;
    form_ = form;
    formClass_ = ClassNameOf(*form);
    options_ = fpState | fpPosition;
    hadMaximizeButton_ = form->windowFlags().testFlag(Qt::WindowMaximizeButtonHint);
    form->installEventFilter(this);
}

TFormPlacement::~TFormPlacement() {
    destroying_ = true;
    // Owned by the form, this runs while the form is being destroyed.
    if (form_ && !saved_ && (restored_ || !active_)) Save();
    if (form_) form_->removeEventFilter(this);
    for (TIniLink* link : links_) link->storage_ = nullptr;
}

QWidget* TFormPlacement::Form() const { return form_.data(); }

std::string TFormPlacement::IniSection() const {
    return iniSection_.empty() ? SectionOf(parent()) : iniSection_;
}

std::string TFormPlacement::SectionOf(const QObject* component) const {
    const auto* widget = qobject_cast<const QWidget*>(component);
    if (!form_ || !widget || widget->window() != form_) return DefaultSectionOf(component);
    return widget == form_ ? formClass_ : formClass_ + NameOf(*widget);
}

std::unique_ptr<TIniFile> TFormPlacement::MakeStore() const {
    if (useRegistry_)
        return std::make_unique<TRegIniFile>(iniFileName_.empty() ? DefaultRegistryKey() : iniFileName_,
                                             registryRoot_);
    return std::make_unique<TIniFile>(iniFileName_.empty() ? ProgramDirectory() + DefaultIniFileName()
                                                           : iniFileName_);
}

void TFormPlacement::SetPreventResize(bool value) {
    if (preventResize_ == value) return;
    preventResize_ = value;
    UpdatePlacement();
}

void TFormPlacement::UpdatePlacement() {
    QWidget* form = Form();
    if (!form) return;
    if (!preventResize_ && !limitsApplied_ && minMaxInfo_.DefaultMinMaxInfo()) return;
    limitsApplied_ = true;
    SetMaximizeButton(*form, !preventResize_);
    if (preventResize_) {
        form->setFixedSize(form->size());
        return;
    }
    using F = TWinMinMaxInfo;
    const auto limit = [this](F::Field field, int unset) {
        const int v = minMaxInfo_.Value(field);
        return v != 0 ? v : unset;
    };
    form->setMinimumSize(limit(F::MinTrackWidth, 0), limit(F::MinTrackHeight, 0));
    form->setMaximumSize(limit(F::MaxTrackWidth, QWIDGETSIZE_MAX), limit(F::MaxTrackHeight, QWIDGETSIZE_MAX));
}

void TFormPlacement::SetMaximizeButton(QWidget& form, bool shown) {
    const Qt::WindowFlags flags = form.windowFlags();
    Qt::WindowFlags wanted = flags;
    if (!shown && flags.testFlag(Qt::WindowMaximizeButtonHint)) {
        wanted &= ~Qt::WindowMaximizeButtonHint;
    } else if (!shown && !flags.testFlag(Qt::CustomizeWindowHint)) {
        // Default decorations: spell them out without the maximize button.
        savedFlags_ = flags;
        wanted |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                  Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
    } else if (shown && savedFlags_ && !qobject_cast<QDialog*>(&form)) {
        wanted = *savedFlags_;
        savedFlags_.reset();
    } else if (shown && hadMaximizeButton_ && !qobject_cast<QDialog*>(&form)) {
        wanted |= Qt::WindowMaximizeButtonHint;
    }
    if (wanted == flags) return;
    const bool visible = form.isVisible();
    form.setWindowFlags(wanted);
    if (visible) form.show();  // a change of window flags hides the window
}

std::string TFormPlacement::ReadString(std::string_view key, std::string_view def) {
    OpenStore store(*this);
    return IniReadStr(ini_.get(), IniSection(), key, def);
}

void TFormPlacement::WriteString(std::string_view key, std::string_view value) {
    OpenStore store(*this);
    IniWriteStr(ini_.get(), IniSection(), key, value);
}

int32_t TFormPlacement::ReadInteger(std::string_view key, int32_t def) {
    OpenStore store(*this);
    return IniReadInt(ini_.get(), IniSection(), key, def);
}

void TFormPlacement::WriteInteger(std::string_view key, int32_t value) {
    OpenStore store(*this);
    IniWriteInt(ini_.get(), IniSection(), key, value);
}

void TFormPlacement::SaveFormPlacement() {
    OpenStore store(*this);
    Save();
}

void TFormPlacement::RestoreFormPlacement() {
    OpenStore store(*this);
    Restore();
}

void TFormPlacement::SavePlacementData() {
    const std::string section = IniSection();
    if (QWidget* form = Form()) SavePlacement(*form, ini_.get(), section);
    IniWriteInt(ini_.get(), section, "Visible", destroying_ ? 1 : 0);
    if (options_ & fpActiveControl) {
        const QWidget* focus = Form() ? Form()->focusWidget() : nullptr;
        IniWriteStr(ini_.get(), section, "ActiveControl", focus ? NameOf(*focus) : "");
    }
    for (TIniLink* link : std::vector<TIniLink*>(links_)) link->SaveToIni();
}

void TFormPlacement::RestorePlacementData() {
    if (QWidget* form = Form())
        LoadPlacement(*form, ini_.get(), IniSection(), options_ & fpState, options_ & fpPosition);
    for (TIniLink* link : std::vector<TIniLink*>(links_)) link->LoadFromIni();
}

void TFormPlacement::Save() {
    OpenStore store(*this);
    IniWriteInt(ini_.get(), IniSection(), "FormVersion", version_);
    SavePlacementData();
    if (OnSavePlacement) OnSavePlacement(this);
    saved_ = true;
}

void TFormPlacement::Restore() {
    OpenStore store(*this);
    restored_ = true;
    saved_ = false;
    if (IniReadInt(ini_.get(), IniSection(), "FormVersion", 0) < version_) return;
    RestorePlacementData();
    if (OnRestorePlacement) OnRestorePlacement(this);
    QWidget* form = Form();
    if (!form || !(options_ & fpActiveControl)) return;
    const QString name = QString::fromStdString(IniReadStr(ini_.get(), IniSection(), "ActiveControl", ""));
    auto* control = name.isEmpty() ? nullptr : form->findChild<QWidget*>(name);
    if (control && control->isEnabled() && control->focusPolicy() != Qt::NoFocus) control->setFocus();
}

bool TFormPlacement::eventFilter(QObject* watched, QEvent* event) {
    if (watched != Form()) return false;
    if (event->type() == QEvent::Show) formClass_ = ClassNameOf(*Form());
    if (event->type() == QEvent::Show && active_) {
        Restore();
    } else if (event->type() == QEvent::Close) {
        // The form's own close handling first; save only when it lets the form close.
        static_cast<QObject*>(watched)->event(event);
        if (event->isAccepted() && (restored_ || !active_)) Save();
        return true;
    }
    return false;
}

void TFormPlacement::AddLink(TIniLink* link) {
    if (std::find(links_.begin(), links_.end(), link) == links_.end()) links_.push_back(link);
}

void TFormPlacement::RemoveLink(TIniLink* link) {
    links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end());
}

}  // namespace kordalt
