#pragma once

#include <QDialog>

class QLineEdit;

namespace nimbar {

// Edits the chart title and the two axis titles; its texts are the same in both languages.
class TDlgTitle : public QDialog {
    Q_OBJECT
public:
    TDlgTitle(QString chart, QString xAxis, QString yAxis, QWidget* owner);

    QString chartTitle() const { return m_chartTitle; }
    QString xAxisTitle() const { return m_xAxisTitle; }
    QString yAxisTitle() const { return m_yAxisTitle; }

    void OKBtnClick();
    void CancelBtnClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();

    QString m_chartTitle, m_xAxisTitle, m_yAxisTitle;
    QLineEdit* m_chart;
    QLineEdit* m_xAxis;
    QLineEdit* m_yAxis;
};

} // namespace nimbar
