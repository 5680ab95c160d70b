#include "logger/practice_window.h"

#include "logger/settings.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/ini_file.h"
#include "platform/window_placement.h"
#include "practice/cw_keying.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimeZone>
#include <QVBoxLayout>
#include <QValidator>

#include <algorithm>
#include <cmath>

namespace corvatta {

namespace {

using practice::PracticeSettings;
using practice::PracticeStyle;
using practice::Verdict;

constexpr int kDurations[] = {10, 30, 60, 120};

// ---- Where the windows stood ----------------------------------------------------

// Kept beside the practice choices; a place that cannot be read or written
// only means the window opens where the window manager puts it, nothing to
// stop the operator for.
void RestoreWindowPlace(QWidget* window, const QString& prefix) {
    try {
        const platform::IniDocument ini = platform::IniFile(SettingsFileName()).Load();
        const auto left = ini.Value(practice::kPracticeSection, prefix + QStringLiteral("Left"));
        const auto top = ini.Value(practice::kPracticeSection, prefix + QStringLiteral("Top"));
        bool okLeft = false, okTop = false;
        const int x = left ? left->toInt(&okLeft) : 0;
        const int y = top ? top->toInt(&okTop) : 0;
        if (okLeft && okTop) {
            platform::RestorePlace(window, x, y);
        }
    } catch (const platform::Error&) {
    }
}

void SaveWindowPlace(const QWidget* window, const QString& prefix) {
    int left = 0, top = 0;
    platform::SavePlace(window, left, top);
    const platform::IniFile file(SettingsFileName());
    try {
        platform::IniDocument doc = file.Load();
        doc.WriteInteger(practice::kPracticeSection, prefix + QStringLiteral("Left"), left);
        doc.WriteInteger(practice::kPracticeSection, prefix + QStringLiteral("Top"), top);
        file.Save(doc);
    } catch (const platform::Error&) {
    }
}

const QString kSetupPlace = QStringLiteral("Setup");
const QString kResultsPlace = QStringLiteral("Results");

// ---- The set-up -------------------------------------------------------------------

// Digits that make a 64-bit number, or nothing: a seed the session could
// not read would silently become a new one.
class SeedValidator final : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        if (input.isEmpty()) {
            return Acceptable;
        }
        bool ok = false;
        input.toULongLong(&ok);
        const bool digits =
            std::all_of(input.begin(), input.end(), [](QChar c) { return c.isDigit(); });
        return digits && ok ? Acceptable : Invalid;
    }
};

QSpinBox* NewSpin(QWidget* parent, int lo, int hi, int step, const QString& suffix) {
    auto* s = new QSpinBox(parent);
    s->setRange(lo, hi);
    s->setSingleStep(step);
    s->setSuffix(suffix);
    return s;
}

// ---- The results ------------------------------------------------------------------

// Long paths and settings may hold no space to wrap at; a zero-width space
// after each separator lets a label break them instead of widening the
// window past the screen.
QString Breakable(QString text) {
    for (const QChar c : {u'/', u'\\', u'_'}) {
        text.replace(c, QString(c) + QChar(0x200B));
    }
    return text;
}

QColor VerdictColor(Verdict v) {
    switch (v) {
        case Verdict::Correct:
            return {212, 238, 212};
        case Verdict::BustedCall:
        case Verdict::BustedExchange:
            return {247, 208, 203};
        case Verdict::NotInLog:
            return {250, 232, 190};
        case Verdict::Dupe:
            return {224, 224, 224};
    }
    return {};
}

// A figure in large type above what it counts.
QLabel* NewTile(QGridLayout* grid, int row, int column, const QString& caption,
                const QColor& accent, QWidget* parent) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(QStringLiteral("tile"));
    frame->setStyleSheet(
        QStringLiteral("QFrame#tile { background: %1; border: 1px solid %2; border-radius: 4px; }")
            .arg(accent.name(), accent.darker(125).name()));
    auto* value = new QLabel(frame);
    QFont big = value->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    value->setFont(big);
    value->setAlignment(Qt::AlignCenter);
    auto* text = new QLabel(caption, frame);
    text->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setSpacing(0);
    layout->addWidget(value);
    layout->addWidget(text);
    grid->addWidget(frame, row, column);
    return value;
}

