// The game-name dialog of a new Internet game: 1 when a valid name was given, 2 on cancel.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kordalt {

class TInternetCreateGame : public QDialog {
    Q_OBJECT

public:
    explicit TInternetCreateGame(QWidget* parent = nullptr);

    void FormShow();
    void ButCreateClick();
    void ButCancelClick();

    QLabel* GameNameLabel = nullptr;
    QLineEdit* EditName = nullptr;
    QPushButton* ButCreate = nullptr;
    QPushButton* ButCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace kordalt
