// The program's windows, made by the main menu at start-up. A pointer stays
// nullptr until its window is created; code that uses a window that may not be
// built yet checks for that.
//
// Each window sets its objectName to its pointer's name here ("MainForm",
// "Main", "SelectGos", ...): the screen hand-over finds the full-screen windows
// by that name.
#pragma once

namespace kordalt {

class TMainForm;
class TStart;
class TSelectPlayer;
class TSelectGos;
class TMain;
class TSelectMan;
class TProc;
class TGraph;
class TConnect;
class TPreference;
class TRecordTable;
class TMultiPlayer;
class TDopInfo;
class TInternetGames;
class TInternetCreateGame;
class TInternetGameInfo;

extern TMainForm* MainForm;
extern TStart* Start;
extern TSelectPlayer* SelectPlayer;
extern TSelectGos* SelectGos;
extern TMain* Main;
extern TSelectMan* SelectMan;
extern TProc* Proc;
extern TGraph* Graph;
extern TConnect* Connect;
extern TPreference* Preference;
extern TRecordTable* RecordTable;
extern TMultiPlayer* MultiPlayer;
extern TDopInfo* DopInfo;
extern TInternetGames* InternetGames;
extern TInternetCreateGame* InternetCreateGame;
extern TInternetGameInfo* InternetGameInfo;

}  // namespace kordalt
