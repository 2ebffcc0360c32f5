// The connection wizard over the in-memory session service: page order, Next
// and Back, the session and player lists, errors, and the component's Open.
#include "ui/wizard/wizard.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>
#include <memory>

#include "controls/classic.h"
#include "session/paint_box.h"
#include "session/peer_play_qt.h"
#include "session/peer_test_support.h"
#include "support/gallery.h"
#include "ui/ui_support.h"

namespace kordalt::test {
namespace {

using namespace dplay;

class Wizard : public ::testing::Test {
protected:
    Wizard() {
        peer.SetGUID(kGameGuid);
        peer.MaxPlayers = 6;
    }
    // A session of another machine with one player.
    ComPtr<IDirectPlay4A> HostSession(const char* name, const char* player) {
        ComPtr<IDirectPlay4A> host(service.network.CreateDirectPlay("127.0.0.2", true));
        DPSESSIONDESC2 desc{};
        desc.dwSize = sizeof desc;
        desc.guidApplication = ParseGuid(kGameGuid);
        desc.lpszSessionNameA = name;
        EXPECT_EQ(host->Open(&desc, DPOPEN_CREATE), DP_OK);
        DPNAME playerName{sizeof(DPNAME), 0, player, nullptr};
        DPID id = 0;
        EXPECT_EQ(host->CreatePlayer(&id, &playerName, nullptr, nullptr, 0, 0), DP_OK);
        return host;
    }
    // The next session object the wizard makes is bound to the network.
    void BindNextObject() { service.nextObject = service.network.CreateDirectPlay("127.0.0.1", true); }
    void SelectProvider(TPeerPlayForm& form) {
        form.ProviderList->setCurrentRow(form.ProviderList->count() - 1);  // "TCP/IP"
        BindNextObject();
        form.NextButton->click();
    }

