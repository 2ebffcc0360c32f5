#include "ui/windows.h"

namespace kordalt {

TMainForm* MainForm = nullptr;
TStart* Start = nullptr;
TSelectPlayer* SelectPlayer = nullptr;
TSelectGos* SelectGos = nullptr;
TMain* Main = nullptr;
TSelectMan* SelectMan = nullptr;
TProc* Proc = nullptr;
TGraph* Graph = nullptr;
TConnect* Connect = nullptr;
TPreference* Preference = nullptr;
TRecordTable* RecordTable = nullptr;
TMultiPlayer* MultiPlayer = nullptr;
TDopInfo* DopInfo = nullptr;
TInternetGames* InternetGames = nullptr;
TInternetCreateGame* InternetCreateGame = nullptr;
TInternetGameInfo* InternetGameInfo = nullptr;

}  // namespace kordalt
