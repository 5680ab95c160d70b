#include "logger/voice_window.h"

#include "logger/main_window.h"
#include "logger/settings.h"
#include "platform/errors.h"
#include "platform/ini_file.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace corvatta {

namespace {

const QString kDefaultDevice = QStringLiteral("(privzeta)");
constexpr int kRows = 2 * kVoiceMessages;

void FillDevices(QComboBox* box, const QStringList& names, const QString& chosen) {
    box->clear();
    box->addItem(kDefaultDevice);
    box->addItems(names);
    if (!chosen.isEmpty() && !names.contains(chosen)) {
        box->addItem(chosen);  // a device not plugged in now stays chosen
    }
    box->setCurrentIndex(chosen.isEmpty() ? 0 : box->findText(chosen));
}

QString Device(const QComboBox* box) {
    return box->currentIndex() <= 0 ? QString() : box->currentText();
}

}  // namespace

VoiceWindow::VoiceWindow(VoiceKeyer& keyer, VoiceRecorder& recorder, QWidget* parent)
    : QWidget(parent, Qt::Window), keyer_(keyer), recorder_(recorder) {
    setWindowTitle(QStringLiteral("Glasovna sporočila"));
    Messages = new QTableWidget(kRows, 3, this);
    Messages->setHorizontalHeaderLabels(
        {QStringLiteral("Tipka"), QStringLiteral("Sklop"), QStringLiteral("Dolžina")});
    Messages->verticalHeader()->hide();
    Messages->setSelectionBehavior(QAbstractItemView::SelectRows);
    Messages->setSelectionMode(QAbstractItemView::SingleSelection);
    Messages->setEditTriggers(QAbstractItemView::NoEditTriggers);
    BPlay = new QPushButton(QStringLiteral("Predvajaj"), this);
    BRecord = new QPushButton(QStringLiteral("Snemaj"), this);
    BDelete = new QPushButton(QStringLiteral("Izbriši"), this);
    CBEnabled = new QCheckBox(QStringLiteral("Glasovna sporočila v SSB"), this);
    CBOutput = new QComboBox(this);
    CBInput = new QComboBox(this);
    CBPtt = new QComboBox(this);
    CBPtt->addItems({QStringLiteral("brez (VOX)"), QStringLiteral("RTS"), QStringLiteral("DTR"),
                     QStringLiteral("radio (rigctld)")});
    EPttPort = new QLineEdit(this);
    EPttPort->setPlaceholderText(QStringLiteral("/dev/ttyUSB0"));
    SLead = new QSpinBox(this);
    STail = new QSpinBox(this);
    for (QSpinBox* s : {SLead, STail}) {
        s->setRange(0, 2000);
        s->setSuffix(QStringLiteral(" ms"));
    }
    BSave = new QPushButton(QStringLiteral("Shrani nastavitve"), this);
    LStatus = new QLabel(this);
    LStatus->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {BPlay, BRecord, BDelete}) {
        buttons->addWidget(b);
    }
    auto* form = new QFormLayout;
    form->addRow(CBEnabled);
    form->addRow(QStringLiteral("Predvajaj na"), CBOutput);
    form->addRow(QStringLiteral("Snemaj z"), CBInput);
    form->addRow(QStringLiteral("PTT"), CBPtt);
    form->addRow(QStringLiteral("Vrata za PTT"), EPttPort);
    form->addRow(QStringLiteral("Pred sporočilom"), SLead);
    form->addRow(QStringLiteral("Po sporočilu"), STail);
    form->addRow(BSave);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Messages);
    layout->addLayout(buttons);
    layout->addLayout(form);
    layout->addWidget(LStatus);

    connect(BPlay, &QPushButton::clicked, this, &VoiceWindow::PlaySelected);
    connect(BRecord, &QPushButton::clicked, this, &VoiceWindow::RecordSelected);
    connect(BDelete, &QPushButton::clicked, this, &VoiceWindow::DeleteSelected);
    connect(BSave, &QPushButton::clicked, this, [this] { emit settingsChosen(ChosenSettings()); });
    connect(&keyer_, &VoiceKeyer::statusChanged, this, &VoiceWindow::ShowStatus);
    connect(&recorder_, &VoiceRecorder::failed, this, [this] {
        ShowStatus(recorder_.Reason());
        Refresh();
    });
    ShowSettings(keyer_.Settings());
    Refresh();
}

void VoiceWindow::ShowSettings(const VoiceSettings& s) {
    CBEnabled->setChecked(s.Enabled);
    FillDevices(CBOutput, platform::AudioOutputNames(), s.Output);
    FillDevices(CBInput, platform::AudioInputNames(), s.Input);
    CBPtt->setCurrentIndex(int(s.Ptt));
    EPttPort->setText(s.PttPort);
    SLead->setValue(s.Lead);
    STail->setValue(s.Tail);
}

VoiceSettings VoiceWindow::ChosenSettings() const {
    VoiceSettings s;
    s.Enabled = CBEnabled->isChecked();
    s.Output = Device(CBOutput);
    s.Input = Device(CBInput);
    s.Ptt = PttKind(CBPtt->currentIndex());
    s.PttPort = EPttPort->text().trimmed();
    s.Lead = SLead->value();
    s.Tail = STail->value();
    return s;
}

