#include "ui/main/ClientPageBuilder.h"

#include "ui/widgets/ControlTag.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>

namespace nimbar {

namespace {

QLabel* panel(const QString& name, const QString& caption, QWidget* parent) {
    auto* label = tagged(new QLabel(caption, parent), name, 0);
    label->setFrameShape(QFrame::Panel);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QPlainTextEdit* log(const QString& name, QWidget* parent) {
    auto* memo = tagged(new QPlainTextEdit(parent), name, 0);
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    return memo;
}

} // namespace

QWidget* buildClientPage(ClientPageControls& c, QWidget* parent) {
    auto* page = new QWidget(parent);
    auto* grid = new QGridLayout(page);
    c.netOffBox = tagged(new QCheckBox("Disable All Networking", page), "ChkNetOff", 0);
    c.listPanel = panel("PlClient", "Client List", page);
    c.listMemo = log("MemoC", page);
    c.problemLabel = tagged(new QLabel(page), "LblNetProblem", 0);
    c.problemLabel->setWordWrap(true);
    QPalette red = c.problemLabel->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    c.problemLabel->setPalette(red);
    c.problemLabel->hide();
    c.receivePanel = panel("PlRLog", "Receive Log", page);
    c.receiveMemo = log("MemoR", page);
    c.sendPanel = panel("PlSLog", "Send Log", page);
    c.sendMemo = log("MemoS", page);
    grid->addWidget(c.netOffBox, 0, 0);
    grid->addWidget(c.listPanel, 1, 0);
    grid->addWidget(c.listMemo, 2, 0);
    grid->addWidget(c.problemLabel, 3, 0);
    grid->addWidget(c.receivePanel, 1, 1);
    grid->addWidget(c.receiveMemo, 2, 1);
    grid->addWidget(c.sendPanel, 1, 2);
    grid->addWidget(c.sendMemo, 2, 2);
    grid->setRowStretch(2, 1);
    return page;
}

} // namespace nimbar
