#pragma once

class QTcpSocket;

namespace nimbar {

// Qt reports a connection that the peer reset as the remote-closed error, exactly like one the
// peer closed in order, and has let go of the descriptor by then. Watching the connection's read
// notifications tells the two apart: a reset is waiting on the descriptor when it turns
// readable. Call once the socket is connected (again after each new connection).
void watchForReset(QTcpSocket* socket);

// Whether the peer reset the connection that the socket last had.
bool wasReset(const QTcpSocket* socket);

} // namespace nimbar
