#include "main_window.h"

#include "logger/calendar.h"
#include "logger/settings.h"
#include "logger/validation.h"
#include "platform/application.h"
#include "platform/clock.h"
#include "platform/colors.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/ini_file.h"
#include "platform/shell.h"
#include "platform/system_info.h"
#include "platform/widget_look.h"
#include "platform/window_placement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenuBar>
#include <algorithm>

namespace corvatta {

namespace {

constexpr int kDesignWidth = 699;
constexpr int kDesignHeight = 486;
constexpr int kClockInterval = 1000;
constexpr int kStartInterval = 100;
constexpr int kCheckInterval = 5;
constexpr int kSetupInterval = 500;
constexpr int kFocusInterval = 20;
constexpr int kChangeInterval = 500;
const QString kAccessCode = QStringLiteral("7Q2");
const QString kYearHint = QStringLiteral("Leto prve licence");
const QString kInvalidDataMessage =
    QStringLiteral("Nekateri podatki niso prav vpisani\n\rPopravi pred shranjevanjem!");

QFont SizedFont(int pointSize, bool bold = false) {
    QFont f = QApplication::font();
    f.setPointSize(pointSize);
    f.setBold(bold);
    return f;
}

QFont PixelFont(const QString& family, int pixels) {
    QFont f(family);
    f.setStyleHint(QFont::TypeWriter);
    f.setPixelSize(pixels);
    return f;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, int x, int y, int w,
                  int h) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(x, y, w, h);
    return l;
}

QLineEdit* MakeEdit(QWidget* parent, const QString& name, int x, int y, int w, int h) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setGeometry(x, y, w, h);
    return e;
}

QFrame* MakeShape(QWidget* parent, const QString& name, int x, int y, const QString& color) {
    auto* f = new QFrame(parent);
    f->setObjectName(name);
    f->setGeometry(x, y, 16, 16);
    f->setFrameShape(QFrame::Box);
    f->setAutoFillBackground(true);
    PaintBackground(f, color);
    return f;
}

QTimer* MakeTimer(QObject* parent, const QString& name, int interval, bool singleShot) {
    auto* t = new QTimer(parent);
    t->setObjectName(name);
    t->setInterval(interval);
    t->setSingleShot(singleShot);
    return t;
}

}  // namespace

TfMain::TfMain(StationState& state, platform::Clock& clock, QWidget* parent)
    : QMainWindow(parent), state_(state), clock_(clock) {
    setObjectName(QStringLiteral("fMain"));
    BuildWindow();

    // Creation, in the order the rest of the program relies on.
    auto& d = state_.dates;
    d.Today = clock_.Now().date();
    d.Yesterday = d.Today.addDays(-1);
    LoadSettings(platform::IniFile(SettingsFileName()).Load(), state_);
    ApplyLoadedSettings();
    state_.op.Category = ComputeCategory(EPower->currentIndex(), EMode->currentIndex());
    state_.AutoPrefixRequest = false;
    state_.WindowsVersion = platform::WindowsVersion();
    if (state_.WindowsVersion == 7) {
        setFixedSize(465, 538);
    } else if (state_.WindowsVersion == 8) {
        setFixedSize(465, 545);
    }
    setWindowTitle(kMainCaption);
    Pdata->move(200, 27);
    const int widths[] = {90, 160, 60, 35, 35, 45};
    for (int c = 0; c < 6; ++c) {
        Log->setColumnWidth(c, widths[c]);
    }
    if (state_.op.MyCall.isEmpty()) {
        state_.op.MyCall = QStringLiteral("S5");
    }
    state_.op.FileCall = QString(state_.op.MyCall).replace(u'/', u'_');
    FillDataEdits();
    d.FirstStartToday = d.LastDate != d.Today;
    d.CurrentYear = platform::LocalToUtc(clock_.Now()).toString(QStringLiteral("yy"));
    state_.entry = EntryData{};
    state_.log.HasLines = false;
}

void TfMain::FillDataEdits() {
    // From a copy: each edit's change handler writes its field back.
    const OperatorData op = state_.op;
    EMyCall->setText(op.MyCall);
    EMyYearLic->setText(op.MyYearLic);
    EMyClub->setText(op.MyClub);
    EMyName->setText(op.MyName);
    EMyAddress->setText(op.MyAddress);
    EMyAddress1->setText(op.MyAddress1);
    EMyEmail->setText(op.MyEmail);
}

