#include "device/DeviceTexts.h"

#include <QStringList>

namespace nimbar {

QString selectPortText(bool korean) {
    return korean ? QStringLiteral("COM 포트를 선택하세요.")
                  : QStringLiteral("Select your communication port.");
}

QString cannotOpenPortText(const QString& portName, bool korean) {
    return korean ? portName + QStringLiteral("을(를) 여는데 실패하였습니다.")
                  : QStringLiteral("Can not open") + portName;
}

QString noReplyText(bool korean) {
    return korean ? QStringLiteral("응답이 없습니다. 포트를 확인하십시오.")
                  : QStringLiteral("Failed!!! Check COM Port");
}

QString configOkText(bool) {
    return QStringLiteral("OK");
}

QString configReportText(ConfigReportError error, bool korean) {
    switch (error) {
    case ConfigReportError::None:
        return configOkText(korean);
    case ConfigReportError::NoModelMark:
        return QStringLiteral("Error 1");
    case ConfigReportError::UnknownModel:
        return unknownModelText(korean);
    case ConfigReportError::BadHeader:
        return QStringLiteral("Error 2");
    case ConfigReportError::NoCalibrationT1:
        return QStringLiteral("Error 3");
    case ConfigReportError::NoCalibrationT0:
        return QStringLiteral("Error 4");
    case ConfigReportError::BadNumber:
        break;
    }
    return QStringLiteral("Error");
}

QString unknownModelText(bool korean) {
    return korean ? QStringLiteral("이 프로그램과 호환이 안 되는 모델입니다.")
                  : QStringLiteral("Check your KARN model");
}

QString portOpenedText(const QString& portName, bool korean) {
    return portName + (korean ? QStringLiteral(" 열었습니다.") : QStringLiteral(" was opened"));
}

QString portLostText(const QString& portName, bool korean) {
    return portName + (korean ? QStringLiteral(" 연결이 끊어졌습니다. 다시 연결을 기다립니다.")
                              : QStringLiteral(" was lost; waiting for the device to come back"));
}

QString openingPortFailedText(bool korean) {
    return korean ? QStringLiteral("Port 열기 실패") : QStringLiteral("Failed in Opening Port");
}

QString portMapErrorText(const QString& fileName, const QList<int>& lines, bool korean) {
    QStringList numbers;
    for (int line : lines)
        numbers << QString::number(line);
    const QString list = numbers.join(QStringLiteral(", "));
    // Line 0 stands for the whole file.
    if (lines == QList<int>{0})
        return korean ? QStringLiteral("%1 파일을 읽을 수 없습니다.").arg(fileName)
                      : QStringLiteral("%1 cannot be read.").arg(fileName);
    if (korean)
        return QStringLiteral("%1: %2번째 줄은 COM<n>=<장치> 형식이 아니어서 무시했습니다.")
            .arg(fileName, list);
    if (lines.size() == 1)
        return QStringLiteral("%1: line %2 is not COM<n>=<device> and was ignored.")
            .arg(fileName, list);
    return QStringLiteral("%1: lines %2 are not COM<n>=<device> and were ignored.")
        .arg(fileName, list);
}

} // namespace nimbar
