#include "controls/edit_button.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QStyle>

#include "controls/command_line.h"
#include "controls/draw_utils.h"
#include "controls/form_placement.h"

namespace kordalt {

namespace {

constexpr int kDefaultButtonWidth = 21;
constexpr int kClassicBorder = 2;  // the sunken edit frame

bool IsValidFileName(const QString& name) { return kordalt::IsValidFileName(name.toStdString()); }

bool FolderExists(const QString& name) { return kordalt::FolderExists(name.toStdString()); }

bool FileExists(const QString& name) { return !name.isEmpty() && QFileInfo(name).isFile(); }

QString ProgramPart(const QString& text) {
    std::string program, params;
    SplitProgramAndParams(text.toStdString(), program, params);
    return QString::fromStdString(program);
}

QString Quoted(const QString& name) {
    return name.contains(u' ') && !name.startsWith(u'"') ? u'"' + name + u'"' : name;
}

// Three black 2 x 2 dots centred in a monochrome bitmap four pixels high.
QImage EllipsisGlyph(int buttonWidth) {
    const int width = IntMax(1, buttonWidth - 6);
    QImage image(width, 4, QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    image.fill(0);
    const int w = IntMax(1, IntMin((width - 6) / 2, 3));
    const int x0 = (width - 6 - 2 * w) / 2;
    for (int dot = 0; dot < 3; ++dot) {
        for (int dx = 0; dx < 2; ++dx) {
            for (int dy = 1; dy < 3; ++dy) {
                const int x = x0 + dot * (w + 2) + dx;
                if (x >= 0 && x < width) image.setPixel(x, dy, 1);
            }
        }
    }
    return image;
}

// The drop-down arrow of a combo box, as wide as a scroll bar.
QImage DropDownGlyph(int width) {
    QImage image(width, 4, QImage::Format_RGB32);
    image.fill(ToQColor(clFuchsia));
    const int left = (width - 7) / 2;
    for (int row = 0; row < 4; ++row) {
        for (int x = left + row; x < left + 7 - row; ++x) image.setPixel(x, row, ToQRgb(clBlack));
    }
    return image;
}

}  // namespace

QImage FileEditGlyph() {
    static const char* const rows[12] = {".             ", ".  ####       ", ". #yyyy#      ",
                                         ".#yyyyyy######", ".#yyyyyyyyyyy#", ".#yyyyyyyyyyy#",
                                         ".#yyyyyyyyyyy#", ".#yyyyyyyyyyy#", ".#yyyyyyyyyyy#",
                                         ".#yyyyyyyyyyy#", ".#############", ".             "};
    QImage image(14, 12, QImage::Format_RGB32);
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 14; ++x) {
            const char c = rows[y][x];
            image.setPixel(x, y, ToQRgb(c == '#' ? clBlack : c == 'y' ? clYellow : clFuchsia));
        }
    }
    return image;
}

// ---- TEditButton

TEditButton::TEditButton(TCustomComboEdit* edit, QWidget* parent) : TExSpeedButton(parent), edit_(edit) {
    setFocusPolicy(Qt::NoFocus);
}

void TEditButton::paintEvent(QPaintEvent* event) {
    TExSpeedButton::paintEvent(event);
    if (State() == bdsPressed || Down()) return;
    QPainter painter(this);
    painter.fillRect(0, 0, 1, height(), ToQColor(clBtnFace));
    painter.fillRect(1, 1, 1, IntMax(0, height() - 3), ToQColor(clBtnHighlight));
}

void TEditButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && edit_->PopupVisible()) {
        // Closes the popup, taking its value; the click that follows is dropped.
        edit_->PopupCloseUp(true);
        edit_->suppressClick_ = true;
    } else if (event->button() == Qt::LeftButton && edit_->focusPolicy() != Qt::NoFocus &&
               edit_->isEnabled() && !edit_->hasFocus()) {
        edit_->setFocus(Qt::MouseFocusReason);
    }
    TExSpeedButton::mousePressEvent(event);
}

