// Colour texts as the settings and the windows hold them: "$00BBGGRR"
// (blue, green, red bytes), a decimal or "0x" number with the same byte
// order, or a named colour ("clRed", "clBtnFace", ...).
#pragma once

#include <QColor>
#include <QString>
#include <optional>

namespace platform {

// The colour of a 0x00BBGGRR value; system colours (0xFF......) are given
// their usual light-theme look.
QColor ColorFromValue(qint64 bgr);

// nullopt when the text is no colour.
std::optional<QColor> ColorFromText(const QString& text);

// The same as ColorFromText for texts the program itself holds as constants.
QColor ColorOf(const QString& text);

// "$00BBGGRR" of a colour.
QString ColorToText(const QColor& color);

}  // namespace platform
