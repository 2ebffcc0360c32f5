// The Kordalt shop: price, refusals and the purchase.
#include <QLineEdit>

#include "controls/draw_grid.h"
#include "game/kordalt_pool.h"
#include "main_screen_fixture.h"

namespace kordalt::test {
namespace {

class KordaltShop : public MainScreenTest {
protected:
    void SetUp() override {
        Gos().Money = 2000000000;
        Gos().KordaltCount = 0;
        screen->FormActivate();
        OpenPage(4);
    }
    void SetSliders(int age, int mastery, int mark, int speed) {
        Slide("TrackBar2", age);
        Slide("TrackBar3", mastery);
        Slide("TrackBar4", mark);
        Slide("TrackBar8", speed);
    }
    int OwnedSlots() {
        int n = 0;
        for (int s = 1; s <= KordaltSlotCount; ++s) n += Game.mKordalt[s].Owner == 1;
        return n;
    }
};

TEST_F(KordaltShop, OpeningPresetsTheNameAndShowsThePrice) {
    EXPECT_EQ(Find<QLineEdit>("EditName")->text(), "По умолчанию");
    EXPECT_EQ(Text("Label13"), QString::number(KordaltPrice(15, 1, 2, 1)) + " $");
    EXPECT_EQ(Text("Label2"), "15");
    EXPECT_EQ(Text("Label3"), "60");
    SetSliders(40, 20, 4, 60);
    EXPECT_EQ(Text("Label10"), "40");
    EXPECT_EQ(Text("Label96"), "60");
    const int64_t price = KordaltPrice(40, 20, 4, 60);
    EXPECT_EQ(Text("Label13"), QString::number(price) + " $");
    EXPECT_EQ(FontColor(Find("Label13")), price <= Gos().Money ? clOlive : clRed);
    Gos().Money = static_cast<int32_t>(price - 1);
    screen->RefreshShopPrice();
    EXPECT_EQ(FontColor(Find("Label13")), clRed);
}

TEST_F(KordaltShop, RefusalsLeaveTheGameAsItWas) {
    struct Case {
        uint8_t count, neighbours;
        int32_t money;
        const char* message;
    };
    const Case cases[] = {
        {10, 9, 100000, "Максимальное количество Kordaltов: 10"},
        {3, 1, 100000, "Для малого числа фронтов, Вы хотите иметь много Kordaltов"},
        {0, 3, 10, "У Вас недостаточно денег для покупки"},
    };
    for (const Case& c : cases) {
        Gos().KordaltCount = c.count;
        Gos().NeighbourCount = c.neighbours;
        Gos().Money = c.money;
        boxes.clear();
        const int owned = OwnedSlots();
        Click("SpeedButton5");
        ASSERT_EQ(boxes.size(), 1);
        EXPECT_TRUE(boxes[0].startsWith(c.message)) << boxes[0].toStdString();
        EXPECT_EQ(Gos().Money, c.money);
        EXPECT_EQ(Gos().KordaltCount, c.count);
        EXPECT_EQ(OwnedSlots(), owned);
    }
}

TEST_F(KordaltShop, ExactPriceBuysAndTheBordersPageShowsHim) {
    SetSliders(30, 10, 3, 50);
    Gos().Money = static_cast<int32_t>(KordaltPrice(30, 10, 3, 50));
    Gos().NeighbourCount = 5;
    const std::string poolName = Game.mKordalt[1].Name.Str();
    Click("SpeedButton5");
    EXPECT_TRUE(boxes.isEmpty());
    EXPECT_EQ(Gos().Money, 0);
    EXPECT_EQ(Gos().KordaltCount, 1);
    const TKordaltRec& k = Game.mKordalt[1];
    EXPECT_EQ(k.Owner, 1);
    EXPECT_EQ(k.Name.Str(), poolName) << "the preset name keeps the pool's";
    EXPECT_EQ(int{k.Age}, 30);
    EXPECT_EQ(int{k.Mastery}, 10);
    EXPECT_EQ(int{k.Mark}, 3);
    EXPECT_EQ(int{k.Speed}, 50);
    EXPECT_EQ(k.Order, kOrderTrain);
    EXPECT_EQ(screen->Pages->currentIndex(), 3);
    EXPECT_EQ(screen->KordaltRows, std::vector<int>{1});
    EXPECT_EQ(Find<QSlider>("TrackBar2")->value(), 30) << "one human keeps the sliders";
    // A typed name is his; the next free slot is 21.
    OpenPage(4);
    Gos().Money = 2000000000;
    QTest::keyClicks(Find<QLineEdit>("EditName"), "x");
    EXPECT_EQ(Find<QLineEdit>("EditName")->text(), "По умолчанию") << "no 11th character typed";
    Find<QLineEdit>("EditName")->clear();
    QTest::keyClicks(Find<QLineEdit>("EditName"), "Suvorov Alexander");
    EXPECT_EQ(Find<QLineEdit>("EditName")->text(), "Suvorov Al");
    Click("SpeedButton5");
    EXPECT_EQ(Game.mKordalt[21].Name.Utf8(), "Suvorov Al");
    EXPECT_EQ(Gos().KordaltCount, 2);
}

TEST_F(KordaltShop, PresetFromTheBuiltInDefaultStillKeepsThePoolName) {
    // A copy of the settings file without the preset's text.
    const std::string settings = scratch.Path("kordalt.INI");
    WriteFile(settings, ReadFile(KORDALT_BIN_DIR "/kordalt.INI"));
    LanguageFile = std::make_unique<TLanguageFile>(settings);
    LanguageFile->DeleteKey(LanguageFile->LanguageSection, "1164");
    OpenPage(0);
    OpenPage(4);
    ASSERT_EQ(Find<QLineEdit>("EditName")->text(), "По умолчанию");
    Gos().NeighbourCount = 5;
    const std::string poolName = Game.mKordalt[1].Name.Str();
    Click("SpeedButton5");
    ASSERT_EQ(Gos().KordaltCount, 1);
    EXPECT_EQ(Game.mKordalt[1].Name.Str(), poolName);
}

TEST_F(KordaltShop, HotSeatPutsTheSlidersBack) {
    Game.HumanCount = 2;
    Gos().NeighbourCount = 5;
    SetSliders(30, 10, 3, 50);
    Find<QLineEdit>("EditName")->setText("Кутузов");
    Click("SpeedButton5");
    EXPECT_EQ(Gos().KordaltCount, 1);
    EXPECT_EQ(Game.mKordalt[1].Name.Utf8(), "Кутузов");
    for (const auto& [name, minimum] :
         {std::pair{"TrackBar2", 15}, {"TrackBar3", 1}, {"TrackBar4", 2}, {"TrackBar8", 1}})
        EXPECT_EQ(Find<QSlider>(name)->value(), minimum) << name;
}

TEST_F(KordaltShop, NoFreeSlotTakesNothing) {
    Gos().NeighbourCount = 5;
    for (int s = 1; s <= KordaltSlotCount; s += 20) Game.mKordalt[s].Owner = 2;
    const int32_t money = Gos().Money;
    Click("SpeedButton5");
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0], "Все Kordaltы уже забиты, не могу купить");
    EXPECT_EQ(Gos().Money, money);
    EXPECT_EQ(Gos().KordaltCount, 0);
    EXPECT_EQ(screen->Pages->currentIndex(), 3);
}

}  // namespace
}  // namespace kordalt::test
