#include "ui/browser/TFormB.h"

#include "browser/BrowserExport.h"
#include "browser/BrowserTexts.h"
#include "browser/BrowserTime.h"
#include "browser/ChannelStatistics.h"
#include "browser/RangeScan.h"
#include "ui/browser/TDlgTitle.h"
#include "ui/widgets/ControlTag.h"
#include "ui/widgets/DirectoryListBox.h"
#include "ui/widgets/RadioGroup.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSpinBox>
#include <QStatusBar>
#include <QStorageInfo>
#include <QTimer>
#include <QVBoxLayout>

namespace nimbar {

namespace {

constexpr const char* kToolNames[] = {"BtZoomIn", "BtZoomOut", "BtAuto",      "BtSmth", "BtXLS",
                                      "BtTXT",    "BtnDraw",   "BtClipboard", "BtPrint"};

struct Caption {
    const char* name;
    const char* english;
};

// The controls whose caption changes in Korean; the Korean texts come from the translation
// (context "Browser").
constexpr Caption kKoreanCaptions[] = {
    {"LblStart", QT_TRANSLATE_NOOP("Browser", "Start Time")},
    {"ChkViewP1", QT_TRANSLATE_NOOP("Browser", "View Point")},
    {"GroupBox1", QT_TRANSLATE_NOOP("Browser", "Channel Visible")},
    {"GBDate", QT_TRANSLATE_NOOP("Browser", "Date/Time")},
    {"LblPort", QT_TRANSLATE_NOOP("Browser", "Device")},
    {"LblSDate", QT_TRANSLATE_NOOP("Browser", "Start Date")},
    {"LblEDate", QT_TRANSLATE_NOOP("Browser", "End Date")},
    {"LblSTime", QT_TRANSLATE_NOOP("Browser", "Time")},
    {"LblETime", QT_TRANSLATE_NOOP("Browser", "Time")},
    {"BtnDraw", QT_TRANSLATE_NOOP("Browser", "Draw Chart")},
    {"LblSN", QT_TRANSLATE_NOOP("Browser", "Serial Number : ")},
    {"BtZoomIn", QT_TRANSLATE_NOOP("Browser", "Zoom In")},
    {"BtZoomOut", QT_TRANSLATE_NOOP("Browser", "Zoom Out")},
    {"BtAuto", QT_TRANSLATE_NOOP("Browser", "Auto")},
    {"BtSmth", QT_TRANSLATE_NOOP("Browser", "Smoothing")},
    {"GBSample", QT_TRANSLATE_NOOP("Browser", "Subsampling")},
    {"ChkAutoSub", QT_TRANSLATE_NOOP("Browser", "Auto")},
    {"RGX", QT_TRANSLATE_NOOP("Browser", "X Axis")},
    {"BtTXT", QT_TRANSLATE_NOOP("Browser", "Save as TXT")},
    {"BtXLS", QT_TRANSLATE_NOOP("Browser", "Save as XLS")},
    {"BtPrint", QT_TRANSLATE_NOOP("Browser", "Print Chart")},
    {"BtClipboard", QT_TRANSLATE_NOOP("Browser", "Clipboard")},
    {"BtClose", QT_TRANSLATE_NOOP("Browser", "Close")},
    {"CopytoClipboard1", QT_TRANSLATE_NOOP("Browser", "Copy to Clipboard")},
    {"ModifyTitles1", QT_TRANSLATE_NOOP("Browser", "Modify Titles")},
    {"GetAverage1", QT_TRANSLATE_NOOP("Browser", "Get Average")},
};

// How long the chart rests after a zoom before its part is read again in detail.
constexpr int kDetailDelayMs = 250;

constexpr const char* kXModeItems[] = {
    QT_TRANSLATE_NOOP("Browser", "Record Time (hh:mm:ss)"),
    QT_TRANSLATE_NOOP("Browser", "Elapse Time (hh:mm:ss)"),
    QT_TRANSLATE_NOOP("Browser", "Elapse Time (sec)"),
};

QString koreanText(const char* english) {
    return QCoreApplication::translate("Browser", english);
}

template <typename T> T* named(T* control, const QString& name) {
    control->setObjectName(name);
    return control;
}

QSpinBox* upDown(const QString& upDownName, const QString& editName, int low, int high,
                 QWidget* parent) {
    auto* spin = named(new QSpinBox(parent), upDownName);
    spin->setRange(low, high);
    if (auto* text = spin->findChild<QLineEdit*>())
        text->setObjectName(editName);
    return spin;
}

QLabel* label(const QString& name, const QString& caption, QWidget* parent) {
    return named(new QLabel(caption, parent), name);
}

QPushButton* button(const QString& name, const QString& caption, QWidget* parent) {
    return named(new QPushButton(caption, parent), name);
}

} // namespace

TFormB::TFormB(QWidget* owner, bool korean, QString dataDirectory)
    : QDialog(owner, Qt::Window | Qt::WindowTitleHint | Qt::CustomizeWindowHint |
                         Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      m_korean(korean), m_dataDirectory(std::move(dataDirectory)) {
    setObjectName("FormB");
    setWindowTitle("Browser");
    setFixedSize(1024, 736); // a request to resize is refused
    buildControls();
    connectHandlers();
    FormCreate();
}

TFormB::~TFormB() = default;

void TFormB::buildControls() {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(4, 4, 4, 0);
    auto* body = new QHBoxLayout;
    root->addLayout(body, 1);

    // Left: range selection, file selection, tools.
    auto* side = new QVBoxLayout;
    body->addLayout(side);
    auto* date = named(new QGroupBox("Date/Time", this), "GBDate");
    auto* grid = new QGridLayout(date);
    grid->addWidget(label("LblPort", "Device", date), 0, 0);
    m_board = named(new QComboBox(date), "CBSel");
    m_board->addItems({"A", "B", "C", "D"});
    grid->addWidget(m_board, 0, 1);
    grid->addWidget(label("LblSDate", "Start Date", date), 1, 0);
    m_startDate = named(new QDateEdit(date), "DateTimePicker1");
    m_startDate->setCalendarPopup(true);
    grid->addWidget(m_startDate, 1, 1);
    grid->addWidget(label("LblSTime", "Time", date), 1, 2);
    m_startHour = upDown("UDStart", "EdStart", 0, 23, date);
    grid->addWidget(m_startHour, 1, 3);
    grid->addWidget(label("LblEDate", "End Date", date), 2, 0);
    m_endDate = named(new QDateEdit(date), "DateTimePicker2");
    m_endDate->setCalendarPopup(true);
    grid->addWidget(m_endDate, 2, 1);
    grid->addWidget(label("LblETime", "Time", date), 2, 2);
    m_endHour = upDown("UDEnd", "EdEnd", 0, 23, date);
    grid->addWidget(m_endHour, 2, 3);
    grid->addWidget(button("BtnDraw", "Draw Chart", date), 3, 0, 1, 4);
    side->addWidget(date);

    m_drives = named(new QComboBox(this), "DriveComboBox1");
    m_directories = named(new DirectoryListBox(this), "DirectoryListBox1");
    m_files = named(new QListWidget(this), "FileListBox1");
    m_files->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_filter = named(new QComboBox(this), "FilterComboBox1");
    m_filter->addItem("All files (*.*)", "*");
    m_filter->addItem("KRN file(*.KRN)", "*.KRN");
    m_filter->addItem("TXT file(*.TXT)", "*.TXT");
    side->addWidget(m_drives);
    side->addWidget(m_directories, 1);
    side->addWidget(m_files, 2);
    side->addWidget(m_filter);

    auto* sample = named(new QGroupBox("Subsampling", this), "GBSample");
    auto* sampleRow = new QHBoxLayout(sample);
    m_subsampling = upDown("UpDown1", "Edit1", 1, kMaxSubsampling, sample);
    m_autoSubsampling = named(new QCheckBox("Auto", sample), "ChkAutoSub");
    sampleRow->addWidget(m_subsampling);
    sampleRow->addWidget(m_autoSubsampling);
    side->addWidget(sample);
    m_xMode = named(
        new RadioGroup("X Axis", {kXModeItems[0], kXModeItems[1], kXModeItems[2]}, 1, this), "RGX");
    side->addWidget(m_xMode);

    // Right: header labels, the chart with its memo, channel boxes and tools.
    auto* main = new QVBoxLayout;
    body->addLayout(main, 1);
    auto* header = new QHBoxLayout;
    m_lblName = label("LblName", "Data Chart", this);
    QFont bold = m_lblName->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 3);
    m_lblName->setFont(bold);
    m_lblStart = label("LblStart", "Start Time", this);
    header->addWidget(m_lblName, 1);
    header->addWidget(m_lblStart);
    header->addWidget(label("LblSN", "Serial Number : ", this));
    m_lblSer = label("LblSer", "000001", this);
    header->addWidget(m_lblSer);
    main->addLayout(header);

    m_chart = named(new BrowserChart(this), "ChartD");
    main->addWidget(m_chart, 1);
    m_memo = named(new QPlainTextEdit(m_chart), "Memo1");
    m_memo->setReadOnly(true);
    m_memo->setGeometry(60, 40, 420, 230);
    m_memo->hide();
    m_memo->viewport()->installEventFilter(this);

    auto* readout = new QHBoxLayout;
    readout->addWidget(label("Label2", "X :", this));
    m_lblX = label("LblX", "", this);
    m_lblX->setMinimumWidth(160);
    readout->addWidget(m_lblX);
    readout->addWidget(label("Label3", "Y :", this));
    m_lblY = label("LblY", "", this);
    m_lblY->setMinimumWidth(90);
    readout->addWidget(m_lblY);
    m_viewPoints = named(new QCheckBox("View Point", this), "ChkViewP1");
    m_viewPoints->setChecked(true);
    readout->addWidget(m_viewPoints);
    auto* channels = named(new QGroupBox("Channel Visible", this), "GroupBox1");
    auto* channelRow = new QHBoxLayout(channels);
    for (int i = 0; i < kChannelCount; ++i) {
        QCheckBox* box =
            tagged(new QCheckBox(QString::number(i), channels), QString("CheckBox%1").arg(i), i);
        box->setChecked(true);
        channelRow->addWidget(box);
        m_channelBoxes[static_cast<std::size_t>(i)] = box;
    }
    readout->addWidget(channels, 1);
    main->addLayout(readout);

    auto* tools = new QHBoxLayout;
    for (auto [name, caption] : {std::pair{"BtZoomIn", "Zoom In"},
                                 {"BtZoomOut", "Zoom Out"},
                                 {"BtAuto", "Auto"},
                                 {"BtSmth", "Smoothing"},
                                 {"BtTXT", "Save as TXT"},
                                 {"BtXLS", "Save as XLS"},
                                 {"BtPrint", "Print Chart"},
                                 {"BtClipboard", "Clipboard"},
                                 {"BtClose", "Close"}})
        tools->addWidget(button(name, caption, this));
    main->addLayout(tools);

    m_status = named(new QStatusBar(this), "SBar");
    m_status->setSizeGripEnabled(false);
    root->addWidget(m_status);

    m_pm2 = named(new QMenu(this), "PM2");
    m_pm2->addAction("Copy to Clipboard")->setObjectName("CopytoClipboard1");
    m_pm2->addAction("Modify Titles")->setObjectName("ModifyTitles1");
    m_pm2->addAction("Get Average")->setObjectName("GetAverage1");
    m_chart->setContextMenuPolicy(Qt::PreventContextMenu);

    m_saveDialog = named(new QFileDialog(this), "SaveDialog1");
    m_saveDialog->setAcceptMode(QFileDialog::AcceptSave);

    m_detailTimer = new QTimer(this);
    m_detailTimer->setSingleShot(true);
    m_detailTimer->setInterval(kDetailDelayMs);
}

void TFormB::connectHandlers() {
    const auto click = [this](const char* name, void (TFormB::*handler)()) {
        connect(findChild<QPushButton*>(name), &QPushButton::clicked, this,
                [this, handler] { (this->*handler)(); });
    };
    click("BtClose", &TFormB::BtCloseClick);
    click("BtnDraw", &TFormB::BtnDrawClick);
    click("BtZoomIn", &TFormB::BtZoomInClick);
    click("BtZoomOut", &TFormB::BtZoomOutClick);
    click("BtAuto", &TFormB::BtAutoClick);
    click("BtSmth", &TFormB::BtSmthClick);
    click("BtTXT", &TFormB::BtTXTClick);
    click("BtXLS", &TFormB::BtXLSClick);
    click("BtPrint", &TFormB::BtPrintClick);
    click("BtClipboard", &TFormB::BtClipboardClick);
    connect(m_files, &QListWidget::itemDoubleClicked, this, [this] { FileListBox1DblClick(); });
    connect(m_xMode, &RadioGroup::clicked, this, [this] { FileListBox1DblClick(); });
    connect(m_filter, &QComboBox::currentIndexChanged, this, [this] { FilterComboBox1Change(); });
    connect(m_subsampling, &QSpinBox::valueChanged, this, [this] { UpDown1Click(); });
    for (QCheckBox* box : m_channelBoxes)
        connect(box, &QCheckBox::clicked, this, [this, box] { CheckBox0Click(tagOf(box)); });
    connect(m_viewPoints, &QCheckBox::toggled, this, [this] { ChkViewP1Click(); });
    connect(m_chart, &QCustomPlot::mouseMove, this,
            [this](QMouseEvent* e) { ChartDMouseMove(e->pos()); });
    connect(m_chart, &QCustomPlot::mousePress, this, [this](QMouseEvent* e) {
        if (ChartDMouseDown(e->button(), e->pos()))
            m_pm2->popup(e->globalPosition().toPoint());
    });
    connect(m_chart, &QCustomPlot::mouseDoubleClick, this, [this] { GetAverage1Click(); });
    connect(findChild<QAction*>("CopytoClipboard1"), &QAction::triggered, this,
            [this] { BtClipboardClick(); });
    connect(findChild<QAction*>("ModifyTitles1"), &QAction::triggered, this,
            [this] { ModifyTitles1Click(); });
    connect(findChild<QAction*>("GetAverage1"), &QAction::triggered, this,
            [this] { GetAverage1Click(); });
    connect(m_chart->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this, [this] {
        if (!m_settingRange && m_detail.isActive())
            m_detailTimer->start();
    });
    connect(m_detailTimer, &QTimer::timeout, this, [this] { LoadDetail(); });
    // Without Auto a zoom only zooms.
    connect(m_autoSubsampling, &QCheckBox::toggled, this, [this](bool on) {
        if (!on)
            m_detail.clear();
    });
    connect(m_drives, &QComboBox::textActivated, m_directories, &DirectoryListBox::setDirectory);
    connect(m_directories, &DirectoryListBox::directoryChanged, this,
            [this] { refreshFileList(); });
}

void TFormB::FormCreate() {
    applyKoreanCaptions();
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid() && volume.isReady())
            m_drives->addItem(volume.rootPath());
    showDirectory(m_dataDirectory);
    m_saveDialog->setDirectory(m_dataDirectory);
    // The end hour is not included: the range opens on the current hour alone.
    const QDateTime now = QDateTime::currentDateTime();
    const int hour = now.time().hour();
    m_startDate->setDate(now.date());
    m_startHour->setValue(hour);
    m_endDate->setDate(hour == 23 ? now.date().addDays(1) : now.date());
    m_endHour->setValue((hour + 1) % 24);
    m_board->setCurrentIndex(0);
    m_filter->setCurrentIndex(1);
    m_xMode->setItemIndex(0);
    m_data.xAxisTitle = initialXAxisTitle(m_korean);
    m_chart->setTitles(m_data.chartTitle, m_data.xAxisTitle, m_data.yAxisTitle);
    move(0, 0);
}