TfMain::~TfMain() {
    // Focus moves while the children go; they must not reach a half-destroyed window.
    disconnect(qApp, nullptr, this, nullptr);
}

void TfMain::BuildWindow() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("central"));
    setCentralWidget(central);
    BuildMenus();
    const int menuHeight = menuBar()->sizeHint().height();
    setFixedSize(kDesignWidth, kDesignHeight + menuHeight);
    setWindowFlags(windowFlags() | Qt::WindowContextHelpButtonHint);

    LTest = MakeLabel(central, QStringLiteral("LTest"), banners::kOutside, 0, 0, kDesignWidth, 26);
    LTest->setFont(SizedFont(12, true));

    Log = new QTableView(central);
    Log->setObjectName(QStringLiteral("Log"));
    Log->setGeometry(0, 28, kDesignWidth, 290);
    Log->horizontalHeader()->hide();
    Log->verticalHeader()->hide();
    Log->verticalHeader()->setDefaultSectionSize(35);
    Log->setFont(PixelFont(QStringLiteral("Consolas"), 24));
    Log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    PaintBackground(Log, QStringLiteral("clCream"));

    BuildWorkPanel();
    BuildDataPanel();
    BuildTimers();
    BuildLog();
}

void TfMain::BuildWorkPanel() {
    PWork = new QFrame(centralWidget());
    PWork->setObjectName(QStringLiteral("PWork"));
    PWork->setGeometry(0, 320, kDesignWidth, kDesignHeight - 320);
    PWork->setFrameShape(QFrame::StyledPanel);
    QWidget* p = PWork;

    LClock = MakeLabel(p, QStringLiteral("LClock"), QString(), 10, 12, 95, 40);
    LSecond = MakeLabel(p, QStringLiteral("LSecond"), QString(), 105, 25, 40, 40);
    ApplyClockLayout(false);
    LQSO = MakeLabel(p, QStringLiteral("LQSO"), QString(), 10, 62, 135, 20);
    LRun = MakeLabel(p, QStringLiteral("LRun"), QString(), 10, 86, 40, 20);
    LRun->setFont(SizedFont(10, true));
    LESM = MakeLabel(p, QStringLiteral("LESM"), QStringLiteral("ESM"), 55, 86, 40, 20);
    LESM->setFont(SizedFont(10, true));
    LSpeed = MakeLabel(p, QStringLiteral("LSpeed"), QString(), 10, 110, 28, 20);
    LSpeed->setFont(SizedFont(10, true));
    LSpeed1 = MakeLabel(p, QStringLiteral("LSpeed1"), QStringLiteral("wpm"), 40, 110, 30, 20);
    LSpeedPaddle = MakeLabel(p, QStringLiteral("LSpeedPaddle"), QString(), 75, 110, 70, 20);

    ECall = MakeEdit(p, QStringLiteral("ECall"), 150, 8, 265, 50);
    ECall->setFont(PixelFont(QStringLiteral("Arial"), 32));
    platform::MakeUpperCase(ECall);
    EditLL = MakeEdit(p, QStringLiteral("EditLL"), 420, 8, 50, 50);
    EditLL->setFont(PixelFont(QStringLiteral("Arial"), 24));
    EditLL->setReadOnly(true);
    PaintBackground(EditLL, QStringLiteral("clCream"));
    EditLL->installEventFilter(this);
    BMode = MakeEdit(p, QStringLiteral("BMode"), 475, 8, 70, 50);
    BMode->setReadOnly(true);
    BMode->setFont(SizedFont(12, true));
    BMode->setFocusPolicy(Qt::NoFocus);
    BMode->installEventFilter(this);

    Shape = MakeShape(p, QStringLiteral("Shape"), 150, 64, colors::ColorBusy);
    Shape1 = MakeShape(p, QStringLiteral("Shape1"), 170, 64, colors::ColorBusy);
    ShapeQSO = MakeShape(p, QStringLiteral("ShapeQSO"), 190, 64, colors::ColorReady);
    ShapeMult = MakeShape(p, QStringLiteral("ShapeMult"), 210, 64, colors::ColorBusy);
    ShapeQSO->hide();
    ShapeMult->hide();
    LInfo = MakeLabel(p, QStringLiteral("LInfo"), QString(), 232, 62, 260, 20);
    LInfo->setFont(SizedFont(10, true));
    LError = MakeLabel(p, QStringLiteral("LError"), QString(), 495, 62, 50, 20);
    LError->setFont(SizedFont(10, true));
    LDouble = MakeLabel(p, QStringLiteral("LDouble"), QString(), 150, 86, 200, 20);
    LDouble->setFont(SizedFont(10, true));
    PaintText(LDouble, colors::ColorRed);
    LMult = MakeLabel(p, QStringLiteral("LMult"), QString(), 360, 86, 60, 20);
    LMult->setFont(SizedFont(10, true));
    PaintText(LMult, colors::ColorBlue);
    LMemo = MakeLabel(p, QStringLiteral("LMemo"), QString(), 150, 110, 200, 20);
    LTransmit = MakeLabel(p, QStringLiteral("LTransmit"), QString(), 360, 110, 120, 20);

    const QString captions[] = {QStringLiteral("Točke:"), QStringLiteral("Množilci:"),
                                QStringLiteral("Skupaj:")};
    QLineEdit** fields[] = {&EPoint, &EMult, &ESum};
    const char* names[] = {"EPoint", "EMult", "ESum"};
    for (int i = 0; i < 3; ++i) {
        MakeLabel(p, QStringLiteral("LScore%1").arg(i), captions[i], 555, 12 + 30 * i, 60, 20);
        *fields[i] = MakeEdit(p, QLatin1String(names[i]), 615, 10 + 30 * i, 75, 24);
        (*fields[i])->setReadOnly(true);
        (*fields[i])->setFocusPolicy(Qt::NoFocus);
        (*fields[i])->setText(QStringLiteral("0"));
    }
}

