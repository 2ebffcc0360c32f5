#include "game/turn_report.h"
#include "ui/main_menu.h"

namespace kordalt {

void ClearTurnReport() { Messages.Clear(); }

}  // namespace kordalt
