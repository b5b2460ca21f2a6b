#pragma once

#include "browser/BrowserDataSet.h"
#include "browser/BrowserExport.h"
#include "browser/DetailRange.h"
#include "browser/RecordingLoader.h"
#include "ui/browser/BrowserChart.h"
#include "ui/browser/TFormQ.h"

#include <QDialog>

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QFileDialog;
class QLabel;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QStatusBar;
class QTimer;

namespace nimbar {

class DirectoryListBox;
class RadioGroup;

// The data browser: picks recording files by range or by hand, charts them through the reader
// and offers the tools on the loaded chart. It never touches the main window's chartBusy: a
// load or an export lets the event loop run every 301 records, so live data keeps arriving.
class TFormB : public QDialog {
    Q_OBJECT
public:
    TFormB(QWidget* owner, bool korean, QString dataDirectory);
    ~TFormB() override;

    const BrowserDataSet& data() const { return m_data; }
    BrowserChart* chart() const { return m_chart; }
    bool korean() const { return m_korean; }
    bool loading() const { return m_loading; }
    QString statusText() const;
    void showStatus(const QString& text);
    // The save dialog's answer; tests answer without a dialog. An empty name cancels.
    void setSaveChooser(std::function<QString(const QString& filter)> chooser);
    // How the report's print preview is opened; by default modally.
    void setPreviewOpener(TFormQ::PreviewOpener opener) { m_previewOpener = std::move(opener); }

    // Handlers.
    void BtCloseClick();
    void BtnDrawClick();
    void FileListBox1DblClick();
    void FilterComboBox1Change();
    void UpDown1Click();
    void CheckBox0Click(int series);
    void ChkViewP1Click();
    void ChartDMouseMove(const QPoint& position);
    // Whether the press pops up the chart menu (right button outside the plotting rectangle).
    bool ChartDMouseDown(Qt::MouseButton button, const QPoint& position);
    void BtZoomInClick();
    void BtZoomOutClick();
    void BtAutoClick();
    void BtSmthClick();
    void GetAverage1Click();
    void Memo1DblClick();
    void ModifyTitles1Click();
    void BtClipboardClick();
    void BtTXTClick();
    void BtXLSClick();
    void BtPrintClick();

    void EnableTools(bool on);
    // Loads these files as the chosen X-axis mode and subsampling say.
    void LoadFiles(const QStringList& paths);
    // In Auto: reads the part of the range that the chart shows again, in more detail, when
    // it holds less than the load did. Runs shortly after each zoom by itself.
    void LoadDetail();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void buildControls();
    void connectHandlers();
    void applyKoreanCaptions();
    void refreshFileList();
    void showDirectory(const QString& directory);
    void redraw();
    void loadPart(const TimeWindow& window);
    QString chooseSaveFile(const QString& filter);
    void exportChart(const QString& filter, const QString& extension,
                     ExportResult (*write)(const BrowserDataSet&, const QString&, bool,
                                           const LoadPump&));

    bool m_korean;
    QString m_dataDirectory;
    BrowserDataSet m_data;
    bool m_loading = false;
    bool m_closing = false;
    std::function<QString(const QString&)> m_chooser;
    TFormQ::PreviewOpener m_previewOpener;
    DetailRange m_detail;
    bool m_settingRange = false;

    BrowserChart* m_chart = nullptr;
    QPlainTextEdit* m_memo = nullptr;
    QMenu* m_pm2 = nullptr;
    QLabel* m_lblName = nullptr;
    QLabel* m_lblStart = nullptr;
    QLabel* m_lblSer = nullptr;
    QLabel* m_lblX = nullptr;
    QLabel* m_lblY = nullptr;
    QCheckBox* m_viewPoints = nullptr;
    std::array<QCheckBox*, kChannelCount> m_channelBoxes{};
    QComboBox* m_board = nullptr;
    QDateEdit* m_startDate = nullptr;
    QDateEdit* m_endDate = nullptr;
    QSpinBox* m_startHour = nullptr;
    QSpinBox* m_endHour = nullptr;
    QSpinBox* m_subsampling = nullptr;
    QCheckBox* m_autoSubsampling = nullptr;
    RadioGroup* m_xMode = nullptr;
    QComboBox* m_drives = nullptr;
    DirectoryListBox* m_directories = nullptr;
    QListWidget* m_files = nullptr;
    QComboBox* m_filter = nullptr;
    QFileDialog* m_saveDialog = nullptr;
    QStatusBar* m_status = nullptr;
    std::array<QPushButton*, 10> m_tools{};
    QTimer* m_detailTimer = nullptr;
};

} // namespace nimbar