const QString kMinute = QStringLiteral("yyyyMMddHHmm");

QString DateText(const QDateTime& when) {
    return when.toUTC().toString(QStringLiteral("d. M. yyyy"));
}

QTableWidgetItem* Cell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

}  // namespace

PracticeSetupWindow::PracticeSetupWindow(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setObjectName(QStringLiteral("fVaja"));
    setWindowTitle(QStringLiteral("Vaja"));

    GSetup = new QGroupBox(QStringLiteral("Nastavitve vaje"), this);
    CBMinutes = new QComboBox(GSetup);
    for (const int m : kDurations) {
        CBMinutes->addItem(QStringLiteral("%1 min").arg(m), m);
    }
    CBStyle = new QComboBox(GSetup);
    CBStyle->addItem(QStringLiteral("Run – kopica klicateljev"), int(PracticeStyle::Pileup));
    CBStyle->addItem(QStringLiteral("Run – en klicatelj"), int(PracticeStyle::SingleCaller));
    CBStyle->addItem(QStringLiteral("S/P – postaje kličejo CQ"), int(PracticeStyle::SearchPounce));
    SActivity = NewSpin(GSetup, 1, 9, 1, QString());
    SActivity->setToolTip(QStringLiteral("Koliko postaj kliče hkrati"));
    SSpeedMin = NewSpin(GSetup, practice::kMinWpm, practice::kMaxWpm, 1, QStringLiteral(" WPM"));
    SSpeedMax = NewSpin(GSetup, practice::kMinWpm, practice::kMaxWpm, 1, QStringLiteral(" WPM"));
    CBFollowSpeed = new QCheckBox(QStringLiteral("kot moja hitrost ± 4"), GSetup);
    SPitch = NewSpin(GSetup, 300, 1200, 10, QStringLiteral(" Hz"));
    SBandwidth = NewSpin(GSetup, 300, 1000, 50, QStringLiteral(" Hz"));
    CBQrn = new QCheckBox(QStringLiteral("QRN"), GSetup);
    CBQrn->setToolTip(QStringLiteral("Atmosferske motnje (pokanje)"));
    CBQsb = new QCheckBox(QStringLiteral("QSB"), GSetup);
    CBQsb->setToolTip(QStringLiteral("Signali počasi pojemajo in naraščajo"));
    CBQrm = new QCheckBox(QStringLiteral("QRM"), GSetup);
    CBQrm->setToolTip(QStringLiteral("Občasno oddaja še kakšna druga postaja"));
    CBLids = new QCheckBox(QStringLiteral("LID"), GSetup);
    CBLids->setToolTip(
        QStringLiteral("Nekateri klicatelji kličejo izven vrste, se zmotijo in popravijo"));
    CBQsk = new QCheckBox(QStringLiteral("QSK"), GSetup);
    CBQsk->setToolTip(QStringLiteral("Sprejemnik slišiš tudi med svojimi znaki"));
    SVolume = new QSlider(Qt::Horizontal, GSetup);
    SVolume->setRange(0, 100);
    LVolume = new QLabel(GSetup);
    LVolume->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("100 %")));
    CBRecord = new QCheckBox(QStringLiteral("Snemaj v WAV"), GSetup);
    ERecordFile = new QLineEdit(GSetup);
    ERecordFile->setPlaceholderText(QStringLiteral("vaja.wav"));
    ERecordFile->setMinimumWidth(fontMetrics().horizontalAdvance(u'x') * 36);
    BChooseFile = new QPushButton(QStringLiteral("Izberi ..."), GSetup);
    ESeed = new QLineEdit(GSetup);
    ESeed->setValidator(new SeedValidator(ESeed));
    ESeed->setPlaceholderText(QStringLiteral("prazno: vsakič nova vaja"));
    ESeed->setToolTip(QStringLiteral("Isto seme ponovi isto vajo"));

    auto* speeds = new QHBoxLayout;
    speeds->addWidget(SSpeedMin);
    speeds->addWidget(new QLabel(QStringLiteral("do"), GSetup));
    speeds->addWidget(SSpeedMax);
    speeds->addWidget(CBFollowSpeed);
    speeds->addStretch();
    auto* effects = new QHBoxLayout;
    for (QCheckBox* c : {CBQrn, CBQsb, CBQrm, CBLids, CBQsk}) {
        effects->addWidget(c);
    }
    effects->addStretch();
    auto* volume = new QHBoxLayout;
    volume->addWidget(SVolume, 1);
    volume->addWidget(LVolume);
    auto* record = new QHBoxLayout;
    record->addWidget(ERecordFile, 1);
    record->addWidget(BChooseFile);

    auto* form = new QFormLayout(GSetup);
    form->addRow(QStringLiteral("Trajanje"), CBMinutes);
    form->addRow(QStringLiteral("Način"), CBStyle);
    form->addRow(QStringLiteral("Aktivnost (1–9)"), SActivity);
    form->addRow(QStringLiteral("Hitrost klicateljev"), speeds);
    form->addRow(QStringLiteral("Ton"), SPitch);
    form->addRow(QStringLiteral("Pasovna širina"), SBandwidth);
    form->addRow(QStringLiteral("Razmere"), effects);
    form->addRow(QStringLiteral("Glasnost"), volume);
    form->addRow(QStringLiteral("Posnetek"), CBRecord);
    form->addRow(QString(), record);
    form->addRow(QStringLiteral("Seme"), ESeed);

    BStart = new QPushButton(QStringLiteral("Začni"), this);
    BStop = new QPushButton(QStringLiteral("Končaj"), this);
    BResults = new QPushButton(QStringLiteral("Rezultati"), this);
    LStatus = new QLabel(this);
    LStatus->setWordWrap(true);
    // File names and reasons are shown as they are, never read as markup.
    LStatus->setTextFormat(Qt::PlainText);
    LStatus->hide();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BStart);
    buttons->addWidget(BStop);
    buttons->addStretch();
    buttons->addWidget(BResults);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GSetup);
    layout->addLayout(buttons);
    layout->addWidget(LStatus);

    connect(BStart, &QPushButton::clicked, this, &PracticeSetupWindow::startRequested);
    connect(BStop, &QPushButton::clicked, this, &PracticeSetupWindow::stopRequested);
    connect(BResults, &QPushButton::clicked, this, &PracticeSetupWindow::resultsRequested);
    connect(CBFollowSpeed, &QCheckBox::toggled, this, &PracticeSetupWindow::FollowSpeedChanged);
    connect(CBStyle, &QComboBox::currentIndexChanged, this, &PracticeSetupWindow::UpdateEnabled);
    connect(CBRecord, &QCheckBox::toggled, this, &PracticeSetupWindow::UpdateEnabled);
    connect(BChooseFile, &QPushButton::clicked, this, &PracticeSetupWindow::ChooseRecordFile);
    connect(SVolume, &QSlider::valueChanged, this,
            [this](int v) { LVolume->setText(QStringLiteral("%1 %").arg(v)); });
    SetSettings(PracticeSettings{}, 0);
    SetRunning(false);
}

