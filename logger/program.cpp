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
    QObject::connect(main.PracticeMenu, &QAction::triggered, &main, [this] {
        PracticeSetupWindow& w = PracticeSetup();
        w.show();
        w.raise();
        w.activateWindow();
    });
    // At the end of a session its results come up, unless the program is
    // closing.
    QObject::connect(practice_.get(), &PracticeMode::finished, &main, [this] {
        if (practiceSetup_) {
            practiceSetup_->SetRunning(false);
            practiceSetup_->SetSettings(PracticeMode::StoredSettings(), state_.keyer.Speed);
        }
        const auto& results = practice_->LastResults();
        if (results && !practice_->ProgramClosing()) {
            PracticeResultsWindow& r = PracticeResults();
            r.ShowResults(results->summary, results->verification, results->history,
                          results->fileNote);
            r.show();
            r.raise();
        }
    });
}

Program::~Program() {
    // A session still running ends with the program, without its windows.
    QObject::disconnect(practice_.get(), nullptr, nullptr, nullptr);
}

void Program::StartPractice(const practice::PracticeSettings& settings) {
    PracticeSetupWindow& setup = PracticeSetup();
    // The window shows what this session runs with; the stored set-up
    // comes back when it ends.
    setup.SetSettings(settings, state_.keyer.Speed);
    if (!practice_->Start(settings)) {
        setup.SetSettings(PracticeMode::StoredSettings(), state_.keyer.Speed);
    }
    setup.ShowStatus(practice_->Status());
    setup.show();
}

PracticeSetupWindow& Program::PracticeSetup() {
    if (!practiceSetup_) {
        practiceSetup_ = std::make_unique<PracticeSetupWindow>();
        PracticeSetupWindow& w = *practiceSetup_;
        w.SetSettings(PracticeMode::StoredSettings(), state_.keyer.Speed);
        w.SetRunning(practice_->Running());
        w.ShowStatus(practice_->Status());
        QObject::connect(&w, &PracticeSetupWindow::startRequested, &w, [this, &w] {
            const practice::PracticeSettings settings = w.Settings();
            QString unsaved;
            try {
                PracticeMode::StoreSettings(settings);
            } catch (const platform::Error& e) {
                unsaved = QStringLiteral("Nastavitve vaje niso shranjene: %1").arg(e.message());
            }
            practice_->Start(settings);
            w.ShowStatus(QStringList({practice_->Status(), unsaved}).join(u' ').trimmed());
            if (practice_->Running()) {
                main.activateWindow();
            }
        });
        QObject::connect(&w, &PracticeSetupWindow::stopRequested, practice_.get(),
                         &PracticeMode::Stop);
        QObject::connect(&w, &PracticeSetupWindow::resultsRequested, &w, [this] {
            const auto results =
                practice_->Running() ? practice_->ResultsSoFar() : practice_->LastResults();
            if (results) {
                PracticeResultsWindow& r = PracticeResults();
                r.ShowResults(results->summary, results->verification, results->history,
                              results->fileNote);
                r.show();
                r.raise();
            }
        });
        QObject::connect(practice_.get(), &PracticeMode::started, &w, [&w] { w.SetRunning(true); });
        QObject::connect(practice_.get(), &PracticeMode::statusChanged, &w,
                         &PracticeSetupWindow::ShowStatus);
    }
    return *practiceSetup_;
}

PracticeResultsWindow& Program::PracticeResults() {
    if (!practiceResults_) {
        practiceResults_ = std::make_unique<PracticeResultsWindow>();
    }
    return *practiceResults_;
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
