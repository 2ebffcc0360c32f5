// Writes of the game state among lines that would throw a naive line count
// off: empty lines, brackets, semicolons and backslashes. The source check
// must name lines 11, 16 and 18, and line 17 unless copies are allowed.
// clang-format off
const char* kText = "a\\b;[";

int Sample(int i) {
    int a[2] = {0, 1};

    if (a[i] == 0) return 0;
    Game.Year = 1;
    for (int j = 0; j < 2; ++j) a[j] = j;  // ]

    return a[i];
}
void More() { ++Game.Year; }
void Decode(GameState& copy) { copy.Year = 1; }
int Own() { TGosRec& g = Game.mGos[1]; return g.Alive; }