    MemoryService service;
    ShownErrors shown;
    // The wizard's own errors come as boxes.
    std::vector<QString> boxes;
    ScopedMessageBoxHook boxHook{[this](TMsgType type, const QString& text) {
        EXPECT_EQ(type, TMsgType::Error);
        boxes.push_back(text);
        return TMsgButton::Ok;
    }};
    TPeerPlay peer{nullptr, service};
};

TEST_F(Wizard, NewSessionNeedsAProviderAndBothNames) {
    TPeerPlayForm form(peer);
    form.FormShow();
    ASSERT_EQ(form.ProviderList->count(), 2);
    EXPECT_EQ(form.Notebook->currentIndex(), TPeerPlayForm::SelectProvider);
    EXPECT_FALSE(form.NextButton->isEnabled());
    EXPECT_FALSE(form.BackButton->isEnabled());
    EXPECT_FALSE(form.Picture->DIB().Empty());
    EXPECT_EQ(form.Picture->DIB().Width(), 138);
    EXPECT_TRUE(form.Picture->DIB().Image()->Compressed());

    SelectProvider(form);
    EXPECT_EQ(form.Notebook->currentIndex(), TPeerPlayForm::SessionType);
    EXPECT_TRUE(form.DPlay);
    EXPECT_TRUE(form.NewGame->isChecked());
    form.NextButton->click();
    EXPECT_EQ(form.Notebook->currentIndex(), TPeerPlayForm::SessionNew);
    EXPECT_EQ(service.created.size(), 1u);  // the object of the provider page is kept

    form.NewGameSessionName->setText("Alpha");
    EXPECT_FALSE(form.NextButton->isEnabled());
    form.NewGamePlayerName->setText("anna");
    EXPECT_TRUE(form.NextButton->isEnabled());
    form.NewGameSessionName->clear();
    EXPECT_FALSE(form.NextButton->isEnabled());
    form.NewGameSessionName->setText("Alpha");
    test::SaveToGallery(form.grab().toImage(), "dib_wizard");
    form.NextButton->click();
    EXPECT_EQ(form.Tag, 1);
    EXPECT_EQ(form.SessionName, "Alpha");
    EXPECT_EQ(form.PlayerName, "anna");
    EXPECT_EQ(form.ProviderName, "TCP/IP");

    // Another machine sees the session.
    ComPtr<IDirectPlay4A> other(service.network.CreateDirectPlay("127.0.0.3", true));
    DPSESSIONDESC2 desc{};
    desc.dwSize = sizeof desc;
    desc.guidApplication = ParseGuid(kGameGuid);
    std::vector<std::string> names;
    auto collect = [](const DPSESSIONDESC2* d, uint32_t*, uint32_t flags, void* context) {
        if (flags & DPESC_TIMEDOUT) return false;
        static_cast<std::vector<std::string>*>(context)->push_back(d->lpszSessionNameA);
        return true;
    };
    ASSERT_EQ(other->EnumSessions(&desc, 0, collect, &names, DPENUMSESSIONS_AVAILABLE), DP_OK);
    EXPECT_EQ(names, std::vector<std::string>{"Alpha"});
}

TEST_F(Wizard, JoinListsSessionsAndPlayersAndBackDropsTheSessionObject) {
    auto host = HostSession("Beta", "bob");
    TPeerPlayForm form(peer);
    form.FormShow();
    SelectProvider(form);
    form.JoinGame->setChecked(true);
    bool busyWhileListing = false;
    QObject::connect(form.JoinGameSessionList->model(), &QAbstractItemModel::rowsInserted, [&] {
        busyWhileListing =
            QGuiApplication::overrideCursor() && QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
    });
    form.NextButton->click();
    EXPECT_TRUE(busyWhileListing) << "the hourglass shows during the search";
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    ASSERT_EQ(form.Notebook->currentIndex(), TPeerPlayForm::SessionJoin);
    ASSERT_EQ(form.JoinGameSessionList->count(), 1);
    EXPECT_EQ(form.JoinGameSessionList->item(0)->text(), "Beta");
    EXPECT_FALSE(form.JoinGamePlayerList->isEnabled());

    form.JoinGameSessionList->setCurrentRow(0);
    EXPECT_EQ(form.JoinGamePlayerList->count(), 0);  // fetched 200 ms later
    ASSERT_TRUE(WaitFor([&] { return form.JoinGamePlayerList->count() == 1; }));
    EXPECT_EQ(form.JoinGamePlayerList->item(0)->text(), "bob");
    Pump(300ms);
    EXPECT_EQ(form.JoinGamePlayerList->count(), 1);

    form.BackButton->click();
    EXPECT_EQ(form.Notebook->currentIndex(), TPeerPlayForm::SessionType);
    EXPECT_FALSE(form.DPlay);
    BindNextObject();
    form.NextButton->click();
    EXPECT_EQ(service.created.size(), 2u);
    ASSERT_EQ(form.Notebook->currentIndex(), TPeerPlayForm::SessionJoin);
    form.JoinGameSessionList->setCurrentRow(0);
    EXPECT_FALSE(form.NextButton->isEnabled());
    form.JoinGamePlayerName->setText("boris");
    EXPECT_TRUE(form.NextButton->isEnabled());
    ASSERT_TRUE(WaitFor([&] { return form.JoinGamePlayerList->count() == 1; }));  // joined and left again
    form.NextButton->click();
    EXPECT_EQ(form.Tag, 1);
    EXPECT_EQ(form.SessionName, "Beta");
    EXPECT_EQ(form.PlayerName, "boris");
    EXPECT_TRUE(shown.texts.empty());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Wizard, SessionThatWentAwayIsReportedAndTheWizardStays) {
    auto host = HostSession("Gamma", "bob");
    TPeerPlayForm form(peer);
    form.FormShow();
    SelectProvider(form);
    form.JoinGame->setChecked(true);
    form.NextButton->click();
    ASSERT_EQ(form.JoinGameSessionList->count(), 1);
    host->Close();
    form.JoinGameSessionList->setCurrentRow(0);
    form.JoinGamePlayerName->setText("boris");
    Pump(400ms);
    EXPECT_EQ(form.JoinGamePlayerList->count(), 0);  // the list stays empty
    form.NextButton->click();
    EXPECT_EQ(boxes,
              std::vector<QString>{QString::fromUtf8("Не удаётся открыть игру Gamma: возможно, её уже нет")});
    EXPECT_TRUE(shown.texts.empty());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(form.Tag, 0);
    EXPECT_EQ(form.Notebook->currentIndex(), TPeerPlayForm::SessionJoin);
    EXPECT_FALSE(form.DPlay);

    // Without a session object the player list is fetched with a temporary one.
    const size_t made = service.created.size();
    form.JoinGameSessionList->clearSelection();
    form.JoinGameSessionList->setCurrentRow(0);
    ASSERT_TRUE(WaitFor([&] { return service.created.size() == made + 1; }));
    EXPECT_EQ(form.JoinGamePlayerList->count(), 0);
    EXPECT_FALSE(form.DPlay);
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(Wizard, EnterInTheSessionNameMovesToAnEmptyPlayerName) {
    TPeerPlayForm form(peer);
    form.FormShow();
    form.show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    SelectProvider(form);
    form.NextButton->click();
    EXPECT_TRUE(form.NewGamePlayerName->hasFocus());
    form.NewGameSessionName->setFocus();
    ASSERT_TRUE(WaitFor([&] { return form.NewGameSessionName->hasFocus(); }));
    QTest::keyClicks(form.NewGameSessionName, "Delta");  // the focus stays while typing
    EXPECT_EQ(form.NewGameSessionName->text(), "Delta");
    QTest::keyClick(form.NewGameSessionName, Qt::Key_Return);
    EXPECT_TRUE(form.NewGamePlayerName->hasFocus());
    EXPECT_EQ(form.Tag, 0);
    QTest::keyClicks(form.NewGamePlayerName, "anna");
    QTest::keyClick(form.NewGamePlayerName, Qt::Key_Return);
    EXPECT_EQ(form.Tag, 1);
}

TEST_F(Wizard, ComponentOpensThroughTheWizardAndCancelAborts) {
    SetPeerPlayWizard(ShowPeerPlayWizard);
    {
        ScopedModalHook cancel([](QDialog& dialog) {
            static_cast<TPeerPlayForm&>(dialog).CancelButton->click();
            return dialog.result();
        });
        EXPECT_THROW(peer.Open(), EAbort);
        EXPECT_FALSE(peer.Opened());
    }
    ScopedModalHook create([this](QDialog& dialog) {
        auto& form = static_cast<TPeerPlayForm&>(dialog);
        SelectProvider(form);
        form.NextButton->click();
        form.NewGameSessionName->setText("Epsilon");
        form.NewGamePlayerName->setText("anna");
        form.NextButton->click();
        return dialog.result();
    });
    peer.Open();
    EXPECT_TRUE(peer.Opened());
    EXPECT_TRUE(peer.IsHost());
    EXPECT_EQ(peer.SessionName(), "Epsilon");
    EXPECT_EQ(peer.ProviderName(), "TCP/IP");
    ASSERT_NE(peer.LocalPlayer(), nullptr);
    EXPECT_EQ(peer.LocalPlayer()->Name, "anna");
    peer.Close();
    SetPeerPlayWizard(nullptr);
}

}  // namespace
}  // namespace kordalt::test
