#include "controls/ini_link.h"

#include <QWidget>

#include "controls/draw_grid.h"
#include "controls/form_placement.h"
#include "controls/list_box.h"
#include "platform/ini_file.h"

namespace kordalt {

TIniLink::~TIniLink() { SetStorage(nullptr); }

void TIniLink::SetStorage(TFormPlacement* storage) {
    if (storage_ == storage) return;
    if (storage_) storage_->RemoveLink(this);
    storage_ = storage;
    if (storage_) storage_->AddLink(this);
}

TIniFile* TIniLink::IniObject() const { return storage_ ? storage_->IniFile() : nullptr; }

std::string TIniLink::RootSection() const {
    if (!storage_ || storage_->StoredIniSection().empty()) return {};
    return storage_->StoredIniSection() + "\\";
}

void TIniLink::SaveToIni() {
    if (OnSave) OnSave(this);
}

void TIniLink::LoadFromIni() {
    if (OnLoad) OnLoad(this);
}

namespace {

constexpr const char* kLinkName = "IniLink";

TIniLink* FindLink(const QWidget& control) {
    return control.findChild<TIniLink*>(kLinkName, Qt::FindDirectChildrenOnly);
}

// The control's link, made on first need; saving and loading act only for a
// named control while the storage's store is open.
template <typename Control, typename SaveFn, typename LoadFn>
void Connect(Control& control, TFormPlacement* storage, SaveFn save, LoadFn load) {
    TIniLink* link = FindLink(control);
    if (!link) {
        link = new TIniLink(&control);
        link->setObjectName(kLinkName);
        Control* target = &control;
        const auto section = [target](TIniLink* l) {
            return l->RootSection() + l->Storage()->SectionOf(target);
        };
        link->OnSave = [target, section, save](TIniLink* l) {
            if (l->IniObject() && !target->objectName().isEmpty()) save(*target, *l->IniObject(), section(l));
        };
        link->OnLoad = [target, section, load](TIniLink* l) {
            if (l->IniObject() && !target->objectName().isEmpty()) load(*target, *l->IniObject(), section(l));
        };
    }
    link->SetStorage(storage);
}

}  // namespace

void SetIniStorage(TExCheckListBox& box, TFormPlacement* storage) {
    Connect(
        box, storage, [](TExCheckListBox& b, TIniFile& ini, const std::string& s) { b.SaveStates(ini, s); },
        [](TExCheckListBox& b, TIniFile& ini, const std::string& s) { b.LoadStates(ini, s); });
}

void SetIniStorage(TExDrawGrid& grid, TFormPlacement* storage) {
    Connect(
        grid, storage,
        [](TExDrawGrid& g, TIniFile& ini, const std::string& s) { g.SaveColumnWidths(ini, s); },
        [](TExDrawGrid& g, TIniFile& ini, const std::string& s) { g.LoadColumnWidths(ini, s); });
}

TFormPlacement* IniStorage(const QWidget& control) {
    const TIniLink* link = FindLink(control);
    return link ? link->Storage() : nullptr;
}

}  // namespace kordalt
