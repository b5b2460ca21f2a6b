#include "ui/main/KoreanCaptions.h"

#include "ui/main/LiveChart.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QWidget>

#include <span>

namespace nimbar {

namespace {

enum class Target { Caption, Hint };

// %1 in a name is the board number 1..4; %2 (output boxes) the board letter and %3 the
// channel 1..4.
struct CaptionRow {
    const char* name;
    const char* english;
    Target target = Target::Caption;
};

constexpr CaptionRow kBoardPageRows[] = {
    {"ChkScroll%1", QT_TRANSLATE_NOOP("Captions", "Scroll")},
    {"ChkViewP%1", QT_TRANSLATE_NOOP("Captions", "View Point")},
    {"BtXLS%1", QT_TRANSLATE_NOOP("Captions", "Save To XLS")},
    {"BtTxt%1", QT_TRANSLATE_NOOP("Captions", "Save To TXT")},
    {"BtSaveBmp%1", QT_TRANSLATE_NOOP("Captions", "Save To BMP")},
    {"BtSaveM%1", QT_TRANSLATE_NOOP("Captions", "Save Memo")},
    {"BtBrowser%1", QT_TRANSLATE_NOOP("Captions", "Browser / Print")},
    {"GroupBox%1", QT_TRANSLATE_NOOP("Captions", "Channel Visible")},
    {"GBAlarm%1", QT_TRANSLATE_NOOP("Captions", "Alarm Set")},
    {"Memo%1",
     QT_TRANSLATE_NOOP(
         "Captions",
         "Double click the memo to pause scrolling\nAfter an alarm it stays red until clicked"),
     Target::Hint},
};

constexpr CaptionRow kClientPageRows[] = {
    {"ChkNetOff", QT_TRANSLATE_NOOP("Captions", "Disable All Networking")},
    {"PlRLog", QT_TRANSLATE_NOOP("Captions", "Receive Log")},
    {"PlSLog", QT_TRANSLATE_NOOP("Captions", "Send Log")},
};

constexpr CaptionRow kMenuRows[] = {
    {"MMFile", QT_TRANSLATE_NOOP("Captions", "File")},
    {"MMExit", QT_TRANSLATE_NOOP("Captions", "Exit")},
    {"MMConf", QT_TRANSLATE_NOOP("Captions", "Configure")},
    {"MMBrowser", QT_TRANSLATE_NOOP("Captions", "Browser")},
};

constexpr CaptionRow kConfigPageRows[] = {
    {"LblMsg%1",
     QT_TRANSLATE_NOOP("Captions", "To apply this values, you must restart this program.")},
    {"LblM%1", QT_TRANSLATE_NOOP("Captions", "Model : ")},
    {"LblSN%1", QT_TRANSLATE_NOOP("Captions", "Serial Number : ")},
    {"GBCPort%1", QT_TRANSLATE_NOOP("Captions", "Communication Port")},
    {"RgTC%1", QT_TRANSLATE_NOOP("Captions", "Thermocouple type")},
    {"GBVCP%1", QT_TRANSLATE_NOOP("Captions", "Voltage Correction Parameter")},
    {"GBSVol%1", QT_TRANSLATE_NOOP("Captions", "CJC Parameters")},
    {"GBSInterval%1", QT_TRANSLATE_NOOP("Captions", "Sampling Interval")},
    {"GBRP%1", QT_TRANSLATE_NOOP("Captions", "Range Parameters")},
    {"GBCP%1", QT_TRANSLATE_NOOP("Captions", "Conversion Parameter")},
    {"GBDO%1", QT_TRANSLATE_NOOP("Captions", "D/O Relay")},
    {"ChkR%1", QT_TRANSLATE_NOOP("Captions", "Interlock D/O")},
    {"ChkDO%2%3", QT_TRANSLATE_NOOP("Captions", "CH%3 D/O On")},
    {"BtnGet%1", QT_TRANSLATE_NOOP("Captions", "Get Configure")},
    {"OKBtn%1", QT_TRANSLATE_NOOP("Captions", "OK")},
    {"BtRestart%1", QT_TRANSLATE_NOOP("Captions", "Restart")},
};

constexpr CaptionRow kFirstConfigPageRows[] = {
    {"GBCJT", QT_TRANSLATE_NOOP("Captions", "Cold Junction Temperature")},
    {"ChkElapse", QT_TRANSLATE_NOOP("Captions", "Elapse")},
    {"LblFilter", QT_TRANSLATE_NOOP("Captions", "Filter : ")},
};

constexpr CaptionRow kClientBuildRows[] = {
    {"GBIP%1", QT_TRANSLATE_NOOP("Captions", "IP Address")},
    {"BtConnect%1", QT_TRANSLATE_NOOP("Captions", "Connect")},
};

QString korean(const char* english) {
    return QCoreApplication::translate("Captions", english);
}

void setCaption(QObject* control, const QString& text, Target target) {
    if (!control)
        return;
    if (target == Target::Hint) {
        if (auto* widget = qobject_cast<QWidget*>(control))
            widget->setToolTip(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
        group->setTitle(text);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(text);
    } else if (auto* menu = qobject_cast<QMenu*>(control)) {
        menu->setTitle(text);
    } else if (auto* action = qobject_cast<QAction*>(control)) {
        action->setText(text);
    }
}

void applyRows(QWidget* window, std::span<const CaptionRow> rows, int boards) {
    for (const CaptionRow& row : rows) {
        for (int b = 0; b < boards; ++b) {
            const QString name = QString(row.name).replace("%1", QString::number(b + 1));
            if (name.contains("%2")) {
                for (int k = 1; k <= 4; ++k) {
                    const QString boxName = QString(name)
                                                .replace("%2", QChar('A' + b))
                                                .replace("%3", QString::number(k));
                    setCaption(window->findChild<QObject*>(boxName),
                               korean(row.english).replace("%3", QString::number(k)), row.target);
                }
            } else {
                setCaption(window->findChild<QObject*>(name), korean(row.english), row.target);
            }
        }
    }
}

} // namespace

void applyKoreanCaptions(QWidget* window, BuildKind kind, bool koreanActive, bool elapse) {
    if (!koreanActive)
        return;
    applyRows(window, kBoardPageRows, 4);
    for (int b = 1; b <= 4; ++b) {
        if (auto* chart = window->findChild<LiveChart*>(QString("Chart%1").arg(b)))
            chart->setTimeAxisTitle(elapse ? korean(QT_TRANSLATE_NOOP("Captions", "Elapse Time"))
                                           : korean(QT_TRANSLATE_NOOP("Captions", "Record Time")));
    }
    applyRows(window, kClientPageRows, 1);
    setCaption(window->findChild<QObject*>("PlClient"),
               kind == BuildKind::Logger ? korean(QT_TRANSLATE_NOOP("Captions", "Client List"))
                                         : korean(QT_TRANSLATE_NOOP("Captions", "Server List")),
               Target::Caption);
    applyRows(window, kMenuRows, 1);
    applyRows(window, kConfigPageRows, 4);
    applyRows(window, kFirstConfigPageRows, 1);
    if (kind == BuildKind::Client)
        applyRows(window, kClientBuildRows, 4);
}

} // namespace nimbar
