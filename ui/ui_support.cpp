#include "ui/ui_support.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLibraryInfo>
#include <QListView>
#include <QLocale>
#include <QPointer>
#include <QScreen>
#include <QSplitter>
#include <QTranslator>
#include <QTreeView>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <map>
#include <utility>
#include <vector>

#include "controls/classic.h"
#include "game/language_file.h"
#include "game/saved_game.h"
#include "platform/cp1251.h"
#include "platform/ini_file.h"
#include "session/peer_consts.h"

namespace kordalt {
namespace {

TModalHook modalHook;
std::map<const QWidget*, std::function<void()>> activationHandlers;
// The dialogs ExecModal runs, innermost last.
std::vector<QPointer<QWidget>> modalStack;

// Forgets the modal stack entry of a dialog when its run ends, however it ends.
class ModalStackEntry {
public:
    explicit ModalStackEntry(QWidget* dialog) { modalStack.emplace_back(dialog); }
    ~ModalStackEntry() { modalStack.pop_back(); }
    ModalStackEntry(const ModalStackEntry&) = delete;
    ModalStackEntry& operator=(const ModalStackEntry&) = delete;
};

}  // namespace

QString Qs(const std::string& cp1251) { return QString::fromUtf8(Cp1251ToUtf8(cp1251)); }

std::string Cs(const QString& text) { return Utf8ToCp1251(text.toUtf8().toStdString()); }

QString DialogFilter(const QString& stored) {
    const QStringList parts = stored.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts[i + 1];
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        const QString patterns = QLatin1Char('(') + pattern + QLatin1Char(')');
        // Descriptions usually show their patterns already.
        filters << (parts[i].endsWith(patterns) ? parts[i] : parts[i] + QLatin1Char(' ') + patterns);
    }
    return filters.join(QStringLiteral(";;"));
}

bool InstallQtTranslations() {
    static QTranslator translator;
    if (!translator.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(&translator);
}

void FitFileDialog(QFileDialog& dialog) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    auto* files = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    auto* places = dialog.findChild<QListView*>(QStringLiteral("sidebar"));
    auto* splitter = dialog.findChild<QSplitter*>(QStringLiteral("splitter"));
    auto* model = files ? qobject_cast<QFileSystemModel*>(files->model()) : nullptr;
    if (!files || !places || !splitter || !model) return;
    QObject::connect(model, &QFileSystemModel::directoryLoaded, files, [files, places, splitter] {
        files->header()->resizeSections(QHeaderView::ResizeToContents);
        const QList<int> sizes = splitter->sizes();
        if (sizes.size() != 2) return;
        const int wanted = places->sizeHintForColumn(0) + 2 * places->frameWidth();
        const int moved = std::max(0, wanted - sizes[0]);
        splitter->setSizes({sizes[0] + moved, sizes[1] - moved});
    });
}

TMsgButton ShowMessageBox(TMsgType type, const QString& text) {
    QPointer<QWidget> beneath = TopWindow();
    const TMsgButton pressed = RunMessageBox(type, text, beneath);
    ActivateWindow(beneath);
    return pressed;
}

bool AskYesNo(const QString& text) { return ShowMessageBox(TMsgType::Confirmation, text) == TMsgButton::Yes; }

void ShowApplicationError(QObject*, std::exception_ptr error) {
    QString text;
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
        return;
    } catch (const EIniFileError& e) {
        text = QString::fromUtf8(e.what());
    } catch (const ESaveError& e) {
        text = Qs(e.what());
    } catch (const EPeerPlayError& e) {
        text = QString::fromUtf8(e.what());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kordalt: %s\n", e.what());
        text = QString::fromUtf8(kActionFailed);
    } catch (...) {
        std::fprintf(stderr, "kordalt: an unknown exception\n");
        text = QString::fromUtf8(kActionFailed);
    }
    ShowMessageBox(TMsgType::Error, text);
}

void SetActivationHandler(QWidget* window, std::function<void()> handler) {
    if (!window) return;
    if (!handler) {
        activationHandlers.erase(window);
        return;
    }
    const bool known = activationHandlers.count(window) > 0;
    activationHandlers[window] = std::move(handler);
    if (!known) QObject::connect(window, &QObject::destroyed, [window] { activationHandlers.erase(window); });
}

void ActivateWindow(QWidget* window) {
    if (!window) return;
    const auto it = activationHandlers.find(window);
    if (it == activationHandlers.end()) return;
    const std::function<void()> handler = it->second;  // the handler may replace itself
    handler();
}

QWidget* TopWindow() {
    for (auto it = modalStack.rbegin(); it != modalStack.rend(); ++it)
        if (*it) return *it;
    if (QWidget* active = QApplication::activeWindow()) return active;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == QLatin1String("MainForm") && window->isVisible()) return window;
    return nullptr;
}

void MoveWindowTo(QWidget& window, QPoint topLeft) {
    if (!window.testAttribute(Qt::WA_Resized)) window.adjustSize();  // as showing it would
    window.setGeometry(QRect(topLeft, window.size()));
    // The geometry a window has already asks for nothing: the window manager would place
    // it anew at its next showing.
    if (QWindow* handle = window.windowHandle()) handle->setPosition(topLeft);
}

void PlaceOver(QWidget& dialog, const QWidget* beneath) {
    if (!beneath || beneath == &dialog) return;
    if (!dialog.testAttribute(Qt::WA_Resized)) dialog.adjustSize();
    QRect placed(QPoint(), dialog.size());
    placed.moveCenter(beneath->geometry().center());
    // The dialog's frame will be the one of the window beneath, when that one has been shown.
    const QRect frame = beneath->frameGeometry(), client = beneath->geometry();
    const QMargins margins(client.left() - frame.left(), client.top() - frame.top(),
                           frame.right() - client.right(), frame.bottom() - client.bottom());
    const QRect screen = beneath->screen()->availableGeometry() - margins;
    placed.moveLeft(std::max(screen.left(), std::min(placed.left(), screen.right() - placed.width() + 1)));
    placed.moveTop(std::max(screen.top(), std::min(placed.top(), screen.bottom() - placed.height() + 1)));
    MoveWindowTo(dialog, placed.topLeft());
}

QWidget* MainWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QLatin1String("MainForm")) return widget;
    return QApplication::activeWindow();
}

int ExecModal(QDialog& dialog) {
    QPointer<QWidget> beneath = TopWindow();
    if (beneath == &dialog) beneath = nullptr;
    PlaceOver(dialog, beneath);
    int result = 0;
    {
        ModalStackEntry entry(&dialog);
        if (modalHook) {
            result = modalHook(dialog);
            dialog.setResult(result);
        } else {
            result = dialog.exec();
        }
    }
    ActivateWindow(beneath);
    return result;
}

ScopedModalHook::ScopedModalHook(TModalHook hook) : previous_(std::exchange(modalHook, std::move(hook))) {}

ScopedModalHook::~ScopedModalHook() { modalHook = std::move(previous_); }

ScopedBusyCursor::ScopedBusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }

ScopedBusyCursor::~ScopedBusyCursor() { QGuiApplication::restoreOverrideCursor(); }

void TQtGameUi::ShowMessage(const std::string& text) { ShowMessageBox(TMsgType::Plain, Qs(text)); }

void TQtGameUi::StartProgress(TProgressBar bar, int max) {
    if (OnStartProgress) OnStartProgress(bar, max);
}

void TQtGameUi::SetProgress(TProgressBar bar, int position) {
    if (OnSetProgress) OnSetProgress(bar, position);
}

TQtGameUi& QtGameUi() {
    static TQtGameUi ui;
    return ui;
}

}  // namespace kordalt
