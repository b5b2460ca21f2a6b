#include "ui/main/ConfigPageBuilder.h"

#include "settings/ModelClass.h"
#include "ui/widgets/ControlTag.h"
#include "ui/widgets/DirectoryListBox.h"
#include "ui/widgets/RadioGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace nimbar {

namespace {

QString n(int board) {
    return QString::number(board + 1);
}
QString letter(int board) {
    return QString(QChar('A' + board));
}

QGroupBox* group(const QString& name, int board, const QString& title, QWidget* parent) {
    return tagged(new QGroupBox(title, parent), name + n(board), board);
}

QLineEdit* numberEdit(const QString& name, int tag, QWidget* parent) {
    auto* edit = tagged(new QLineEdit(parent), name, tag);
    edit->setMaximumWidth(90);
    return edit;
}

// An up-down with its text field named as the edit that carries the value.
QSpinBox* upDown(const QString& upDownName, const QString& editName, int tag, int minimum,
                 int maximum, QWidget* parent) {
    auto* spin = tagged(new QSpinBox(parent), upDownName, tag);
    spin->setRange(minimum, maximum);
    spin->setWrapping(false);
    if (auto* text = spin->findChild<QLineEdit*>())
        tagged(text, editName, tag);
    return spin;
}

QGroupBox* buildPortGroup(int board, BoardControls& c, QWidget* page) {
    c.portGroup = group("GBCPort", board, "Communication Port", page);
    auto* layout = new QHBoxLayout(c.portGroup);
    c.portCombo = tagged(new QComboBox(c.portGroup), "CBPort" + n(board), board);
    c.portCombo->setMinimumWidth(110);
    c.getButton = tagged(new QPushButton("Get Configure", c.portGroup), "BtnGet" + n(board), board);
    layout->addWidget(c.portCombo);
    layout->addWidget(c.getButton);
    return c.portGroup;
}

QGroupBox* buildAddressGroup(int board, BoardControls& c, QWidget* page) {
    c.addressGroup = group("GBIP", board, "IP Address", page);
    auto* layout = new QHBoxLayout(c.addressGroup);
    c.addressCombo = tagged(new QComboBox(c.addressGroup), "CBAddr" + n(board), board);
    c.addressCombo->setEditable(true);
    c.addressCombo->setMinimumWidth(140);
    c.remoteBoardUpDown = upDown("UDPort" + n(board), "Edit" + QString::number(board + 2), board, 1,
                                 4, c.addressGroup);
    c.connectButton =
        tagged(new QPushButton("Connect", c.addressGroup), "BtConnect" + n(board), board);
    c.configButton = tagged(new QPushButton("C", c.addressGroup), "BtC" + n(board), board);
    c.configButton->setToolTip("Get Config");
    c.configButton->setMaximumWidth(28);
    layout->addWidget(c.addressCombo);
    layout->addWidget(c.remoteBoardUpDown);
    layout->addWidget(c.connectButton);
    layout->addWidget(c.configButton);
    c.addressGroup->hide();
    return c.addressGroup;
}

QWidget* buildCorrectionGroups(int board, BoardControls& c, QWidget* page) {
    auto* box = new QWidget(page);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);

    QStringList sensorItems{"mV", "K", "R", "J", "S", "T", "B", "H"};
    c.sensorGroup =
        tagged(new RadioGroup("Thermocouple type", sensorItems, 4, box), "RgTC" + n(board), board);
    layout->addWidget(c.sensorGroup);

    auto* correction = group("GBVCP", board, "Voltage Correction Parameter", box);
    auto* cl = new QGridLayout(correction);
    cl->addWidget(new QLabel("Conversion : Y = A0 + A1 * X", correction), 0, 0, 1, 4);
    c.a1Edit = numberEdit("EdP" + n(board) + "A1", board, correction);
    c.a0Edit = numberEdit("EdP" + n(board) + "A0", board, correction);
    cl->addWidget(new QLabel("A1 =", correction), 1, 0);
    cl->addWidget(c.a1Edit, 1, 1);
    cl->addWidget(new QLabel("A0 =", correction), 1, 2);
    cl->addWidget(c.a0Edit, 1, 3);
    layout->addWidget(correction);