void VoiceWindow::Refresh() {
    for (int row = 0; row < kRows; ++row) {
        const VoiceSet set = row < kVoiceMessages ? VoiceSet::Run : VoiceSet::SearchPounce;
        const int n = row % kVoiceMessages + 1;
        const QString file = VoiceMessageFile(set, n);
        QString length = QStringLiteral("-");
        if (QFileInfo(file).isFile()) {
            QString error;
            const std::optional<VoiceClip> clip = ReadWaveFile(file, &error);
            length =
                clip ? QStringLiteral("%1 s").arg(double(clip->DurationMs()) / 1000.0, 0, 'f', 1)
                     : QStringLiteral("okvarjen");
        }
        if (recorder_.Recording() && recorder_.FileName() == file) {
            length = QStringLiteral("snemam ...");
        }
        const QString cells[] = {
            QStringLiteral("F%1").arg(n),
            set == VoiceSet::Run ? QStringLiteral("Run") : QStringLiteral("S/P"), length};
        for (int c = 0; c < 3; ++c) {
            Messages->setItem(row, c, new QTableWidgetItem(cells[c]));
        }
    }
    BRecord->setText(recorder_.Recording() ? QStringLiteral("Ustavi snemanje")
                                           : QStringLiteral("Snemaj"));
}

bool VoiceWindow::Selected(VoiceSet* set, int* n) const {
    const int row = Messages->currentRow();
    if (row < 0) {
        return false;
    }
    *set = row < kVoiceMessages ? VoiceSet::Run : VoiceSet::SearchPounce;
    *n = row % kVoiceMessages + 1;
    return true;
}

void VoiceWindow::PlaySelected() {
    VoiceSet set;
    int n = 0;
    if (keyer_.Playing()) {
        keyer_.Stop();
    } else if (Selected(&set, &n) && !keyer_.PlayMessage(set, n) && keyer_.Status().isEmpty()) {
        ShowStatus(QStringLiteral("F%1 ni posneto.").arg(n));
    }
}

void VoiceWindow::RecordSelected() {
    VoiceSet set;
    int n = 0;
    if (recorder_.Recording()) {
        ShowStatus(recorder_.Finish() ? QString() : recorder_.Reason());
    } else if (Selected(&set, &n)) {
        keyer_.Stop();
        ShowStatus(recorder_.Start(VoiceMessageFile(set, n), keyer_.Settings().Input)
                       ? QStringLiteral("Snemam F%1; shraniš z gumbom, Esc prekliče.").arg(n)
                       : recorder_.Reason());
    }
    Refresh();
}

void VoiceWindow::DeleteSelected() {
    VoiceSet set;
    int n = 0;
    if (Selected(&set, &n)) {
        QFile file(VoiceMessageFile(set, n));
        if (file.exists() && !file.remove()) {
            ShowStatus(
                QStringLiteral("F%1 ni mogoče izbrisati: %2").arg(n).arg(file.errorString()));
        }
        Refresh();
    }
}

void VoiceWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Escape) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (recorder_.Recording()) {
        recorder_.Cancel();
        ShowStatus(QStringLiteral("Snemanje je preklicano; prejšnji posnetek ostaja."));
        Refresh();
    } else {
        keyer_.Stop();
    }
}

void VoiceWindow::ShowStatus(const QString& text) {
    LStatus->setText(text);
}

VoiceWindows::VoiceWindows(TfMain& main) : main_(main), keyer_(output_), recorder_(input_) {
    try {
        LoadVoiceSettings(platform::IniFile(SettingsFileName()).Load(), settings_);
    } catch (const platform::Error&) {
        // An unreadable file leaves the voice keyer off, as it is by default.
    }
    connect(main.VoiceMenu, &QAction::triggered, this, &VoiceWindows::Open);
    main.View().AttachVoice(this);
}

VoiceWindows::~VoiceWindows() {
    main_.View().AttachVoice(nullptr);
    recorder_.Cancel();
    keyer_.Stop();
}

VoiceKeyer& VoiceWindows::Keyer() {
    // The rig link is made when the main window first shows; the keyer
    // takes it from then on.
    serial::TCustomComPort* keyerPort = main_.View().KeyerPort();
    if (!configured_ || configuredRig_ != main_.Rig() || configuredPort_ != keyerPort) {
        configured_ = true;
        configuredRig_ = main_.Rig();
        configuredPort_ = keyerPort;
        keyer_.Configure(settings_, main_.Rig(), keyerPort);
    }
    return keyer_;
}

void VoiceWindows::RecordingChanged() {
    if (window_) {
        window_->Refresh();
    }
}

void VoiceWindows::Open() {
    if (!window_) {
        window_ = std::make_unique<VoiceWindow>(Keyer(), recorder_);
        connect(window_.get(), &VoiceWindow::settingsChosen, this, &VoiceWindows::Save);
    }
    Keyer();
    window_->Refresh();
    window_->show();
    window_->raise();
}

void VoiceWindows::Save(const VoiceSettings& settings) {
    settings_ = settings;
    configured_ = false;
    Keyer();
    const platform::IniFile file(SettingsFileName());
    try {
        platform::IniDocument doc = file.Load();
        SaveVoiceSettings(settings_, doc);
        file.Save(doc);
    } catch (const platform::Error& e) {
        // Shown in the window, not in a box: the contest may be on.
        window_->LStatus->setText(e.message());
        return;
    }
    if (keyer_.Status().isEmpty()) {
        window_->LStatus->setText(QStringLiteral("Nastavitve so shranjene."));
    }
}

}  // namespace corvatta
