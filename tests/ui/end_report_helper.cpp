// Kept apart: the turn report's colour names clash with the controls' ones.
#include "end_windows_fixture.h"
#include "game/capture.h"
#include "game/turn_report.h"

namespace kordalt {

void AddReportRecord(uint8_t kind, uint8_t gos, uint32_t color, const std::string& utf8) {
    AddMessage(kind, gos, color, Utf8ToCp1251(utf8));
}

void CaptureShowsLocalDefeat() { CaptureUi().ShowLocalDefeat(); }

void RemoveCaptureUi() { SetCaptureUi(nullptr); }

}  // namespace kordalt
