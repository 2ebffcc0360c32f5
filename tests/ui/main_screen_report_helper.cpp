#include "game/turn_report.h"
#include "platform/cp1251.h"

namespace kordalt::test {

void ClearReport() { Messages.Clear(); }

void AddEventLine(uint8_t gos, uint32_t colour, const std::string& utf8) {
    AddMessage(kEventMessage, gos, colour, Utf8ToCp1251(utf8));
}

void AddBattleLine(uint8_t gos, uint32_t colour, const std::string& utf8) {
    AddMessage(kBattleMessage, gos, colour, Utf8ToCp1251(utf8));
}

int ReportSize() { return Messages.Count(); }

}  // namespace kordalt::test