// ---- TCustomComboEdit

TCustomComboEdit::TCustomComboEdit(QWidget* parent)
    : QLineEdit(parent), container_(new QWidget(this)), button_(new TEditButton(this, container_)) {
    container_->resize(kDefaultButtonWidth, 17);
    button_->resize(container_->size());
    button_->SetNumGlyphs(1);
    connect(button_, &TExSpeedButton::OnClick, this, &TCustomComboEdit::ButtonClick);
    resize(width(), 21);
    PlaceButton();
}

void TCustomComboEdit::ButtonClick() {
    if (suppressClick_) {
        suppressClick_ = false;
        return;
    }
    if (IsReadOnly() && !alwaysEnable_) return;
    DoButtonClick();
}

void TCustomComboEdit::DoButtonClick() {
    emit OnButtonClick();
    if (popup_ == nullptr) return;
    if (popupVisible_)
        PopupCloseUp(true);
    else
        PopupDropDown(true);
}

void TCustomComboEdit::SetPopup(QWidget* popup) {
    if (popupVisible_) PopupCloseUp(false);
    popup_ = popup;
    if (popup == nullptr) return;
    popup->setParent(this, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    popup->setAttribute(Qt::WA_ShowWithoutActivating);
    popup->setFocusPolicy(Qt::NoFocus);
    popup->hide();
}

void TCustomComboEdit::PopupDropDown(bool disableEdit) {
    if (popup_ == nullptr || popupVisible_) return;
    SendValueToPopup(text());
    const QPoint below = mapToGlobal(QPoint(0, height()));
    int x = popupAlign_ == epaLeft ? below.x() : below.x() + width() - popup_->width();
    int y = below.y();
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->geometry();
        if (y + popup_->height() > area.bottom()) y = mapToGlobal(QPoint(0, 0)).y() - popup_->height();
        x = IntMax(area.left(), IntMin(x, area.right() + 1 - popup_->width()));
    }
    if (disableEdit && !isReadOnly()) {
        setReadOnly(true);
        editDisabledByPopup_ = true;
    }
    ShowPopup({x, y});
    popupVisible_ = true;
}

void TCustomComboEdit::PopupCloseUp(bool accept) {
    if (!popupVisible_) return;
    popupVisible_ = false;
    HidePopup();
    if (editDisabledByPopup_) {
        editDisabledByPopup_ = false;
        setReadOnly(readOnly_ || !directInput_);
    }
    if (!accept) return;
    const QString value = ValueFromPopup();
    if (AcceptPopup(value)) AcceptPopupValue(value);
}

void TCustomComboEdit::ShowPopup(QPoint origin) {
    popup_->move(origin);
    popup_->show();
    popup_->raise();
}

void TCustomComboEdit::HidePopup() { popup_->hide(); }

void TCustomComboEdit::AcceptPopupValue(const QString& value) {
    if (value == text()) return;
    setText(value);
    setModified(true);
    PopupChangeHook();
}

void TCustomComboEdit::focusOutEvent(QFocusEvent* event) {
    PopupCloseUp(false);
    QLineEdit::focusOutEvent(event);
}

void TCustomComboEdit::SetButtonWidth(int value) {
    container_->setVisible(value >= 2);
    if (value < width()) {
        button_->resize(value, button_->height());
        container_->resize(value, container_->height());
    }
    RebuildGlyph();
    PlaceButton();
}

void TCustomComboEdit::SetGlyph(const QImage& glyph) {
    glyphKind_ = gkCustom;
    button_->SetGlyph(glyph);
}

void TCustomComboEdit::SetNumGlyphs(TExNumGlyphs value) {
    button_->SetNumGlyphs(glyphKind_ == gkCustom ? value : 1);
}

void TCustomComboEdit::SetGlyphKind(TGlyphKind value) {
    if (value == glyphKind_) return;
    glyphKind_ = value;
    RebuildGlyph();
}

