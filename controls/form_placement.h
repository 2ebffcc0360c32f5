// Settings-file helpers and the form placement component: values in a section
// of a settings file, a window's placement saved and restored, and
// TFormPlacement, which does that for its form when it is shown and closed and
// lets linked controls (TIniLink) store their own settings alongside.
#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "controls/reg_ini_file.h"

class QWidget;

namespace kordalt {

class TIniFile;
class TIniLink;

// The section a component's settings go to: a form's class name; a control's
// form class name followed by its name (without a form: its parent's name and
// its name); any other object "Form.Name" when its owner is a form, else its name.
std::string DefaultSectionOf(const QObject* component);

// Values in a store; a null store reads the defaults and writes nothing.
std::string IniReadStr(const TIniFile* ini, std::string_view section, std::string_view key,
                       std::string_view def);
// A value enclosed in a matching pair of quotes gets one more pair of double
// quotes, since reading strips one pair.
void IniWriteStr(TIniFile* ini, std::string_view section, std::string_view key, std::string_view value);
int32_t IniReadInt(const TIniFile* ini, std::string_view section, std::string_view key, int32_t def);
void IniWriteInt(TIniFile* ini, std::string_view section, std::string_view key, int32_t value);
void IniEraseSection(TIniFile* ini, std::string_view section);

// The 1-based position of the n-th word of s (words are runs of characters not
// in delims); 0 when there is none.
int WordStartPos(int n, std::string_view s, std::string_view delims);
std::string NthWord(int n, std::string_view s, std::string_view delims);

bool FolderExists(const std::string& name);
// Non-empty and none of < > " [ ] |.
bool IsValidFileName(std::string_view name);
// The name, without its directory, of the first file (in name order) matching
// `name`, whose last part may hold the wildcards * and ?; empty when none does.
// Files have one name here: the long and the short form are the same.
std::string ShortToLongPath(const std::string& name);
std::string LongToShortPath(const std::string& name);

// Keys "Flags", "ShowCmd", "PixelsPerInch", "MinMaxPos" and "NormPos" (the last
// two also with the screen size appended, "NormPos(800x600)"). Positions are the
// form's client geometry.
void SavePlacement(QWidget& form, TIniFile* ini, std::string_view section);
// Applies the stored position (only when it was stored at the screen's current
// pixel density) and the stored window state.
void LoadPlacement(QWidget& form, const TIniFile* ini, std::string_view section, bool loadState,
                   bool loadPosition);

class TFormPlacement;

// Size limits of a form; 0 = not set. A change re-applies the owner's limits.
class TWinMinMaxInfo {
public:
    enum Field {
        MaxPosLeft,
        MaxPosTop,
        MaxSizeHeight,
        MaxSizeWidth,
        MaxTrackHeight,
        MaxTrackWidth,
        MinTrackHeight,
        MinTrackWidth,
        FieldCount
    };
    explicit TWinMinMaxInfo(TFormPlacement* owner) : owner_(owner) {}
    int Value(Field field) const { return values_[field]; }
    void SetValue(Field field, int value);
    bool DefaultMinMaxInfo() const;

private:
    TFormPlacement* owner_;
    int values_[FieldCount] = {};
};

enum TPlacementOption : unsigned { fpState = 1, fpPosition = 2, fpActiveControl = 4 };
using TPlacementOptions = unsigned;

class TFormPlacement : public QObject {
    Q_OBJECT

public:
    // Owned by `owner`; with a form as owner it saves and restores that form.
    explicit TFormPlacement(QObject* owner);
    ~TFormPlacement() override;

    bool Active() const { return active_; }
    void SetActive(bool value) { active_ = value; }
    // Empty: the program's directory and DefaultIniFileName(); with UseRegistry
    // the registry key, empty meaning DefaultRegistryKey().
    const std::string& IniFileName() const { return iniFileName_; }
    void SetIniFileName(std::string value) { iniFileName_ = std::move(value); }
    // The section as set (may be empty).
    const std::string& StoredIniSection() const { return iniSection_; }
    // Empty: DefaultSectionOf the form.
    std::string IniSection() const;
    // DefaultSectionOf, with the form's class name taken while the form was
    // whole: the placement also saves while its form is being destroyed.
    std::string SectionOf(const QObject* component) const;
    void SetIniSection(std::string value) { iniSection_ = std::move(value); }
    TWinMinMaxInfo& MinMaxInfo() { return minMaxInfo_; }
    TPlacementOptions Options() const { return options_; }
    void SetOptions(TPlacementOptions value) { options_ = value; }
    // The store is a registry key (TRegIniFile) instead of a settings file.
    bool UseRegistry() const { return useRegistry_; }
    void SetUseRegistry(bool value) { useRegistry_ = value; }
    TPlacementRegRoot RegistryRoot() const { return registryRoot_; }
    void SetRegistryRoot(TPlacementRegRoot value) { registryRoot_ = value; }
    bool PreventResize() const { return preventResize_; }
    void SetPreventResize(bool value);
    int Version() const { return version_; }
    void SetVersion(int value) { version_ = value; }

    std::function<void(TFormPlacement* sender)> OnSavePlacement;
    std::function<void(TFormPlacement* sender)> OnRestorePlacement;

    // Open store and restore/save everything (placement, then every link).
    void SaveFormPlacement();
    void RestoreFormPlacement();
    // The store is open only during a save or restore (and the calls below).
    TIniFile* IniFile() const { return ini_.get(); }
    bool IsRestored() const { return restored_; }

    std::string ReadString(std::string_view key, std::string_view def);
    void WriteString(std::string_view key, std::string_view value);
    int32_t ReadInteger(std::string_view key, int32_t def);
    void WriteInteger(std::string_view key, int32_t value);

    // Called by the limits when they change.
    void UpdatePlacement();

protected:
    // Placement, "Visible", "ActiveControl", then the links' save.
    virtual void SavePlacementData();
    virtual void RestorePlacementData();
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class TIniLink;
    QWidget* Form() const;
    std::unique_ptr<TIniFile> MakeStore() const;
    // Opens the store for the scope unless it is open already.
    class OpenStore;
    void Save();
    void Restore();
    void SetMaximizeButton(QWidget& form, bool shown);
    void AddLink(TIniLink* link);
    void RemoveLink(TIniLink* link);

    QPointer<QWidget> form_;
    std::unique_ptr<TIniFile> ini_;
    std::vector<TIniLink*> links_;
    TWinMinMaxInfo minMaxInfo_{this};
    std::string iniFileName_, iniSection_, formClass_;
    TPlacementOptions options_ = 0;
    TPlacementRegRoot registryRoot_ = prCurrentUser;
    bool useRegistry_ = false;
    int version_ = 0;
    bool active_ = true, preventResize_ = false, restored_ = false, saved_ = false, destroying_ = false;
    bool limitsApplied_ = false, hadMaximizeButton_ = false;
    std::optional<Qt::WindowFlags> savedFlags_;
};

}  // namespace kordalt
