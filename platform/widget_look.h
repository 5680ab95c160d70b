// Small look-and-feel helpers both programs' windows share: colours from
// colour texts, and edits that show what is typed in capitals.
#pragma once

#include <QString>

class QLineEdit;
class QWidget;

namespace platform {

// Paints a control's background (window, base and button roles) from a
// colour text; a null widget is ignored.
void PaintBackground(QWidget* widget, const QString& colorText);
// Sets a control's text colour from a colour text; a null widget is ignored.
void PaintText(QWidget* widget, const QString& colorText);
// What the operator types into the edit appears in capitals; texts the
// program sets are left as they are.
void MakeUpperCase(QLineEdit* edit);

}  // namespace platform
