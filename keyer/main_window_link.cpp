#include "keyer/main_window_link.h"

#include "platform/colors.h"
#include "station/station_state.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

namespace corvatta::keyer {

void WidgetMainWindowLink::SetModeButtonColor(const QString& colorText) {
    PaintBackground(c_.BMode, colorText);
}

void WidgetMainWindowLink::SetKeyerFieldColor(const QString& colorText) {
    PaintBackground(c_.EWinkeyer, colorText);
}

void WidgetMainWindowLink::ShowSpeed(int wpm) {
    if (c_.LSpeed != nullptr) {
        c_.LSpeed->setText(QString::number(wpm));
    }
}

void WidgetMainWindowLink::ShowPaddleSpeed(int wpm) {
    if (c_.LSpeedPaddle != nullptr) {
        c_.LSpeedPaddle->setText(QString::number(wpm));
    }
}

void WidgetMainWindowLink::AppendTransmitted(const QString& text) {
    if (c_.LTransmit != nullptr) {
        c_.LTransmit->setText(c_.LTransmit->text() + text);
    }
}

void WidgetMainWindowLink::ClearTransmitted() {
    if (c_.LTransmit != nullptr) {
        c_.LTransmit->clear();
    }
}

void WidgetMainWindowLink::ShowMessageKey(const QString& key) {
    if (c_.LMemo != nullptr) {
        c_.LMemo->setText(key);
    }
}

void WidgetMainWindowLink::ShowRunMode(bool run) {
    if (c_.LRun != nullptr) {
        c_.LRun->setText(run ? QStringLiteral("RUN") : QStringLiteral("S/P"));
        PaintText(c_.LRun, run ? colors::ColorRed : colors::ColorBlack);
    }
}

bool WidgetMainWindowLink::EsmLabelVisible() const {
    return c_.LESM != nullptr && c_.LESM->isVisible();
}

void WidgetMainWindowLink::ShowEsmLabel(bool visible) {
    if (c_.LESM != nullptr) {
        c_.LESM->setVisible(visible);
    }
}

QString WidgetMainWindowLink::EntryText() const {
    return c_.ECall != nullptr ? c_.ECall->text() : QString();
}

void WidgetMainWindowLink::SetEntryText(const QString& text) {
    if (c_.ECall != nullptr) {
        c_.ECall->setText(text);
    }
}

bool WidgetMainWindowLink::EntryVisible() const {
    return c_.ECall != nullptr && c_.ECall->isVisible();
}

void WidgetMainWindowLink::MoveEntryCaretToEnd() {
    if (c_.ECall != nullptr) {
        c_.ECall->end(false);
    }
}

void WidgetMainWindowLink::FocusEntryEnd() {
    if (c_.ECall != nullptr) {
        c_.ECall->setFocus();
        c_.ECall->end(false);
    }
}

void WidgetMainWindowLink::ClearExchangeField() {
    if (c_.EditLL != nullptr) {
        c_.EditLL->clear();
    }
}

bool WidgetMainWindowLink::AutoS5Checked() const {
    return c_.CS5 != nullptr && c_.CS5->isChecked();
}

QPoint WidgetMainWindowLink::MainWindowPosition() const {
    return c_.window != nullptr ? c_.window->pos() : QPoint();
}

}  // namespace corvatta::keyer