void TFormB::applyKoreanCaptions() {
    if (!m_korean)
        return;
    for (const Caption& c : kKoreanCaptions) {
        QObject* control = findChild<QObject*>(c.name);
        const QString text = koreanText(c.english);
        if (auto* b = qobject_cast<QAbstractButton*>(control))
            b->setText(text);
        else if (auto* g = qobject_cast<QGroupBox*>(control))
            g->setTitle(text);
        else if (auto* l = qobject_cast<QLabel*>(control))
            l->setText(text);
        else if (auto* a = qobject_cast<QAction*>(control))
            a->setText(text);
    }
    const QList<QRadioButton*> items = m_xMode->findChildren<QRadioButton*>();
    for (int i = 0; i < items.size() && i < 3; ++i)
        items[i]->setText(koreanText(kXModeItems[i]));
    // The date pickers' calendars name months and days in Korean, and the dates read in
    // Korean order.
    const QLocale korean(QLocale::Korean, QLocale::SouthKorea);
    for (QDateEdit* picker : {m_startDate, m_endDate}) {
        picker->setLocale(korean);
        picker->setDisplayFormat("yyyy. M. d.");
        picker->calendarWidget()->setLocale(korean);
    }
}

QString TFormB::statusText() const {
    return m_status->currentMessage();
}