PracticeSetupWindow::~PracticeSetupWindow() {
    if (isVisible()) {
        SaveWindowPlace(this, kSetupPlace);
    }
}

void PracticeSetupWindow::SetSettings(const PracticeSettings& s, int operatorSpeed) {
    operatorSpeed_ = operatorSpeed;
    // A length the list does not offer (the command line's --minutes) is
    // shown as it is, not as another.
    int minutes = CBMinutes->findData(s.Minutes);
    if (minutes < 0 && s.Minutes > 0) {
        CBMinutes->addItem(QStringLiteral("%1 min").arg(s.Minutes), s.Minutes);
        minutes = CBMinutes->count() - 1;
    }
    CBMinutes->setCurrentIndex(minutes >= 0 ? minutes : CBMinutes->findData(30));
    CBStyle->setCurrentIndex(std::max(0, CBStyle->findData(int(s.Style))));
    SActivity->setValue(s.Activity);
    const auto [lo, hi] = practice::CallerSpeedRange(s, operatorSpeed);
    SSpeedMin->setValue(lo);
    SSpeedMax->setValue(hi);
    {
        // Only the operator's choice recomputes the range; here it is set.
        const QSignalBlocker block(CBFollowSpeed);
        CBFollowSpeed->setChecked(s.SpeedMin <= 0 && s.SpeedMax <= 0);
    }
    SPitch->setValue(s.Pitch);
    SBandwidth->setValue(s.Bandwidth);
    CBQrn->setChecked(s.Qrn);
    CBQsb->setChecked(s.Qsb);
    CBQrm->setChecked(s.Qrm);
    CBLids->setChecked(s.Lids);
    CBQsk->setChecked(s.Qsk);
    SVolume->setValue(s.Volume);
    LVolume->setText(QStringLiteral("%1 %").arg(SVolume->value()));
    CBRecord->setChecked(s.Record);
    ERecordFile->setText(s.RecordFile);
    // The validator only judges typing; a stored seed it would refuse is
    // dropped rather than shown as if it would be used.
    QString seed = s.Seed.trimmed();
    int pos = 0;
    ESeed->setText(ESeed->validator()->validate(seed, pos) == QValidator::Acceptable ? seed
                                                                                     : QString());
    UpdateEnabled();
}

