#pragma once

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QWidget;

namespace nimbar {

// The network page: the client (or server) list and the traffic logs.
struct ClientPageControls {
    QCheckBox* netOffBox = nullptr;        // ChkNetOff
    QLabel* listPanel = nullptr;           // PlClient
    QPlainTextEdit* listMemo = nullptr;    // MemoC
    QLabel* problemLabel = nullptr;        // LblNetProblem: a port that cannot listen, in red
    QLabel* receivePanel = nullptr;        // PlRLog
    QPlainTextEdit* receiveMemo = nullptr; // MemoR
    QLabel* sendPanel = nullptr;           // PlSLog
    QPlainTextEdit* sendMemo = nullptr;    // MemoS
};

QWidget* buildClientPage(ClientPageControls& controls, QWidget* parent);

} // namespace nimbar
