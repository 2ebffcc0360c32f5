// The connection wizard: provider, new or existing session, session and player
// names; it creates or joins the session itself on its last page.
#pragma once

#include <QDialog>
#include <exception>
#include <string>
#include <vector>

#include "session/com_ptr.h"
#include "session/peer_play.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTimer;

namespace kordalt {

class TDibPaintBox;

class TPeerPlayForm : public QDialog {
    Q_OBJECT
public:
    explicit TPeerPlayForm(TCustomPeerPlay& peerPlay, QWidget* parent = nullptr);

    void FormShow();
    void NextButtonClick();
    void BackButtonClick();
    void CancelButtonClick();
    void NotebookPageChanged();
    void JoinGameSessionListClick();
    void JoinGameGetPlayerListTimerTimer();

    TCustomPeerPlay& PeerPlay;
    dplay::GUID ProviderGUID{};
    ComPtr<dplay::IDirectPlay4A> DPlay;
    std::string PlayerName, ProviderName, SessionName;
    int Tag = 0;

    TDibPaintBox* Picture;
    QStackedWidget* Notebook;
    QPushButton *BackButton, *NextButton, *CancelButton;
    QLabel *ProviderPrompt, *SessionTypePrompt;
    QLabel *NewGamePrompt, *NewGameSessionNameLabel, *NewGamePlayerNameLabel;
    QLabel *JoinGamePrompt, *JoinGamePlayerNameLabel;
    QListWidget* ProviderList;
    QRadioButton *NewGame, *JoinGame;
    QLineEdit *NewGameSessionName, *NewGamePlayerName, *JoinGamePlayerName;
    QListWidget *JoinGameSessionList, *JoinGamePlayerList;
    QTimer* JoinGameGetPlayerListTimer;

    enum TPage { SelectProvider, SessionType, SessionNew, SessionJoin };

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildPages();
    // A session object of the chosen provider; null when none can be made.
    ComPtr<dplay::IDirectPlay4A> NewSessionObject() const;
    void CreateSessionObject();
    dplay::DPSESSIONDESC2 JoinDescription(int session) const;
    void ListSessions();
    void OpenSession(bool create);
    void ShowError(std::exception_ptr error);
    // Enter in one of the fields; true when it did something.
    bool EnterPressed(QObject* field);
    void ShowPage(TPage page);
    TPage Page() const;
    int SelectedSession() const;

    QString nextCaption_, finishCaption_;
    std::vector<dplay::GUID> sessionGuids_;
};

// Shows the wizard modally; true when a session was created or joined.
bool ShowPeerPlayWizard(TCustomPeerPlay& peerPlay, TPeerPlayWizardResult& result);

}  // namespace kordalt