void TfMain::BuildDataPanel() {
    Pdata = new QFrame(centralWidget());
    Pdata->setObjectName(QStringLiteral("Pdata"));
    Pdata->setGeometry(200, 27, 480, 420);
    Pdata->setFrameShape(QFrame::Panel);
    Pdata->setFrameShadow(QFrame::Raised);
    Pdata->setAutoFillBackground(true);
    Pdata->hide();
    QWidget* p = Pdata;

    const auto field = [&](const QString& name, const QString& label, const QString& hint, int x,
                           int y, int w) {
        if (!label.isEmpty()) {
            MakeLabel(p, QStringLiteral("L") + name, label, x, y, w, 16);
        }
        QLineEdit* e = MakeEdit(p, name, x, y + 17, w, 24);
        e->setToolTip(hint);
        return e;
    };
    EMyCall = field(QStringLiteral("EMyCall"), QStringLiteral("Pozivni znak"),
                    QStringLiteral("ZNAK"), 12, 10, 150);
    platform::MakeUpperCase(EMyCall);
    EMyYearLic = field(QStringLiteral("EMyYearLic"), kYearHint, kYearHint, 175, 10, 120);
    EMyYearLic->installEventFilter(this);

    MakeLabel(p, QStringLiteral("LEMode"), QStringLiteral("Mode"), 12, 58, 80, 16);
    EMode = new QComboBox(p);
    EMode->setObjectName(QStringLiteral("EMode"));
    EMode->addItems({QStringLiteral("CW"), QStringLiteral("SSB"), QStringLiteral("MIX")});
    EMode->setGeometry(12, 75, 90, 24);
    EMode->setCurrentIndex(-1);
    MakeLabel(p, QStringLiteral("LEPower"), QStringLiteral("Power"), 115, 58, 80, 16);
    EPower = new QComboBox(p);
    EPower->setObjectName(QStringLiteral("EPower"));
    EPower->addItems({QStringLiteral("HIGH"), QStringLiteral("LOW"), QStringLiteral("QRP")});
    EPower->setGeometry(115, 75, 90, 24);
    EPower->setCurrentIndex(1);

    CBRK = new QCheckBox(QStringLiteral("Kategorija Radioklubi"), p);
    CBRK->setObjectName(QStringLiteral("CBRK"));
    CBRK->setGeometry(220, 75, 170, 24);
    EMyClub = MakeEdit(p, QStringLiteral("EMyClub"), 220, 100, 150, 24);
    EMyClub->setToolTip(QStringLiteral("Klub"));
    platform::MakeUpperCase(EMyClub);
    EMyClub->hide();

    EMyName = field(QStringLiteral("EMyName"), QStringLiteral("Ime priimek"),
                    QStringLiteral("Ime Priimek"), 12, 106, 200);
    LMyName = Pdata->findChild<QLabel*>(QStringLiteral("LEMyName"));
    EMyAddress = field(QStringLiteral("EMyAddress"), QStringLiteral("Naslov"),
                       QStringLiteral("Naslov"), 12, 150, 300);
    EMyAddress1 = MakeEdit(p, QStringLiteral("EMyAddress1"), 12, 194, 300, 24);
    EMyAddress1->setToolTip(QStringLiteral("Naslov"));
    EMyEmail = field(QStringLiteral("EMyEmail"), QStringLiteral("Email"), QStringLiteral("Email"),
                     12, 222, 300);

    EWinkeyer = MakeEdit(p, QStringLiteral("EWinkeyer"), 330, 150, 135, 24);
    EWinkeyer->setText(QStringLiteral("Setup Winkeyer"));
    EWinkeyer->setToolTip(QStringLiteral("Nastavitve Winkeyer tasterja"));
    EWinkeyer->setReadOnly(true);
    EWinkeyer->installEventFilter(this);

    CS5 = new QCheckBox(QStringLiteral("Samodejni prefiks S5"), p);
    CS5->setObjectName(QStringLiteral("CS5"));
    CS5->setGeometry(12, 275, 200, 22);
    CLL = new QCheckBox(QStringLiteral("Predvidi leto licence"), p);
    CLL->setObjectName(QStringLiteral("CLL"));
    CLL->setGeometry(12, 298, 200, 22);
    cDate = new QCheckBox(QStringLiteral("Spremeni datum"), p);
    cDate->setObjectName(QStringLiteral("cDate"));
    cDate->setGeometry(12, 321, 140, 22);
    EDate = MakeEdit(p, QStringLiteral("EDate"), 155, 321, 100, 22);
    EDate->setFrame(false);
    EDate->setReadOnly(true);

    BSave = new QPushButton(QStringLiteral("Shrani"), p);
    BSave->setObjectName(QStringLiteral("BSave"));
    BSave->setGeometry(270, 370, 90, 30);
    BCancel = new QPushButton(QStringLiteral("Izhod"), p);
    BCancel->setObjectName(QStringLiteral("BCancel"));
    BCancel->setGeometry(370, 370, 90, 30);

    // Every data edit copies its text into the operator data; most also
    // ask for a new check of the data.
    const auto bind = [this](QLineEdit* edit, QString OperatorData::*member, bool check) {
        connect(edit, &QLineEdit::textChanged, this, [this, member, check](const QString& t) {
            state_.op.*member = t;
            if (check) {
                TimerCheck->start();
            }
        });
    };
    bind(EMyCall, &OperatorData::MyCall, true);
    bind(EMyYearLic, &OperatorData::MyYearLic, true);
    bind(EMyClub, &OperatorData::MyClub, false);
    bind(EMyName, &OperatorData::MyName, true);
    bind(EMyAddress, &OperatorData::MyAddress, true);
    bind(EMyAddress1, &OperatorData::MyAddress1, false);
    bind(EMyEmail, &OperatorData::MyEmail, true);
    connect(EMyCall, &QLineEdit::returnPressed, this, &TfMain::SaveClick);
    connect(BSave, &QPushButton::clicked, this, &TfMain::SaveClick);
    connect(BCancel, &QPushButton::clicked, this, &TfMain::CancelClick);
    connect(EMode, &QComboBox::activated, this, &TfMain::ModeSelected);
    connect(EPower, &QComboBox::activated, this, &TfMain::PowerSelected);
    connect(CBRK, &QCheckBox::toggled, this, [this](bool on) { EMyClub->setVisible(on); });
    connect(CS5, &QCheckBox::toggled, this, [this](bool on) {
        state_.AutoS5Flag = on;
        state_.AutoPrefixRequest = true;
    });
    connect(CLL, &QCheckBox::toggled, this, [this](bool on) { state_.AutoLLFlag = on; });
    connect(cDate, &QCheckBox::toggled, this, [this](bool on) { EDate->setReadOnly(!on); });
}

