#include "ui/main/BoardPageBuilder.h"

#include "ui/main/BoardMemo.h"
#include "ui/main/LiveChart.h"
#include "ui/widgets/ControlTag.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <tuple>

namespace nimbar {

namespace {

QString n(int board) {
    return QString::number(board + 1);
}
QString letter(int board) {
    return QString(QChar('A' + board));
}

constexpr QRgb kValueBoxColour = 0xCBF5F3; // as the design's colour value: pale yellow

// The design stores colours as 0xBBGGRR.
QColor designColour(QRgb bgr) {
    return QColor(qBlue(bgr), qGreen(bgr), qRed(bgr));
}

QWidget* buildChartTools(int board, BoardControls& c, QWidget* page) {
    auto* tools = new QWidget(page);
    auto* layout = new QHBoxLayout(tools);
    layout->setContentsMargins(0, 0, 0, 0);
    c.zoomInButton = tagged(new QPushButton("+", tools), "BtZoomIn" + n(board), board);
    c.zoomOutButton = tagged(new QPushButton("-", tools), "BtZoomOut" + n(board), board);
    c.autoButton = tagged(new QPushButton("A", tools), "BtA" + n(board), board);
    for (QPushButton* button : {c.zoomInButton, c.zoomOutButton, c.autoButton}) {
        button->setMaximumWidth(28);
        layout->addWidget(button);
    }
    c.scrollBox = tagged(new QCheckBox("Scroll", tools), "ChkScroll" + n(board), board);
    c.scrollBox->setChecked(true);
    c.viewPointBox = tagged(new QCheckBox("View Point", tools), "ChkViewP" + n(board), board);
    c.viewPointBox->setChecked(true);
    layout->addWidget(c.scrollBox);
    layout->addWidget(c.viewPointBox);
    layout->addWidget(new QLabel("Time:", tools));
    // The read-outs and the start time stay empty until there is something to show.
    c.timeLabel = tagged(new QLabel(tools), "LblTime" + n(board), board);
    layout->addWidget(c.timeLabel);
    layout->addWidget(new QLabel("Y :", tools));
    c.yLabel = tagged(new QLabel(tools), "LblY" + n(board), board);
    layout->addWidget(c.yLabel);
    layout->addStretch();
    for (const auto& [button, name, caption] :
         {std::tuple{&c.xlsButton, "BtXLS", "Save To XLS"},
          std::tuple{&c.txtButton, "BtTxt", "Save To TXT"},
          std::tuple{&c.bmpButton, "BtSaveBmp", "Save To BMP"},
          std::tuple{&c.memoButton, "BtSaveM", "Save Memo"},
          std::tuple{&c.browserButton, "BtBrowser", "Browser / Print"}}) {
        *button = tagged(new QPushButton(caption, tools), name + n(board), board);
        layout->addWidget(*button);
    }
    return tools;
}

QGroupBox* buildChannelBoxes(int board, BoardControls& c, QWidget* page) {
    auto* group = tagged(new QGroupBox("Channel Visible", page), "GroupBox" + n(board), board);
    auto* layout = new QHBoxLayout(group);
    for (int ch = 0; ch < kChannelCount; ++ch) {
        c.channelBox[ch] = tagged(new QCheckBox(QString::number(ch), group),
                                  QString("Chk%1%2").arg(board).arg(ch), board * 10 + ch);
        layout->addWidget(c.channelBox[ch]);
    }
    return group;
}

QGroupBox* buildAlarmBoxes(int board, BoardControls& c, QWidget* page) {
    auto* group = tagged(new QGroupBox("Alarm Set", page), "GBAlarm" + n(board), board);
    auto* layout = new QGridLayout(group);
    layout->setVerticalSpacing(1);
    layout->addWidget(new QLabel("High", group), 0, 1);
    layout->addWidget(new QLabel("Low", group), 0, 2);
    for (int ch = 1; ch < kChannelCount; ++ch) {
        const int tag = board * 10 + ch;
        const QString suffix = letter(board) + QString::number(ch);
        c.alarmBox[ch] =
            tagged(new QCheckBox(QString("CH%1").arg(ch), group), "ChkAl" + suffix, tag);
        c.highEdit[ch] = tagged(new QLineEdit(group), "EdHigh" + suffix, tag);
        c.lowEdit[ch] = tagged(new QLineEdit(group), "EdLow" + suffix, tag);
        c.highEdit[ch]->setMaximumWidth(70);
        c.lowEdit[ch]->setMaximumWidth(70);
        layout->addWidget(c.alarmBox[ch], ch, 0);
        layout->addWidget(c.highEdit[ch], ch, 1);
        layout->addWidget(c.lowEdit[ch], ch, 2);
    }
    return group;
}

QWidget* buildMemo(int board, BoardControls& c, QWidget* page) {
    auto* box = new QWidget(page);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    c.memoTitle =
        tagged(new QLabel("  Count     Date      Time ", box), "PnlMTitle" + n(board), board);
    c.memoTitle->setFrameShape(QFrame::Panel);
    layout->addWidget(c.memoTitle);
    c.memo = tagged(new BoardMemo(box), "Memo" + n(board), board);
    c.memo->setToolTip(
        "Double click the memo to pause scrolling\nAfter an alarm it stays red until clicked");
    layout->addWidget(c.memo);
    return box;
}

} // namespace

QWidget* buildBoardPage(int board, BoardControls& c, QWidget* parent) {
    auto* page = new QWidget(parent);
    c.boardPage = page;
    auto* grid = new QGridLayout(page);

    auto* header = new QHBoxLayout;
    c.lamp = tagged(new QFrame(page), "Shape" + n(board), board);
    c.lamp->setFixedSize(14, 14);
    c.lamp->setStyleSheet("background: white; border: 1px solid gray; border-radius: 7px;");
    c.titleLabel = tagged(new QLabel(page), "LblTitle" + n(board), board);
    QFont titleFont = c.titleLabel->font();
    titleFont.setPointSize(14);
    titleFont.setBold(true);
    c.titleLabel->setFont(titleFont);
    c.startLabel = tagged(new QLabel(page), "LblStart" + n(board), board);
    header->addWidget(c.lamp);
    header->addWidget(c.titleLabel);
    header->addStretch();
    header->addWidget(c.startLabel);
    grid->addLayout(header, 0, 0, 1, 2);

    c.chart = tagged(new LiveChart(page), "Chart" + n(board), board);
    grid->addWidget(c.chart, 1, 0);

    auto* side = new QVBoxLayout;
    side->addWidget(buildMemo(board, c, page), 1);
    side->addWidget(buildAlarmBoxes(board, c, page));
    grid->addLayout(side, 1, 1);

    grid->addWidget(buildChannelBoxes(board, c, page), 2, 0, 1, 2);
    grid->addWidget(buildChartTools(board, c, page), 3, 0, 1, 2);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setRowStretch(1, 1);
    return page;
}

QWidget* buildDisplayPage(BoardControlTables& tables, QWidget* parent) {
    auto* page = new QWidget(parent);
    auto* grid = new QGridLayout(page);
    for (int ch = 1; ch < kChannelCount; ++ch)
        grid->addWidget(new QLabel(QString("CH%1").arg(ch), page), 0, ch);
    for (int b = 0; b < kBoardCount; ++b) {
        BoardControls& c = tables[b];
        const int row = 1 + b * 2;
        c.jobTitleEdit = tagged(new QLineEdit("Job Title " + n(b), page), "EditT" + n(b), b);
        grid->addWidget(c.jobTitleEdit, row, 0, 2, 1);
        for (int ch = 1; ch < kChannelCount; ++ch) {
            const int tag = b * 10 + ch;
            c.nameEdit[ch] = tagged(new QLineEdit(page), QString("Ed%1%2").arg(b).arg(ch), tag);
            c.valueEdit[ch] =
                tagged(new QLineEdit(page), "Ed" + letter(b) + QString::number(ch), tag);
            c.valueEdit[ch]->setReadOnly(true);
            QPalette palette = c.valueEdit[ch]->palette();
            palette.setColor(QPalette::Base, designColour(kValueBoxColour));
            c.valueEdit[ch]->setPalette(palette);
            grid->addWidget(c.nameEdit[ch], row, ch);
            grid->addWidget(c.valueEdit[ch], row + 1, ch);
        }
    }
    grid->setRowStretch(1 + kBoardCount * 2, 1);
    return page;
}

} // namespace nimbar
