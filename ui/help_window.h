// The program's help: an HTML file with one anchor per topic number, shown in
// a window of its own. A help file named "*.hlp" is read as "*.html".
#pragma once

#include <QUrl>
#include <string>

class QTextBrowser;
class QWidget;

namespace kordalt {

// The application's help file (a file-system path); empty means none.
void SetHelpFile(const std::string& fileName);
const std::string& HelpFile();

// The file the help window reads for `helpFile`.
QUrl HelpUrl(const std::string& helpFile);

// Opens the help window at the contents (the top of the file) or at a topic.
// A help file that does not exist gives an error box.
void ShowHelpContents();
void ShowHelpTopic(int topic);

// F1 in `window` opens `topic`.
void InstallHelpKey(QWidget* window, int topic);

// The help window's browser once it has been opened, else nullptr.
QTextBrowser* HelpBrowser();

}  // namespace kordalt