void TFormB::showStatus(const QString& text) {
    m_status->showMessage(text);
}

void TFormB::setSaveChooser(std::function<QString(const QString&)> chooser) {
    m_chooser = std::move(chooser);
}

void TFormB::EnableTools(bool on) {
    for (const char* name : kToolNames)
        findChild<QWidget*>(name)->setEnabled(on);
    m_subsampling->setEnabled(on);
    m_xMode->setEnabled(on);
}

void TFormB::showDirectory(const QString& directory) {
    m_directories->setDirectory(directory);
    refreshFileList();
}

void TFormB::refreshFileList() {
    m_files->clear();
    const QString mask = m_filter->currentData().toString();
    m_files->addItems(
        QDir(m_directories->directory())
            .entryList({mask.isEmpty() ? QString("*") : mask}, QDir::Files, QDir::Name));
}

void TFormB::FilterComboBox1Change() {
    refreshFileList();
}

void TFormB::BtCloseClick() {
    close();
}

void TFormB::closeEvent(QCloseEvent* event) {
    m_closing = true; // a load in progress stops at its next turn of the event loop
    QDialog::closeEvent(event);
}

void TFormB::BtnDrawClick() {
    if (m_loading)
        return;
    m_filter->setCurrentIndex(1);
    m_memo->hide();
    EnableTools(false);
    // The drive box follows the data directory: the mounted file system that holds it.
    QString volume = QStorageInfo(m_dataDirectory).rootPath();
    if (const int at = m_drives->findText(volume); at >= 0)
        m_drives->setCurrentIndex(at);
    const RangeScanResult scan =
        scanRecordingRange(m_dataDirectory, m_board->currentText().at(0), m_startDate->date(),
                           m_startHour->value(), m_endDate->date(), m_endHour->value());
    if (!scan.lastDirectory.isEmpty())
        showDirectory(scan.lastDirectory);
    showStatus(loadingText(m_korean, true));
    LoadFiles(scan.paths);
    EnableTools(true);
}

