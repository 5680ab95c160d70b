#include "com_setup_frm.h"

#include "com_port.h"
#include "serial_ports.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace serial {

namespace {

constexpr int kDescriptionRole = Qt::UserRole + 1;

// The drop-down of the port list shows the description beside each name; the edit field
// keeps the bare name, which is what the port takes.
class PortItemDelegate : public QStyledItemDelegate {
  public:
    explicit PortItemDelegate(TComComboBox* combo) : QStyledItemDelegate(combo), combo_(combo) {}

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->text = combo_->ItemListText(index.row());
    }

  private:
    TComComboBox* combo_;
};

}  // namespace

// --- TComComboBox -----------------------------------------------------------------------

TComComboBox::TComComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
}

void TComComboBox::Bind(TCustomComPort* port, TComProperty property,
                        const QList<SerialPortInfo>& ports) {
    port_ = port;
    property_ = property;
    clear();
    switch (property) {
        case cpNone:
            break;
        case cpPort:
            for (const SerialPortInfo& info : ports) {
                addItem(info.name);
                setItemData(count() - 1, info.description, kDescriptionRole);
                setItemData(count() - 1, info.description, Qt::ToolTipRole);
            }
            break;
        case cpBaudRate:
            addItems(BaudRateTexts());
            break;
        case cpDataBits:
            addItems(DataBitsTexts());
            break;
        case cpStopBits:
            addItems(StopBitsTexts());
            break;
        case cpParity:
            addItems(ParityTexts());
            break;
        case cpFlowControl:
            addItems(FlowControlTexts());
            break;
    }
    if (property == cpPort) {
        // A device the list does not know (a pseudo-terminal, a link of the operator's own)
        // can be typed; device names are case-sensitive, so completion must not change case.
        setEditable(true);
        setInsertPolicy(QComboBox::NoInsert);
        completer()->setCaseSensitivity(Qt::CaseSensitive);
        setItemDelegate(new PortItemDelegate(this));
        SelectCurrentPort();
        view()->setMinimumWidth(view()->sizeHintForColumn(0) + 8);
        return;
    }
    // MatchFixedString compares whole texts, ignoring case.
    setCurrentIndex(findText(CurrentSettingText(), Qt::MatchFixedString));
}

namespace {

// Where a port name leads: an absolute path as it is, any other name under /dev/.
QString DevicePath(const QString& name) {
    return name.startsWith(u'/') ? QDir::cleanPath(name) : QStringLiteral("/dev/") + name;
}

bool SameDevice(const QString& a, const QString& b) {
    const QString pathA = DevicePath(a);
    const QString pathB = DevicePath(b);
    if (pathA == pathB)
        return true;
    const QString realA = QFileInfo(pathA).canonicalFilePath();
    return !realA.isEmpty() && realA == QFileInfo(pathB).canonicalFilePath();
}

}  // namespace

// The port in use is always offered and selected under its own spelling, so that OK without
// a new choice keeps it: a pseudo-terminal or a stable by-id name is not among the listed
// devices, and "/dev/ttyUSB0" is listed as "ttyUSB0". Device names are case-sensitive here,
// so only the exact text counts as equal.
void TComComboBox::SelectCurrentPort() {
    const QString current = CurrentSettingText();
    if (current.isEmpty()) {
        setCurrentIndex(-1);
        return;
    }
    int index = findText(current, Qt::MatchExactly | Qt::MatchCaseSensitive);
    for (int i = 0; index < 0 && i < count(); ++i) {
        if (SameDevice(itemText(i), current)) {
            setItemText(i, current);
            index = i;
        }
    }
    if (index < 0) {
        insertItem(0, current);
        index = 0;
    }
    setCurrentIndex(index);
}

QString TComComboBox::CurrentSettingText() const {
    if (port_ == nullptr)
        return {};
    switch (property_) {
        case cpNone:
            return {};
        case cpPort:
            return port_->Port();
        case cpBaudRate:
            return BaudRateToText(port_->BaudRate());
        case cpDataBits:
            return DataBitsToText(port_->DataBits());
        case cpStopBits:
            return StopBitsToText(port_->StopBits());
        case cpParity:
            return ParityToText(port_->Parity().Bits);
        case cpFlowControl:
            return FlowControlToText(port_->FlowControlSummary());
    }
    return {};
}

