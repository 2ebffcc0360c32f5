#include "ui/connect_chat.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

#include "controls/classic.h"
#include "multiplayer/chat.h"
#include "ui/connect.h"
#include "ui/main_screen.h"
#include "ui/multi_player.h"
#include "ui/ui_support.h"

namespace kordalt {

void AppendChatLine(QTextEdit* edit, const QString& text, TColor color, bool bold, int visibleLines) {
    if (!edit) return;
    QTextDocument* doc = edit->document();
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    format.setForeground(ToQColor(color));
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    if (!doc->isEmpty()) cursor.insertBlock();
    cursor.insertText(text, format);
    while (doc->blockCount() > kChatPaneLimit) {
        QTextCursor first(doc->firstBlock());
        first.select(QTextCursor::BlockUnderCursor);
        first.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
        first.removeSelectedText();
    }
    edit->setVerticalScrollBarPolicy(doc->blockCount() > visibleLines ? Qt::ScrollBarAlwaysOn
                                                                      : Qt::ScrollBarAlwaysOff);
    edit->verticalScrollBar()->setValue(edit->verticalScrollBar()->maximum());
}

void ShowChatMessage(const std::string& name, const std::string& text, TColor color) {
    if (Connect)
        Connect->ShowChatMessage(name, text, color);
    else
        ShowChatLine(nullptr, "", name, text, color);
}

void ShowChatLine(QTextEdit* lobbyPane, const std::string& ownName, const std::string& name,
                  const std::string& text, TColor color) {
    const bool bold = ChatLineBold(ownName, name);
    const std::string line = ChatLine(name, text);
    AppendChatLine(lobbyPane, Qs(line), color, bold, kLobbyChatLines);
    if (MultiPlayer) AppendChatLine(MultiPlayer->RichEditInWaitEOT, Qs(line), color, bold, kWaitChatLines);
    if (Main) AppendChatLine(Main->Info.ChatRichEdit, Qs(line), color, bold, kMainChatLines);
    if (const auto error = LogChatLine(line)) ShowMessageBox(TMsgType::Error, Qs(*error));
    if (Main && Main->ChatSignal) Main->ChatSignal->show();
}

bool ChatInputKeyPress(QLineEdit* edit, QKeyEvent* event, TConnect* lobby) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) return false;
    const auto text = ChatInputText(Cs(edit->text()));
    if (!text) return false;
    if (lobby) lobby->SendAllMessage(*text, clBlack);
    edit->clear();
    return true;
}

}  // namespace kordalt
