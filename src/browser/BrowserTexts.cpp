#include "browser/BrowserTexts.h"

#include "browser/BrowserExport.h"

namespace nimbar {

QString noDataText(bool korean) {
    return korean ? QStringLiteral("해당하는 내용이 없습니다.") : QStringLiteral("No data!!");
}

QString someErrorsText(bool korean) {
    return korean ? QStringLiteral("파일을 읽어들이는 데 오류가 발생하였습니다.")
                  : QStringLiteral("Some errors!");
}

QString unsupportedFormatText(bool korean) {
    return korean ? QStringLiteral("지원하지 않는 파일포맷입니다.")
                  : QStringLiteral("It's not supported file format");
}

QString loadingText(bool korean, bool rangeScan) {
    if (!korean)
        return QStringLiteral("Loading data...");
    return rangeScan ? QStringLiteral("데이터를 읽고 있습니다....")
                     : QStringLiteral("파일 읽는 중...");
}

QString totalDataText(qint64 points, bool korean) {
    return korean ? QString::number(points) + QStringLiteral("개 데이터를 읽었습니다.")
                  : QStringLiteral("Total data are ") + QString::number(points);
}

QString pointLimitText(XAxisMode mode, bool korean) {
    if (korean)
        return mode == XAxisMode::ElapsedSeconds
                   ? QStringLiteral(
                         "데이터가 너무 많습니다. 서브샘플링 기능을 사용하십시오. (최대=3600)")
                   : QStringLiteral(
                         "데이터가 너무 많습니다. 서브샘플링 기능을 사용하십시오.(최대=3600)");
    return mode == XAxisMode::RecordTime
               ? QStringLiteral("Too many data!!! Use subsampling.(Max=3600)")
               : QStringLiteral("Too many data!!! Use subsampling. (Max=3600)");
}

QString xAxisModeTitle(XAxisMode mode, bool korean) {
    switch (mode) {
    case XAxisMode::ElapsedTime:
        return korean ? QStringLiteral("경과시간(hh:mm:ss)") : QStringLiteral("Time(hh:mm:ss)");
    case XAxisMode::ElapsedSeconds:
        return korean ? QStringLiteral("경과시간(초)") : QStringLiteral(" Time (sec)");
    case XAxisMode::RecordTime:
        break;
    }
    return korean ? QStringLiteral("기록시각(hh:mm:ss)") : QStringLiteral("Record Time(hh:mm:ss)");
}

QString initialXAxisTitle(bool korean) {
    return korean ? QStringLiteral("기록시각(시:분:초)") : QStringLiteral("Record Time(hh:mm:ss)");
}

QString statisticsHeadingText(bool korean) {
    return korean ? QStringLiteral("기초 통계량") : QStringLiteral("Basic Statistic Properties");
}

QString memoCloseHintText(bool korean) {
    return korean ? QStringLiteral("닫으시려면 더블클릭을 하세요.")
                  : QStringLiteral("Doubleclick on the memo to close it.");
}

QString saveErrorText(const QString& fileName, bool korean) {
    return korean ? fileName + QStringLiteral("파일을 저장하는데 에러가 발생하였습니다.")
                  : QStringLiteral("There are some errors");
}

QString savedAsText(const QString& fileName, bool korean) {
    return korean ? fileName + QStringLiteral("으로 저장되었습니다.")
                  : QStringLiteral("Saved as ") + fileName;
}

QString chartSavedText(const QString& fileName, bool korean) {
    return korean ? QStringLiteral("차트가 저장 되었습니다. :") + fileName
                  : QStringLiteral("The Chart is saved as ") + fileName + QStringLiteral(" file");
}

QString spreadsheetFailedText(const QString& fileName, bool korean) {
    return korean ? fileName + QStringLiteral(" 스프레드시트 파일을 저장하지 못했습니다.")
                  : QStringLiteral("The spreadsheet file could not be saved: ") + fileName;
}

QString spreadsheetTooLongText(bool korean) {
    return (korean ? QStringLiteral("스프레드시트에는 데이터를 %1행까지만 저장할 수 있습니다. "
                                    "서브샘플링을 사용하십시오.")
                   : QStringLiteral("A spreadsheet holds at most %1 data rows: use subsampling."))
        .arg(kXlsMaxPoints);
}

QString envelopeDataText(qint64 records, int points, bool korean) {
    return korean ? QStringLiteral("%1개 데이터를 읽었습니다. (최소/최대 %2점으로 표시)")
                        .arg(records)
                        .arg(points)
                  : QStringLiteral("Total data are %1, drawn as their minimum and maximum "
                                   "in %2 points")
                        .arg(records)
                        .arg(points);
}

QString everyRecordText(qint64 records, const QString& first, const QString& last, bool korean) {
    return (korean ? QStringLiteral("전체 데이터 %1개: %2 ~ %3")
                   : QStringLiteral("Every record, %1: %2 - %3"))
        .arg(records)
        .arg(first, last);
}

} // namespace nimbar
