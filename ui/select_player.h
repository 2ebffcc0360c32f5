// The player hand-over: asks the other players to look away while the next
// human chooses his state.
#pragma once

#include "ui/start.h"

namespace kordalt {

class TSelectPlayer : public TScreenDialog {
    Q_OBJECT

public:
    explicit TSelectPlayer(QWidget* parent = nullptr);

    void Localize();
    void FormActivate();

    TImage* Background = nullptr;
    TExLabel* RequestLabel = nullptr;
    TExLabel* PlayerName = nullptr;
    TExSpeedButton* ReadyButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace kordalt
