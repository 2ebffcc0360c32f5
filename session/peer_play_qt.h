// The session component of a Qt program: its wake-ups reach the application's
// user-interface thread.
#pragma once

#include <QObject>

#include "session/peer_play.h"

namespace kordalt {

class TPeerPlay : public QObject, public TCustomPeerPlay {
    Q_OBJECT
public:
    explicit TPeerPlay(QObject* owner = nullptr, IPeerPlayService& service = LoadedSessionService());
};

}  // namespace kordalt
