#include "ui/wizard/wizard.h"

#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTimer>

#include "controls/classic.h"
#include "game/language_file.h"
#include "platform/cp1251.h"
#include "platform/format.h"
#include "session/paint_box.h"
#include "session/peer_consts.h"
#include "ui/screens.h"
#include "ui/ui_support.h"

static void InitWizardResources() { Q_INIT_RESOURCE(wizard); }

namespace kordalt {

using namespace dplay;

namespace {

constexpr size_t kMaxSessionName = 1024;

[[noreturn]] void Raise(const char* format, std::initializer_list<FormatArg> args = {}) {
    throw EPeerPlayError(FormatText(Cp(format), args));  // cp1251, as the names
}

struct SessionListContext {
    QListWidget* list;
    std::vector<GUID>* guids;
};

bool WizardEnumSessionsCallback(const DPSESSIONDESC2* desc, uint32_t*, uint32_t flags, void* context) {
    if (flags & DPESC_TIMEDOUT) return false;
    auto* target = static_cast<SessionListContext*>(context);
    target->list->addItem(Qs(desc->lpszSessionNameA ? desc->lpszSessionNameA : ""));
    target->guids->push_back(desc->guidInstance);
    return true;
}

bool WizardEnumPlayersCallback(DPID, uint32_t, const DPNAME* name, uint32_t, void* context) {
    if (name && name->lpszShortNameA) static_cast<QListWidget*>(context)->addItem(Qs(name->lpszShortNameA));
    return true;
}

template <class T>
T* Place(QWidget* parent, const char* name, int x, int y, int w, int h) {
    auto* widget = new T(parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(x, y, w, h);
    return widget;
}

QLabel* PlaceLabel(QWidget* parent, const char* name, int y, int h) {
    auto* label = Place<QLabel>(parent, name, 8, y, 320, h);
    label->setWordWrap(true);
    return label;
}

}  // namespace

TPeerPlayForm::TPeerPlayForm(TCustomPeerPlay& peerPlay, QWidget* parent)
    : QDialog(parent), PeerPlay(peerPlay) {
    setObjectName(QStringLiteral("PeerPlayForm"));
    setFixedSize(500, 282);

    Picture = Place<TDibPaintBox>(this, "DibPaintBox1", 9, 11, 138, 208);
    InitWizardResources();
    QFile picture(QStringLiteral(":/wizard/wizard_picture.dib"));
    if (picture.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = picture.readAll();
        TDibReadStream stream({reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())});
        Picture->DIB().ReadData(stream);
    }

    Notebook = Place<QStackedWidget>(this, "Notebook", 156, 8, 336, 224);
    BuildPages();

    BackButton = Place<QPushButton>(this, "BackButton", 246, 248, 75, 25);
    NextButton = Place<QPushButton>(this, "NextButton", 321, 248, 75, 25);
    CancelButton = Place<QPushButton>(this, "CancelButton", 409, 248, 75, 25);
    for (QPushButton* button : {BackButton, NextButton, CancelButton}) button->setAutoDefault(false);

    JoinGameGetPlayerListTimer = new QTimer(this);
    JoinGameGetPlayerListTimer->setObjectName(QStringLiteral("JoinGameGetPlayerListTimer"));
    JoinGameGetPlayerListTimer->setSingleShot(true);
    JoinGameGetPlayerListTimer->setInterval(200);