    auto* cjc = group("GBSVol", board, "CJC Parameters", box);
    auto* jl = new QHBoxLayout(cjc);
    c.refEdit = numberEdit("EdVs" + n(board), board, cjc);
    jl->addWidget(new QLabel("Ref = ", cjc));
    jl->addWidget(c.refEdit);
    jl->addWidget(new QLabel("V", cjc));
    jl->addStretch();
    layout->addWidget(cjc);

    auto* sampling = group("GBSInterval", board, "Sampling Interval", box);
    auto* sl = new QHBoxLayout(sampling);
    c.intervalUpDown = upDown("UDInt" + n(board), "EdInt" + n(board), board, 1, 1000, sampling);
    sl->addWidget(c.intervalUpDown);
    sl->addWidget(new QLabel("sec", sampling));
    sl->addStretch();
    layout->addWidget(sampling);

    auto* identity = new QGridLayout;
    identity->addWidget(tagged(new QLabel("Model : ", box), "LblM" + n(board), board), 0, 0);
    c.modelLabel = tagged(new QLabel(box), "LblModel" + n(board), board);
    identity->addWidget(c.modelLabel, 0, 1);
    identity->addWidget(tagged(new QLabel("Serial Number : ", box), "LblSN" + n(board), board), 1,
                        0);
    c.serialEdit = tagged(new QLineEdit(box), "EdSNum" + n(board), board);
    c.serialEdit->setReadOnly(true);
    identity->addWidget(c.serialEdit, 1, 1);
    layout->addLayout(identity);
    return box;
}

QWidget* buildChannelGroups(int board, BoardControls& c, QWidget* page) {
    auto* box = new QWidget(page);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* ranges = group("GBRP", board, "Range Parameters", box);
    auto* rl = new QGridLayout(ranges);
    rl->addWidget(new QLabel("R0 =", ranges), 0, 0);
    rl->addWidget(new QLabel("2500", ranges), 0, 1);
    auto* conversion = group("GBCP", board, "Conversion Parameter", box);
    auto* cl = new QGridLayout(conversion);
    cl->addWidget(new QLabel("T1", conversion), 0, 1);
    cl->addWidget(new QLabel("T0", conversion), 0, 2);
    cl->addWidget(new QLabel("Type", conversion), 0, 3);

    const QStringList rangeLabels = rangeLabelsOf(0);
    for (int ch = 1; ch < kChannelCount; ++ch) {
        const int tag = board * 10 + ch;
        const QString suffix = letter(board) + QString::number(ch);
        rl->addWidget(new QLabel(QString("R%1 =").arg(ch), ranges), ch, 0);
        c.rangeCombo[ch] = tagged(new QComboBox(ranges), "CBR" + suffix, tag);
        c.rangeCombo[ch]->addItems(rangeLabels);
        rl->addWidget(c.rangeCombo[ch], ch, 1);

        cl->addWidget(new QLabel(QString("CH%1").arg(ch), conversion), ch, 0);
        c.t1Edit[ch] = numberEdit("EdT1" + suffix, tag, conversion);
        c.t0Edit[ch] = numberEdit("EdT0" + suffix, tag, conversion);
        c.typeCombo[ch] = tagged(new QComboBox(conversion), "CbTy" + suffix, tag);
        c.typeCombo[ch]->addItems(channelTypeItems(board, ch));
        cl->addWidget(c.t1Edit[ch], ch, 1);
        cl->addWidget(c.t0Edit[ch], ch, 2);
        cl->addWidget(c.typeCombo[ch], ch, 3);
    }
    rl->setRowStretch(kChannelCount, 1);
    cl->setRowStretch(kChannelCount, 1);
    layout->addWidget(ranges);
    layout->addWidget(conversion);
    return box;
}

