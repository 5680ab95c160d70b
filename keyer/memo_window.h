// TfMemo, the small borderless reminder that sits on the main window during
// a contest: what F1..F9 send (the Visual texts), the Run and ESM state, the
// keys F10..F12, and a tune button.
#pragma once

#include "keyer/main_window_link.h"
#include "station/station_state.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <array>

namespace corvatta::keyer {

class KeyerLink;

inline constexpr int kMemoOffsetTop = 198;
inline constexpr int kMemoOffsetLeft = 466;
inline constexpr int kMemoWidth = 145;
inline constexpr int kMemoHeight = 338;
inline constexpr int kMemoHeightAfterDoubleClick = 340;

class TfMemo : public QWidget {
    Q_OBJECT

  public:
    TfMemo(StationState& state, MainWindowLink& link, KeyerLink& keyer, QWidget* parent = nullptr);

    // Puts the window back at its place against the main window.
    void PlaceAgainstMainWindow(int height = kMemoHeight);
    // The same place against where the main window was (at program start,
    // for a window built later).
    void PlaceAgainst(QPoint mainWindowPosition, int height = kMemoHeight);
    // F10 elsewhere: "RUN" in red or "S/P" in black.
    void ShowRunMode(bool run);
    // F11 elsewhere: LMemoESM shown while ESM is on.
    void ShowEsm(bool on);
    // Tune switched from the entry line.
    void ShowTune(bool on);
    void TimerStartTimer();

    std::array<QLabel*, 9> Label{};
    std::array<QLineEdit*, 9> EF{};
    QLabel *Label10, *Label11, *Label12, *Label13, *Label14, *Label15;
    QLabel *LMemoRun, *LMemoESM;
    QPushButton* BTune;
    QTimer* TimerStart;

  protected:
    void showEvent(QShowEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    void BuildWindow();
    void TuneClick();

    StationState& state_;
    MainWindowLink& link_;
    KeyerLink& keyer_;
};

}  // namespace corvatta::keyer
