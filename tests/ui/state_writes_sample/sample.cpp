// Writes of the game state among lines that would throw a naive line count
// off: empty lines, brackets, semicolons and backslashes. The source check
// must name lines 11 and 16.

const char* kText = "a\\b;[";

int Sample(int i) {
    int a[2] = {0, 1};

    if (a[i] == 0) return 0;
    Game.Year = 1;
    for (int j = 0; j < 2; ++j) a[j] = j;  // ]

    return a[i];
}
void More() { ++Game.Year; }
