// The chat's three panes (lobby, waiting window, main game screen) and its input lines.
#pragma once

#include <QString>
#include <cstdint>
#include <string>

#include "controls/classic.h"

class QKeyEvent;
class QLineEdit;
class QTextEdit;

namespace kordalt {

class TConnect;

constexpr int kLobbyChatLines = 22;
constexpr int kWaitChatLines = 22;
constexpr int kMainChatLines = 30;
// A pane keeps at most this many lines.
constexpr int kChatPaneLimit = 49;

// Appends one line in `color`, bold or plain; keeps the newest 49 lines, shows
// the scroll bar when more than `visibleLines` lines are held, scrolls to the end.
void AppendChatLine(QTextEdit* edit, const QString& text, TColor color, bool bold, int visibleLines);

// Shows "<name> text" in every existing pane, appends it to the chat log when
// that is on, and shows the main game screen's chat signal.
void ShowChatMessage(const std::string& name, const std::string& text, TColor color);

// The same with the lobby's pane and own name given.
void ShowChatLine(QTextEdit* lobbyPane, const std::string& ownName, const std::string& name,
                  const std::string& text, TColor color);

// Enter in a chat input: sends the trimmed line through `lobby`'s session and
// empties the input; true when the key was taken.
bool ChatInputKeyPress(QLineEdit* edit, QKeyEvent* event, TConnect* lobby);

}  // namespace kordalt
