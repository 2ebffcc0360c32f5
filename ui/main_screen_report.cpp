#include "ui/main_screen_report.h"

#include "game/capture.h"
#include "game/turn_report.h"

namespace kordalt {

int ReportCount() { return Messages.Count(); }

TReportEntry ReportEntry(int index) {
    const TMessageRec& m = *Messages[index];
    return {m.Kind, m.Gos, m.Color, m.Text.Str()};
}

void SetCurrentReportEntry(int index) { CurMessage = Messages[index]; }

bool IsEventEntry(const TReportEntry& entry) { return entry.Kind == kEventMessage; }
bool IsBattleEntry(const TReportEntry& entry) { return entry.Kind == kBattleMessage; }

int64_t CaptureSquares(int speed, int32_t soldiers) { return SquaresToCapture(speed, soldiers); }

}  // namespace kordalt
