#include "logger/statistics_summary.h"

#include "logger/licence_table.h"
#include "logger/log_file.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/program_dir.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QImage>
#include <QLineSeries>
#include <QPainter>
#include <QSaveFile>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>

namespace corvatta {

namespace {

const QString kPngFilter = QStringLiteral("Slike PNG (*.png)");
const QString kTableFilter = QStringLiteral("Besedilo (*.txt)");

QChartView* NewChartView(QWidget* parent) {
    auto* view = new QChartView(new QChart, parent);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumHeight(260);
    view->chart()->setMargins(QMargins(4, 4, 4, 4));
    return view;
}

void ClearChart(QChart* chart) {
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
}

}  // namespace

SummaryWindow::SummaryWindow(QString myCall, QWidget* parent)
    : QWidget(parent, Qt::Window), myCall_(std::move(myCall)) {
    setObjectName(QStringLiteral("fPovzetek"));
    setWindowTitle(QStringLiteral("Povzetek - %1").arg(myCall_));
    commonYears_ = CommonYears(LicenceTable::ForProgram());

    content_ = new QWidget(this);
    SlotChart = NewChartView(content_);
    ScoreChart = NewChartView(content_);
    Table = new QPlainTextEdit(content_);
    Table->setReadOnly(true);
    Table->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(8);
    Table->setFont(fixed);
    auto* charts = new QVBoxLayout;
    charts->addWidget(SlotChart);
    charts->addWidget(ScoreChart);
    auto* contentLayout = new QHBoxLayout(content_);
    contentLayout->addLayout(charts, 1);
    contentLayout->addWidget(Table, 1);

    BCompare = new QPushButton(QStringLiteral("Primerjaj z ..."), this);
    BSavePicture = new QPushButton(QStringLiteral("Shrani PNG"), this);
    BSaveTable = new QPushButton(QStringLiteral("Shrani tabelo"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BCompare);
    buttons->addStretch();
    buttons->addWidget(BSavePicture);
    buttons->addWidget(BSaveTable);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(content_, 1);
    layout->addLayout(buttons);
    resize(1280, 720);

    connect(BCompare, &QPushButton::clicked, this, &SummaryWindow::AskCompare);
    connect(BSavePicture, &QPushButton::clicked, this, &SummaryWindow::AskSavePicture);
    connect(BSaveTable, &QPushButton::clicked, this, &SummaryWindow::AskSaveTable);
}

SummaryWindow::~SummaryWindow() = default;

void SummaryWindow::SetLog(const std::vector<DatedRow>& rows, const QString& myYearLic) {
    run_ = ContestRun{};
    if (!rows.empty()) {
        std::vector<ContestRun> runs = SplitIntoRuns(rows, myYearLic);
        const QDate last = rows.back().date;
        for (ContestRun& r : runs) {
            if (r.date == last)
                run_ = std::move(r);
        }
    } else {
        run_.myYearLic = myYearLic;
        run_.multipliers = 1;  // the own year, as long as no contact gave it
        run_.label = QStringLiteral("brez zvez");
    }
    Rebuild();
}

void SummaryWindow::AddEarlierLogs(const QStringList& fileNames) {
    QStringList failed;
    for (const QString& name : fileNames) {
        try {
            std::vector<ContestRun> runs = ReadEarlierLog(name);
            if (runs.empty()) {
                failed << QStringLiteral("V datoteki %1 ni zvez.").arg(name);
            }
            for (ContestRun& r : runs) {
                earlier_.push_back(std::move(r));
            }
        } catch (const platform::Error& e) {
            failed << e.message();
        }
    }
    Rebuild();
    if (!failed.isEmpty()) {
        platform::ShowError(failed.join(u'\n'));
    }
}

void SummaryWindow::Rebuild() {
    summary_ = Summarise(myCall_, run_, earlier_, commonYears_);
    const ContestSummary& s = summary_;

    QChart* slotView = SlotChart->chart();
    ClearChart(slotView);
    slotView->setTitle(QStringLiteral("Zveze po 10 minut - %1").arg(s.run.label));
    auto* set = new QBarSet(QStringLiteral("Zveze"));
    QStringList categories;
    int most = 1;
    for (const SlotFigures& slot : s.tenMinutes) {
        *set << slot.contacts;
        categories << ClockText(s.run.period.start + slot.offset);
        most = std::max(most, slot.contacts);
    }
    auto* bars = new QBarSeries;
    bars->append(set);
    slotView->addSeries(bars);
    auto* slotAxis = new QBarCategoryAxis;
    slotAxis->append(categories);
    auto* countAxis = new QValueAxis;
    countAxis->setRange(0, most);
    countAxis->applyNiceNumbers();
    countAxis->setLabelFormat(QStringLiteral("%d"));
    slotView->addAxis(slotAxis, Qt::AlignBottom);
    slotView->addAxis(countAxis, Qt::AlignLeft);
    bars->attachAxis(slotAxis);
    bars->attachAxis(countAxis);
    slotView->legend()->hide();

    QChart* score = ScoreChart->chart();
    ClearChart(score);
    score->setTitle(QStringLiteral("Skupaj in množilci od začetka tekmovanja"));
    auto* minutes = new QValueAxis;
    minutes->setTitleText(QStringLiteral("minute od začetka"));
    minutes->setLabelFormat(QStringLiteral("%d"));
    auto* points = new QValueAxis;
    points->setTitleText(QStringLiteral("skupaj"));
    points->setLabelFormat(QStringLiteral("%d"));
    auto* mults = new QValueAxis;
    mults->setTitleText(QStringLiteral("množilci"));
    mults->setLabelFormat(QStringLiteral("%d"));
    score->addAxis(minutes, Qt::AlignBottom);
    score->addAxis(points, Qt::AlignLeft);
    score->addAxis(mults, Qt::AlignRight);
    int lastMinute = kContestMinutes;
    int firstMinute = 0;
    int topScore = 1;
    int topMults = 1;
    const auto scoreLine = [&](const ContestRun& run, bool current) {
        auto* line = new QLineSeries;
        line->setName(QStringLiteral("Skupaj %1").arg(run.label));
        line->append(0, 0);
        for (const ContestRun::Point& p : run.curve) {
            line->append(p.minute, p.score);
            lastMinute = std::max(lastMinute, p.minute);
            firstMinute = std::min(firstMinute, p.minute);
            topScore = std::max(topScore, p.score);
        }
        if (current) {
            line->setPen(QPen(QColor(20, 60, 160), 3));
        }
        score->addSeries(line);
        line->attachAxis(minutes);
        line->attachAxis(points);
    };
    scoreLine(s.run, true);
    for (const ContestRun& run : s.earlier) {
        scoreLine(run, false);
    }
    auto* multLine = new QLineSeries;
    multLine->setName(QStringLiteral("Množilci %1").arg(s.run.label));
    for (const ContestRun::Point& p : s.run.curve) {
        multLine->append(p.minute, p.multipliers);
        topMults = std::max(topMults, p.multipliers);
    }
    multLine->setPen(QPen(QColor(120, 120, 120), 1.5, Qt::DashLine));
    score->addSeries(multLine);
    multLine->attachAxis(minutes);
    multLine->attachAxis(mults);
    minutes->setRange(firstMinute, lastMinute);
    minutes->setTickCount(kContestMinutes / 30 + 1);
    points->setRange(0, topScore);
    points->applyNiceNumbers();
    mults->setRange(0, topMults);
    mults->applyNiceNumbers();
    score->legend()->setAlignment(Qt::AlignBottom);

    Table->setPlainText(SummaryTable(s).join(u'\n'));
}

QImage SummaryWindow::Picture() {
    return content_->grab().toImage();
}

void SummaryWindow::SavePicture(const QString& fileName) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || !Picture().save(&file, "PNG") || !file.commit()) {
        throw platform::IoError(QStringLiteral("Slike ni bilo mogoče shraniti v %1: %2")
                                    .arg(fileName, file.errorString()));
    }
}

