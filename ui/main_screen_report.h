// The turn report (and the capture rule, whose header brings the report in) as
// the main game screen reads them. Kept apart because the report's colour
// names clash with those of the controls.
#pragma once

#include <cstdint>
#include <string>

namespace kordalt {

struct TReportEntry {
    uint8_t Kind = 0;
    uint8_t Gos = 0;
    uint32_t Color = 0;  // $00BBGGRR
    std::string Text;    // cp1251
};

int ReportCount();
TReportEntry ReportEntry(int index);
// Points CurMessage at entry `index`.
void SetCurrentReportEntry(int index);
bool IsEventEntry(const TReportEntry& entry);
bool IsBattleEntry(const TReportEntry& entry);

// SquaresToCapture of the capture rules.
int64_t CaptureSquares(int speed, int32_t soldiers);

}  // namespace kordalt
