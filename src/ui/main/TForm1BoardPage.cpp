#include "ui/main/TForm1.h"

#include "processing/DateTimeValue.h"
#include "processing/InvalidValue.h"
#include "settings/ModelClass.h"
#include "settings/NumberText.h"
#include "settings/RecordText.h"
#include "ui/main/BoardMemo.h"
#include "ui/main/LiveChart.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace nimbar {

namespace {

// Plain decimals as a user types them ("100000", "0.001"); exponents only for extremes.
QString shortestNumber(double value) {
    const double magnitude = std::abs(value);
    const bool plain = value == 0.0 || (magnitude >= 1e-4 && magnitude < 1e15);
    return QString::number(value, plain ? 'f' : 'g', QLocale::FloatingPointShortest);
}

// Typed numbers that do not convert end the handler; the exception log records it.
double requireNumber(const QString& text) {
    const auto value = parseNumber(text);
    if (!value)
        throw std::invalid_argument(
            ("'" + text + "' is not a valid floating point value").toStdString());
    return *value;
}

// Runs a chart operation with chartBusy set, so the main timer does not feed the pipeline
// in the middle of it.
template <typename Operation> void whileChartBusy(bool& chartBusy, Operation&& operation) {
    chartBusy = true;
    try {
        operation();
    } catch (...) {
        chartBusy = false;
        throw;
    }
    chartBusy = false;
}

struct TimeWindow {
    double width;
    double lead;
};

// The scrolling window: 35 intervals before the newest point and 5 after it.
TimeWindow timeWindowOf(int interval) {
    if (interval == 0)
        return {SecondsToTime(35), SecondsToTime(5)};
    interval = boundedInterval(interval); // a received record may hold anything
    return {SecondsToTime(35 * interval), SecondsToTime(5 * interval)};
}

} // namespace

void TForm1::connectBoardPage(int b) {
    BoardControls& c = m_controls[b];
    const auto on = [this, b](auto* sender, auto signal, void (TForm1::*handler)(int)) {
        connect(sender, signal, this,
                [this, b, handler] { guarded([&] { (this->*handler)(b); }); });
    };
    on(c.zoomInButton, &QPushButton::clicked, &TForm1::BtZoomIn1Click);
    on(c.zoomOutButton, &QPushButton::clicked, &TForm1::BtZoomOut1Click);
    on(c.autoButton, &QPushButton::clicked, &TForm1::BtA1Click);
    on(c.viewPointBox, &QCheckBox::clicked, &TForm1::ChkViewP1Click);
    on(c.scrollBox, &QCheckBox::clicked, &TForm1::ChkScroll1Click);
    on(c.restartButton, &QPushButton::clicked, &TForm1::RestartBoard);
    connect(c.chart, &QCustomPlot::mouseMove, this,
            [this, b](QMouseEvent* event) { guarded([&] { Chart1MouseMove(b, event->pos()); }); });
    on(c.jobTitleEdit, &QLineEdit::textChanged, &TForm1::EditT1Change);
    on(c.memo, &BoardMemo::doubleClicked, &TForm1::Memo1DblClick);
    on(c.memo, &BoardMemo::clicked, &TForm1::Memo1Click);
    for (int ch = 0; ch < kChannelCount; ++ch) {
        connect(c.channelBox[ch], &QCheckBox::clicked, this,
                [this, b, ch] { guarded([&] { Chk01Click(b, ch); }); });
        if (QLineEdit* name = c.nameEdit[ch])
            connect(name, &QLineEdit::textChanged, this,
                    [this, b, ch] { guarded([&] { Ed01Change(b, ch); }); });
    }
}