PracticeSettings PracticeSetupWindow::Settings() const {
    PracticeSettings s;
    s.Minutes = CBMinutes->currentData().toInt();
    s.Style = PracticeStyle(CBStyle->currentData().toInt());
    s.Activity = SActivity->value();
    if (!CBFollowSpeed->isChecked()) {
        s.SpeedMin = std::min(SSpeedMin->value(), SSpeedMax->value());
        s.SpeedMax = std::max(SSpeedMin->value(), SSpeedMax->value());
    }
    s.Pitch = SPitch->value();
    s.Bandwidth = SBandwidth->value();
    s.Qrn = CBQrn->isChecked();
    s.Qsb = CBQsb->isChecked();
    s.Qrm = CBQrm->isChecked();
    s.Lids = CBLids->isChecked();
    s.Qsk = CBQsk->isChecked();
    s.Volume = SVolume->value();
    s.Record = CBRecord->isChecked();
    s.RecordFile = ERecordFile->text().trimmed();
    s.Seed = ESeed->text().trimmed();
    return s;
}

void PracticeSetupWindow::SetRunning(bool running) {
    running_ = running;
    GSetup->setEnabled(!running);
    BStart->setEnabled(!running);
    BStop->setEnabled(running);
}

void PracticeSetupWindow::ShowStatus(const QString& text) {
    LStatus->setText(text);
    LStatus->setVisible(!text.isEmpty());
}

void PracticeSetupWindow::FollowSpeedChanged() {
    if (CBFollowSpeed->isChecked()) {
        const auto [lo, hi] = practice::CallerSpeedRange(PracticeSettings{}, operatorSpeed_);
        SSpeedMin->setValue(lo);
        SSpeedMax->setValue(hi);
    }
    UpdateEnabled();
}

