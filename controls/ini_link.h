// The link through which a control keeps its settings with a form placement
// component, and the IniStorage property of the check-list box and the grid.
#pragma once

#include <QObject>
#include <functional>
#include <string>

class QWidget;

namespace kordalt {

class TExCheckListBox;
class TExDrawGrid;
class TFormPlacement;
class TIniFile;

class TIniLink : public QObject {
    Q_OBJECT

public:
    explicit TIniLink(QObject* owner = nullptr) : QObject(owner) {}
    ~TIniLink() override;

    TFormPlacement* Storage() const { return storage_; }
    // Registers with the storage (and leaves the previous one).
    void SetStorage(TFormPlacement* storage);
    // The storage's open store, or null.
    TIniFile* IniObject() const;
    // The storage's section as set, followed by "\" when not empty.
    std::string RootSection() const;

    std::function<void(TIniLink* sender)> OnSave;
    std::function<void(TIniLink* sender)> OnLoad;

private:
    friend class TFormPlacement;
    void SaveToIni();
    void LoadFromIni();

    TFormPlacement* storage_ = nullptr;
};

// The storage a named check-list box keeps its check states with: on the
// storage's save its section (the link's root section followed by
// DefaultSectionOf the box) is rewritten; on restore the states are read back.
void SetIniStorage(TExCheckListBox& box, TFormPlacement* storage);
// The same for a grid's column widths.
void SetIniStorage(TExDrawGrid& grid, TFormPlacement* storage);
// The storage of a control given one with SetIniStorage, or null.
TFormPlacement* IniStorage(const QWidget& control);

}  // namespace kordalt
