// "Povzetek": the summary of the current log with charts (contacts per
// 10-minute slot, cumulative score and multipliers, earlier years' score on
// the same axes from the contest's start), the text table beside them, and
// saving both. The only part of the program that draws with Qt Charts.
#pragma once

#include "logger/contest_statistics.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

class QChartView;

namespace corvatta {

class SummaryWindow final : public QWidget {
    Q_OBJECT

  public:
    SummaryWindow(QString myCall, QWidget* parent = nullptr);
    ~SummaryWindow() override;

    // The current log: its last contest is summarised.
    void SetLog(const std::vector<DatedRow>& rows, const QString& myYearLic);
    // Earlier logs to compare with; a file that cannot be read is named in
    // the error box and the others are taken.
    void AddEarlierLogs(const QStringList& fileNames);

    const ContestSummary& Summary() const { return summary_; }
    QStringList TableLines() const { return SummaryTable(summary_); }
    // The charts and the table as one picture.
    QImage Picture();
    // Write the picture (PNG) or the table (cp1250, CR LF); both replace the
    // file whole. Throw platform::IoError.
    void SavePicture(const QString& fileName);
    void SaveTable(const QString& fileName);

    QPushButton *BCompare, *BSavePicture, *BSaveTable;
    QChartView *SlotChart, *ScoreChart;
    QPlainTextEdit* Table;

  private:
    void Rebuild();
    void AskCompare();
    void AskSavePicture();
    void AskSaveTable();

    QString myCall_;
    QStringList commonYears_;
    ContestRun run_;
    std::vector<ContestRun> earlier_;
    ContestSummary summary_;
    QWidget* content_ = nullptr;
};

}  // namespace corvatta