void PracticeSetupWindow::UpdateEnabled() {
    SSpeedMin->setEnabled(!CBFollowSpeed->isChecked());
    SSpeedMax->setEnabled(!CBFollowSpeed->isChecked());
    SActivity->setEnabled(PracticeStyle(CBStyle->currentData().toInt()) !=
                          PracticeStyle::SingleCaller);
    ERecordFile->setEnabled(CBRecord->isChecked());
}

void PracticeSetupWindow::ChooseRecordFile() {
    const QString name = platform::CurrentDialogs().GetSaveFileName(
        QStringLiteral("Posnetek vaje"), ERecordFile->text(),
        QStringLiteral("Zvok WAV (*.wav);;Vse datoteke (*)"));
    if (name.isEmpty()) {
        return;
    }
    ERecordFile->setText(name.endsWith(QStringLiteral(".wav"), Qt::CaseInsensitive)
                             ? name
                             : name + QStringLiteral(".wav"));
    CBRecord->setChecked(true);
}

void PracticeSetupWindow::showEvent(QShowEvent* event) {
    if (!placed_) {
        placed_ = true;
        RestoreWindowPlace(this, kSetupPlace);
    }
    QWidget::showEvent(event);
}

void PracticeSetupWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!event->spontaneous()) {
        SaveWindowPlace(this, kSetupPlace);
    }
}

// ---- The results window -------------------------------------------------------------

PracticeResultsWindow::PracticeResultsWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("fVajaRezultati"));
    setWindowTitle(QStringLiteral("Vaja – rezultati"));

    LTitle = new QLabel(this);
    QFont titleFont = LTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    titleFont.setBold(true);
    LTitle->setFont(titleFont);
    LTitle->setWordWrap(true);
    LTitle->setTextFormat(Qt::PlainText);

    // Two rows of five: what the log holds by verdict, then the totals.
    auto* tiles = new QGridLayout;
    LCorrect =
        NewTile(tiles, 0, 0, QStringLiteral("pravilne"), VerdictColor(Verdict::Correct), this);
    LBustedCall = NewTile(tiles, 0, 1, QStringLiteral("napačni klicni znaki"),
                          VerdictColor(Verdict::BustedCall), this);
    LBustedExchange = NewTile(tiles, 0, 2, QStringLiteral("napačne izmenjave"),
                              VerdictColor(Verdict::BustedExchange), this);
    LNotInLog = NewTile(tiles, 0, 3, QStringLiteral("NIL"), VerdictColor(Verdict::NotInLog), this);
    LDupe = NewTile(tiles, 0, 4, QStringLiteral("dvojne"), VerdictColor(Verdict::Dupe), this);
    const QColor neutral(226, 232, 244);
    LContacts = NewTile(tiles, 1, 0, QStringLiteral("zveze v dnevniku"), neutral, this);
    LMissing = NewTile(tiles, 1, 1, QStringLiteral("manjkajoče zveze"), neutral, this);
    LMissing->parentWidget()->setToolTip(
        QStringLiteral("Postaje, ki so zvezo s tabo zapisale, v tvojem dnevniku pa je ni"));
    LClaimed = NewTile(tiles, 1, 2, QStringLiteral("prijavljene točke"), neutral, this);
    LVerified =
        NewTile(tiles, 1, 3, QStringLiteral("preverjene točke"), QColor(190, 212, 246), this);
    LRate = NewTile(tiles, 1, 4, QStringLiteral("zvez na uro"), neutral, this);
    for (int c = 0; c < tiles->columnCount(); ++c) {
        tiles->setColumnStretch(c, 1);
    }
    LSettings = new QLabel(this);
    LSettings->setWordWrap(true);
    LSettings->setTextFormat(Qt::PlainText);
    LSettings->setTextInteractionFlags(Qt::TextSelectableByMouse);

    Contacts = new QTableWidget(0, 7, this);
    Contacts->setHorizontalHeaderLabels(
        {QStringLiteral("Ura"), QStringLiteral("Klicni znak"), QStringLiteral("Letnica"),
         QStringLiteral("Prava postaja"), QStringLiteral("Prava letnica"),
         QStringLiteral("Te je zapisala"), QStringLiteral("Ocena")});
    Contacts->verticalHeader()->hide();
    Contacts->setSelectionBehavior(QAbstractItemView::SelectRows);
    Contacts->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Contacts->setAlternatingRowColors(true);
    Contacts->setWordWrap(false);
    Contacts->setFocusPolicy(Qt::NoFocus);
    LNoContacts = new QLabel(QStringLiteral("V dnevniku vaje ni nobene zveze."), this);
    LNoContacts->setAlignment(Qt::AlignCenter);

    Best = new QTableWidget(0, 5, this);
    Best->setFocusPolicy(Qt::NoFocus);
    Best->setHorizontalHeaderLabels({QStringLiteral("Trajanje"), QStringLiteral("Preverjene točke"),
                                     QStringLiteral("Zveze"), QStringLiteral("Pravilne"),
                                     QStringLiteral("Datum")});
    Best->verticalHeader()->hide();
    Best->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Best->setSelectionMode(QAbstractItemView::NoSelection);
    Best->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int rowHeight = fontMetrics().height() + 6;
    for (QTableWidget* t : {Contacts, Best}) {
        t->verticalHeader()->setDefaultSectionSize(rowHeight);
        t->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
        t->horizontalHeader()->setStretchLastSection(true);
    }
    Contacts->setMinimumHeight(8 * rowHeight);
    LNoHistory = new QLabel(QStringLiteral("Zgodovina vaj je še prazna."), this);
    LFileNote = new QLabel(this);
    LFileNote->setWordWrap(true);
    LFileNote->setTextFormat(Qt::PlainText);
    LFileNote->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* bestTitle = new QLabel(QStringLiteral("Najboljše preverjene točke po trajanju"), this);
    QFont bold = bestTitle->font();
    bold.setBold(true);
    bestTitle->setFont(bold);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LTitle);
    layout->addWidget(LSettings);
    layout->addLayout(tiles);
    layout->addWidget(Contacts, 1);
    layout->addWidget(LNoContacts, 1);
    layout->addWidget(bestTitle);
    layout->addWidget(Best);
    layout->addWidget(LNoHistory);
    layout->addWidget(LFileNote);
    resize(760, 680);
    ShowResults({}, {}, {}, {});
}