void SummaryWindow::SaveTable(const QString& fileName) {
    WriteLinesReplacing(fileName, TableLines());
}

void SummaryWindow::AskCompare() {
    const QStringList files = platform::CurrentDialogs().GetOpenFileNames(
        QStringLiteral("Primerjaj z ..."), platform::ProgramDirectory(),
        QStringLiteral("Dnevniki (*.log *.cbr);;Vse datoteke (*)"));
    if (!files.isEmpty()) {
        AddEarlierLogs(files);
    }
}

void SummaryWindow::AskSavePicture() {
    const QString name = platform::CurrentDialogs().GetSaveFileName(
        QStringLiteral("Shrani PNG"),
        platform::ProgramDirectory() + FileCallOf(myCall_) + QStringLiteral("_statistika.png"),
        kPngFilter);
    if (name.isEmpty()) {
        return;
    }
    try {
        SavePicture(name);
    } catch (const platform::Error& e) {
        platform::ShowError(e.message());
    }
}

void SummaryWindow::AskSaveTable() {
    const QString name = platform::CurrentDialogs().GetSaveFileName(
        QStringLiteral("Shrani tabelo"),
        platform::ProgramDirectory() + FileCallOf(myCall_) + QStringLiteral("_statistika.txt"),
        kTableFilter);
    if (name.isEmpty()) {
        return;
    }
    try {
        SaveTable(name);
    } catch (const platform::Error& e) {
        platform::ShowError(e.message());
    }
}

}  // namespace corvatta