QGroupBox* buildOutputGroup(int board, BoardControls& c, QWidget* page) {
    c.outputGroup = group("GBDO", board, "D/O Relay", page);
    auto* layout = new QVBoxLayout(c.outputGroup);
    // Boards 2 and 4 carry a trailing blank in their design caption.
    const QString interlockCaption = board % 2 == 1 ? "Interlock D/O " : "Interlock D/O";
    c.interlockBox =
        tagged(new QCheckBox(interlockCaption, c.outputGroup), "ChkR" + n(board), board);
    layout->addWidget(c.interlockBox);
    for (int k = 1; k <= 4; ++k) {
        c.outputBox[k] = tagged(new QCheckBox(QString("CH%1 D/O On").arg(k), c.outputGroup),
                                "ChkDO" + letter(board) + QString::number(k), board * 10 + k - 1);
        layout->addWidget(c.outputBox[k]);
    }
    return c.outputGroup;
}

QWidget* buildApplicationOptions(ApplicationOptionControls& o, QWidget* page) {
    auto* box = new QWidget(page);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* flags = new QHBoxLayout;
    o.englishBox = tagged(new QCheckBox("English ", box), "ChbEnglish", 0);
    o.elapseBox = tagged(new QCheckBox("Elapse", box), "ChkElapse", 0);
    flags->addWidget(o.englishBox);
    flags->addWidget(o.elapseBox);
    flags->addWidget(tagged(new QLabel("Filter : ", box), "LblFilter", 0));
    o.queueUpDown = upDown("UDQueue", "Edit1", 0, 0, 3600, box);
    flags->addWidget(o.queueUpDown);
    flags->addStretch();
    layout->addLayout(flags);

    auto* cjt = tagged(new QGroupBox("Cold Junction Temperature", box), "GBCJT", 0);
    auto* tl = new QHBoxLayout(cjt);
    o.trefBox = tagged(new QCheckBox("Use", cjt), "ChbTref", 0);
    o.trefEdit = numberEdit("EdTref", 0, cjt);
    o.trefEdit->setText("0");
    tl->addWidget(o.trefBox);
    tl->addWidget(new QLabel("Tref = ", cjt));
    tl->addWidget(o.trefEdit);
    tl->addWidget(new QLabel("deg C", cjt));
    tl->addStretch();
    layout->addWidget(cjt);

    o.pathLabel = tagged(new QLabel(box), "LblPath1", 0);
    o.pathLabel->setWordWrap(true);
    o.driveCombo = tagged(new QComboBox(box), "DriveComboBox1", 0);
    for (const QFileInfo& drive : QDir::drives())
        o.driveCombo->addItem(QDir::toNativeSeparators(drive.absolutePath()));
    o.directoryList = tagged(new DirectoryListBox(box), "DirectoryListBox1", 0);
    layout->addWidget(o.pathLabel);
    layout->addWidget(o.driveCombo);
    layout->addWidget(o.directoryList, 1);
    return box;
}

} // namespace

QStringList channelTypeItems(int board, int channel) {
    QStringList items{"mV", "K", "R", "J", "S", "T", "B"};
    if (board == 0 && channel <= 3)
        items << "Z";
    return items;
}

QWidget* buildConfigPage(int board, BoardControls& c, ApplicationOptionControls* options,
                         QWidget* parent) {
    auto* page = new QWidget(parent);
    c.configPage = page;
    auto* grid = new QGridLayout(page);

    auto* left = new QVBoxLayout;
    left->addWidget(buildPortGroup(board, c, page));
    left->addWidget(buildAddressGroup(board, c, page));
    left->addWidget(buildCorrectionGroups(board, c, page));
    left->addStretch();
    grid->addLayout(left, 0, 0);

    grid->addWidget(buildChannelGroups(board, c, page), 0, 1);

    auto* right = new QVBoxLayout;
    right->addWidget(buildOutputGroup(board, c, page));
    if (options)
        right->addWidget(buildApplicationOptions(*options, page), 1);
    else
        right->addStretch();
    grid->addLayout(right, 0, 2);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(
        tagged(new QLabel("To apply this values, you must restart this program.", page),
               "LblMsg" + n(board), board));
    bottom->addStretch();
    c.restartButton = tagged(new QPushButton("Restart", page), "BtRestart" + n(board), board);
    c.okButton = tagged(new QPushButton("OK", page), "OKBtn" + n(board), board);
    bottom->addWidget(c.restartButton);
    bottom->addWidget(c.okButton);
    grid->addLayout(bottom, 1, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    return page;
}

} // namespace nimbar
