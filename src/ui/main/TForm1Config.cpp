#include "settings/ModelClass.h"
#include "settings/NumberText.h"
#include "settings/RecordText.h"
#include "ui/main/TForm1.h"
#include "ui/widgets/RadioGroup.h"

#include "device/ComPort.h"
#include "ui/main/BoardMemo.h"
#include "ui/main/LiveChart.h"
#include "ui/widgets/DirectoryListBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabWidget>

#include <cstring>

namespace nimbar {

namespace {

// The ten controls of a channel that follow the model.
void enableChannel(BoardControls& c, int ch, bool enabled) {
    for (QWidget* control : std::initializer_list<QWidget*>{
             c.channelBox[ch], c.alarmBox[ch], c.highEdit[ch], c.lowEdit[ch], c.nameEdit[ch],
             c.valueEdit[ch], c.rangeCombo[ch], c.t1Edit[ch], c.t0Edit[ch], c.typeCombo[ch]})
        control->setEnabled(enabled);
}

void setComboItems(QComboBox* combo, const QStringList& items) {
    QStringList current;
    for (int i = 0; i < combo->count(); ++i)
        current << combo->itemText(i);
    if (current == items)
        return;
    combo->clear();
    combo->addItems(items);
}

} // namespace

void TForm1::connectConfigControls(int b) {
    BoardControls& c = m_controls[b];
    connect(c.okButton, &QPushButton::clicked, this,
            [this, b] { guarded([this, b] { OKBtn1Click(b); }); });
    connect(c.sensorGroup, &RadioGroup::clicked, this,
            [this, b] { guarded([this, b] { RgTC1Click(b); }); });
    connect(c.intervalUpDown, &QSpinBox::valueChanged, this,
            [this, b] { guarded([this, b] { EdInt1Change(b); }); });
    connect(c.getButton, &QPushButton::clicked, this,
            [this, b] { guarded([&] { BtnGet1Click(b); }); });
}

void TForm1::connectClientControls(int b) {
    BoardControls& c = m_controls[b];
    c.configButton->setEnabled(false);
    connect(c.connectButton, &QPushButton::clicked, this,
            [this, b] { guarded([this, b] { BtConnect1Click(b); }); });
    connect(c.configButton, &QPushButton::clicked, this,
            [this, b] { guarded([this, b] { BtC1Click(b); }); });
    connect(c.remoteBoardUpDown, &QSpinBox::valueChanged, this,
            [this, b] { guarded([this, b] { UDPort1Click(b); }); });
}

// The engine has set the board's runtime up from the record; the pages show the record.
void TForm1::SetupBoardDisplay(int b) {
    const BoardConfig& board = boards()[b];
    const BoardRuntime& runtime = runtimes()[b];
    BoardControls& c = m_controls[b];

    for (int ch = 1; ch < kChannelCount; ++ch) {
        c.nameEdit[ch]->setText(fieldText(board.channelName[ch]));
        c.highEdit[ch]->setText(formatFixed(board.alarmHigh[ch], 2));
        c.lowEdit[ch]->setText(formatFixed(board.alarmLow[ch], 2));
        c.alarmBox[ch]->setChecked(board.alarmEnabled[ch] != 0);
    }

    if (buildKind() == BuildKind::Logger) {
        SelectPort(c.portCombo, portNumber(board));
        c.intervalUpDown->setValue(board.interval);
    }

    if (elapse())
        c.chart->setTimeAxisTitle("Elapse Time");
    const QString jobTitle = fieldText(board.jobTitle);
    c.titleLabel->setText(jobTitle);
    c.jobTitleEdit->setText(jobTitle);
    c.chart->setChartTitle(fieldText(board.chartTitle));
    c.chart->setValueAxisTitle(fieldText(board.yAxisTitle));

    for (int ch = 0; ch < kChannelCount; ++ch) {
        const bool visible = board.channelVisible[ch] != 0;
        c.channelBox[ch]->setChecked(visible);
        c.chart->setSeriesVisible(ch, visible);
        c.chart->graph(ch)->setName(fieldText(board.channelName[ch]));
    }
    c.chart->setModelChannels(channelCountOf(runtime.modelClass));
    c.memo->setChannelCount(channelCountOf(runtime.modelClass));
    c.chart->refresh();

    refreshRangeCombos(b);
}

void TForm1::refreshRangeCombos(int b) {
    const QStringList ranges = rangeLabelsOf(runtimes()[b].modelClass);
    for (int ch = 1; ch < kChannelCount; ++ch)
        setComboItems(m_controls[b].rangeCombo[ch], ranges);
}

void TForm1::EnableBoardControls(int b, bool all) {
    BoardControls& c = m_controls[b];
    if (all) {
        for (int ch = 1; ch < kChannelCount; ++ch)
            enableChannel(c, ch, true);
        for (int k = 2; k <= 4; ++k)
            c.outputBox[k]->setEnabled(true);
        return;
    }
    const int modelClass = runtimes()[b].modelClass;
    for (int ch = channelCountOf(modelClass); ch < kChannelCount; ++ch)
        enableChannel(c, ch, false);
    if (modelClass == 0) {
        for (int k = 2; k <= 4; ++k)
            c.outputBox[k]->setEnabled(false);
    }
}

void TForm1::FillConfigPage(int b) {
    const BoardConfig& board = boards()[b];
    BoardControls& c = m_controls[b];
    c.modelLabel->setText(fieldText(board.model));
    c.serialEdit->setText(fieldText(board.serial));
    const int boardType = boardTypeCode(board);
    c.sensorGroup->setItemIndex(boardType);

    const bool perChannel = boardType > 6;
    for (int ch = 1; ch < kChannelCount; ++ch) {
        c.typeCombo[ch]->setCurrentIndex(perChannel ? channelTypeCode(board, ch) : boardType);
        c.typeCombo[ch]->setEnabled(perChannel);
    }
    c.a1Edit->setText(formatFixed(board.corrA1, 5));
    c.a0Edit->setText(formatFixed(board.corrA0, 5));
    c.refEdit->setText(formatFixed(board.cjcRefVolts, 5));
    for (int ch = 1; ch < kChannelCount; ++ch) {
        c.rangeCombo[ch]->setCurrentIndex(RangeIndexOf(b, board.rangeMv[ch]));
        c.t1Edit[ch]->setText(formatFixed(board.gainT1[ch], 5));
        c.t0Edit[ch]->setText(formatFixed(board.offsetT0[ch], 5));
    }
}

bool TForm1::ApplyConfigPages() {
    // The pages' values go into a copy of the records, which the engine then takes: also when
    // an invalid number stops the reading half way, as far as it went.
    BoardConfigs records = boards();
    BoardConfig& first = records[0];
    first.english = m_options.englishBox->isChecked() ? 1 : 0;
    first.elapsedAxis = m_options.elapseBox->isChecked() ? 1 : 0;
    // A directory the record cannot hold exactly would be stored as another one, and the next
    // start would record there: it is refused and the stored one kept.
    const QString directory = dataDirectory();
    const auto directoryText = dataDirectoryRecordText(directory, sizeof first.dataDir - 1);
    if (directoryText) {
        std::memset(first.dataDir, 0, sizeof first.dataDir);
        std::memcpy(first.dataDir, directoryText->constData(),
                    static_cast<std::size_t>(directoryText->size()));
    }

    // Each number is stored as soon as it is read: an invalid one stops the apply there.
    const auto take = [](QLineEdit* edit, double& field) {
        const auto value = parseNumber(edit->text());
        if (value)
            field = *value;
        return value.has_value();
    };
    const auto apply = [&]() {
        for (int b = 0; b < kBoardCount; ++b) {
            BoardConfig& board = records[b];
            BoardControls& c = m_controls[b];
            board.boardIndex = b;
            board.comPort = PortNumberOf(c.portCombo);
            if (buildKind() == BuildKind::Logger)
                m_engine.bindPortToAdapter(board.comPort);
            if (c.sensorGroup->itemIndex() >= 0)
                board.tcType = c.sensorGroup->itemIndex();
            if (!take(c.refEdit, board.cjcRefVolts) || !take(c.a1Edit, board.corrA1) ||
                !take(c.a0Edit, board.corrA0))
                return false;
            const auto ranges = rangeTableOf(runtimes()[b].modelClass);
            for (int ch = 1; ch < kChannelCount; ++ch) {
                if (c.typeCombo[ch]->currentIndex() >= 0)
                    board.channelType[ch] = c.typeCombo[ch]->currentIndex();
                const int range = c.rangeCombo[ch]->currentIndex();
                // A combo without a selection has no table entry: the stored range stays.
                if (range >= 0 && range < static_cast<int>(ranges.size()))
                    board.rangeMv[ch] = ranges[static_cast<std::size_t>(range)];
                if (!take(c.t1Edit[ch], board.gainT1[ch]) ||
                    !take(c.t0Edit[ch], board.offsetT0[ch]))
                    return false;
            }
        }
        return true;
    };
    const bool applied = apply();
    m_engine.applyBoardConfigs(records);
    if (applied) {
        if (directoryText)
            return true;
        m_prompts->beep();
        m_prompts->showMessage(
            this, tr("The data directory %1 cannot be stored: its path is longer than 80 bytes or "
                     "holds characters outside code page 949. Choose another one.")
                      .arg(directory));
        return false;
    }
    m_prompts->beep();
    m_prompts->showMessage(this, tr("Invalid data"));
    return false;
}

int TForm1::PortNumberOf(const QComboBox* combo) const {
    if (combo->currentIndex() <= 0)
        return 0;
    static const QRegularExpression pattern("^COM(\\d+)");
    const auto match = pattern.match(combo->currentText());
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

void TForm1::SelectPort(QComboBox* combo, int portNumber) {
    if (portNumber < 1) {
        combo->setCurrentIndex(0);
        return;
    }
    const QString name = QString("COM%1").arg(portNumber);
    int index = combo->findText(name);
    if (index <= 0) {
        // A configured device that is unplugged now stays configured: OK must not turn it
        // into "No Use". It takes its place in the text order of the present ones.
        index = 1;
        while (index < combo->count() && combo->itemText(index) < name)
            ++index;
        combo->insertItem(index, name);
    }
    combo->setCurrentIndex(index);
}

int TForm1::RangeIndexOf(int b, double millivolts) const {
    return rangeIndexOf(m_engine.runtimes()[b].modelClass, millivolts);
}

void TForm1::OKBtn1Click(int) {
    ApplyConfigPages();
    close();
}

void TForm1::RgTC1Click(int b) {
    if (!started())
        return;
    BoardControls& c = m_controls[b];
    const int index = c.sensorGroup->itemIndex();
    m_engine.RgTC1Click(b, index);
    const int channels = channelCountOf(runtimes()[b].modelClass);
    for (int ch = 1; ch < channels; ++ch) {
        if (index >= kTypePerChannel) {
            c.typeCombo[ch]->setEnabled(true);
        } else {
            c.typeCombo[ch]->setCurrentIndex(index);
            c.typeCombo[ch]->setEnabled(false);
        }
    }
}

void TForm1::EdInt1Change(int b) {
    m_engine.EdInt1Change(b, m_controls[b].intervalUpDown->value());
}

void TForm1::ShowConfigPage(int b) {
    ShowStatus(QString());
    m_pages->setCurrentIndex(kFirstConfigPage + b);
}

void TForm1::DirectoryListBox1Change() {
    if (!started())
        return;
    m_engine.DirectoryListBox1Change(m_options.directoryList->directory());
    m_options.pathLabel->setText(dataDirectory());
}

} // namespace nimbar