void TFormB::FileListBox1DblClick() {
    if (m_loading)
        return;
    EnableTools(false);
    showStatus(loadingText(m_korean, false));
    m_detail.clear();
    m_data.clearSeries();
    m_chart->clearSeries();
    QStringList paths;
    for (int i = 0; i < m_files->count(); ++i) {
        const QListWidgetItem* item = m_files->item(i);
        if (item->isSelected() && QFileInfo(item->text()).suffix().toUpper() == "KRN")
            paths << QDir(m_directories->directory()).filePath(item->text());
    }
    LoadFiles(paths);
    EnableTools(true);
}

void TFormB::LoadFiles(const QStringList& paths) {
    // Two loads never fill the chart at once: a second one started from the event loop of the
    // first is refused.
    if (m_loading)
        return;
    QScopedValueRollback<bool> loading(m_loading, true);
    LoadOptions options;
    options.xMode = static_cast<XAxisMode>(qBound(0, m_xMode->itemIndex(), 2));
    options.korean = m_korean;
    options.automatic = m_autoSubsampling->isChecked();
    options.subsampling = m_subsampling->value();
    m_detail.clear();
    if (!paths.isEmpty()) {
        m_chart->clearSeries();
        for (int i = 0; i < kChannelCount; ++i)
            m_chart->setSeriesVisible(i, false);
        m_viewPoints->setChecked(false);
    }
    const LoadReport report = nimbar::LoadFiles(paths, m_data, options, [this] {
        QCoreApplication::processEvents();
        return !m_closing;
    });
    if (report.outcome == LoadOutcome::NoData) {
        showStatus(report.status);
        return;
    }
    if (report.outcome == LoadOutcome::OpenFailed || report.outcome == LoadOutcome::Unsupported) {
        showStatus(report.status);
        return;
    }
    if (m_data.summary && report.outcome == LoadOutcome::Loaded)
        m_detail.start(paths, report, m_data.summary->envelope);
    const bool nine = m_data.channelCount > 7;
    m_channelBoxes[7]->setEnabled(nine);
    m_channelBoxes[8]->setEnabled(nine);
    m_lblName->setText(m_data.jobTitle);
    m_lblSer->setText(m_data.serial);
    m_lblStart->setText(m_data.startText);
    redraw();
    for (int i = 0; i < kChannelCount; ++i)
        m_chart->setSeriesVisible(i, i < m_data.channelCount &&
                                         m_channelBoxes[static_cast<std::size_t>(i)]->isChecked());
    {
        const QScopedValueRollback<bool> own(m_settingRange, true);
        m_chart->undoZoom();
        m_chart->zoomPercent(95);
    }
    if (report.outcome != LoadOutcome::Aborted)
        showStatus(report.status);
}

