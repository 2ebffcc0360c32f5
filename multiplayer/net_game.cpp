#include "multiplayer/net_game.h"

namespace kordalt {

uint32_t ServerID = 0;
uint8_t AcceptFullInf = 0;
uint8_t AcceptHalfInf = 0;
uint8_t ExitGame = 0;
uint8_t GameRunning = 0;
uint8_t ServerLost = 0;
uint8_t FullStateHeld = 0;
uint8_t ServerHandedOver = 0;

}  // namespace kordalt
