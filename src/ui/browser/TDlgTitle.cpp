#include "ui/browser/TDlgTitle.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace nimbar {

TDlgTitle::TDlgTitle(QString chart, QString xAxis, QString yAxis, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), m_chartTitle(std::move(chart)),
      m_xAxisTitle(std::move(xAxis)), m_yAxisTitle(std::move(yAxis)) {
    setObjectName("DlgTitle");
    setWindowTitle("Dialog");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    const auto edit = [&](const char* name, const char* caption) {
        auto* line = new QLineEdit(this);
        line->setObjectName(name);
        line->setMinimumWidth(320);
        form->addRow(caption, line);
        return line;
    };
    m_chart = edit("EdChart", "Chart");
    m_xAxis = edit("EdXAxis", "X-Axis");
    m_yAxis = edit("EdYAxis", "Y-Axis");
    layout->addLayout(form);
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("OKBtn");
    ok->setDefault(true);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("CancelBtn");
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &TDlgTitle::OKBtnClick);
    connect(cancel, &QPushButton::clicked, this, &TDlgTitle::CancelBtnClick);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TDlgTitle::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TDlgTitle::FormShow() {
    m_chart->setText(m_chartTitle);
    m_xAxis->setText(m_xAxisTitle);
    m_yAxis->setText(m_yAxisTitle);
}

void TDlgTitle::OKBtnClick() {
    m_chartTitle = m_chart->text();
    m_xAxisTitle = m_xAxis->text();
    m_yAxisTitle = m_yAxis->text();
    accept();
}

void TDlgTitle::CancelBtnClick() {
    reject(); // Escape rejects as well
}

} // namespace nimbar
