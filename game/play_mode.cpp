#include "game/play_mode.h"

namespace kordalt {

TPlayMode PlayMode;

}  // namespace kordalt
