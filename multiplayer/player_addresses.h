// The Internet addresses of a session's players.
#pragma once

namespace kordalt {

class TCustomPeerPlay;

// True when a remote player of the session shares one of the own player's
// addresses; raises ECError when the session cannot tell.
bool AddressTaken(TCustomPeerPlay& peer);

}  // namespace kordalt