void TFormB::LoadDetail() {
    m_detailTimer->stop();
    if (m_loading || !m_detail.isActive())
        return;
    const QCPRange shown = m_chart->xRange();
    const TimeWindow times{timeOfX(shown.lower, m_data.xMode, m_data.startTime),
                           timeOfX(shown.upper, m_data.xMode, m_data.startTime)};
    if (const std::optional<TimeWindow> window = detailWindow(m_detail, times))
        loadPart(*window);
}

void TFormB::loadPart(const TimeWindow& window) {
    QScopedValueRollback<bool> loading(m_loading, true);
    LoadOptions options;
    options.xMode = m_data.xMode;
    options.korean = m_korean;
    options.automatic = true;
    options.window = window;
    options.knownSpans = m_detail.spans;
    const LoadReport report = nimbar::LoadFiles(m_detail.paths, m_data, options, [this] {
        QCoreApplication::processEvents();
        return !m_closing;
    });
    if (report.outcome != LoadOutcome::Loaded || !m_data.summary) {
        m_detail.clear();
        m_chart->clearSeries();
        showStatus(report.status);
        return;
    }
    m_detail.loaded = window;
    m_detail.envelope = m_data.summary->envelope;
    // The axes stay where the user put them; a zoom made meanwhile is read in its turn.
    redraw();
    showStatus(report.status);
    m_detailTimer->start();
}

