#include "net/NetTexts.h"

namespace nimbar {

QString listeningText(const QString& host, int port, bool korean) {
    return (korean ? QStringLiteral("대기 모드 : %1:%2") : QStringLiteral("Listening: %1:%2"))
        .arg(host)
        .arg(port);
}

QString clientConnectText(const QString& key, bool korean) {
    return (korean ? QStringLiteral("클라이언트 연결: ") : QStringLiteral("Client Connect: ")) +
           key;
}

QString clientDisconnectText(const QString& key, bool korean) {
    return (korean ? QStringLiteral("클라이언트 연결 해제: ")
                   : QStringLiteral("Client Disconnect: ")) +
           key;
}

QString clientSocketErrorText(const QString& key, int errorCode, bool korean) {
    return (korean ? QStringLiteral("클라이언트 소켓 에러: %1, Error Code:%2")
                   : QStringLiteral("Client Socket Error: %1, Error Code:%2"))
        .arg(key)
        .arg(errorCode);
}

QString listenFailedText(int port, const QString& reason, bool korean) {
    return (korean ? QStringLiteral("포트 %1 대기 불가: %2")
                   : QStringLiteral("Port %1 cannot listen: %2"))
        .arg(port)
        .arg(reason);
}

QString inputAddressText(bool korean) {
    return korean ? QStringLiteral("Nimbar의 IP주소를 입력하세요.")
                  : QStringLiteral("Input Nimbar IP address");
}

QString failedOpeningText(const QString& address, int port, bool korean) {
    return (korean ? QStringLiteral("%1:%2 열기 실패") : QStringLiteral("Failed opening %1:%2"))
        .arg(address)
        .arg(port);
}

QString boardConnectedText(int board, bool korean) {
    return (korean ? QStringLiteral("DAQ%1 서버에 연결되었습니다.")
                   : QStringLiteral("DAQ%1 connected to the Server."))
        .arg(board + 1);
}

QString boardConnectionErrorText(int board, bool korean) {
    return (korean ? QStringLiteral("DAQ%1 연결에 에러가 발생하였습니다.")
                   : QStringLiteral("DAQ%1 Connection Error."))
        .arg(board + 1);
}

QString boardDisconnectedText(int board, bool korean) {
    return (korean ? QStringLiteral("DAQ%1 연결이 종료되었습니다.")
                   : QStringLiteral("DAQ%1 was disconnected to server."))
        .arg(board + 1);
}

QString serverTerminatedText(bool korean) {
    return korean ? QStringLiteral("Nimbar 종료.") : QStringLiteral("Nimbar terminated.");
}

QString serverPausedText(bool korean) {
    return korean ? QStringLiteral("Nimbar DAQ 중지.") : QStringLiteral("Nimbar DAQ paused.");
}

QString unknownResponseText(bool korean) {
    return korean ? QStringLiteral("알수 없는 Nimbar 응답.")
                  : QStringLiteral("Unknown Nimbar response.");
}

QString tooManyDataText(bool korean) {
    return korean ? QStringLiteral("너무 많은 data") : QStringLiteral("Too many data");
}

QString connectCaption(bool korean) {
    return korean ? QStringLiteral("연  결") : QStringLiteral("Connect");
}

QString disconnectCaption(bool korean) {
    return korean ? QStringLiteral("연결해제") : QStringLiteral("Disconnect");
}

} // namespace nimbar
