#include "multiplayer/net_game.h"

namespace kordalt {

TNetGame Net;

}  // namespace kordalt
