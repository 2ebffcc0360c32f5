#include "session/peer_play_qt.h"

#include "session/qt_ui_thread.h"

namespace kordalt {

TPeerPlay::TPeerPlay(QObject* owner, IPeerPlayService& service)
    : QObject(owner), TCustomPeerPlay(ApplicationUiThread(), service) {}

}  // namespace kordalt
