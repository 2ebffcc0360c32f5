// The program's display texts by name: each its id in the language section of
// the settings file and its built-in default (UTF-8; "|" and "\r" stand for
// line breaks as the settings file has them). Fetch one with LangText.
// A fixed text the settings file has no id for is a named UTF-8 string beside
// them (the windows fill a %1 with QString::arg, FormatText fills a %s).
#pragma once

#include <cstdint>
#include <string_view>

namespace kordalt {

struct TText {
    int32_t Id;
    std::string_view Default;

    // The same text where a missing one shows nothing.
    constexpr TText WithoutDefault() const { return {Id, {}}; }
};

// Texts with consecutive ids and one default, as lists that windows number.
struct TTextRange {
    int32_t First;
    int32_t Count;
    std::string_view Default;

    // Text `i`, counted from 0.
    constexpr TText operator[](int32_t i) const { return {First + i, Default}; }
};

// --- Main menu
inline constexpr TText kAppTitle{1000, "Kordalt"};
inline constexpr TText kMenuCaption{1009, "Kordalt"};
inline constexpr TText kMenuNetworkGame{1001, "Сетевая игра"};
inline constexpr TText kMenuNewGame{1002, "Новая игра"};
inline constexpr TText kMenuLoadGame{1003, "Загрузить игру"};
inline constexpr TText kMenuHallOfFame{1004, "Зал славы"};
inline constexpr TText kMenuSettings{1005, "Настройки"};
inline constexpr TText kMenuHelp{1006, "Помощь"};
inline constexpr TText kMenuAbout{1007, "Об авторах"};
inline constexpr TText kMenuExit{1008, "Выход"};
inline constexpr TText kMenuInternetGame{1010, "Интернет игра"};
inline constexpr TText kMenuVersion{1011, "Версия %s"};  // the version
inline constexpr TText kConnectionLost{3138, "Соединение прервано"};
inline constexpr TText kNoTcpIp{3139, "TCP/IP не найден"};
// Fixed: the settings file has no texts for them.
inline constexpr const char* kCannotStart = "Игра не может запуститься.\n%1";  // why
inline constexpr const char* kActionFailed = "Произошла ошибка, действие не выполнено. Игра продолжается.";
inline constexpr const char* kHelpClose = "&Закрыть";
inline constexpr const char* kHelpFileMissing = "Файл помощи не найден: %1";  // the file
// Base names of the Kordalt pool, 20 slots each; a number is appended.
inline constexpr TTextRange kKordaltBaseNames{1100, 11, "?"};

// --- New game: states and rulers
inline constexpr TTextRange kStateNames{1111, 20, "Ошибка"};  // index: the state's number - 1
inline constexpr TTextRange kRulerNames{1140, 10, "Ошибка"};
inline constexpr TTextRange kHallOfFameRulerNames{1180, 8, ""};  // the default rows

// --- Set-up window
inline constexpr TText kStartCaption{2000, "Новая игра"};
inline constexpr TText kStartGenerateMap{2001, "Генерация\rновой карты"};
inline constexpr TText kStartChooseTerritory{2002, "Выбор\rтерритории"};
inline constexpr TText kStartExit{2003, "Выход"};
inline constexpr TText kStartHelp{2004, "Помощь"};
inline constexpr TText kStartMap{2005, "Карта"};
inline constexpr TText kStartTraining{2006, "Тренировка"};
inline constexpr TText kStartNormal{2007, "Нормальный"};
inline constexpr TText kStartExpert{2008, "Эксперт"};
inline constexpr TText kStartTrainingAbout{2009, "1"};
inline constexpr TText kStartNormalAbout{2010, "2"};
inline constexpr TText kStartExpertAbout{2011, "3"};
inline constexpr TText kStartMapSize{2012, "Размер территории"};
inline constexpr TText kStartStates{2013, "Количество государств"};
inline constexpr TText kStartHumans{2014, "Количество людей\rна карте:"};
inline constexpr TText kStartDifficulty{2015, "Сложность игры:"};
inline constexpr TText kStartPleaseWait{2016, "Пожалуйста подождите..."};
inline constexpr TText kStartComputersMove{2017, "Ходят компьютерные игроки"};
inline constexpr TText kStartBattles{2018, "Просчитываются сражения"};
inline constexpr TText kStartYear{2019, "Год:"};
inline constexpr TText kOpenDialogTitle{2020, ""};
inline constexpr TText kLevelNormal{3500, "Нормальная игра"};
inline constexpr TText kLevelExpert{3501, "Профессиональная игра"};
inline constexpr TText kLevelTraining{3502, "Тренировочная игра"};
inline constexpr TText kGeneratingMap{3108, "Подождите||создается|новая|карта"};
// Read raw: "|" separates the description from the mask.
inline constexpr TText kSavedGameFilter{1174, ""};

// --- State choice
inline constexpr TText kSelectGosCaption{3000, "Выбор территории"};
inline constexpr TText kSelectGosConfirm{3001, "Потверждаю выбор"};
inline constexpr TText kSelectGosReject{3002, "Меня не устаивает\r эта территория"};
inline constexpr TText kSelectGosPrompt{3003, "Выберите себе государство"};
inline constexpr TText kSelectGosRulerName{3004, "Ваше имя"};
inline constexpr TText kStateTaken{3110, "Извините\rэта территория уже выбрана"};

// --- Defeat and victory screen
inline constexpr TText kProcCaption{1200, ""};
inline constexpr TText kProcLoseBefore{1201, ""};
inline constexpr TText kProcLoseAfter{1202, ""};
inline constexpr TText kProcLoseVerdict{1203, ""};
inline constexpr TText kProcLoseClose{1204, ""};
inline constexpr TText kProcWinGreeting{1205, ""};
inline constexpr TText kProcWinMessage{1206, ""};
inline constexpr TText kProcWinBanner{1207, ""};
inline constexpr TText kProcWinClose{1208, ""};

// --- Player hand-over and turn banner
inline constexpr TText kSelectPlayerCaption{1300, ""};
inline constexpr TText kSelectPlayerOk{1301, ""};
inline constexpr TText kSelectPlayerRequest{1302, ""};
inline constexpr TText kSelectManCaption{1350, "Выбор игрока"};
inline constexpr TText kSelectManOk{1351, "OK"};
inline constexpr TText kSelectManTimes{1352, "Время\rпотраченное на игру :"};
inline constexpr TText kSelectManYear{1353, "Год"};
inline constexpr TText kSelectManBanner{1354, "ВАШ ХОД"};

// --- Network waiting window
inline constexpr TText kMultiPlayerCaption{1400, "MultiPlayer"};
inline constexpr TText kMultiPlayerAbort{1401, "Прервать игру"};
inline constexpr TText kMultiPlayerOthersPlay{1402, "Подождите, пока остальные игроки сделают свой ход"};
inline constexpr TText kMultiPlayerSending{1403, "Synchronization and sending of data"};
inline constexpr TText kServerLeavesQuestion{3122, "Будут ли другие игроки продолжать игру без Вас ?"};
inline constexpr TText kAbortGameQuestion{3123, ""};
inline constexpr TText kSessionLostText{3136, "Связь с сетевой игрой потеряна."};
inline constexpr TText kServerSending{3137, ""};

// --- Main screen
inline constexpr TText kMainCaption{1500, "Kordalt"};
inline constexpr TTextRange kMainButtonHints{1501, 4, ""};     // Next, Exit, Pass, Help
inline constexpr TTextRange kMainButtonCaptions{1586, 4, ""};  // the same
inline constexpr TText kInfoTab{1505, ""};
inline constexpr TText kEconomyTab{1513, ""};
inline constexpr TText kScienceTab{1545, ""};
inline constexpr TText kBordersTab{1564, ""};
inline constexpr TText kShopTab{1574, ""};
inline constexpr TText kChatTab{1583, ""};
inline constexpr TText kSaveDialogTitle{1585, ""};
inline constexpr TText kStatusYear{1590, ""};  // the year
inline constexpr TText kEndGameQuestion{3119, "Вы уверены, что хотите закончить игру ?"};
inline constexpr TText kSaveBeforeLeavingQuestion{3120, "Сохранить игру желаете ?"};
inline constexpr TText kWebLanguage{3179, "Russian"};  // the language field of web requests

// --- Main screen, information and chat pages
inline constexpr TText kInfoEvents{1506, ""};
inline constexpr TText kInfoChronicle{1507, ""};
inline constexpr TText kInfoBattles{1508, "Битвы :"};
inline constexpr TText kNewsYear{1509, "Год"};
inline constexpr TText kInfoSettings{1510, ""};
inline constexpr TText kInfoSave{1511, ""};
inline constexpr TText kChatPlayers{1584, ""};
inline constexpr TText kOutOfGame{1173, "вне игры:"};
inline constexpr TText kArmyChart{3176, "Армия"};
inline constexpr TText kMoraleChart{3177, "Мораль"};

// --- Main screen, economy page
inline constexpr TText kSquareKm{1165, "кв.км"};
inline constexpr TText kPeople{1166, "чел."};
inline constexpr TText kSeedCaption{1514, ""};
inline constexpr TTextRange kEconomyPanelTitles{1515, 7, ""};
inline constexpr TTextRange kEconomyPanelHints{1522, 7, ""};
inline constexpr TTextRange kEconomySummaryCaptions{1529, 16, ""};
inline constexpr TText kSellGrainQuestion{3112, "Вы уверены, что не хотите сначала обработать землю ?"};
inline constexpr TText kNoMoneyToTrain{3113, "У Вас недостаточно денег!"};
inline constexpr TText kDismissScientistsQuestion{3114, "Вы уверены, что хотите уволить %d учёных?"};
inline constexpr TText kDismissSoldiersQuestion{3115, "Вы уверены, что хотите уволить %d солдат?"};
// Fixed: why an action refuses, where the settings file has no text for it.
inline constexpr const char* kBadActionValue = "Недопустимое значение!";
inline constexpr const char* kNoPeasants = "У Вас недостаточно крестьян!";
inline constexpr const char* kNoGrain = "У Вас недостаточно зерна!";
inline constexpr const char* kNoFieldsToSow = "Столько полей засеять нельзя!";
inline constexpr const char* kNoFreeScientists = "У Вас нет столько свободных учёных!";
inline constexpr const char* kNoReserveSoldiers = "У Вас нет столько солдат в резерве!";
inline constexpr const char* kNotYourKordalt = "Это не Ваш Kordalt!";

// --- Main screen, science page
inline constexpr TTextRange kScienceBranches{1546, 6, ""};
inline constexpr TText kScienceLevel{1552, ""};
inline constexpr TTextRange kScienceNeededCaptions{1553, 6, ""};
inline constexpr TText kScienceYears{1559, ""};
inline constexpr TText kScienceForOneYear{1560, ""};
inline constexpr TText kScienceFree{1561, ""};
inline constexpr TText kScienceRecallAll{1562, ""};
inline constexpr TText kScienceRecallAllHint{1563, ""};
inline constexpr TText kScienceNeeded{1593, ""};  // the scientists needed

// --- Main screen, borders page
inline constexpr TText kBordersReserve{1568, ""};
inline constexpr TText kBordersChronicle{1569, ""};
inline constexpr TText kBordersAllRest{1570, ""};
inline constexpr TText kBordersAllRestHint{1571, ""};
inline constexpr TText kBordersCharts{1572, ""};
inline constexpr TText kBordersFrontSlider{1596, ""};
inline constexpr TText kBordersSquaresWon{1597, "%d"};
inline constexpr TText kMiniMapNormal{1591, ""};
inline constexpr TText kMiniMapWorld{1592, ""};
// Fixed: the settings file has no text for it.
inline constexpr const char* kMiniMapNames = "Названия";
inline constexpr TText kKordaltTroops{1156, ""};
inline constexpr TText kKordaltName{1157, ""};
inline constexpr TText kKordaltAge{1158, ""};
inline constexpr TText kKordaltMastery{1159, ""};
inline constexpr TText kKordaltCondition{1160, ""};
inline constexpr TText kKordaltMark{1161, ""};
inline constexpr TText kKordaltOrder{1162, ""};
inline constexpr TText kKordaltSpeed{1163, ""};
inline constexpr TText kOrderFortifyName{1169, ""};
inline constexpr TText kOrderRestName{1171, ""};
inline constexpr TText kOrderTrainName{1172, ""};
inline constexpr TText kOrderAttackName{1175, ""};  // the target state's name
inline constexpr TText kDismissKordalt{1176, ""};
inline constexpr TText kDismissKordaltQuestion{3111, ""};

// --- Main screen, Kordalt shop
// The name box's preset; a name left as it is keeps the pool's name.
inline constexpr TText kDefaultKordaltName{1164, "По умолчанию"};
inline constexpr TTextRange kShopCaptions{1575, 8, ""};
inline constexpr TText kNoFreeKordaltSlot{0, "Все Kordaltы уже забиты, не могу купить"};
inline constexpr TText kNoMoneyForKordalt{3116, "У Вас недостаточно денег для покупки"};
inline constexpr TText kTooFewFronts{3117,
                                     "Для малого числа фронтов, Вы хотите иметь много Kordaltов\r"
                                     "Нет уж! Либо увеличивайте число границ, либо обходитесь чем есть!"};
inline constexpr TText kKordaltLimit{3118, "Максимальное количество Kordaltов: %d"};  // the limit

// --- Year loop and turn report
inline constexpr TText kNoHumans{3101, "Где люди ?!!!"};
inline constexpr TText kVictory{
    3102, "Игра окончена.\rГосударство %s одержало сокрушительную победу над противниками!"};
inline constexpr TText kVictoryChat{
    3103, "Игра окончена.\rГосударство %s одержало сокрушительную победу над противниками!"};
inline constexpr TText kHumansLost{
    3104, "Все люди погибли\rИгра окончена\rМашина снова одержала победу над человеком!"};
inline constexpr TText kGameDrawn{3105, "Игра затянулась.\rНичейный результат.\rСпасибо за тормозную игру!"};
inline constexpr TText kClosingNotice{3106, ""};
inline constexpr TText kSelfTestClosing{
    3121,
    "Блок предупреждения ошибок закрывает программу. Просьба при повторении "
    "ошибки связаться с разработчиком"};
inline constexpr TText kKordaltReleased{3200,
                                        "В связи с изменением границы, Ваш Kordalt %s остался не у дел, "
                                        "и был с почётом отправлен на заслуженный отдых"};
inline constexpr TText kOverpopulation{3201, ""};
inline constexpr TText kPopulationGrowth{3202, ""};
inline constexpr TText kHarvest{3203, "Ваши крестьяне вырастили %d тонн зерна, на сумму %d $"};
inline constexpr TTextRange kResearchLevelReached{3204, 6, ""};  // index: the branch
inline constexpr TText kScientistsPaid{3210, ""};
inline constexpr TText kGrainSoldForScientists{3211, ""};
inline constexpr TText kAllScientistsLeft{3212, ""};
inline constexpr TText kSomeScientistsLeft{3213, ""};
inline constexpr TText kSoldiersPaid{3214, ""};
inline constexpr TText kGrainSoldForSoldiers{3215, ""};
inline constexpr TText kWholeArmyLeft{3216, ""};
inline constexpr TText kSomeSoldiersLeft{3217, ""};
inline constexpr TText kKordaltExperience{3218, ""};
inline constexpr TText kKordaltDied{3219, ""};
inline constexpr TText kKordaltDiedAttacking{3227, ""};

// --- Battles
inline constexpr TText kBattleOpening{3300, ""};
inline constexpr TText kBattleBorderArmy{3301, ""};
inline constexpr TText kBattleNoRetreat{3302, ""};
inline constexpr TText kBattleHomeArmyNext{3303, ""};
inline constexpr TText kBattleAttackLeader{3304, ""};
inline constexpr TText kBattleStart{3305, ""};  // the battle list opens a battle on this exact text
inline constexpr TText kBattleFanfare{3306, ""};
inline constexpr TText kBattleDefenceCommander{3307, "Командовать войсками защиты будет+mKordalt[z].Name"};
inline constexpr TText kBattleFortified{3308,
                                        "Он хорошо подготовил войска к защите и теперь не "
                                        "позавидуешь нападающим"};
inline constexpr TText kBattleNoCommander{3309,
                                          "У защищающейся стороны нет командира, пришлось выбрать "
                                          "кандидатуру из народа"};
inline constexpr TText kBattleCandidateName{3310, "Ополченец"};
inline constexpr TText kBattleArmiesFace{3311, ""};
inline constexpr TText kBattleMove{3312, "Ходит +mGos[a].Name"};
inline constexpr TText kBattleDraw{3313, ""};
inline constexpr TText kNoTactic{3314, ""};
inline constexpr TText kArmyDestroyed{3315, ""};
inline constexpr TText kBattleLosses{3316, ""};
inline constexpr TText kBattleMorale{3317, ""};
inline constexpr TText kSquaresCaptured{3318, ""};
inline constexpr TText kStateDestroyed{3319, ""};
inline constexpr TText kPlayerOverthrown{3320, ""};
inline constexpr TText kBattleResult{3322, ""};
inline constexpr TText kBattleResultCaptured{3323, ""};

// --- Rules data file
inline constexpr TText kDamagedRulesFile{3107, "У вас испорчен файл загрузки DIM.DAT"};
inline constexpr TTextRange kTroopNames{7050, 5, ""};    // index: the troop type - 1
inline constexpr TTextRange kTacticNames{7100, 10, ""};  // index: the tactic - 1
// Index: 10 (the tactic answered - 1) + the tactic - 1.
inline constexpr TTextRange kTacticTexts{7201, 100, ""};

// --- Saved games
inline constexpr TText kDamagedSavedGame{
    3220, "Эта сохраненная игра старой версии.\n\rС новой версией она работать не будет."};
inline constexpr TText kNetworkGameFile{3221, "Это сетевая игра. Попробуйте загрузить другую игру"};
inline constexpr TText kLocalGameFile{3222, "Это одиночная игра. Попробуйте загрузить другую игру"};
inline constexpr TText kInternetGameFile{3228, "Это Internet игра. Попробуйте загрузить другую игру"};

// --- Hall of fame
inline constexpr TText kRecordsCaption{6000, ""};
inline constexpr TText kRecordsTitle{6001, ""};
inline constexpr TText kRecordsClose{6002, ""};
inline constexpr TText kRecordsResetPointer{6003, ""};
inline constexpr TTextRange kRecordsHeaders{6004, 7, ""};
inline constexpr TText kRecordsLastGame{6012, ""};
inline constexpr TText kRecordsNotWritten{3223, "Не удалось записать таблицу рекордов в файл dim.rec"};
inline constexpr TText kRecordsResetQuestion{3224,
                                             "Вы уверены, что хотите очистить таблицу от своих рекордов ?"};
inline constexpr TText kRecordsWwwFirst{3225, ""};
inline constexpr TText kRecordsWwwSecond{3226, ""};
// Fixed: the settings file has no texts for them.
inline constexpr const char* kRecordsDefaultButton = "Х";
inline constexpr const char* kRecordsDefaultHint = "Рекорды по-умолчанию";
inline constexpr const char* kRecordsPictureNotLoaded = "Картинка %1 не загружена: %2";  // the file, why
inline constexpr const char* kRecordsFileDamaged =
    "Файл рекордов %1 повреждён или не читается. Показана таблица по умолчанию.";  // the file

// --- Settings dialog
inline constexpr TText kPreferenceCaption{4000, "Настройка"};
inline constexpr TText kPreferenceApply{4001, "Применить"};
inline constexpr TText kPreferenceClose{4002, "Закрыть"};
inline constexpr TText kPreferenceMusic{4003, "Музыка"};
inline constexpr TText kPreferenceSinglePlayer{
    4004, "Не показывать окно выбора игрока. Работает только для 1 человека."};
inline constexpr TText kPreferenceHideGraphics{4005,
                                               "Спрятать графические элементы. Для медленных компьютеров."};
inline constexpr TText kPreferenceHints{4006, "Показать всплывающие подсказки. Для начинающих."};
inline constexpr TText kPreferenceScrolling{4007, "Показывать скроллинг текста с помощью"};
inline constexpr TText kPreferenceLanguage{4008, "Язык"};
inline constexpr TText kPreferenceAskToSave{4009, ""};
inline constexpr TText kPreferenceKordaltsDie{4010, ""};
inline constexpr TText kPreferenceServer{4011, ""};
inline constexpr TText kPreferenceRememberPage{4015, ""};
inline constexpr TText kPreferenceLogChat{4016, ""};
inline constexpr TText kPreferenceChatFileTitle{4017, ""};
// Fixed: the settings file has no text for it.
inline constexpr const char* kChatFileFilter = "Все файлы (*.*)|*.*|Обычный текст (*.txt)|*.txt";

// --- Charts
inline constexpr TText kGraphCaption{5000, "Графики достижений цивилизаций"};
inline constexpr TText kGraphClose{5001, "Закрыть"};
inline constexpr TText kGraphChoose{5003, "Выберите параметр"};
inline constexpr TTextRange kGraphCriteria{5050, 12, "Критерий"};
inline constexpr TTextRange kGraphFilters{5062, 5, ""};

// --- Connection wizard
inline constexpr TText kWizardCaption{6100, ""};
inline constexpr TText kWizardProviderPrompt{6101, ""};
inline constexpr TText kWizardBack{6102, ""};
inline constexpr TText kWizardNext{6103, ""};
inline constexpr TText kWizardCancel{6104, ""};
inline constexpr TText kWizardSessionTypePrompt{6105, ""};
inline constexpr TText kWizardNewGame{6106, ""};
inline constexpr TText kWizardJoinGame{6107, ""};
inline constexpr TText kWizardNewSessionPrompt{6108, ""};
inline constexpr TText kWizardSessionName{6109, ""};
inline constexpr TText kWizardPlayerName{6110, ""};
inline constexpr TText kWizardProposedSessionName{6111, ""};
inline constexpr TText kWizardJoinPrompt{6112, ""};
inline constexpr TText kWizardFinish{6113, ""};
// Fixed: the settings file has no texts for them.
inline constexpr const char* kWizardCannotInitialize = "Не удаётся запустить службу сеансов (%s)";  // why
inline constexpr const char* kWizardSessionListFailed = "Не удаётся получить список игр";
inline constexpr const char* kWizardSessionCannotOpen =
    "Не удаётся открыть игру %s: возможно, её уже нет";  // the game's name

// --- Network lobby and chat
inline constexpr TText kLobbyCaption{7000, "Connect"};
inline constexpr TText kLobbyExit{7001, "Выход"};
inline constexpr TText kLobbyNewGame{7002, "Новая игра"};
inline constexpr TText kLobbyLoadGame{7003, "Загрузить игру"};
inline constexpr TText kLobbyReady{7004, "Готов"};
inline constexpr TText kLobbyGreeting{7005, "Привет"};
inline constexpr TText kLobbyMap{7006, "КАРТА"};
inline constexpr TText kLobbyServer{7007, "Сервер"};
inline constexpr TText kLobbyTurnLength{7008, "Продолжительность хода (мин.)"};
inline constexpr TText kLobbyStates{7009, "Количество стран"};
inline constexpr TText kLobbyClient{7010, "Клиент"};
inline constexpr TText kLobbyPlayers{7011, "Список участников игры"};
inline constexpr TText kLobbyDisconnect{7012, "Отключить %s"};         // the player's name
inline constexpr TText kLobbyDisconnected{7013, "Отключен игрок %s"};  // the player's name
inline constexpr TText kPlayerLeftSession{3124, ""};
inline constexpr TText kNameTaken{3125, "Игрок с таким именем в игре уже есть.|Смените имя пожалуйста."};
inline constexpr TText kNameTakenNotice{3126, "Некто пытался зайти под зарегистрированным именем"};
inline constexpr TText kChatFirstLine{3127, "--------------- Игровой чат ----------------"};
inline constexpr TText kChatGreeting{3128, ""};  // the own name
inline constexpr TText kPlayerJoined{3129, ""};  // the version
inline constexpr TText kPlayerLeftGame{3130, ""};
inline constexpr TText kServerClosedGame{3131, ""};
inline constexpr TText kSavedGamePlayers{3133, ""};
inline constexpr TText kSavedGameLeftPlayers{3134, ""};
inline constexpr TText kPlayersDifferQuestion{3135, ""};
inline constexpr TText kAddressNotUnique{3140, "IP адрес должен быть уникальным"};
inline constexpr TText kAddressNotUniqueNotice{3141, "Некто пытается зайти под одинаковым IP адресом"};
inline constexpr TText kNewMapNotice{3142, ""};  // the version
// Fixed: the settings file has no texts for them.
inline constexpr const char* kFewerFreeStatesThanPlayers = "Свободных стран меньше, чем игроков.";
inline constexpr const char* kChatLogFull =
    "Журнал чата %s достиг %s КБ: запись в него остановлена";  // the file, the limit
inline constexpr const char* kChatLogNotWritten = "Не удалось записать журнал чата %s: %s";  // the file, why

// --- Internet windows
inline constexpr TText kNoConnection{3150, "Ошибка соединения"};
inline constexpr TText kWrongVersion{3151, "Некорректная версия"};
inline constexpr TText kGamesFound{3152, "Найдено игр : "};  // the number follows
inline constexpr TText kGamesName{3153, "Name"};
inline constexpr TText kGamesPlayers{3154, "Игроков"};
inline constexpr TText kBadNameOrPassword{3155, "Указано неправильное имя или пароль"};
inline constexpr TText kRegisterQuestion{3156, "Зарегистрировать ?"};
inline constexpr TText kNameRegistered{3157, "Игрок с эти именем уже существует"};
inline constexpr TText kPlayerRegistered{3158, "Игрок успешно зарегистрирован"};
inline constexpr TText kNoSuchPlayer{3159, "Игрок не найден. Зарегистрируйтесь!"};
inline constexpr TText kWrongPassword{3160, "Неправильный пароль"};
inline constexpr TText kGameNameTaken{3161, "Игра с таким именем уже существует"};
inline constexpr TText kPlayersName{3162, "Name"};
inline constexpr TText kPlayersRating{3163, "Рейтинг"};
inline constexpr TText kCreateGameLabel{3164, "Название игры:"};
inline constexpr TText kCreateGameCreate{3165, "Создать"};
inline constexpr TText kCreateGameCancel{3166, "Отменить"};
inline constexpr TText kInternetAddress{3167, ""};
inline constexpr TText kInternetAccount{3168, ""};
inline constexpr TText kInternetGames{3169, ""};
inline constexpr TText kInternetRegisterButton{3170, ""};
inline constexpr TText kInternetUpdateButton{3171, ""};
inline constexpr TText kInternetCreateGameButton{3172, ""};
inline constexpr TText kInternetJoinButton{3173, ""};
inline constexpr TText kInternetCloseButton{3174, ""};
inline constexpr TText kRetryEndReport{3175, "Ошибка соединения с Internet сервером. Повторить ?"};
inline constexpr TText kGamesYear{3178, "Год"};
inline constexpr TText kGamesLanguage{3180, "Язык"};
// Fixed: the settings file has no texts for them.
inline constexpr const char* kInternetGamesCaption = "Зал Интернет";
inline constexpr const char* kInternetNameLabel = "Имя";
inline constexpr const char* kInternetPasswordLabel = "Пароль";
inline constexpr const char* kGamesUpdating = "Обновление ....";
inline constexpr const char* kBadGameName = "Имя не правельно";
inline constexpr const char* kGameInfoCaption = "Информация об игре";
inline constexpr const char* kGameInfoUpdate = "Обновить";
inline constexpr const char* kGameInfoClose = "Закрыть";
inline constexpr const char* kListingServerWait = "Связь с сервером ...";
inline constexpr const char* kListingServerCancel = "Отмена";

}  // namespace kordalt