void TForm1::AddChartPoint(int b, double now, const std::array<double, kChannelCount>& values,
                           const std::array<int32_t, kChannelCount>& status) {
    BoardDisplay& display = m_display[static_cast<std::size_t>(b)];
    BoardControls& c = m_controls[b];
    const double x = elapse() ? now - runtimes()[b].startTime : now;
    display.lastX = x;
    const TimeWindow window = timeWindowOf(boards()[b].interval);
    if (c.scrollBox->isChecked())
        c.chart->setTimeWindow(x - window.width, x + window.lead);
    else
        c.chart->setTimeAutomatic(display.chartOrigin, x);

    std::array<double, kChannelCount> points = values;
    for (int i = 0; i < kChannelCount; ++i) {
        if (status[i] == 0)
            continue;
        points[i] = InvalidValue;
        // Channels that are invalid from the start of a run are hidden by the engine.
        if (boards()[b].channelVisible[i] == 0 && c.channelBox[i]->isChecked()) {
            c.chart->setSeriesVisible(i, false);
            c.channelBox[i]->setChecked(false);
        }
    }
    c.chart->addPoints(x, points);
}

void TForm1::ChkScroll1Click(int b) {
    whileChartBusy(m_engine.chartBusy, [&] {
        const BoardDisplay& display = m_display[static_cast<std::size_t>(b)];
        BoardControls& c = m_controls[b];
        const TimeWindow window = timeWindowOf(boards()[b].interval);
        const bool scroll = c.scrollBox->isChecked();
        if (scroll)
            c.chart->setTimeWindow(display.lastX - window.width, display.lastX + window.lead);
        else
            c.chart->setTimeAutomatic(display.chartOrigin, display.lastX);
        c.viewPointBox->setChecked(scroll);
        c.chart->setMarkersVisible(scroll);
        c.chart->refresh();
    });
}

void TForm1::Chart1MouseMove(int b, const QPoint& position) {
    BoardControls& c = m_controls[b];
    if (c.chart->pointCount() == 0 || !c.chart->insidePlot(position))
        return;
    const double x = c.chart->timeAtPixel(position.x());
    const QDateTime t = fromDateTimeValue(x);
    if (elapse()) {
        // Whole days towards zero and the time of the rest, so that a point 20 s before the
        // start reads 0 Day 00:00:20, not -1 Day 23:59:40.
        const double whole = std::trunc(x);
        const qint64 seconds =
            std::min<qint64>(std::llround(std::abs(x - whole) * 86400000.0) / 1000, 86399);
        c.timeLabel->setText(QString::asprintf(
            "%d Day  %02d:%02d:%02d", static_cast<int>(whole), static_cast<int>(seconds / 3600),
            static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60)));
    } else {
        c.timeLabel->setText(QString::asprintf("%d-%02d-%02d  %02d:%02d:%02d", t.date().year(),
                                               t.date().month(), t.date().day(), t.time().hour(),
                                               t.time().minute(), t.time().second()));
    }
    c.yLabel->setText(QString::asprintf("%.2f", c.chart->valueAtPixel(position.y())));
}

void TForm1::RefreshValuePanels(int b) {
    const BoardRuntime& runtime = runtimes()[b];
    const int lastChannel = channelCountOf(runtime.modelClass) - 1;
    for (int ch = 1; ch < kChannelCount; ++ch) {
        const int decimals = ch == lastChannel ? 3 : 2;
        m_controls[b].valueEdit[ch]->setText(
            QString::asprintf(decimals == 3 ? "%7.3f " : "%7.2f ", runtime.values[ch]));
    }
}

void TForm1::Chk01Click(int b, int ch) {
    if (!started())
        return;
    whileChartBusy(m_engine.chartBusy, [&] {
        const bool visible = m_controls[b].channelBox[ch]->isChecked();
        m_engine.Chk01Click(b, ch, visible);
        m_controls[b].chart->setSeriesVisible(ch, visible);
        m_controls[b].chart->refresh();
    });
}

void TForm1::BtZoomIn1Click(int b) {
    ShowStatus(QString());
    whileChartBusy(m_engine.chartBusy, [&] {
        m_controls[b].chart->zoomPercent(110);
        m_controls[b].chart->refresh();
    });
}

