#pragma once

#include <QString>

namespace nimbar {

// The network side's user-visible texts in the language of the language flag.
inline constexpr const char* kNetSeparator =
    "------------------------------------------------------";

QString listeningText(const QString& host, int port, bool korean);
QString clientConnectText(const QString& key, bool korean);
QString clientDisconnectText(const QString& key, bool korean);
QString clientSocketErrorText(const QString& key, int errorCode, bool korean);
QString listenFailedText(int port, const QString& reason, bool korean);

QString inputAddressText(bool korean);
QString failedOpeningText(const QString& address, int port, bool korean);
QString boardConnectedText(int board, bool korean);
QString boardConnectionErrorText(int board, bool korean);
QString boardDisconnectedText(int board, bool korean);
QString serverTerminatedText(bool korean);
QString serverPausedText(bool korean);
QString unknownResponseText(bool korean);
QString tooManyDataText(bool korean);
QString connectCaption(bool korean);
QString disconnectCaption(bool korean);

} // namespace nimbar
