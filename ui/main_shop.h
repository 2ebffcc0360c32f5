// Controls of the Kordalt shop page of the main game screen.
#pragma once

#include <array>

class QLabel;
class QLineEdit;
class QSlider;

namespace kordalt {

class TExLabel;
class TExSpeedButton;
class TScrollTextPanel;

// One quality slider with its minimum, maximum and value labels.
struct TShopSlider {
    QSlider* TrackBar = nullptr;
    QLabel* MinLabel = nullptr;
    QLabel* MaxLabel = nullptr;
    QLabel* ValueLabel = nullptr;
};

// Sliders in the order age, mastery, mark, speed.
enum TShopQuality { sqAge, sqMastery, sqMark, sqSpeed };

struct TShopPage {
    std::array<TShopSlider, 4> Sliders{};
    QLabel* Price = nullptr;
    QLineEdit* EditName = nullptr;
    TExSpeedButton* Purchase = nullptr;
    TScrollTextPanel* HelpScroll = nullptr;
    std::array<TExLabel*, 7> Captions{};  // ExLabel8, 12, 13, 9, 10, 11, 6
};

}  // namespace kordalt
