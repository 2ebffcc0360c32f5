// The sending notice: a small borderless window over the main window while a
// network server sends game data.
#pragma once

#include <QDialog>

class QLabel;

namespace kordalt {

class TDopInfo : public QDialog {
    Q_OBJECT

public:
    explicit TDopInfo(QWidget* parent = nullptr);

    void Localize();
    // Shows the notice centred over the main window, painted at once, without
    // waiting; hide() takes it away.
    void ShowNotice();

    QLabel* SendingLabel = nullptr;
};

}  // namespace kordalt
