#include "ui/main/TForm1.h"

#include "ui/main/BoardPageBuilder.h"
#include "ui/widgets/ControlTag.h"
#include "ui/widgets/DirectoryListBox.h"
#include "ui/widgets/RadioGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>

namespace nimbar {

TForm1::TForm1(BuildKind kind, ProgramPaths paths, QWidget* parent)
    : QMainWindow(parent), m_prompts(std::make_unique<DialogPrompts>()),
      m_engine(kind, std::move(paths)) {
    setObjectName("Form1");
    setFixedSize(1024, 736);
    buildMenu();
    buildPages();
    if (kind == BuildKind::Client)
        arrangeClientBuild();
    connectHandlers();
    connectEngine();
    FormCreate();
}

TForm1::~TForm1() {
    // The engine closes its ports and sockets after the pages are gone from view.
    QObject::disconnect(&m_engine, nullptr, this, nullptr);
}

void TForm1::FormCreate() {
    m_timerS.setInterval(100);
    m_timerS.setSingleShot(true);
    m_timerS.start();
}

void TForm1::buildMenu() {
    QMenuBar* bar = menuBar();
    QMenu* file = bar->addMenu("File");
    file->setObjectName("MMFile");
    file->addAction("Browser")->setObjectName("MMBrowser");
    QAction* exit = file->addAction("Exit");
    exit->setObjectName("MMExit");
    connect(exit, &QAction::triggered, this, [this] { guarded([this] { MMExitClick(); }); });

    QMenu* configure = bar->addMenu("Configure");
    configure->setObjectName("MMConf");
    const char* configNames[kBoardCount] = {"ConfigA1", "ConfigA2", "Config31", "Config41"};
    for (int b = 0; b < kBoardCount; ++b) {
        QAction* item = configure->addAction(QString("Config %1").arg(b + 1));
        tagged(item, configNames[b], b);
        connect(item, &QAction::triggered, this,
                [this, b] { guarded([this, b] { ShowConfigPage(b); }); });
    }

    for (int b = 0; b < kBoardCount; ++b) {
        QMenu* chart = bar->addMenu(QString("Chart%1").arg(b + 1));
        tagged(chart, QString("MMChart%1").arg(b + 1), b);
        const auto addItem = [&](const char* caption, const char* name, auto handler) {
            QAction* item = chart->addAction(caption);
            tagged(item, QString("%1%2").arg(name).arg(b + 1), b);
            connect(item, &QAction::triggered, this,
                    [this, b, handler] { guarded([this, b, handler] { (this->*handler)(b); }); });
        };
        addItem("Y-Max", "YMax", &TForm1::YMax1Click);
        addItem("Y-Min", "YMin", &TForm1::YMin1Click);
        addItem("Y-Auto", "YAuto", &TForm1::BtA1Click);
        addItem("Chart Title", "ChartTitle", &TForm1::ChartTitle1Click);
        addItem("Y-Axis Title", "YAxisTitle", &TForm1::YAxisTitle1Click);
    }
}

void TForm1::buildPages() {
    m_pages = new QTabWidget(this);
    m_pages->setObjectName("PageControl1");
    setCentralWidget(m_pages);

    const char* boardPageNames[kBoardCount] = {"TabSheet1", "TabSheet3", "TabSheet7", "TabSheet8"};
    for (int b = 0; b < kBoardCount; ++b) {
        QWidget* page = buildBoardPage(b, m_controls[b], m_pages);
        m_pages->addTab(tagged(page, boardPageNames[b], b), QString("DAQ%1").arg(b + 1));
    }
    m_pages->addTab(tagged(buildClientPage(m_clientPage, m_pages), "TabClient", 0), "Client");
    m_pages->addTab(tagged(buildDisplayPage(m_controls, m_pages), "TabSheet2", 0), "Display");

    const char* configPageNames[kBoardCount] = {"TabSheet5", "TabSheet6", "TabSheet9",
                                                "TabSheet10"};
    for (int b = 0; b < kBoardCount; ++b) {
        QWidget* page = buildConfigPage(b, m_controls[b], b == 0 ? &m_options : nullptr, m_pages);
        m_pages->addTab(tagged(page, configPageNames[b], b), QString("Config%1").arg(b + 1));
    }

    statusBar()->setObjectName("SBar");
    statusBar()->setSizeGripEnabled(false);
}

void TForm1::arrangeClientBuild() {
    for (BoardControls& c : m_controls) {
        c.portGroup->hide();
        c.addressGroup->show();
        c.outputGroup->hide();
        c.getButton->hide();
    }
    m_clientPage.netOffBox->hide();
    m_pages->setTabText(kClientPage, "Server");
    m_clientPage.listPanel->setText("Server List");
}

void TForm1::connectHandlers() {
    connectBrowserButtons();
    connect(&m_timerS, &QTimer::timeout, this, [this] { guarded([this] { TimerSTimer(); }); });

    connectExportButtons();
    for (int b = 0; b < kBoardCount; ++b) {
        connectBoardPage(b);
        connectAlarmControls(b);
        connectConfigControls(b);
        if (buildKind() == BuildKind::Client)
            connectClientControls(b);
    }
    connect(m_options.directoryList, &DirectoryListBox::directoryChanged, this,
            [this] { guarded([this] { DirectoryListBox1Change(); }); });
    connect(m_options.driveCombo, &QComboBox::textActivated, m_options.directoryList,
            &DirectoryListBox::setDirectory);
    // The options that the engine saves or reads with each line.
    connect(m_options.englishBox, &QCheckBox::toggled, &m_engine, &Engine::setEnglish);
    connect(m_options.elapseBox, &QCheckBox::toggled, &m_engine, &Engine::setElapse);
    connect(m_options.queueUpDown, &QSpinBox::valueChanged, &m_engine, &Engine::setQueueLength);
    const auto fixedReference = [this] {
        m_engine.setFixedReference(m_options.trefBox->isChecked(), m_options.trefEdit->text());
    };
    connect(m_options.trefBox, &QCheckBox::toggled, this, fixedReference);
    connect(m_options.trefEdit, &QLineEdit::textChanged, this, fixedReference);
    if (buildKind() == BuildKind::Logger)
        connect(m_clientPage.netOffBox, &QCheckBox::clicked, this,
                [this] { guarded([this] { ChkNetOffClick(); }); });
    connect(m_pages, &QTabWidget::currentChanged, this, [this](int index) {
        guarded([this, index] {
            if (index >= kFirstBoardPage && index < kFirstBoardPage + kBoardCount)
                TabSheet1Show(index - kFirstBoardPage);
            else if (index >= kFirstConfigPage && index < kFirstConfigPage + kBoardCount)
                TabSheet5Show(index - kFirstConfigPage);
        });
    });
}

void TForm1::setPrompts(std::unique_ptr<UserPrompts> prompts) {
    m_prompts = std::move(prompts);
}

bool TForm1::event(QEvent* event) {
    // The status bar holds the program's last message until the next one; the menus' empty
    // status tips would otherwise wipe it whenever the pointer passes over them.
    if (event->type() == QEvent::StatusTip)
        return true;
    return QMainWindow::event(event);
}

void TForm1::ShowStatus(const QString& text) {
    m_engine.ShowStatus(text);
}

QString TForm1::statusText() const {
    return statusBar()->currentMessage();
}

void TForm1::TabSheet1Show(int board) {
    if (QCheckBox* box = m_controls[board].channelBox[0])
        box->setFocus();
}

void TForm1::TabSheet5Show(int board) {
    const BoardControls& c = m_controls[board];
    if (c.portGroup->isVisible())
        c.portCombo->setFocus();
}

} // namespace nimbar
