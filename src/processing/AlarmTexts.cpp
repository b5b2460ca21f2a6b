#include "processing/AlarmTexts.h"

#include <QByteArray>

namespace nimbar {

// The formats are UTF-8 printf formats, so that the numbers come out exactly as "%.3f" and "%f"
// print them whatever the locale.

QString highAlarmMessage(int board, const QString& stamp, int channel, double value, double limit,
                         bool korean) {
    const QByteArray s = stamp.toUtf8();
    if (korean)
        return QString::asprintf("[%d] %s CH%d 상한 알람(%.3f), 상한치: %.3f. ", board + 1,
                                 s.constData(), channel, value, limit);
    return QString::asprintf("[%d] %s CH%d High Alarm(%.3f), Max is %.3f. ", board + 1,
                             s.constData(), channel, value, limit);
}

QString lowAlarmMessage(int board, const QString& stamp, int channel, double value, double limit,
                        bool korean) {
    const QByteArray s = stamp.toUtf8();
    if (korean)
        return QString::asprintf("[%d] %s CH%d 하한 알람(%.3f), 하한치: %.3f. ", board + 1,
                                 s.constData(), channel, value, limit);
    return QString::asprintf("[%d] %s CH%d Low Alarm(%.3f), Min is %.3f. ", board + 1,
                             s.constData(), channel, value, limit);
}

QString alarmMemoLine() {
    return QStringLiteral("Alarm");
}

QString invalidLimitText(bool highLimit, bool korean) {
    if (!korean)
        return QStringLiteral("Invalid data");
    return highLimit ? QStringLiteral("상한치가 올바르지 않습니다.")
                     : QStringLiteral("하한치가 올바르지 않습니다.");
}

QString highLimitRefusedText(bool korean) {
    return korean ? QStringLiteral("상한치는 하한치보다 커야합니다.")
                  : QStringLiteral("High alarm must be greater than low alarm.");
}

QString lowLimitRefusedText(bool korean) {
    return korean ? QStringLiteral("하한치는 상한치보다 작아야 합니다.")
                  : QStringLiteral("Low alarm must be less than high alarm.");
}

QString highLimitAcceptedText(int board, int channel, double value) {
    return QString::asprintf("[%d,%d]HighAlarm = %f", board + 1, channel, value);
}

QString lowLimitAcceptedText(int board, int channel, double value) {
    return QString::asprintf("[%d,%d]LowAlarm = %f", board + 1, channel, value);
}

QString cannotOpenFileText(const QString& path, bool korean) {
    return (korean ? QStringLiteral("파일 열기 실패 ") : QStringLiteral("Cannot open file ")) +
           path;
}

} // namespace nimbar
