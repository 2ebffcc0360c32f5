// Cyrillic in comments, in code that would throw a naive scan off and in
// literals. The texts check must name lines 9, 10 and 11 only.
// clang-format off
// "Комментарий" in a comment is no text.
const char* kUrl = "http://example.org";  // "Тоже комментарий"
const char* kEscaped = "\" // \"";  // "Комментарий"
const char* kAllowed = "Оставлен";
const char* kAscii = "text"; // ; [ ] \ "Комментарий"
const char* kShown = "Показан";
const char* kAfterSlashes = "a // b" "Показан";
const char kQuote = '"'; const char* kAfterQuote = "Показан";
