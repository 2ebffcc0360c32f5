#include "ui/internet_support.h"

#include <QPainter>

#include "controls/draw_grid.h"
#include "game/language_file.h"
#include "ui/ui_support.h"

namespace kordalt {

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
        if (t.Reply == reply) ShowMessageBox(TMsgType::Plain, Qs(LangText(t.Id, t.Default)));
    return false;
}

bool IsValidNetName(const QString& name) { return IsValidNetName(Cs(name)); }

void StorePlayerName(const QString& name) {
    if (LanguageFile) LanguageFile->WriteString("Preferences", "PlayerName", Cs(name));
}

}  // namespace kordalt
