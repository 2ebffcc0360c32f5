// An edit with a button inside its right end, its file-and-directory descendant
// (files dropped from the desktop, dialog events) and the file-name edit that
// opens a file dialog from its button.
#pragma once

#include <QImage>
#include <QKeySequence>
#include <QLineEdit>
#include <QStringList>
#include <functional>
#include <stdexcept>

#include "controls/speed_button.h"

class QFileDialog;

namespace kordalt {

class EComboEditError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum TGlyphKind { gkCustom, gkDefault, gkDropDown, gkEllipsis };
enum TFileDialogKind { dkOpen, dkSave, dkOpenPicture, dkSavePicture };
// fsComboBox: the dialog offers the history list.
enum TFileEditStyle { fsEdit, fsComboBox };
// Which edge of the edit the popup lines up with.
enum TPopupAlign { epaRight, epaLeft };
enum TOpenOption : unsigned { ofOverwritePrompt = 0x2, ofHideReadOnly = 0x4, ofAllowMultiSelect = 0x200 };
using TOpenOptions = unsigned;

// The default glyph of file edits: a folder, 14 x 12 on magenta.
QImage FileEditGlyph();

class TCustomComboEdit;

class TEditButton : public TExSpeedButton {
    Q_OBJECT

public:
    explicit TEditButton(TCustomComboEdit* edit, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    TCustomComboEdit* edit_;
};

class TCustomComboEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit TCustomComboEdit(QWidget* parent = nullptr);

    TEditButton* Button() const { return button_; }
    int ButtonWidth() const { return button_->width(); }
    void SetButtonWidth(int value);
    QString ButtonHint() const { return button_->toolTip(); }
    void SetButtonHint(const QString& hint) { button_->setToolTip(hint); }
    const QImage& Glyph() const { return button_->Glyph(); }
    // Makes the glyph kind custom.
    void SetGlyph(const QImage& glyph);
    TExNumGlyphs NumGlyphs() const { return button_->NumGlyphs(); }
    void SetNumGlyphs(TExNumGlyphs value);
    TGlyphKind GlyphKind() const { return glyphKind_; }
    void SetGlyphKind(TGlyphKind value);
    QKeySequence ClickKey() const { return clickKey_; }
    void SetClickKey(const QKeySequence& key) { clickKey_ = key; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);
    bool DirectInput() const { return directInput_; }
    void SetDirectInput(bool value);
    bool AlwaysEnableButton() const { return alwaysEnable_; }
    void SetAlwaysEnableButton(bool value) { alwaysEnable_ = value; }

    // The button's click (also from ClickKey): ignored while read-only.
    void ButtonClick();

    // A control shown below the edit (above it where the screen ends) as a
    // drop-down that never takes the focus; the edit owns it. Null: none.
    QWidget* Popup() const { return popup_; }
    void SetPopup(QWidget* popup);
    TPopupAlign PopupAlign() const { return popupAlign_; }
    void SetPopupAlign(TPopupAlign value) { popupAlign_ = value; }
    bool PopupVisible() const { return popupVisible_; }
    // Opens the popup with the edit's value; `disableEdit` keeps the text
    // from being typed into while it is open.
    virtual void PopupDropDown(bool disableEdit);
    // Closes the popup, taking its value into the text when `accept`.
    void PopupCloseUp(bool accept);

signals:
    void OnButtonClick();

protected:
    virtual QImage DefaultGlyph() const { return QImage(); }
    // OnButtonClick, then the popup opens or closes accepting its value.
    virtual void DoButtonClick();
    virtual bool IsReadOnly() const { return readOnly_; }
    virtual void ShowPopup(QPoint origin);
    virtual void HidePopup();
    // Whether a value from the popup may be taken.
    virtual bool AcceptPopup(const QString& value) { return true; }
    virtual void AcceptPopupValue(const QString& value);
    virtual void SendValueToPopup(const QString& value) {}
    virtual QString ValueFromPopup() const { return QString(); }
    virtual void PopupChangeHook() {}
    void RebuildGlyph();

    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void PlaceButton();
    friend class TEditButton;