    // Errors of the session service are shown and the dialog stays on its page.
    auto guarded = [this](void (TPeerPlayForm::*handler)()) {
        return [this, handler] {
            try {
                (this->*handler)();
            } catch (...) {
                ShowError(std::current_exception());
            }
        };
    };
    connect(NextButton, &QPushButton::clicked, this, guarded(&TPeerPlayForm::NextButtonClick));
    connect(BackButton, &QPushButton::clicked, this, guarded(&TPeerPlayForm::BackButtonClick));
    connect(CancelButton, &QPushButton::clicked, this, &TPeerPlayForm::CancelButtonClick);
    connect(JoinGameGetPlayerListTimer, &QTimer::timeout, this,
            &TPeerPlayForm::JoinGameGetPlayerListTimerTimer);
    connect(ProviderList, &QListWidget::itemSelectionChanged, this, &TPeerPlayForm::NotebookPageChanged);
    connect(NewGame, &QRadioButton::toggled, this, &TPeerPlayForm::NotebookPageChanged);
    connect(JoinGameSessionList, &QListWidget::itemSelectionChanged, this,
            &TPeerPlayForm::JoinGameSessionListClick);
    for (QLineEdit* edit : {NewGameSessionName, NewGamePlayerName, JoinGamePlayerName})
        connect(edit, &QLineEdit::textChanged, this, &TPeerPlayForm::NotebookPageChanged);
    for (QWidget* field :
         std::initializer_list<QWidget*>{ProviderList, NewGame, JoinGame, NewGameSessionName,
                                         NewGamePlayerName, JoinGameSessionList, JoinGamePlayerName})
        field->installEventFilter(this);
}

void TPeerPlayForm::BuildPages() {
    auto page = [this](const char* name) {
        auto* widget = new QWidget(Notebook);
        widget->setObjectName(QString::fromLatin1(name));
        Notebook->addWidget(widget);
        return widget;
    };
    QWidget* provider = page("SelectProvider");
    ProviderPrompt = PlaceLabel(provider, "Label1", 8, 32);
    ProviderList = Place<QListWidget>(provider, "ProviderList", 8, 48, 320, 168);

    QWidget* type = page("SessionType");
    SessionTypePrompt = PlaceLabel(type, "Label2", 8, 32);
    NewGame = Place<QRadioButton>(type, "NewGame", 16, 56, 300, 20);
    NewGame->setChecked(true);
    JoinGame = Place<QRadioButton>(type, "JoinGame", 16, 84, 300, 20);

    QWidget* created = page("SessionNew");
    NewGamePrompt = PlaceLabel(created, "Label3", 8, 48);
    NewGameSessionNameLabel = PlaceLabel(created, "Label4", 64, 16);
    NewGameSessionName = Place<QLineEdit>(created, "NewGameSessionName", 8, 82, 320, 22);
    NewGamePlayerNameLabel = PlaceLabel(created, "Label5", 116, 16);
    NewGamePlayerName = Place<QLineEdit>(created, "NewGamePlayerName", 8, 134, 320, 22);
    NewGameSessionNameLabel->setBuddy(NewGameSessionName);
    NewGamePlayerNameLabel->setBuddy(NewGamePlayerName);

    QWidget* join = page("SessionJoin");
    JoinGamePrompt = PlaceLabel(join, "Label8", 8, 48);
    JoinGameSessionList = Place<QListWidget>(join, "JoinGameSessionList", 8, 60, 156, 112);
    JoinGamePlayerList = Place<QListWidget>(join, "JoinGamePlayerList", 172, 60, 156, 112);
    JoinGamePlayerList->setEnabled(false);
    JoinGamePlayerNameLabel = PlaceLabel(join, "Label7", 178, 16);
    JoinGamePlayerName = Place<QLineEdit>(join, "JoinGamePlayerName", 8, 196, 320, 22);
    JoinGamePlayerNameLabel->setBuddy(JoinGamePlayerName);
}

void TPeerPlayForm::FormShow() {
    setWindowTitle(Qs(LangText(kWizardCaption)));
    ProviderPrompt->setText(Qs(LangText(kWizardProviderPrompt)));
    BackButton->setText(Qs(LangText(kWizardBack)));
    nextCaption_ = Qs(LangText(kWizardNext));
    NextButton->setText(nextCaption_);
    CancelButton->setText(Qs(LangText(kWizardCancel)));
    SessionTypePrompt->setText(Qs(LangText(kWizardSessionTypePrompt)));
    NewGame->setText(Qs(LangText(kWizardNewGame)));
    JoinGame->setText(Qs(LangText(kWizardJoinGame)));
    NewGamePrompt->setText(Qs(LangText(kWizardNewSessionPrompt)));
    NewGameSessionNameLabel->setText(Qs(LangText(kWizardSessionName)));
    NewGamePlayerNameLabel->setText(Qs(LangText(kWizardPlayerName)));
    JoinGamePlayerNameLabel->setText(Qs(LangText(kWizardPlayerName)));
    NewGameSessionName->setText(Qs(LangText(kWizardProposedSessionName)));
    JoinGamePrompt->setText(Qs(LangText(kWizardJoinPrompt)));
    finishCaption_ = Qs(LangText(kWizardFinish));

    const TNamedGuids& providers = PeerPlay.Providers();
    ProviderList->clear();
    for (int i = 0; i < providers.Count(); ++i) ProviderList->addItem(Qs(providers.Name(i)));
    NotebookPageChanged();
    ApplyLanguageFont(this);
}

TPeerPlayForm::TPage TPeerPlayForm::Page() const { return static_cast<TPage>(Notebook->currentIndex()); }

// The name field takes the focus when its page is shown, not on every change
// of a name (that would pull it out of the field being typed in).
void TPeerPlayForm::ShowPage(TPage page) {
    Notebook->setCurrentIndex(page);
    NotebookPageChanged();
    if (page == SessionNew) NewGamePlayerName->setFocus();
    if (page == SessionJoin) JoinGamePlayerName->setFocus();
}

int TPeerPlayForm::SelectedSession() const {
    const int row = JoinGameSessionList->currentRow();
    return JoinGameSessionList->currentItem() && JoinGameSessionList->currentItem()->isSelected() ? row : -1;
}

void TPeerPlayForm::NotebookPageChanged() {
    switch (Page()) {
        case SelectProvider:
            BackButton->setEnabled(false);
            NextButton->setEnabled(!ProviderList->selectedItems().isEmpty());
            NextButton->setText(nextCaption_);
            break;
        case SessionType:
            BackButton->setEnabled(true);
            NextButton->setEnabled(NewGame->isChecked() || JoinGame->isChecked());
            NextButton->setText(nextCaption_);
            break;
        case SessionNew:
            BackButton->setEnabled(true);
            NextButton->setEnabled(!NewGameSessionName->text().isEmpty() &&
                                   !NewGamePlayerName->text().isEmpty());
            NextButton->setText(finishCaption_);
            break;
        case SessionJoin:
            BackButton->setEnabled(true);
            NextButton->setEnabled(SelectedSession() >= 0 && !JoinGamePlayerName->text().isEmpty());
            NextButton->setText(finishCaption_);
            break;
    }
}

ComPtr<IDirectPlay4A> TPeerPlayForm::NewSessionObject() const {
    IDirectPlay* object = nullptr;
    const HRESULT hr = PeerPlay.Service().Create(&ProviderGUID, &object);
    ComPtr<IDirectPlay> created(object);
    if (hr != DP_OK) return {};
    return created.Query<IDirectPlay4A>(IID_IDirectPlay4A);
}

void TPeerPlayForm::CreateSessionObject() {
    DPlay = NewSessionObject();
    if (!DPlay) Raise(kWizardCannotInitialize, {SDirectPlay});
}

DPSESSIONDESC2 TPeerPlayForm::JoinDescription(int session) const {
    DPSESSIONDESC2 desc{};
    desc.dwSize = sizeof desc;
    desc.guidInstance = sessionGuids_.at(size_t(session));
    desc.guidApplication = ParseGuid(PeerPlay.GetGUID());
    return desc;
}

void TPeerPlayForm::ListSessions() {
    JoinGameSessionList->clear();
    sessionGuids_.clear();
    DPSESSIONDESC2 desc{};
    desc.dwSize = sizeof desc;
    desc.guidApplication = ParseGuid(PeerPlay.GetGUID());
    SessionListContext context{JoinGameSessionList, &sessionGuids_};
    HRESULT hr;
    {
        const ScopedBusyCursor busy;
        hr = DPlay->EnumSessions(&desc, 0, WizardEnumSessionsCallback, &context, DPENUMSESSIONS_AVAILABLE);
    }
    if (hr == DPERR_USERCANCEL) return;
    if (hr != DP_OK) Raise(kWizardSessionListFailed);
    ShowPage(SessionJoin);
}

void TPeerPlayForm::OpenSession(bool create) {
    if (!DPlay) CreateSessionObject();
    const std::string name = create ? Cs(NewGameSessionName->text()).substr(0, kMaxSessionName)
                                    : Cs(JoinGameSessionList->item(SelectedSession())->text());
    DPSESSIONDESC2 desc{};
    if (create) {
        desc.dwSize = sizeof desc;
        desc.guidApplication = ParseGuid(PeerPlay.GetGUID());
        desc.dwFlags = DPSESSION_MIGRATEHOST | DPSESSION_KEEPALIVE;
        desc.lpszSessionNameA = name.c_str();
        desc.dwMaxPlayers = static_cast<uint32_t>(PeerPlay.MaxPlayers);
    } else {
        desc = JoinDescription(SelectedSession());
    }
    HRESULT hr;
    {
        const ScopedBusyCursor busy;
        hr = DPlay->Open(&desc, create ? DPOPEN_CREATE : DPOPEN_JOIN);
    }
    if (hr == DPERR_USERCANCEL) return;
    if (hr != DP_OK) {
        DPlay.Reset();
        Raise(kWizardSessionCannotOpen, {name});
    }
    PlayerName = Cs((create ? NewGamePlayerName : JoinGamePlayerName)->text());
    ProviderName = Cs(ProviderList->currentItem()->text());
    SessionName = name;
    Tag = 1;
    accept();
}

void TPeerPlayForm::NextButtonClick() {
    switch (Page()) {
        case SelectProvider: {
            const int row = ProviderList->currentRow();
            if (row < 0) return;
            ProviderGUID = PeerPlay.Providers().Guid(row);
            CreateSessionObject();
            ShowPage(SessionType);
            break;
        }
        case SessionType:
            if (!DPlay) CreateSessionObject();
            if (NewGame->isChecked())
                ShowPage(SessionNew);
            else
                ListSessions();
            break;
        case SessionNew:
            OpenSession(true);
            break;
        case SessionJoin:
            if (SelectedSession() >= 0) OpenSession(false);
            break;
    }
}

void TPeerPlayForm::BackButtonClick() {
    JoinGameGetPlayerListTimer->stop();
    if (Page() == SessionNew || Page() == SessionJoin) {
        DPlay.Reset();
        ShowPage(SessionType);
    } else if (Page() > SelectProvider) {
        ShowPage(static_cast<TPage>(Page() - 1));
    }
}

void TPeerPlayForm::CancelButtonClick() { reject(); }

void TPeerPlayForm::JoinGameSessionListClick() {
    NotebookPageChanged();
    JoinGamePlayerList->clear();
    if (SelectedSession() >= 0) {
        JoinGameGetPlayerListTimer->stop();
        JoinGameGetPlayerListTimer->start();
    }
}

void TPeerPlayForm::JoinGameGetPlayerListTimerTimer() {
    JoinGameGetPlayerListTimer->stop();
    JoinGamePlayerList->clear();
    const int session = SelectedSession();
    if (session < 0) return;
    IDirectPlay4A* directPlay = DPlay.Get();
    ComPtr<IDirectPlay4A> temporary;
    if (!directPlay) {
        temporary = NewSessionObject();
        if (!temporary) return;
        directPlay = temporary.Get();
    }
    DPSESSIONDESC2 desc = JoinDescription(session);
    if (directPlay->Open(&desc, DPOPEN_JOIN) != DP_OK) return;
    directPlay->EnumPlayers(nullptr, WizardEnumPlayersCallback, JoinGamePlayerList, DPENUMPLAYERS_REMOTE);
    directPlay->Close();
}

bool TPeerPlayForm::EnterPressed(QObject* field) {
    const bool nextEnabled = NextButton->isEnabled();
    auto act = [&](bool acts, QWidget* emptyTarget, bool targetEmpty) {
        if (!acts) return false;
        if (nextEnabled)
            NextButtonClick();
        else if (targetEmpty)
            emptyTarget->setFocus();
        return true;
    };
    if (field == ProviderList || field == NewGame || field == JoinGame) return act(true, nullptr, false);
    if (field == NewGameSessionName)
        return act(!NewGameSessionName->text().isEmpty(), NewGamePlayerName,
                   NewGamePlayerName->text().isEmpty());
    if (field == NewGamePlayerName)
        return act(!NewGamePlayerName->text().isEmpty(), NewGameSessionName,
                   NewGameSessionName->text().isEmpty());
    if (field == JoinGameSessionList)
        return act(SelectedSession() >= 0, JoinGamePlayerName, JoinGamePlayerName->text().isEmpty());
    if (field == JoinGamePlayerName)
        return act(!JoinGamePlayerName->text().isEmpty(), JoinGameSessionList, SelectedSession() < 0);
    return false;
}

bool TPeerPlayForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            try {
                return EnterPressed(watched);
            } catch (...) {
                ShowError(std::current_exception());
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

// The wizard's own errors in a box centred over it; any other error goes to
// the application's handler.
void TPeerPlayForm::ShowError(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const EPeerPlayError& e) {
        ShowMessageBox(TMsgType::Error, Qs(e.what()));
    } catch (...) {
        HandleApplicationException(this, std::current_exception());
    }
}

bool ShowPeerPlayWizard(TCustomPeerPlay& peerPlay, TPeerPlayWizardResult& result) {
    TPeerPlayForm form(peerPlay, TopWindow());
    form.FormShow();
    ExecModal(form);
    result.DPlay = form.DPlay.Get();
    if (result.DPlay) result.DPlay->AddRef();
    result.PlayerName = form.PlayerName;
    result.ProviderName = form.ProviderName;
    result.SessionName = form.SessionName;
    return form.Tag == 1;
}

}  // namespace kordalt