void TfMain::BuildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("Datoteka"));
    ClearMenu = file->addAction(QStringLiteral("Zbriši dnevnik"));
    DeleteLastQSO = file->addAction(QStringLiteral("Zbriši zadnjo zvezo"));
    DeleteLastQSO->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
    addAction(DeleteLastQSO);
    QMenu* saveAs = file->addMenu(QStringLiteral("Shrani kot ..."));
    SaveAsLog = saveAs->addAction(QStringLiteral("Log"));
    SaveAsCbr = saveAs->addAction(QStringLiteral("Cbr"));
    SaveCbr = file->addAction(QStringLiteral("Shrani CBR"));
    OpenLog = file->addAction(QStringLiteral("Odpri Log"));
    file->addSeparator();
    ExitMenu = file->addAction(QStringLiteral("Izhod"));
    connect(ExitMenu, &QAction::triggered, this, &QWidget::close);

    SettingsMenu = menuBar()->addAction(QStringLiteral("Nastavitve"));
    SettingsMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    addAction(SettingsMenu);  // the shortcut works wherever the focus is
    connect(SettingsMenu, &QAction::triggered, this, &TfMain::OpenDataPanel);

    QMenu* other = menuBar()->addMenu(QStringLiteral("Ostalo"));
    RulesPage = other->addAction(QStringLiteral("ZMB navodila WWW"));
    UploadPage = other->addAction(QStringLiteral("Oddaja dnevnika"));
    ClockProgram = other->addAction(QStringLiteral("Ura_Tickwell"));
    AboutBox = other->addAction(QStringLiteral("Vizitka"));
    // Failures to start a page or the clock are of no consequence here.
    connect(RulesPage, &QAction::triggered, this, [] { platform::ShellOpen(kRulesPageUrl); });
    connect(UploadPage, &QAction::triggered, this, [] { platform::ShellOpen(kLogUploadUrl); });
    connect(ClockProgram, &QAction::triggered, this,
            [] { platform::ShellOpen(QStringLiteral("Tickwell.exe")); });
    connect(AboutBox, &QAction::triggered, this, &TfMain::ShowAbout);
}

