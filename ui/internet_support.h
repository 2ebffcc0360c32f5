// What the Internet windows share: their grids' cells and the server's replies
// turned into messages.
#pragma once

#include <QString>
#include <initializer_list>
#include <string>

#include "controls/classic.h"
#include "game/texts.h"
#include "multiplayer/web_protocol.h"

namespace kordalt {

class TExDrawGrid;

// Header row 0 bold and centred; other rows plain, left-aligned, one blank first.
void DrawInternetCell(TExDrawGrid& grid, int row, const TRect& rect, const QString& text);

// A message for one kind of failed reply.
struct TReplyText {
    WebReply Reply;
    TText Text;
};
// Shows the message listed for `reply`; true when the reply is a success.
bool ReportReply(WebReply reply, std::initializer_list<TReplyText> texts);

// Asks the listing server (InternetServer) off the window's thread: while it
// answers, the hourglass shows and a box offers to cancel. False when the
// player cancelled; else `reply` is the answer, empty when the exchange failed.
bool AskListingServer(const std::string& request, std::string& reply);

// The account and settings name rule, on a Qt text.
bool IsValidNetName(const QString& name);

// Stores [Preferences] "PlayerName" (nothing without a settings file).
void StorePlayerName(const QString& name);

}  // namespace kordalt