PracticeResultsWindow::~PracticeResultsWindow() {
    if (isVisible()) {
        SaveWindowPlace(this, kResultsPlace);
    }
}

void PracticeResultsWindow::ShowResults(const practice::SessionSummary& summary,
                                        const practice::Verification& verification,
                                        const QVector<practice::HistoryEntry>& history,
                                        const QString& fileNote) {
    const QDateTime start = summary.start.toUTC();
    const long ran = std::lround(summary.minutes);
    LTitle->setText(start.isValid()
                        ? QStringLiteral("Vaja %1 ob %2 UTC, %3")
                              .arg(DateText(start), start.toString(QStringLiteral("HH:mm")),
                                   ran < summary.plannedMinutes
                                       ? QStringLiteral("%1 min od izbranih %2")
                                             .arg(ran)
                                             .arg(summary.plannedMinutes)
                                       : QStringLiteral("%1 min").arg(summary.plannedMinutes))
                        : QStringLiteral("Vaja"));
    LSettings->setText(
        Breakable(QStringLiteral("%1\nSeme: %2").arg(summary.settingsText).arg(summary.seed)));

    const practice::VerificationCounts& n = verification.counts;
    LCorrect->setText(QString::number(n.correct));
    LBustedCall->setText(QString::number(n.bustedCall));
    LBustedExchange->setText(QString::number(n.bustedExchange));
    LNotInLog->setText(QString::number(n.notInLog));
    LDupe->setText(QString::number(n.dupe));
    const qsizetype contacts = qsizetype(verification.contacts.size());
    LContacts->setText(QString::number(contacts));
    LClaimed->setText(QString::number(summary.claimedScore));
    LVerified->setText(QString::number(summary.verifiedScore));
    // As the results text counts it: every logged contact over the time the
    // session ran, never less than a minute.
    const double hours = std::max(summary.minutes, 1.0) / 60.0;
    LRate->setText(QString::number(std::lround(double(contacts) / hours)));
    LMissing->setText(QString::number(n.missing));

    Contacts->setUpdatesEnabled(false);
    Contacts->clearContents();
    Contacts->setRowCount(int(contacts));
    QFont bold = Contacts->font();
    bold.setBold(true);
    for (int row = 0; row < int(contacts); ++row) {
        const practice::CheckedContact& c = verification.contacts[size_t(row)];
        const QString cells[] = {c.logged.time.toUTC().toString(QStringLiteral("HH:mm")),
                                 c.logged.call,
                                 c.logged.year,
                                 c.trueCall.isEmpty() ? QStringLiteral("–") : c.trueCall,
                                 c.trueYear.isEmpty() ? QStringLiteral("–") : c.trueYear,
                                 c.stationLogged ? QStringLiteral("da") : QStringLiteral("ne"),
                                 practice::VerdictText(c.verdict)};
        for (int col = 0; col < 7; ++col) {
            Contacts->setItem(row, col, Cell(cells[col]));
        }
        Contacts->item(row, 6)->setBackground(VerdictColor(c.verdict));
        // What was logged wrong stands out beside the truth.
        const bool callWrong = !c.trueCall.isEmpty() &&
                               c.trueCall.compare(c.logged.call.trimmed(), Qt::CaseInsensitive);
        const bool yearWrong = c.verdict == Verdict::BustedExchange;
        for (const auto& [wrong, col] : {std::pair{callWrong, 3}, std::pair{yearWrong, 4}}) {
            if (wrong) {
                Contacts->item(row, col)->setFont(bold);
                Contacts->item(row, col)->setForeground(QColor(170, 20, 20));
            }
        }
    }
    Contacts->setUpdatesEnabled(true);
    Contacts->setVisible(contacts > 0);
    LNoContacts->setVisible(contacts == 0);

    const auto best = practice::BestByDuration(history);
    Best->clearContents();
    Best->setRowCount(int(best.size()));
    int row = 0;
    for (const auto& [minutes, e] : best) {
        // The history keeps whole minutes.
        const bool thisOne = summary.start.isValid() && e.minutes == summary.plannedMinutes &&
                             e.seed == summary.seed &&
                             e.start.toUTC().toString(kMinute) == start.toString(kMinute);
        const QString cells[] = {
            QStringLiteral("%1 min").arg(minutes), QString::number(e.verifiedScore),
            QString::number(e.contacts), QString::number(e.correct),
            thisOne ? DateText(e.start) + QStringLiteral(" (ta vaja)") : DateText(e.start)};
        for (int col = 0; col < 5; ++col) {
            Best->setItem(row, col, Cell(cells[col]));
            if (thisOne) {
                Best->item(row, col)->setFont(bold);
            }
        }
        ++row;
    }
    Best->setFixedHeight(Best->horizontalHeader()->sizeHint().height() +
                         std::max(1, row) * Best->verticalHeader()->defaultSectionSize() +
                         2 * Best->frameWidth());
    Best->setVisible(row > 0);
    LNoHistory->setVisible(row == 0);

    LFileNote->setText(Breakable(fileNote));
    LFileNote->setVisible(!fileNote.isEmpty());
}

void PracticeResultsWindow::showEvent(QShowEvent* event) {
    if (!placed_) {
        placed_ = true;
        RestoreWindowPlace(this, kResultsPlace);
    }
    QWidget::showEvent(event);
}

void PracticeResultsWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!event->spontaneous()) {
        SaveWindowPlace(this, kResultsPlace);
    }
}

}  // namespace corvatta