void TfMain::BuildTimers() {
    TimerTime = MakeTimer(this, QStringLiteral("TimerTime"), kClockInterval, false);
    TimerStart = MakeTimer(this, QStringLiteral("TimerStart"), kStartInterval, true);
    TimerCheck = MakeTimer(this, QStringLiteral("TimerCheck"), kCheckInterval, true);
    TimerSetup = MakeTimer(this, QStringLiteral("TimerSetup"), kSetupInterval, true);
    TimerWKClose = MakeTimer(this, QStringLiteral("TimerWKClose"), kFocusInterval, true);
    TimerChange = MakeTimer(this, QStringLiteral("TimerChange"), kChangeInterval, true);
    connect(TimerTime, &QTimer::timeout, this, &TfMain::ClockTimerTick);
    connect(TimerStart, &QTimer::timeout, this, &TfMain::StartTimerTick);
    connect(TimerCheck, &QTimer::timeout, this, &TfMain::CheckOperatorData);
    connect(TimerSetup, &QTimer::timeout, this, &TfMain::SetupTimerTick);
    connect(TimerWKClose, &QTimer::timeout, this, &TfMain::FocusTimerTick);
    connect(TimerChange, &QTimer::timeout, this, &TfMain::ChangeTimerTick);
}

void TfMain::ApplyLoadedSettings() {
    // Lists take their positions silently; check boxes run their click
    // reactions, as an operator's click would.
    EMode->setCurrentIndex(
        state_.panel.EMode >= 0 && state_.panel.EMode < EMode->count() ? state_.panel.EMode : -1);
    EPower->setCurrentIndex(state_.panel.EPower >= 0 && state_.panel.EPower < EPower->count()
                                ? state_.panel.EPower
                                : -1);
    const auto apply = [](QCheckBox* box, bool on) {
        if (box->isChecked() == on) {
            emit box->toggled(on);
        } else {
            box->setChecked(on);
        }
    };
    apply(CBRK, state_.panel.RKChk);
    apply(CS5, state_.panel.AutoS5);
    apply(CLL, state_.panel.AutoLL);
    platform::PlaceOnScreen(this, state_.view.MainLeft, state_.view.MainTop);
}

void TfMain::CollectControlSettings() {
    state_.panel.EMode = EMode->currentIndex();
    state_.panel.EPower = EPower->currentIndex();
    state_.panel.RKChk = CBRK->isChecked();
    state_.panel.AutoS5 = CS5->isChecked();
    state_.panel.AutoLL = CLL->isChecked();
    state_.view.MainTop = y();
    state_.view.MainLeft = x();
}

