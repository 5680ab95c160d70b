// A main window stand-in for the keyer window tests: it records what the
// keyer shows there and holds an entry line text.
#pragma once

#include "keyer/main_window_link.h"

#include <QPoint>
#include <QString>

namespace corvatta::keyer {

class FakeMainWindowLink final : public MainWindowLink {
  public:
    void SetModeButtonColor(const QString& c) override { modeColor = c; }
    void SetKeyerFieldColor(const QString& c) override { keyerFieldColor = c; }
    void ShowSpeed(int wpm) override { speed = wpm; }
    void ShowPaddleSpeed(int wpm) override { paddleSpeed = wpm; }
    void AppendTransmitted(const QString& t) override { transmitted += t; }
    void ClearTransmitted() override { transmitted.clear(); }
    void ShowMessageKey(const QString& k) override { messageKey = k; }
    void ShowRunLabel(bool r) override { run = r; }
    bool EsmLabelVisible() const override { return esm; }
    void ShowEsmLabel(bool v) override { esm = v; }
    QString EntryText() const override { return entry; }
    void SetEntryText(const QString& t) override {
        entry = t;
        ++entryWrites;
    }
    bool EntryVisible() const override { return entryVisible; }
    void MoveEntryCaretToEnd() override { ++caretMoves; }
    void FocusEntryEnd() override { ++entryFocus; }
    void ClearExchangeField() override { exchangeCleared = true; }
    bool AutoS5Checked() const override { return autoS5; }
    QPoint MainWindowPosition() const override { return mainPos; }

    QString modeColor, keyerFieldColor, transmitted, messageKey, entry;
    int speed = -1, paddleSpeed = -1, entryWrites = 0, caretMoves = 0, entryFocus = 0;
    bool run = false, esm = false, entryVisible = true, exchangeCleared = false, autoS5 = false;
    QPoint mainPos{100, 50};
};

}  // namespace corvatta::keyer