void TFormB::redraw() {
    m_chart->showData(m_data);
}

void TFormB::UpDown1Click() {
    if (m_loading)
        return;
    m_detail.clear();
    m_data.clearSeries();
    m_chart->clearSeries();
}

void TFormB::CheckBox0Click(int series) {
    if (series < 0 || series >= kChannelCount)
        return;
    m_chart->setSeriesVisible(series,
                              m_channelBoxes[static_cast<std::size_t>(series)]->isChecked());
}

void TFormB::ChkViewP1Click() {
    m_chart->setMarkersVisible(m_viewPoints->isChecked());
}

void TFormB::ChartDMouseMove(const QPoint& position) {
    if (m_data.points() == 0 || !m_chart->insidePlot(position))
        return;
    m_lblX->setText(FormatXValue(m_chart->xAtPixel(position.x()), m_data.xMode).trimmed());
    m_lblY->setText(QString::asprintf("%.3f", m_chart->yAtPixel(position.y())));
}

bool TFormB::ChartDMouseDown(Qt::MouseButton button, const QPoint& position) {
    return button == Qt::RightButton && !m_chart->insidePlot(position);
}

void TFormB::BtZoomInClick() {
    showStatus({});
    EnableTools(false);
    m_chart->zoomPercent(110);
    EnableTools(true);
}