QString TComComboBox::PendingText() const {
    if (isEditable())
        return currentText().trimmed();
    return currentIndex() >= 0 ? currentText() : QString();
}

QString TComComboBox::ItemListText(int index) const {
    const QString description = itemData(index, kDescriptionRole).toString();
    if (description.isEmpty())
        return itemText(index);
    return itemText(index) + QStringLiteral("  \u2014  ") + description;
}

void TComComboBox::ApplySettings() {
    if (port_ == nullptr)
        return;
    const QString text = PendingText();
    switch (property_) {
        case cpNone:
            break;
        case cpPort:
            port_->SetPort(text);
            break;
        case cpBaudRate:
            port_->SetBaudRate(TextToBaudRate(text));
            break;
        case cpDataBits:
            port_->SetDataBits(TextToDataBits(text));
            break;
        case cpStopBits:
            port_->SetStopBits(TextToStopBits(text));
            break;
        case cpParity:
            port_->SetParityBits(TextToParity(text));
            break;
        case cpFlowControl:
            port_->SetFlowControlSummary(TextToFlowControl(text));
            break;
    }
}

// --- TComSetupFrm -----------------------------------------------------------------------

namespace {
QList<SerialPortInfo> Undescribed(const QStringList& names) {
    QList<SerialPortInfo> ports;
    for (const QString& name : names)
        ports.append({name, QString()});
    return ports;
}
}  // namespace

TComSetupFrm::TComSetupFrm(TCustomComPort* port, const QStringList& portNames, QWidget* parent)
    : TComSetupFrm(port, Undescribed(portNames), parent) {}

TComSetupFrm::TComSetupFrm(TCustomComPort* port, const QList<SerialPortInfo>& ports,
                           QWidget* parent)
    : QDialog(parent), port_(port) {
    setWindowTitle(QStringLiteral("Setup"));
    setFixedSize(231, 216);

    struct Row {
        const char* label;
        TComProperty property;
    };
    static constexpr Row kRows[] = {
        {"Port", cpPort},          {"Baud rate", cpBaudRate}, {"Data bits", cpDataBits},
        {"Stop bits", cpStopBits}, {"Parity", cpParity},      {"Flow control", cpFlowControl},
    };

    auto* group = new QGroupBox(QStringLiteral(" Settings "), this);
    auto* grid = new QGridLayout(group);
    grid->setVerticalSpacing(2);
    for (const Row& row : kRows) {
        auto* combo = new TComComboBox(group);
        combo->Bind(port, row.property, ports);
        auto* label = new QLabel(QString::fromLatin1(row.label), group);
        label->setBuddy(combo);
        const int line = static_cast<int>(combos_.size());
        grid->addWidget(label, line, 0);
        grid->addWidget(combo, line, 1);
        combos_ << combo;
    }

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(group);
    layout->addLayout(buttons);

    CentreOnScreen();
}

// A dialog with a parent is centred on that parent by the toolkit; this one belongs in the
// middle of the screen that holds its parent, wherever the keyer window happens to be.
void TComSetupFrm::CentreOnScreen() {
    QScreen* screen = parentWidget() != nullptr ? parentWidget()->window()->screen() : nullptr;
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    QRect placed(QPoint(0, 0), size());
    placed.moveCenter(screen->availableGeometry().center());
    move(placed.topLeft());
}

TComComboBox* TComSetupFrm::Combo(TComProperty property) const {
    for (TComComboBox* combo : combos_) {
        if (combo->ComProperty() == property)
            return combo;
    }
    return nullptr;
}

void TComSetupFrm::ApplySettings() {
    port_->BeginSettingsChange();
    try {
        for (TComComboBox* combo : combos_)
            combo->ApplySettings();
    } catch (...) {
        try {
            port_->EndSettingsChange();
        } catch (...) {
            // The first failure is the one reported.
        }
        throw;
    }
    port_->EndSettingsChange();
}

void ShowSettingsDialog(TCustomComPort& port, QWidget* parent) {
    TComSetupFrm form(&port, ListSerialPortInfos(), parent);
    if (form.exec() == QDialog::Accepted)
        form.ApplySettings();
}

}  // namespace serial