void TForm1::BtZoomOut1Click(int b) {
    ShowStatus(QString());
    whileChartBusy(m_engine.chartBusy, [&] {
        m_controls[b].chart->zoomPercent(90);
        m_controls[b].chart->refresh();
    });
}

void TForm1::BtA1Click(int b) {
    whileChartBusy(m_engine.chartBusy, [&] {
        m_controls[b].chart->setValueAutomatic();
        m_controls[b].chart->refresh();
    });
}

void TForm1::ChkViewP1Click(int b) {
    whileChartBusy(m_engine.chartBusy, [&] {
        m_controls[b].chart->setMarkersVisible(m_controls[b].viewPointBox->isChecked());
        m_controls[b].chart->refresh();
    });
}

void TForm1::YMax1Click(int b) {
    LiveChart* chart = m_controls[b].chart;
    const QCPRange range = chart->valueRange();
    const QString caption =
        tr("Y-Range(") + shortestNumber(range.upper) + ", " + shortestNumber(range.lower) + ")  ";
    const double maximum = requireNumber(
        m_prompts->inputBox(this, caption, tr("Enter Y-Max "), shortestNumber(range.upper)));
    if (!(maximum > range.lower)) {
        m_prompts->showMessage(this, tr("The value is lower than minimum value!"));
        return;
    }
    chart->setValueMaximum(maximum);
    chart->refresh();
}

void TForm1::YMin1Click(int b) {
    LiveChart* chart = m_controls[b].chart;
    const QCPRange range = chart->valueRange();
    const QString caption =
        tr("Y-Range (") + shortestNumber(range.upper) + ", " + shortestNumber(range.lower) + ")  ";
    const double minimum = requireNumber(
        m_prompts->inputBox(this, caption, tr("Enter Y-Min "), shortestNumber(range.lower)));
    if (minimum >= range.upper) {
        m_prompts->showMessage(this, tr("The value is greater than maximum value!"));
        return;
    }
    chart->setValueMinimum(minimum);
    chart->refresh();
}

void TForm1::ChartTitle1Click(int b) {
    LiveChart* chart = m_controls[b].chart;
    const QString firstLine = chart->chartTitle().section('\n', 0, 0);
    const QString title =
        m_prompts->inputBox(this, tr("Chart Title"), tr("Enter Chart Title"), firstLine);
    chart->setChartTitle(title);
    chart->refresh();
    m_engine.setChartTitle(b, title);
}

void TForm1::YAxisTitle1Click(int b) {
    LiveChart* chart = m_controls[b].chart;
    const QString title =
        m_prompts
            ->inputBox(this, tr("Y-Axis Title"), tr("Enter Y-Axis Title"), chart->valueAxisTitle())
            .left(80);
    chart->setValueAxisTitle(title);
    chart->refresh();
    m_engine.setValueAxisTitle(b, title);
}

void TForm1::EditT1Change(int b) {
    if (!started())
        return;
    const QString title = m_controls[b].jobTitleEdit->text().left(80);
    m_controls[b].titleLabel->setText(title);
    m_engine.EditT1Change(b, title);
}

void TForm1::Ed01Change(int b, int ch) {
    if (!started())
        return;
    const QString name = m_controls[b].nameEdit[ch]->text().leftJustified(10, ' ', true);
    m_controls[b].chart->graph(ch)->setName(name);
    m_controls[b].chart->refresh();
    m_engine.Ed01Change(b, ch, name);
}

void TForm1::Memo1DblClick(int b) {
    BoardDisplay& display = m_display[static_cast<std::size_t>(b)];
    display.memoPaused = !display.memoPaused;
    ShowStatus(display.memoPaused ? tr("Memo Log paused. DblClick the memo to resume logging")
                                  : tr("Memo Logging resumed."));
}

void TForm1::Memo1Click(int b) {
    m_controls[b].memo->setAlarmColour(false);
}

} // namespace nimbar
