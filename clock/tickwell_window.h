// TForm1, the clock program's one window: a stay-on-top clock face of seven
// seven-segment digits showing local time or UTC, and a row of launcher
// buttons. It reads "now" only from the clock it is given.
#pragma once

#include "clock/clock_settings.h"
#include "clock/digit_blitter.h"
#include "clock/qen_digit.h"
#include "platform/clock.h"

#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <array>

namespace tickwell {

// A panel or label that reports clicks and double-clicks the way the
// original controls did: a click on release inside it, and the second press
// of a double-click gives only the double-click. It keeps every mouse event
// to itself, so a click never falls through to what lies behind.
class ClickPanel : public QLabel {
    Q_OBJECT

  public:
    using QLabel::QLabel;

  signals:
    void Click();
    void DblClick();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    bool pressed_ = false;
    bool secondOfDouble_ = false;
};

class TForm1 : public QWidget, private ClockSettingsTarget {
    Q_OBJECT

  public:
    // The window as designed; the frame allowance is what the design took
    // a window frame to add (left plus right, caption plus bottom).
    static constexpr int kFrameWidth = 5;
    static constexpr int kFrameHeight = 20;
    static constexpr int kDesignClientWidth = 387;
    static constexpr int kDesignClientHeight = 205;

    // Builds the window and runs the start-up, which shows it.
    explicit TForm1(platform::Clock& clock, QWidget* parent = nullptr);

    // Window size as the settings count it, frame allowance included.
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Frameless() const { return frameless_; }
    bool ShowUtc() const { return showUtc_; }
    const ClockSettings& Settings() const { return settings_; }

    // The seven digits: hour tens, hour units, separator, minute tens,
    // minute units, second tens, second units.
    TqenDigit* Digit(int index) const { return digits_[std::size_t(index)]; }
    ClickPanel* LabelMEZGMT() const { return labelMezGmt_; }
    ClickPanel* Panel1() const { return panel1_; }
    // The clock face: Panel1 inside its border, parent of every control.
    ClickPanel* Face() const { return face_; }
    ClickPanel* PanelAplication() const { return panelAplication_; }
    ClickPanel* Button(int n) const { return buttons_[std::size_t(n)]; }
    QTimer* TimerTick() const { return timerTick_; }

    // Event handlers, public so tests can call them as the events would.
    void TimerTickTimer();
    void LabelMEZGMTClick();
    void LabelMEZGMTDblClick();
    void PClick(int n);
    void Panel1Click();
    void SaveWindowPosition();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void BuildControls();
    void FormCreate();
    void SetWindowSize(int width, int height);
    void SetFrameless(bool frameless);

    // ClockSettingsTarget
    void SetTop(int top) override;
    void SetLeft(int left) override;
    void SetButtonColor(int n, const QColor& color) override;
    QString ButtonCaption(int n) const override;
    void SetButtonCaption(int n, const QString& caption) override;

    platform::Clock& clock_;
    QString settingsFile_;
    ClockSettings settings_;
    bool showUtc_ = false;
    bool frameless_ = false;
    int width_ = kDesignClientWidth + kFrameWidth;
    int height_ = kDesignClientHeight + kFrameHeight;
    QChar separator_ = u':';

    ClickPanel* panel1_ = nullptr;
    ClickPanel* face_ = nullptr;
    std::array<TqenDigit*, 7> digits_{};
    ClickPanel* labelMezGmt_ = nullptr;
    ClickPanel* panelAplication_ = nullptr;
    std::array<ClickPanel*, kButtonCount> buttons_{};
    QTimer* timerTick_ = nullptr;
    DigitBlitter blitter_;
};

}  // namespace tickwell
