#include "ui/help_window.h"

#include <QFileInfo>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "game/texts.h"
#include "ui/ui_support.h"

namespace kordalt {
namespace {

std::string helpFile;
QPointer<QWidget> helpWindow;

constexpr int kHelpWidth = 560;
constexpr int kHelpHeight = 480;

// The help window, made on first use. It hangs below the innermost open window,
// so a modal dialog does not block it.
QTextBrowser* OpenHelpWindow() {
    QWidget* owner = TopWindow();
    if (!helpWindow) {
        helpWindow = new QWidget(owner, Qt::Window);
        helpWindow->setObjectName("HelpWindow");
        helpWindow->setAttribute(Qt::WA_DeleteOnClose);
        helpWindow->resize(kHelpWidth, kHelpHeight);
        auto* browser = new QTextBrowser(helpWindow);
        browser->setObjectName("HelpBrowser");
        browser->setOpenExternalLinks(false);
        auto* close = new QPushButton(QString::fromUtf8(kHelpClose), helpWindow);
        close->setObjectName("HelpClose");
        QObject::connect(close, &QPushButton::clicked, helpWindow, &QWidget::close);
        auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), helpWindow);
        QObject::connect(escape, &QShortcut::activated, helpWindow, &QWidget::close);
        auto* layout = new QVBoxLayout(helpWindow);
        layout->setContentsMargins(0, 0, 0, 6);
        layout->addWidget(browser);
        layout->addWidget(close, 0, Qt::AlignHCenter);
    } else if (owner && owner != helpWindow && helpWindow->parentWidget() != owner) {
        helpWindow->setParent(owner, Qt::Window);
    }
    return HelpBrowser();
}

void ShowHelp(const QString& fragment) {
    const QUrl url = HelpUrl(helpFile);
    if (!QFileInfo::exists(url.toLocalFile())) {
        ShowMessageBox(TMsgType::Error, QString::fromUtf8(kHelpFileMissing).arg(url.toLocalFile()));
        return;
    }
    QWidget* over = TopWindow();
    QTextBrowser* browser = OpenHelpWindow();
    QUrl target = url;
    target.setFragment(fragment);
    browser->setSource(target);
    if (fragment.isEmpty()) browser->scrollToAnchor({});
    // The window system adds the program's name to the title itself.
    helpWindow->setWindowTitle(browser->documentTitle());
    if (!helpWindow->isVisible()) PlaceOver(*helpWindow, over);
    helpWindow->show();
    helpWindow->raise();
    helpWindow->activateWindow();
}

}  // namespace

void SetHelpFile(const std::string& fileName) { helpFile = fileName; }

const std::string& HelpFile() { return helpFile; }

QUrl HelpUrl(const std::string& file) {
    QString name = QString::fromUtf8(file);
    if (name.endsWith(".hlp", Qt::CaseInsensitive)) name = name.left(name.size() - 4) + ".html";
    return QUrl::fromLocalFile(name);
}

void ShowHelpContents() { ShowHelp({}); }

void ShowHelpTopic(int topic) { ShowHelp(QString::number(topic)); }

void InstallHelpKey(QWidget* window, int topic) {
    auto* key = new QShortcut(QKeySequence(Qt::Key_F1), window);
    key->setContext(Qt::WindowShortcut);
    QObject::connect(key, &QShortcut::activated, [topic] { ShowHelpTopic(topic); });
}

QTextBrowser* HelpBrowser() {
    return helpWindow ? helpWindow->findChild<QTextBrowser*>("HelpBrowser") : nullptr;
}

}  // namespace kordalt