void TFormB::BtZoomOutClick() {
    showStatus({});
    EnableTools(false);
    m_chart->zoomPercent(90);
    EnableTools(true);
}

void TFormB::BtAutoClick() {
    showStatus({});
    EnableTools(false);
    // In Auto the whole range comes back from the files.
    if (m_detail.isActive() && !m_loading &&
        (m_detail.loaded.from != m_detail.whole.from || m_detail.loaded.to != m_detail.whole.to))
        loadPart(m_detail.whole);
    {
        const QScopedValueRollback<bool> own(m_settingRange, true);
        m_chart->undoZoom();
    }
    EnableTools(true);
}

void TFormB::BtSmthClick() {
    if (m_loading)
        return;
    for (int i = 0; i < kChannelCount; ++i)
        if (m_chart->seriesVisible(i))
            smoothSeries(m_data.series[static_cast<std::size_t>(i)].y);
    redraw();
}

void TFormB::GetAverage1Click() {
    if (m_data.points() == 0)
        return;
    m_memo->setPlainText(statisticsMemoLines(m_data, m_korean).join('\n'));
    m_memo->show();
    m_memo->raise();
}

void TFormB::Memo1DblClick() {
    m_memo->clear();
    m_memo->hide();
}

bool TFormB::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_memo->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        Memo1DblClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFormB::ModifyTitles1Click() {
    TDlgTitle dialog(m_data.chartTitle, m_data.xAxisTitle, m_data.yAxisTitle, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_data.chartTitle = dialog.chartTitle();
    m_data.xAxisTitle = dialog.xAxisTitle();
    m_data.yAxisTitle = dialog.yAxisTitle();
    m_chart->setTitles(m_data.chartTitle, m_data.xAxisTitle, m_data.yAxisTitle);
}

void TFormB::BtClipboardClick() {
    QApplication::clipboard()->setPixmap(m_chart->toPixmap(m_chart->width(), m_chart->height()));
}

QString TFormB::chooseSaveFile(const QString& filter) {
    if (m_chooser)
        return m_chooser(filter);
    m_saveDialog->setNameFilter(filter);
    if (m_saveDialog->exec() != QDialog::Accepted || m_saveDialog->selectedFiles().isEmpty())
        return {};
    return m_saveDialog->selectedFiles().front();
}

void TFormB::BtTXTClick() {
    exportChart("TXT file(*.TXT)", ".TXT", &ExportBrowserTxt);
}

void TFormB::BtXLSClick() {
    exportChart("XLS file(*.XLS)", ".XLS", &ExportBrowserXls);
}

void TFormB::exportChart(const QString& filter, const QString& extension,
                         ExportResult (*write)(const BrowserDataSet&, const QString&, bool,
                                               const LoadPump&)) {
    if (m_data.points() == 0 || m_loading)
        return;
    const QString name = exportFileName(chooseSaveFile(filter), extension);
    if (name.isEmpty())
        return;
    // The export turns the event loop; nothing may change the data set meanwhile.
    QScopedValueRollback<bool> busy(m_loading, true);
    const ExportResult result = write(m_data, name, m_korean, [] {
        QCoreApplication::processEvents();
        return true;
    });
    showStatus(result.status);
}

} // namespace nimbar
