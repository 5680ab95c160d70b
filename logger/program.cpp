#include "program.h"

namespace corvatta {

namespace {

keyer::MainWindowControls ControlsOf(TfMain& m) {
    keyer::MainWindowControls c;
    c.window = &m;
    c.BMode = m.BMode;
    c.EWinkeyer = m.EWinkeyer;
    c.LSpeed = m.LSpeed;
    c.LSpeedPaddle = m.LSpeedPaddle;
    c.LTransmit = m.LTransmit;
    c.LMemo = m.LMemo;
    c.LRun = m.LRun;
    c.LESM = m.LESM;
    c.ECall = m.ECall;
    c.EditLL = m.EditLL;
    c.CS5 = m.CS5;
    return c;
}

}  // namespace

Program::Program(StationState& state, platform::Clock& clock, keyer::KeyerWait keyerWait)
    : main(state, clock),
      link(ControlsOf(main)),
      wk(state, link, std::move(keyerWait)),
      memo(state, link, wk.Link()) {
    wk.SetMemoWindow(&memo);
    main.AttachKeyer(&wk, &memo);
    // The Run/S-P sequence belongs to the entry line; the keyer only reports
    // the steps that move it.
    QObject::connect(&wk.Link(), &keyer::KeyerLink::exchangeStarted, &main,
                     [&state] { state.entry.EntryState = 1; });
    QObject::connect(&wk, &keyer::TfWK::entrySequenceReset, &main,
                     [&state] { state.entry.EntryState = 0; });
    QObject::connect(&main, &TfMain::keyerWindowRequested, &wk, [this] {
        wk.show();
        wk.raise();
        wk.activateWindow();
    });
    QObject::connect(&main, &TfMain::keyerLinkOpenRequested, &wk, [this] {
        if (!wk.Link().PortOpen()) {
            wk.Link().OpenKeyer();
        }
    });
    QObject::connect(&main, &TfMain::keyerLinkCloseRequested, &wk,
                     [this] { wk.Link().CloseKeyer(); });
    QObject::connect(&main, &TfMain::openComRequested, &wk, [this] { wk.Link().OpenOrClose(); });
    QObject::connect(&main, &TfMain::memoWindowRequested, &memo, [this] { memo.show(); });

    // The main window tells the operator whenever CW cannot reach the keyer.
    const auto showKeyerOffline = [this] {
        const keyer::KeyerLink& l = wk.Link();
        main.BKeyerOffline->setVisible(
            keyer::KeyerOfflineShown(main.EMode->currentIndex(), l.State()));
        main.BKeyerOffline->setToolTip(l.StatusText());
    };
    QObject::connect(&wk.Link(), &keyer::KeyerLink::statusChanged, &main, showKeyerOffline);
    QObject::connect(main.EMode, &QComboBox::currentIndexChanged, &main, showKeyerOffline);
    QObject::connect(main.BKeyerOffline, &QPushButton::clicked, &main,
                     &TfMain::keyerWindowRequested);
    showKeyerOffline();
}

}  // namespace corvatta