void TfMain::LoadProfileAndRefresh(int n) {
    LoadProfile(platform::IniFile(PortProfileFileName()).Load(), n, state_);
    ApplyLoadedSettings();
    LTransmit->clear();
    TimerChange->start();
}

void TfMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FirstShow();
    }
}

void TfMain::FirstShow() {
    state_.ProfileKeysEnabled = false;
    TimerCheck->start();
    LTest->setText(banners::kOutside);
    for (QLabel* l : {LClock, LSecond, LInfo, LError, LDouble, LMult}) {
        l->clear();
    }
    EditLL->clear();
    if (state_.keyer.RunMode) {
        LRun->setText(QStringLiteral("RUN"));
        PaintText(LRun, colors::ColorRed);
        state_.entry.EntryState = 0;
    } else {
        LRun->setText(QStringLiteral("S/P"));
        PaintText(LRun, colors::ColorBlack);
        // Zero, as F10 sets it: Enter on a bare callsign calls the station
        // from the first contact on.
        state_.entry.EntryState = 0;
    }
    state_.flags.ExchangePending = false;
    state_.entry.SentCall.clear();
    LESM->setVisible(state_.keyer.EnterSendMsg);
    ResetEntryLine();
    state_.SuggestLicenceYear = CLL->isChecked();
    LSpeed->setText(QString::number(state_.keyer.Speed));
    state_.log.ContestDate = clock_.Now().date().toString(QStringLiteral("yyyy-MM-dd"));
    EDate->setText(state_.log.ContestDate);
    if (state_.op.Mode == QLatin1String("CW")) {
        BMode->setText(QStringLiteral("  CW"));
        ShowKeyerControls(true);
    } else if (state_.op.Mode == QLatin1String("SSB")) {
        BMode->setText(QStringLiteral("  SSB"));
        ShowKeyerControls(false);
    }
    emit logReloadRequested();
    TimerTime->start();
    TimerStart->start();
    ResetEntryLine();
    if (state_.view.VisibleMemo) {
        emit memoWindowRequested();
    }
    FocusEnd(ECall);
}

