#include "ui/internet_support.h"

#include <QApplication>
#include <QEventLoop>
#include <QPainter>
#include <QProgressDialog>
#include <QTimer>
#include <memory>

#include "controls/draw_grid.h"
#include "game/language_file.h"
#include "ui/ui_support.h"

namespace kordalt {

bool AskListingServer(const std::string& request, std::string& reply) {
    std::unique_ptr<TServerQueryThread, TThreadEC::Deleter> query(new TServerQueryThread(request));
    query->StartThread();
    QProgressDialog box(QString::fromUtf8(kListingServerWait), QString::fromUtf8(kListingServerCancel), 0, 0,
                        QApplication::activeWindow());
    box.setObjectName(QStringLiteral("ListingServerWait"));
    box.setWindowModality(Qt::ApplicationModal);
    box.setMinimumDuration(0);
    box.setAutoReset(false);
    box.setAutoClose(false);
    QEventLoop wait;
    QObject::connect(&box, &QProgressDialog::canceled, &wait, &QEventLoop::quit);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &wait, [&] {
        if (!query->Running()) wait.quit();
    });
    poll.start(20);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    box.show();
    if (query->Running()) wait.exec();
    QApplication::restoreOverrideCursor();
    // A cancelled exchange stops at its next progress check.
    const bool answered = !query->Running() && !box.wasCanceled();
    reply = answered ? query->Reply : std::string();
    return answered;
}

void DrawInternetCell(TExDrawGrid& grid, int row, const TRect& rect, const QString& text) {
    QPainter& canvas = *grid.Canvas();
    QFont font = canvas.font();
    font.setBold(row == 0);
    canvas.setFont(font);
    if (row == 0)
        grid.DrawCellStr(rect, text, taCenter);
    else
        grid.DrawCellStr(rect, QLatin1Char(' ') + text, taLeftJustify);
}

bool ReportReply(WebReply reply, std::initializer_list<TReplyText> texts) {
    if (reply == WebReply::Ok) return true;
    for (const TReplyText& t : texts)
        if (t.Reply == reply) ShowMessageBox(TMsgType::Plain, Qs(LangText(t.Text)));
    return false;
}

bool IsValidNetName(const QString& name) { return IsValidNetName(Cs(name)); }

void StorePlayerName(const QString& name) {
    if (LanguageFile) LanguageFile->WriteString("Preferences", "PlayerName", Cs(name));
}

}  // namespace kordalt