    QWidget* container_;
    QWidget* popup_ = nullptr;
    TPopupAlign popupAlign_ = epaRight;
    bool popupVisible_ = false;
    bool editDisabledByPopup_ = false;
    bool suppressClick_ = false;
    TEditButton* button_;
    QKeySequence clickKey_{Qt::AltModifier | Qt::Key_Down};
    TGlyphKind glyphKind_ = gkCustom;
    bool readOnly_ = false;
    bool directInput_ = true;
    bool alwaysEnable_ = false;
};

class TFileDirEdit : public TCustomComboEdit {
    Q_OBJECT

public:
    using DialogEvent = std::function<void(TFileDirEdit* sender, QString& name, bool& action)>;

    explicit TFileDirEdit(QWidget* parent = nullptr);

    // The file's long and short names, without directory (the same here).
    virtual QString LongName() const = 0;
    virtual QString ShortName() const = 0;

    bool AcceptFiles() const { return acceptFiles_; }
    void SetAcceptFiles(bool value);
    DialogEvent OnBeforeDialog, OnAfterDialog;

signals:
    void OnDropFiles();

protected:
    virtual void TakeDroppedName(const QString& name) = 0;
    virtual void ClearFileList() {}
    virtual bool MultipleFiles() const { return false; }
    void BeforeDialog(QString& name, bool& action);
    void AfterDialog(QString& name, bool& action);

    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Accepts a drag that carries local files.
    static void AnswerFileDrag(QDragMoveEvent* event);

    bool acceptFiles_ = false;
};

class TFilenameEdit : public TFileDirEdit {
    Q_OBJECT

public:
    explicit TFilenameEdit(QWidget* parent = nullptr);
    ~TFilenameEdit() override;

    // The named file: the text when such a file exists or when it names a new file
    // in an existing directory, else the first (unquoted) word of the text.
    QString FileName() const;
    // Raises EComboEditError for an invalid name; a name with a blank is quoted.
    void SetFileName(const QString& name);
    QString DialogTitle() const { return dialogTitle_; }
    void SetDialogTitle(const QString& title) { dialogTitle_ = title; }
    QString Filter() const { return filter_; }
    // "Description|pattern|Description|pattern..."
    void SetFilter(const QString& filter) { filter_ = filter; }
    int FilterIndex() const { return filterIndex_; }
    void SetFilterIndex(int value) { filterIndex_ = value; }
    QString InitialDir() const { return initialDir_; }
    void SetInitialDir(const QString& dir) { initialDir_ = dir; }
    QString DefaultExt() const { return defaultExt_; }
    void SetDefaultExt(const QString& ext) { defaultExt_ = ext; }
    TOpenOptions DialogOptions() const { return dialogOptions_; }
    void SetDialogOptions(TOpenOptions value);
    TFileEditStyle FileEditStyle() const { return fileEditStyle_; }
    void SetFileEditStyle(TFileEditStyle value) { fileEditStyle_ = value; }
    // Earlier names the dialog offers when FileEditStyle is fsComboBox.
    const QStringList& HistoryList() const { return historyList_; }
    void SetHistoryList(const QStringList& list) { historyList_ = list; }
    QString LongName() const override;
    QString ShortName() const override;
    TFileDialogKind DialogKind() const { return dialogKind_; }
    void SetDialogKind(TFileDialogKind value) { dialogKind_ = value; }
    // The names taken by a multi-selection dialog or a drop.
    const QStringList& Files() const { return files_; }
    // The dialog while it is shown (null otherwise).
    QFileDialog* Dialog() const { return dialog_; }

protected:
    QImage DefaultGlyph() const override { return FileEditGlyph(); }
    void DoButtonClick() override;
    void TakeDroppedName(const QString& name) override;
    void ClearFileList() override { files_.clear(); }
    bool MultipleFiles() const override { return dialogOptions_ & ofAllowMultiSelect; }

private:
    QStringList NameFilters() const;

    QFileDialog* dialog_ = nullptr;
    QString dialogTitle_;
    QString filter_;
    QString initialDir_;
    QString defaultExt_;
    QStringList files_;
    QStringList historyList_;
    TFileEditStyle fileEditStyle_ = fsEdit;
    int filterIndex_ = 1;
    TOpenOptions dialogOptions_ = ofHideReadOnly;
    TFileDialogKind dialogKind_ = dkOpen;
};

}  // namespace kordalt
