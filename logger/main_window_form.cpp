#include "logger/main_window_form.h"

#include "logger/calendar.h"
#include "platform/colors.h"
#include "platform/widget_look.h"
#include "station/station_state.h"

#include <QApplication>
#include <QHeaderView>
#include <QMenuBar>
#include <QStyle>

#include <algorithm>

namespace corvatta {

using platform::PaintBackground;
using platform::PaintText;

namespace {

constexpr int kDesignWidth = 699;
constexpr int kDesignHeight = 486;
constexpr int kClockInterval = 1000;
constexpr int kStartInterval = 100;
constexpr int kCheckInterval = 5;
constexpr int kSetupInterval = 500;
constexpr int kFocusInterval = 20;
constexpr int kChangeInterval = 500;

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

void TfMainForm::SetupForm(QMainWindow* window) {
    auto* central = new QWidget(window);
    central->setObjectName(QStringLiteral("central"));
    window->setCentralWidget(central);
    BuildMenus(window);
    const int menuHeight = window->menuBar()->sizeHint().height();
    window->setFixedSize(kDesignWidth, kDesignHeight + menuHeight);
    window->setWindowFlags(window->windowFlags() | Qt::WindowContextHelpButtonHint);

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

    BuildWorkPanel(window);
    BuildDataPanel(window);
    BuildTimers(window);
}

void TfMainForm::BuildWorkPanel(QMainWindow* window) {
    PWork = new QFrame(window->centralWidget());
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
    BMode = MakeEdit(p, QStringLiteral("BMode"), 475, 8, 70, 50);
    BMode->setReadOnly(true);
    BMode->setFont(SizedFont(12, true));
    BMode->setFocusPolicy(Qt::NoFocus);

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
    // The radio's frequency, shown only when the program follows the radio.
    LRig = MakeLabel(p, QStringLiteral("LRig"), QString(), 555, 112, 135, 20);
    LRig->setFont(SizedFont(10, true));
    LRig->hide();
    BKeyerOffline = new QPushButton(QStringLiteral("Winkeyer ni povezan"), p);
    BKeyerOffline->setObjectName(QStringLiteral("BKeyerOffline"));
    BKeyerOffline->setGeometry(150, 136, 330, 24);
    BKeyerOffline->setFont(SizedFont(10, true));
    // Clicking it must leave the caret in the entry line.
    BKeyerOffline->setFocusPolicy(Qt::NoFocus);
    BKeyerOffline->setFlat(true);
    BKeyerOffline->setAutoFillBackground(true);
    PaintBackground(BKeyerOffline, colors::ColorRed);
    PaintText(BKeyerOffline, colors::ColorPlain);
    BKeyerOffline->hide();
    LBackupFailed = MakeLabel(p, QStringLiteral("LBackupFailed"),
                              QStringLiteral("Kopija ni uspela"), 555, 136, 135, 24);
    LBackupFailed->setFont(SizedFont(10, true));
    LBackupFailed->setAlignment(Qt::AlignCenter);
    LBackupFailed->setAutoFillBackground(true);
    PaintBackground(LBackupFailed, colors::ColorRed);
    PaintText(LBackupFailed, colors::ColorPlain);
    LBackupFailed->hide();

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

void TfMainForm::BuildDataPanel(QMainWindow* window) {
    Pdata = new QFrame(window->centralWidget());
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
}

void TfMainForm::BuildMenus(QMainWindow* window) {
    QMenu* file = window->menuBar()->addMenu(QStringLiteral("Datoteka"));
    ClearMenu = file->addAction(QStringLiteral("Zbriši dnevnik"));
    DeleteLastQSO = file->addAction(QStringLiteral("Zbriši zadnjo zvezo"));
    DeleteLastQSO->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
    window->addAction(DeleteLastQSO);
    QMenu* saveAs = file->addMenu(QStringLiteral("Shrani kot ..."));
    SaveAsLog = saveAs->addAction(QStringLiteral("Log"));
    SaveAsCbr = saveAs->addAction(QStringLiteral("Cbr"));
    CheckLog = file->addAction(QStringLiteral("Preveri dnevnik"));
    SaveCbr = file->addAction(QStringLiteral("Shrani CBR"));
    SaveAdif = file->addAction(QStringLiteral("Shrani ADIF"));
    OpenLog = file->addAction(QStringLiteral("Odpri Log"));
    RestoreBackup = file->addAction(QStringLiteral("Obnovi dnevnik iz kopije"));
    ImportCallHistory = file->addAction(QStringLiteral("Uvozi leta licenc iz dnevnikov"));
    file->addSeparator();
    ExitMenu = file->addAction(QStringLiteral("Izhod"));

    SettingsMenu = window->menuBar()->addAction(QStringLiteral("Nastavitve"));
    SettingsMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    window->addAction(SettingsMenu);  // the shortcut works wherever the focus is

    QMenu* other = window->menuBar()->addMenu(QStringLiteral("Ostalo"));
    RulesPage = other->addAction(QStringLiteral("ZMB navodila WWW"));
    UploadPage = other->addAction(QStringLiteral("Oddaja dnevnika"));
    ClockProgram = other->addAction(QStringLiteral("Ura_Tickwell"));
    StatisticsMenu = other->addAction(QStringLiteral("Statistika"));
    StatisticsMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    window->addAction(StatisticsMenu);
    VoiceMenu = other->addAction(QStringLiteral("Glasovna sporočila"));
    PracticeMenu = other->addAction(QStringLiteral("Vaja"));
    AboutBox = other->addAction(QStringLiteral("Vizitka"));
}

void TfMainForm::BuildTimers(QMainWindow* window) {
    TimerTime = MakeTimer(window, QStringLiteral("TimerTime"), kClockInterval, false);
    TimerStart = MakeTimer(window, QStringLiteral("TimerStart"), kStartInterval, true);
    TimerCheck = MakeTimer(window, QStringLiteral("TimerCheck"), kCheckInterval, true);
    TimerSetup = MakeTimer(window, QStringLiteral("TimerSetup"), kSetupInterval, true);
    TimerWKClose = MakeTimer(window, QStringLiteral("TimerWKClose"), kFocusInterval, true);
    TimerChange = MakeTimer(window, QStringLiteral("TimerChange"), kChangeInterval, true);
}

void TfMainForm::FitLogColumns() {
    // The design widths, widened where the font this desktop substitutes for
    // the design font would cut the widest text a column holds ("S…" for SSB).
    const int widths[] = {90, 160, 60, 35, 35, 45};
    const QString widest[] = {QStringLiteral("00:00"), QString(12, u'W'),   QStringLiteral("00"),
                              QStringLiteral("0"),     QStringLiteral("0"), QStringLiteral("SSB")};
    const QFontMetrics metrics(Log->font());
    const int margin =
        2 * (Log->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, Log) + 1);
    for (int c = 0; c < 6; ++c) {
        Log->setColumnWidth(c,
                            std::max(widths[c], metrics.horizontalAdvance(widest[c]) + margin + 2));
    }
}

void TfMainForm::ApplyClockLayout(bool lastMinute) {
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

void TfMainForm::FocusEnd(QLineEdit* edit) {
    edit->setFocus();
    edit->end(false);
}

void TfMainForm::ResetEntryLine() {
    ECall->setText(CS5->isChecked() ? QStringLiteral("S5") : QString());
}

void TfMainForm::ShowKeyerControls(bool show) {
    for (QWidget* w : std::initializer_list<QWidget*>{LSpeed, LSpeed1, LSpeedPaddle, EWinkeyer}) {
        w->setVisible(show);
    }
}

}  // namespace corvatta
