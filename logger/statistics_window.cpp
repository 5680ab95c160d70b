#include "logger/statistics_window.h"

#include "logger/main_window.h"
#include "logger/qso_log_model.h"
#include "logger/settings.h"
#include "logger/statistics_feed.h"
#include "logger/statistics_summary.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/ini_file.h"
#include "platform/window_placement.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace corvatta {

namespace {

constexpr int kEModeMix = 2;
// Room between the main window's frame and this one when it first opens.
constexpr int kGapBesideMain = 8;

QString Duration(int minutes) {
    return QStringLiteral("%1:%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QChar(u'0'));
}

UtcMinute NowMinute(const platform::Clock& clock) {
    const QDateTime utc = platform::LocalToUtc(clock.Now());
    return ToUtcMinute(utc.date(), utc.time().hour() * 60 + utc.time().minute());
}

}  // namespace

// ---- The bars -----------------------------------------------------------------

SlotBars::SlotBars(QWidget* parent) : QWidget(parent) {
    setMinimumSize(200, 80);
}

void SlotBars::SetSlots(std::vector<int> counts, UtcMinute start) {
    if (counts == counts_ && start == start_) {
        return;
    }
    counts_ = std::move(counts);
    start_ = start;
    update();
}

void SlotBars::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    const int slotsShown = std::max<int>(kContestMinutes / kSlotMinutes, int(counts_.size()));
    const int labelHeight = fontMetrics().height();
    const int top = labelHeight;
    const int height = std::max(1, this->height() - top - labelHeight - 2);
    const double width = double(this->width()) / slotsShown;
    int maxCount = 1;
    for (const int c : counts_) {
        maxCount = std::max(maxCount, c);
    }
    p.setPen(Qt::black);
    for (int i = 0; i < int(counts_.size()); ++i) {
        const int h = counts_[size_t(i)] * height / maxCount;
        const QRectF bar(i * width + 1, top + height - h, width - 2, h);
        p.fillRect(bar, QColor(70, 110, 190));
        if (counts_[size_t(i)] > 0) {
            p.drawText(QRectF(i * width, top + height - h - labelHeight, width, labelHeight),
                       Qt::AlignCenter, QString::number(counts_[size_t(i)]));
        }
    }
    for (int i = 0; i < slotsShown; i += 60 / kSlotMinutes) {
        p.drawText(QRectF(i * width, top + height + 1, width * 3, labelHeight), Qt::AlignLeft,
                   ClockText(start_ + i * kSlotMinutes));
    }
    p.drawLine(0, top + height, this->width(), top + height);
}

// ---- The window -----------------------------------------------------------------

StatisticsWindow::StatisticsWindow(const StatisticsFeed& feed, platform::Clock& clock,
                                   QWidget* parent)
    : QWidget(parent, Qt::Window), feed_(feed), clock_(clock) {
    setObjectName(QStringLiteral("fStatistika"));
    setWindowTitle(QStringLiteral("Statistika"));
    auto* grid = new QGridLayout;
    int row = 0;
    const auto pair = [&](const QString& title, QLabel*& value, int column, QLabel** titleLabel) {
        auto* t = new QLabel(title, this);
        value = new QLabel(this);
        QFont bold = value->font();
        bold.setBold(true);
        value->setFont(bold);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setMinimumWidth(50);
        grid->addWidget(t, row, column);
        grid->addWidget(value, row, column + 1);
        if (titleLabel)
            *titleLabel = t;
    };
    pair(QStringLiteral("Zadnjih 10 zvez (na uro):"), LRate10, 0, nullptr);
    pair(QStringLiteral("Zadnjih 60 minut:"), LLast60, 2, nullptr);
    ++row;
    pair(QStringLiteral("V tej uri:"), LHour, 0, nullptr);
    ++row;
    pair(QStringLiteral("Od začetka:"), LElapsed, 0, nullptr);
    pair(QStringLiteral("Do konca:"), LRemaining, 2, nullptr);
    ++row;
    pair(QStringLiteral("Zveze:"), LContacts, 0, nullptr);
    pair(QStringLiteral("Točke:"), LPoints, 2, nullptr);
    ++row;
    pair(QStringLiteral("Množilci:"), LMultipliers, 0, nullptr);
    pair(QStringLiteral("Skupaj:"), LScore, 2, nullptr);
    ++row;
    pair(QStringLiteral("CW:"), LCw, 0, &LCwTitle);
    pair(QStringLiteral("SSB:"), LSsb, 2, &LSsbTitle);
    ++row;
    pair(QStringLiteral("Napoved do konca:"), LProjected, 0, nullptr);

    Bars = new SlotBars(this);
    BSummary = new QPushButton(QStringLiteral("Povzetek"), this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(new QLabel(QStringLiteral("Zveze po 10 minut:"), this));
    layout->addWidget(Bars, 1);
    layout->addWidget(BSummary, 0, Qt::AlignRight);
    SetMixed(false);
}

void StatisticsWindow::SetMixed(bool mixed) {
    for (QWidget* w : {static_cast<QWidget*>(LCwTitle), static_cast<QWidget*>(LCw),
                       static_cast<QWidget*>(LSsbTitle), static_cast<QWidget*>(LSsb)}) {
        w->setVisible(mixed);
    }
}

void StatisticsWindow::Refresh() {
    const UtcMinute now = NowMinute(clock_);
    shownMinute_ = now;
    const LiveFigures f = feed_.Statistics().Live(now);
    LRate10->setText(f.last10Rate ? QString::number(*f.last10Rate) : QStringLiteral("-"));
    LLast60->setText(QString::number(f.last60));
    LHour->setText(QString::number(f.currentHour));
    LElapsed->setText(f.period ? Duration(f.elapsed) : QStringLiteral("-"));
    LRemaining->setText(f.period ? Duration(f.remaining) : QStringLiteral("-"));
    LContacts->setText(QString::number(f.contacts));
    LPoints->setText(QString::number(f.points));
    LMultipliers->setText(QString::number(f.multipliers));
    LScore->setText(QString::number(f.score));
    LProjected->setText(QString::number(f.projectedScore));
    LCw->setText(QString::number(f.cw));
    LSsb->setText(QString::number(f.ssb));
    Bars->SetSlots(f.tenMinutes, f.period ? f.period->start : 0);
}

void StatisticsWindow::Tick() {
    if (isVisible() && NowMinute(clock_) != shownMinute_) {
        Refresh();
    }
}

void StatisticsWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Refresh();
}

void StatisticsWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    // Only the operator's close box says "closed": the program closing all
    // its windows at its end (a termination signal) must not forget that
    // this one was open.
    if (event->spontaneous()) {
        emit closed();
    }
}

// ---- The owner --------------------------------------------------------------------

StatisticsWindows::StatisticsWindows(TfMain& main, StationState& state, platform::Clock& clock)
    : main_(main), state_(state), clock_(clock) {
    main.installEventFilter(this);
    connect(main.StatisticsMenu, &QAction::triggered, this, &StatisticsWindows::Open);
}

StatisticsWindows::~StatisticsWindows() = default;

StatisticsWindow& StatisticsWindows::Window() {
    if (!window_) {
        feed_ = std::make_unique<StatisticsFeed>(main_.LogModel(), state_);
        feed_->Sync();
        window_ = std::make_unique<StatisticsWindow>(*feed_, clock_);
        connect(feed_.get(), &StatisticsFeed::updated, window_.get(), [this] {
            if (window_->isVisible())
                window_->Refresh();
        });
        connect(main_.TimerTime, &QTimer::timeout, window_.get(), &StatisticsWindow::Tick);
        const auto mixed = [this] { window_->SetMixed(main_.EMode->currentIndex() == kEModeMix); };
        connect(main_.EMode, &QComboBox::currentIndexChanged, window_.get(), mixed);
        mixed();
        connect(window_.get(), &StatisticsWindow::closed, this, [this] {
            open_ = false;
            SavePlacement();
        });
        connect(window_->BSummary, &QPushButton::clicked, this, &StatisticsWindows::OpenSummary);

        // Kept and restored as the place of the window's inside, not of its
        // frame: a window opened while the program runs is placed by the
        // window manager from that corner, so only this comes back exactly.
        const platform::IniDocument ini = platform::IniFile(SettingsFileName()).Load();
        const QPoint wanted(
            ini.ReadInteger(kStatisticsSection, QStringLiteral("Left"),
                            main_.frameGeometry().right() + 1 + kGapBesideMain),
            ini.ReadInteger(kStatisticsSection, QStringLiteral("Top"), main_.geometry().top()));
        window_->adjustSize();
        const QScreen* screen = QGuiApplication::screenAt(wanted);
        if (!screen) {
            screen = QGuiApplication::primaryScreen();
        }
        const QPoint at =
            screen ? platform::FitOnScreen(wanted, window_->size(), screen->availableGeometry())
                   : wanted;
        window_->setGeometry(QRect(at, window_->size()));
    }
    return *window_;
}

void StatisticsWindows::Open() {
    StatisticsWindow& w = Window();
    w.show();
    w.raise();
    open_ = true;
    SavePlacement();
}

void StatisticsWindows::OpenSummary() {
    Window();
    feed_->Sync();
    if (!summary_) {
        summary_ = std::make_unique<SummaryWindow>(state_.op.MyCall);
    }
    summary_->SetLog(feed_->DatedRows(), state_.op.MyYearLic);
    summary_->show();
    summary_->raise();
}

void StatisticsWindows::SavePlacement() {
    if (!window_) {
        return;
    }
    const platform::IniFile file(SettingsFileName());
    try {
        platform::IniDocument doc = file.Load();
        doc.WriteBool(kStatisticsSection, QStringLiteral("Visible"), open_);
        doc.WriteInteger(kStatisticsSection, QStringLiteral("Left"), window_->geometry().x());
        doc.WriteInteger(kStatisticsSection, QStringLiteral("Top"), window_->geometry().y());
        file.Save(doc);
    } catch (const platform::Error&) {
        // Only where the window opens next time is lost; no box for that in
        // the middle of a contest.
    }
}

bool StatisticsWindows::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &main_ && event->type() == QEvent::Show && !startChecked_) {
        startChecked_ = true;
        if (platform::IniFile(SettingsFileName())
                .Load()
                .ReadBool(kStatisticsSection, QStringLiteral("Visible"), false)) {
            // After the main window has opened its log and placed itself.
            QMetaObject::invokeMethod(this, &StatisticsWindows::Open, Qt::QueuedConnection);
        }
    } else if (watched == &main_ && event->type() == QEvent::Close) {
        SavePlacement();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace corvatta
