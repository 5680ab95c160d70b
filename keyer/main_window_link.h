// What the keyer windows need of the main window: its indicators (mode
// button, keyer field, speed labels, echoed text, message label, Run and ESM
// labels), its entry line and its place on the screen. The keyer library
// cannot see the main window's class, so it talks through this interface;
// the main window's view (logger/main_window_view.h) implements it.
#pragma once

#include <QPoint>
#include <QString>

namespace corvatta::keyer {

class MainWindowLink {
  public:
    virtual ~MainWindowLink() = default;

    // Background colour (a "$00BBGGRR" text) of the mode button BMode.
    virtual void SetModeButtonColor(const QString& colorText) = 0;
    // Background colour of the keyer set-up field EWinkeyer.
    virtual void SetKeyerFieldColor(const QString& colorText) = 0;
    // LSpeed: the PC speed.
    virtual void ShowSpeed(int wpm) = 0;
    // LSpeedPaddle: the speed the keyer's pot reported.
    virtual void ShowPaddleSpeed(int wpm) = 0;
    // LTransmit: the characters the keyer echoes as it sends them.
    virtual void AppendTransmitted(const QString& text) = 0;
    virtual void ClearTransmitted() = 0;
    // LMemo: the name of the message being sent ("F2", or empty).
    virtual void ShowMessageKey(const QString& key) = 0;
    // LRun: "RUN" in red or "S/P" in black (the label alone; the memo
    // window's mark is the keyer window's to set).
    virtual void ShowRunLabel(bool run) = 0;
    // LESM: the ESM label.
    virtual bool EsmLabelVisible() const = 0;
    virtual void ShowEsmLabel(bool visible) = 0;
    // ECall, the entry line. Setting its text runs the main window's
    // validation as typing would and leaves the caret at its end.
    virtual QString EntryText() const = 0;
    virtual void SetEntryText(const QString& text) = 0;
    virtual bool EntryVisible() const = 0;
    // Caret to the end of the entry line, with or without taking the focus.
    virtual void MoveEntryCaretToEnd() = 0;
    virtual void FocusEntryEnd() = 0;
    // EditLL, the predicted-year field.
    virtual void ClearExchangeField() = 0;
    // CS5, "Samodejni prefiks S5".
    virtual bool AutoS5Checked() const = 0;
    // Top-left corner of the main window on the screen.
    virtual QPoint MainWindowPosition() const = 0;
};

}  // namespace corvatta::keyer
