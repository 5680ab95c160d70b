#include "program.h"

#include "platform/dialogs.h"

namespace corvatta {

Program::Program(StationState& state, platform::Clock& clock, keyer::KeyerWait keyerWait)
    : main(state, clock),
      keyer(state, main.KeyerView(), std::move(keyerWait)),
      state_(state),
      mainAtStart_(main.pos()) {
    // The port's settings are needed for the automatic connection at start,
    // and are read then, as they always were.
    keyer::LoadKeyerPortSettings(keyer, state_);
    main.AttachKeyer(this);
    // The Run/S-P sequence belongs to the entry line; the keyer only reports
    // the steps that move it.
    QObject::connect(&keyer, &keyer::KeyerLink::exchangeStarted, &main,
                     [&state] { state.entry.EntryState = EntryStep::ExchangeSent; });
    // From its first opening on, the link's reports reach the options window.
    QObject::connect(&keyer, &keyer::KeyerLink::portOpened, &main, [this] { KeyerWindow(); });
    QObject::connect(&keyer, &keyer::KeyerLink::failed, &main, [this](const QString& message) {
        if (!wk_) {
            platform::ShowError(message);  // the window shows it once it is there
        }
    });
    QObject::connect(&main, &TfMain::keyerWindowRequested, &main, [this] {
        keyer::TfWK& wk = KeyerWindow();
        wk.show();
        wk.raise();
        wk.activateWindow();
    });
    QObject::connect(&main, &TfMain::keyerLinkOpenRequested, &main, [this] {
        if (!keyer.PortOpen()) {
            keyer.OpenKeyer();
        }
    });
    QObject::connect(&main, &TfMain::keyerLinkCloseRequested, &main,
                     [this] { keyer.CloseKeyer(); });
    QObject::connect(&main, &TfMain::openComRequested, &main, [this] {
        // The automatic connection at start leaves a practice session's
        // built-in keyer alone.
        if (!practice_ || !practice_->Running()) {
            keyer.OpenOrClose();
        }
    });
    QObject::connect(&main, &TfMain::memoWindowRequested, &main, [this] { MemoWindow().show(); });

    // The main window tells the operator whenever CW cannot reach the keyer.
    const auto showKeyerOffline = [this] {
        main.BKeyerOffline->setVisible(
            keyer::KeyerOfflineShown(main.EMode->currentIndex(), keyer.State()));
        main.BKeyerOffline->setToolTip(keyer.StatusText());
    };
    QObject::connect(&keyer, &keyer::KeyerLink::statusChanged, &main, showKeyerOffline);
    QObject::connect(main.EMode, &QComboBox::currentIndexChanged, &main, showKeyerOffline);
    QObject::connect(main.BKeyerOffline, &QPushButton::clicked, &main,
                     &TfMain::keyerWindowRequested);
    showKeyerOffline();
    statistics_ = std::make_unique<StatisticsWindows>(main, state_, clock);
    voice_ = std::make_unique<VoiceWindows>(main);
    practice_ = std::make_unique<PracticeMode>(main, keyer, state_, clock);
}

Program::~Program() = default;

void Program::StartPractice(const practice::PracticeSettings& settings) {
    if (!practice_->Start(settings)) {
        platform::ShowError(practice_->Status());
    }
}

keyer::TfMemo& Program::MemoWindow() {
    if (!memo_) {
        memo_ = std::make_unique<keyer::TfMemo>(state_, main.KeyerView(), keyer);
        memo_->PlaceAgainst(mainAtStart_);
    }
    return *memo_;
}

keyer::TfWK& Program::KeyerWindow() {
    if (!wk_) {
        keyer::TfMemo& memo = MemoWindow();
        wk_ = std::make_unique<keyer::TfWK>(state_, main.KeyerView(), keyer);
        wk_->SetMemoWindow(&memo);
        QObject::connect(wk_.get(), &keyer::TfWK::entrySequenceReset, &main,
                         [this] { state_.entry.EntryState = EntryStep::Idle; });
    }
    return *wk_;
}

}  // namespace corvatta
