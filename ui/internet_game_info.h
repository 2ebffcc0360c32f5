// The players of one listed Internet game with their ratings.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "controls/classic.h"
#include "platform/guid.h"

class QPushButton;

namespace kordalt {

class TExDrawGrid;

// One player of a listed game.
struct TInternetUserUnit {
    int32_t Number = 0;
    std::string Name;
    double Rating = 0;
};

// The players of game `GameId` from the listing server, in reply order; empty
// when the server gives none or cannot be reached.
std::vector<TInternetUserUnit> LoadGameUsers(const TGUID& GameId);

class TInternetGameInfo : public QDialog {
    Q_OBJECT

public:
    explicit TInternetGameInfo(QWidget* parent = nullptr);

    void FormShow();
    void FormHide();
    void FormResize();
    void ButUpdateClick();
    void ButCloseClick();

    TGUID GameGUID{};  // set before showing
    std::vector<TInternetUserUnit> Users;

    TExDrawGrid* PlayerList = nullptr;
    QPushButton* ButUpdate = nullptr;
    QPushButton* ButClose = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void DrawPlayerCell(int col, int row, const TRect& rect);
};

}  // namespace kordalt