void TfMain::closeEvent(QCloseEvent* event) {
    if (!saved_) {
        saved_ = true;
        CollectControlSettings();
        const platform::IniFile file(SettingsFileName());
        try {
            platform::IniDocument doc = file.Load();
            SaveSettings(state_, doc);
            file.Save(doc);
        } catch (const platform::IniWriteError& e) {
            // The log is on disk already; keeping the operator in a window
            // that cannot be closed would only add harm to the lost settings.
            platform::ShowError(e.message());
        }
    }
    event->accept();
    TimerTime->stop();
    // The program ends with its main window, whatever else is open.
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

bool TfMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && (watched == ECall || watched == EditLL)) {
        auto* key = static_cast<QKeyEvent*>(event);
        try {
            if (watched == ECall && EntryKeyDown(key)) {
                return true;
            }
            return EntryKeyPress(key);
        } catch (...) {
            // A contact that could not be written, a bad cell in the log:
            // shown here, and the key is used up.
            platform::ShowCurrentException();
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == Log->viewport()) {
            LogClick(state_.log);
        } else if (watched == BMode) {
            BModeClick();
        } else if (watched == EWinkeyer) {
            emit keyerWindowRequested();
        } else if (watched == EMyYearLic && EMyYearLic->text() == kYearHint) {
            EMyYearLic->clear();
        } else if (watched == EditLL) {
            EditLL->setText(QString::number(state_.WindowsVersion));
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfMain::FocusEnd(QLineEdit* edit) {
    edit->setFocus();
    edit->end(false);
}

void TfMain::ResetEntryLine() {
    ECall->setText(CS5->isChecked() ? QStringLiteral("S5") : QString());
}

void TfMain::ShowKeyerControls(bool show) {
    for (QWidget* w : std::initializer_list<QWidget*>{LSpeed, LSpeed1, LSpeedPaddle, EWinkeyer}) {
        w->setVisible(show);
    }
}

// ---- Operator data panel -------------------------------------------------

void TfMain::OpenDataPanel() {
    state_.PreviousCall = state_.op.MyCall;
    Pdata->show();
    Pdata->raise();
    EMyClub->setVisible(CBRK->isChecked());
    EWinkeyer->setVisible(EMode->currentIndex() != 1);
    ECall->hide();
    FocusEnd(EMyCall);
    TimerCheck->start();
}

void TfMain::CheckOperatorData() {
    TimerCheck->stop();
    auto& s = state_;
    const auto paint = [](QWidget* w, bool ok) {
        PaintBackground(w, ok ? colors::ColorFieldOk : colors::ColorFieldWrong);
    };
    s.CallValid = IsOwnCallValid(s.op.MyCall);
    const QString& year = s.op.MyYearLic;
    s.YearValid =
        !year.isEmpty() && year.size() <= 2 &&
        std::all_of(year.begin(), year.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (Pdata->isVisible()) {
        paint(EMyCall, s.CallValid);
        paint(EMyYearLic, s.YearValid);
    }
    const bool hasAt = s.op.MyEmail.contains(u'@');
    paint(EMyName, !s.op.MyName.isEmpty());
    paint(EMyAddress, !s.op.MyAddress.isEmpty());
    paint(EMyEmail, hasAt);
    s.DataValid = s.CallValid && s.YearValid && !EMyName->text().isEmpty() &&
                  !EMyAddress->text().isEmpty() && !EMyEmail->text().isEmpty() && hasAt;
    if (!s.DataValid && !Pdata->isVisible()) {
        OpenDataPanel();
    }
}

void TfMain::SwitchToCallsignLog() {
    state_.op.FileCall = QString(state_.op.MyCall).replace(u'/', u'_');
    TimerCheck->start();
    if (state_.op.MyCall != state_.PreviousCall) {
        if (state_.DataValid) {
            emit logReloadRequested();
        } else {
            platform::ShowMessage(kInvalidDataMessage);
        }
    }
}

void TfMain::SaveClick() {
    if (EMyName->text() == kAccessCode) {
        state_.ProfileKeysEnabled = true;
        EMyName->clear();
        if (LMyName) {
            PaintText(LMyName, colors::ColorRed);
        }
    } else {
        SwitchToCallsignLog();
        if (state_.DataValid) {
            TimerSetup->start();
        }
    }
    // A date the log's columns cannot hold is not taken: the field shows the
    // date in force again, marked, and stays open for a correction.
    if (const auto date = NormaliseContestDate(EDate->text())) {
        state_.log.ContestDate = *date;
        EDate->setText(*date);
        EDate->setPalette(QPalette());
        cDate->setChecked(false);
    } else {
        EDate->setText(state_.log.ContestDate);
        PaintBackground(EDate, colors::ColorFieldWrong);
    }
}

void TfMain::CancelClick() {
    if (!state_.DataValid) {
        return;
    }
    // An edited callsign must take its own log with it, or later contacts
    // would go into the old callsign's file.
    SwitchToCallsignLog();
    Pdata->hide();
    ECall->show();
    ResetEntryLine();
    FocusEnd(ECall);
}

void TfMain::SetupTimerTick() {
    TimerSetup->stop();
    Pdata->hide();
    ECall->show();
    ECall->setText(state_.AutoS5Flag ? QStringLiteral("S5") : QString());
    FocusEnd(ECall);
    LInfo->clear();
    LError->clear();
    LMult->clear();
    EditLL->clear();
    state_.entry.CurrentCall.clear();
    state_.entry.CurrentLicYear.clear();
}

void TfMain::ModeSelected(int index) {
    switch (index) {
        case 0:
        case 2:
            state_.op.Mode = QStringLiteral("CW");
            BMode->setText(QStringLiteral("  CW"));
            ShowKeyerControls(true);
            if (index == 0) {
                ShapeQSO->hide();
                ShapeMult->hide();
            }
            emit keyerLinkOpenRequested();
            break;
        case 1:
            state_.op.Mode = QStringLiteral("SSB");
            BMode->setText(QStringLiteral("  SSB"));
            ShowKeyerControls(false);
            ShapeQSO->hide();
            ShapeMult->hide();
            emit keyerLinkCloseRequested();
            break;
        default:
            break;
    }
    state_.op.Category = ComputeCategory(EPower->currentIndex(), EMode->currentIndex());
    FocusEnd(EMyCall);
}

void TfMain::PowerSelected(int) {
    state_.op.Category = ComputeCategory(EPower->currentIndex(), EMode->currentIndex());
    TimerWKClose->start();
}

void TfMain::FocusTimerTick() {
    TimerWKClose->stop();
    FocusEnd(Pdata->isVisible() ? EMyCall : ECall);
}

void TfMain::ChangeTimerTick() {
    TimerChange->stop();
    FillDataEdits();
    for (QLabel* l : {LInfo, LError, LDouble, LMult}) {
        l->clear();
    }
    EditLL->clear();
    ResetEntryLine();
    state_.SuggestLicenceYear = CLL->isChecked();
    state_.op.FileCall = QString(state_.op.MyCall).replace(u'/', u'_');
    emit logReloadRequested();
}

// ---- Contest clock and calendar ------------------------------------------

void TfMain::StartTimerTick() {
    TimerStart->stop();
    const auto& k = state_.keyer;
    if (k.ComAuto && state_.op.Mode != QLatin1String("SSB") && k.ComConnected) {
        emit openComRequested();
    }
    const auto& d = state_.dates;
    state_.dates.UtcTime = platform::LocalToUtc(clock_.Now()).toString(QStringLiteral("hh:mm"));
    const StartBanner b = StartTimerBanner(d.Today, d.Yesterday, d.UtcTime, d.FirstStartToday);
    if (!b.banner.isEmpty()) {
        LTest->setText(b.banner);
    }
    if (!b.message.isEmpty()) {
        platform::ShowMessage(b.message);
    }
}

void TfMain::ClockTimerTick() {
    const QDateTime utc = platform::LocalToUtc(clock_.Now());
    LSecond->setText(utc.toString(QStringLiteral("ss")));
    // Whenever the minute shown is not the current one: a tick can miss the
    // second ":00" (timer drift, the keyer's blocking waits), and every
    // contact of the minute would be logged with a stale time.
    const QString minute = utc.toString(QStringLiteral("hh:mm"));
    if (minute != LClock->text() || LClock->text().isEmpty()) {
        state_.dates.UtcTime = minute;
        LClock->setText(minute);
    }
    switch (ClockTimerLayout(state_.dates.Today, state_.dates.UtcTime)) {
        case ClockLayout::LastMinute:
            ApplyClockLayout(true);
            PaintText(LTest, colors::ColorBlue);
            LTest->setText(banners::kLastMinute);
            break;
        case ClockLayout::End:
            ApplyClockLayout(false);
            PaintText(LTest, colors::ColorRed);
            LTest->setText(banners::kEnd);
            break;
        case ClockLayout::Unchanged:
            break;
    }
    if (state_.AutoPrefixRequest) {
        ECall->setText(state_.AutoS5Flag ? QStringLiteral("S5") : QString());
        state_.AutoPrefixRequest = false;
    }
    EditLL->setVisible(state_.AutoLLFlag);
    state_.SuggestLicenceYear = state_.AutoLLFlag;
}

void TfMain::ApplyClockLayout(bool lastMinute) {
    if (lastMinute) {
        LClock->setFont(SizedFont(10, true));
        PaintText(LClock, colors::ColorBlack);
        LClock->move(15, 12);
        LSecond->setFont(SizedFont(24));
        PaintText(LSecond, colors::ColorRed);
        LSecond->move(60, 8);
    } else {
        LClock->setFont(SizedFont(24, true));
        PaintText(LClock, colors::ColorBlue);
        LClock->move(10, 12);
        LSecond->setFont(SizedFont(10));
        PaintText(LSecond, colors::ColorBlack);
        LSecond->move(105, 25);
    }
}

void TfMain::ShowAbout() {
    const QString text = QStringLiteral(
        "Corvatta - dnevnik za KV prvenstvo ZRS\r\n"
        "Tekmovanje na 80 m, SSB, CW in MIX\r\n"
        "\r\n"
        "SSB verzija: 2024-03-10\r\n"
        "CW verzija: 2025-10-12\r\n"
        "Program Ver.:  1.11\r\n"
        "Zadnje spremembe: 2026-12-08\r\n"
        "\r\n"
        "Kontakt: corvatta@hamradio.si");
    platform::CurrentDialogs().ShowBox(platform::BoxKind::Information,
                                       QStringLiteral("KV prvenstvo ZRS"), text);
}

}  // namespace corvatta