void TCustomComboEdit::RebuildGlyph() {
    switch (glyphKind_) {
        case gkDefault: {
            const QImage glyph = DefaultGlyph();
            button_->SetGlyph(glyph);
            button_->SetNumGlyphs(1);
            if (!glyph.isNull()) {
                const int width = IntMax(glyph.width() + 6, ButtonWidth());
                button_->resize(width, button_->height());
                container_->resize(width, container_->height());
            }
            break;
        }
        case gkDropDown: {
            const int width = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
            button_->SetGlyph(DropDownGlyph(width));
            button_->SetNumGlyphs(1);
            button_->resize(width, button_->height());
            container_->resize(width, container_->height());
            break;
        }
        case gkEllipsis:
            button_->SetGlyph(EllipsisGlyph(ButtonWidth()));
            button_->SetNumGlyphs(1);
            break;
        case gkCustom:
            break;
    }
    PlaceButton();
}

void TCustomComboEdit::SetReadOnly(bool value) {
    readOnly_ = value;
    setReadOnly(readOnly_ || !directInput_);
}

void TCustomComboEdit::SetDirectInput(bool value) {
    directInput_ = value;
    setReadOnly(readOnly_ || !directInput_);
}

void TCustomComboEdit::PlaceButton() {
    const int minimum = fontMetrics().height() + 4 + 1;
    setMinimumHeight(minimum);
    const int border = hasFrame() ? kClassicBorder : 0;
    const int w = container_->width();
    container_->setGeometry(width() - border - w, border, w, IntMax(0, height() - 2 * border));
    button_->resize(w, container_->height());
    setTextMargins(0, 0, (container_->isHidden() ? 0 : w) + 2, 0);
}

void TCustomComboEdit::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (popupVisible_ && (enter || event->key() == Qt::Key_Escape)) {
        event->accept();
        PopupCloseUp(enter);
        return;
    }
    if (!clickKey_.isEmpty() && QKeySequence(event->keyCombination()) == clickKey_ && ButtonWidth() > 0 &&
        !container_->isHidden()) {
        event->accept();
        ButtonClick();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TCustomComboEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    PlaceButton();
}

void TCustomComboEdit::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange) PlaceButton();
}

// ---- TFileDirEdit

TFileDirEdit::TFileDirEdit(QWidget* parent) : TCustomComboEdit(parent) {}

void TFileDirEdit::SetAcceptFiles(bool value) { acceptFiles_ = value; }

void TFileDirEdit::BeforeDialog(QString& name, bool& action) {
    if (OnBeforeDialog) OnBeforeDialog(this, name, action);
}

void TFileDirEdit::AfterDialog(QString& name, bool& action) {
    if (OnAfterDialog) OnAfterDialog(this, name, action);
}

namespace {

QStringList LocalFiles(const QMimeData* data) {
    QStringList files;
    if (data == nullptr) return files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) files << url.toLocalFile();
    }
    return files;
}

}  // namespace

