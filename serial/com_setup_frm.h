// The serial port setup dialog: six lists bound to settings of one port (the port list also
// takes a typed device path),
// holding pending values until OK writes them in one settings change; Cancel changes nothing.
#pragma once

#include "com_types.h"
#include "serial_ports.h"

#include <QComboBox>
#include <QDialog>
#include <QStringList>

class QPushButton;

namespace serial {

class TCustomComPort;

// A drop-down list bound to one setting of a port by its TComProperty. Picking an item only
// changes the pending value (its TComSelect; AutoApply is always False here). The port list
// also takes a typed device path, and its drop-down shows each device's description.
class TComComboBox : public QComboBox {
    Q_OBJECT

  public:
    explicit TComComboBox(QWidget* parent = nullptr);

    // Fills the list with the texts of `property` (the given names for cpPort) and selects
    // the item equal, ignoring case, to the port's current text. The port list always holds
    // and selects the current port name exactly as it is.
    void Bind(TCustomComPort* port, TComProperty property, const QList<SerialPortInfo>& ports = {});
    TComProperty ComProperty() const { return property_; }
    bool AutoApply() const { return false; }

    // The pending value: the selected text, or "" when nothing is selected; for the port
    // list, the typed or picked name.
    QString PendingText() const;
    // What the drop-down shows for an item: the name, and the description when there is one.
    QString ItemListText(int index) const;
    // Writes the pending value to the port.
    void ApplySettings();

  private:
    QString CurrentSettingText() const;
    void SelectCurrentPort();

    TCustomComPort* port_ = nullptr;
    TComProperty property_ = cpNone;
};

class TComSetupFrm : public QDialog {
    Q_OBJECT

  public:
    TComSetupFrm(TCustomComPort* port, const QList<SerialPortInfo>& ports,
                 QWidget* parent = nullptr);
    // Ports known by name only.
    TComSetupFrm(TCustomComPort* port, const QStringList& portNames, QWidget* parent = nullptr);

    TComComboBox* Combo(TComProperty property) const;
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

    // What OK does: the pending values in the order port, baud rate, data bits, stop bits,
    // parity, flow control, inside one settings change.
    void ApplySettings();

  private:
    void CentreOnScreen();

    TCustomComPort* port_;
    QList<TComComboBox*> combos_;  // in the order of the table, cpPort first
    QPushButton* ok_;
    QPushButton* cancel_;
};

// The modal setup dialog for `port`; OK applies the choices in one settings change.
void ShowSettingsDialog(TCustomComPort& port, QWidget* parent = nullptr);

}  // namespace serial
