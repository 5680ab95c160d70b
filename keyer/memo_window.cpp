#include "keyer/memo_window.h"

#include "keyer/keyer_link.h"
#include "platform/widget_look.h"

#include <QFont>
#include <QValidator>

namespace corvatta::keyer {

using platform::PaintBackground;
using platform::PaintText;

namespace {

constexpr int kFocusDelayMs = 200;

class UpperCase : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        input = input.toUpper();
        return Acceptable;
    }
};

QLabel* MemoLabel(QWidget* parent, const QString& name, const QString& text, int x, int y,
                  int width, int pointSize) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(x, y, width, 24);
    QFont f = l->font();
    f.setPointSize(pointSize);
    f.setBold(pointSize > 9);
    l->setFont(f);
    return l;
}

}  // namespace

TfMemo::TfMemo(StationState& state, MainWindowLink& link, KeyerLink& keyer, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      state_(state),
      link_(link),
      keyer_(keyer) {
    setObjectName(QStringLiteral("fMemo"));
    BuildWindow();
    TimerStart = new QTimer(this);
    TimerStart->setObjectName(QStringLiteral("TimerStart"));
    TimerStart->setInterval(kFocusDelayMs);
    connect(TimerStart, &QTimer::timeout, this, &TfMemo::TimerStartTimer);
    connect(BTune, &QPushButton::clicked, this, &TfMemo::TuneClick);
    PlaceAgainstMainWindow();
}

void TfMemo::BuildWindow() {
    for (int i = 0; i < 9; ++i) {
        const QString n = QString::number(i + 1);
        const int y = 4 + i * 26;
        Label[i] =
            MemoLabel(this, QStringLiteral("Label") + n, QStringLiteral("F") + n, 4, y, 32, 12);
        EF[i] = new QLineEdit(this);
        EF[i]->setObjectName(QStringLiteral("EF") + n);
        EF[i]->setGeometry(36, y, 105, 22);
        EF[i]->setFrame(false);
        EF[i]->setValidator(new UpperCase(EF[i]));
    }
    EF[3]->setReadOnly(true);
    EF[4]->setReadOnly(true);
    for (int i : {1, 5, 6, 7, 8}) {
        PaintBackground(EF[i], QStringLiteral("$00AFFFFF"));
    }
    PaintBackground(EF[3], colors::ColorPortOpen);
    PaintBackground(EF[4], colors::ColorPortOpen);

    Label10 = MemoLabel(this, QStringLiteral("Label10"), QStringLiteral("F10"), 4, 240, 40, 12);
    Label11 = MemoLabel(this, QStringLiteral("Label11"), QStringLiteral("F11"), 4, 262, 40, 12);
    Label12 = MemoLabel(this, QStringLiteral("Label12"), QStringLiteral("F12"), 4, 284, 40, 12);
    LMemoRun = MemoLabel(this, QStringLiteral("LMemoRun"), QStringLiteral("Run"), 48, 240, 90, 12);
    PaintText(LMemoRun, colors::ColorRed);
    LMemoESM = MemoLabel(this, QStringLiteral("LMemoESM"), QStringLiteral("ESM"), 48, 262, 90, 12);
    PaintText(LMemoESM, colors::ColorRed);
    LMemoESM->hide();
    Label15 = MemoLabel(this, QStringLiteral("Label15"), QStringLiteral("WIPE-Briše znak"), 48, 284,
                        95, 8);
    Label13 = MemoLabel(this, QStringLiteral("Label13"), QStringLiteral("Ctrl-T"), 4, 310, 36, 8);
    BTune = new QPushButton(QStringLiteral("TUNE"), this);
    BTune->setObjectName(QStringLiteral("BTune"));
    BTune->setGeometry(40, 308, 70, 26);
    BTune->setToolTip(
        QStringLiteral("Ctrl+T or Ctrl+F12 vklopi ali izklopi Tune, izklop tudi z ESC"));
    Label14 = MemoLabel(this, QStringLiteral("Label14"), QStringLiteral("Esc"), 116, 310, 26, 8);
}

void TfMemo::PlaceAgainstMainWindow(int height) {
    PlaceAgainst(link_.MainWindowPosition(), height);
}

void TfMemo::PlaceAgainst(QPoint main, int height) {
    setGeometry(main.x() + kMemoOffsetLeft, main.y() + kMemoOffsetTop, kMemoWidth, height);
}

void TfMemo::mouseDoubleClickEvent(QMouseEvent* event) {
    PlaceAgainstMainWindow(kMemoHeightAfterDoubleClick);
    QWidget::mouseDoubleClickEvent(event);
}

void TfMemo::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    for (int i = 0; i < 9; ++i) {
        EF[i]->setText(state_.messages.Visual[i]);
    }
    if (!state_.keyer.RunMode) {
        ShowRunMode(false);
    }
    if (state_.keyer.EnterSendMsg) {
        LMemoESM->show();
    }
    TimerStart->start();
}

void TfMemo::ShowRunMode(bool run) {
    LMemoRun->setText(run ? QStringLiteral("RUN") : QStringLiteral("S/P"));
    PaintText(LMemoRun, run ? colors::ColorRed : colors::ColorBlack);
}

void TfMemo::ShowEsm(bool on) {
    LMemoESM->setVisible(on);
}

void TfMemo::ShowTune(bool on) {
    BTune->setText(on ? QStringLiteral("TUNE ON") : QStringLiteral("TUNE"));
}

void TfMemo::TimerStartTimer() {
    TimerStart->stop();
    if (link_.EntryVisible()) {
        link_.FocusEntryEnd();
    }
}

void TfMemo::TuneClick() {
    if (const std::optional<bool> on = keyer_.ToggleTune()) {
        ShowTune(*on);
    }
    if (link_.EntryVisible()) {
        link_.FocusEntryEnd();
    }
}

}  // namespace corvatta::keyer