void TFileDirEdit::AnswerFileDrag(QDragMoveEvent* event) {
    if (!LocalFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TFileDirEdit::dragEnterEvent(QDragEnterEvent* event) {
    if (acceptFiles_)
        AnswerFileDrag(event);
    else
        QLineEdit::dragEnterEvent(event);
}

void TFileDirEdit::dragMoveEvent(QDragMoveEvent* event) {
    if (acceptFiles_)
        AnswerFileDrag(event);
    else
        QLineEdit::dragMoveEvent(event);
}

void TFileDirEdit::dropEvent(QDropEvent* event) {
    if (!acceptFiles_) {
        QLineEdit::dropEvent(event);
        return;
    }
    const QStringList files = LocalFiles(event->mimeData());
    event->acceptProposedAction();
    if (files.isEmpty()) return;
    ClearFileList();
    try {
        for (const QString& name : files) {
            TakeDroppedName(name);
            if (!MultipleFiles()) break;
        }
    } catch (...) {
        HandleApplicationException(this, std::current_exception());
    }
    emit OnDropFiles();
}

// ---- TFilenameEdit

TFilenameEdit::TFilenameEdit(QWidget* parent)
    : TFileDirEdit(parent),
      dialogTitle_(QString::fromUtf8("Список")),
      filter_(QString::fromUtf8("Все файлы (*.*)|*.*")) {
    SetGlyphKind(gkDefault);
}

TFilenameEdit::~TFilenameEdit() = default;

QString TFilenameEdit::FileName() const {
    const QString text = this->text();
    if (FileExists(text)) return text;
    if (!text.startsWith(u'"') && !text.isEmpty() && FolderExists(QFileInfo(text).path()) &&
        IsValidFileName(QFileInfo(text).fileName())) {
        return text;
    }
    return ProgramPart(text);
}

void TFilenameEdit::SetFileName(const QString& name) {
    if (!name.isEmpty()) {
        const QString file = FileExists(name) ? name : ProgramPart(name);
        if (!IsValidFileName(file))
            throw EComboEditError(QStringLiteral("Invalid file name - %1").arg(name).toStdString());
    }
    setText(Quoted(name));
    files_.clear();
}

QString TFilenameEdit::LongName() const {
    return QString::fromStdString(ShortToLongPath(FileName().toStdString()));
}

QString TFilenameEdit::ShortName() const {
    return QString::fromStdString(LongToShortPath(FileName().toStdString()));
}

void TFilenameEdit::SetDialogOptions(TOpenOptions value) {
    dialogOptions_ = value;
    if (!(value & ofAllowMultiSelect)) files_.clear();
}

QStringList TFilenameEdit::NameFilters() const {
    const QStringList parts = filter_.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = QString(parts[i + 1]).replace(u';', u' ');
        const QString description = parts[i];
        filters << (description.endsWith(u'(' + patterns + u')')
                        ? description
                        : description + QStringLiteral(" (") + patterns + u')');
    }
    return filters;
}

void TFilenameEdit::DoButtonClick() {
    TFileDirEdit::DoButtonClick();
    QString name = FileName();
    bool action = true;
    BeforeDialog(name, action);
    if (action) {
        QFileDialog dialog(this, dialogTitle_);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        const bool save = dialogKind_ == dkSave || dialogKind_ == dkSavePicture;
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(save ? QFileDialog::AnyFile
                                : (MultipleFiles() ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile));
        if (save && !(dialogOptions_ & ofOverwritePrompt))
            dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.setDefaultSuffix(defaultExt_);
        dialog.setHistory(fileEditStyle_ == fsComboBox ? historyList_ : QStringList());
        const QStringList filters = NameFilters();
        dialog.setNameFilters(filters);
        if (filterIndex_ >= 1 && filterIndex_ <= filters.size())
            dialog.selectNameFilter(filters[filterIndex_ - 1]);
        if (IsValidFileName(name)) {
            const QFileInfo info(name);
            if (FolderExists(info.path()) && name.contains(u'/')) initialDir_ = info.path();
            if (!IsValidFileName(info.fileName())) name.clear();
        }
        if (!initialDir_.isEmpty()) dialog.setDirectory(initialDir_);
        if (!name.isEmpty()) dialog.selectFile(QFileInfo(name).fileName());
        dialog_ = &dialog;
        action = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
        dialog_ = nullptr;
        if (action) {
            name = dialog.selectedFiles().constFirst();
            filterIndex_ = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
            if (MultipleFiles()) files_ = dialog.selectedFiles();
        }
    }
    if (focusPolicy() != Qt::NoFocus && isEnabled()) setFocus(Qt::OtherFocusReason);
    AfterDialog(name, action);
    if (action) {
        setText(Quoted(name));
        initialDir_ = QFileInfo(name).path();
    }
}

void TFilenameEdit::TakeDroppedName(const QString& name) {
    if (!MultipleFiles()) {
        SetFileName(name);
        return;
    }
    if (files_.isEmpty()) SetFileName(name);
    files_ << name;
}

}  // namespace kordalt
