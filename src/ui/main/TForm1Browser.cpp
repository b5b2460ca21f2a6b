// The main window's way into the data browser.
#include "ui/browser/TFormB.h"
#include "ui/main/TForm1.h"

#include <QAction>
#include <QPushButton>

namespace nimbar {

void TForm1::connectBrowserButtons() {
    for (int b = 1; b <= kBoardCount; ++b)
        if (auto* button = findChild<QPushButton*>(QString("BtBrowser%1").arg(b)))
            connect(button, &QPushButton::clicked, this,
                    [this] { guarded([this] { BtBrowser1Click(); }); });
    if (auto* item = findChild<QAction*>("MMBrowser"))
        connect(item, &QAction::triggered, this,
                [this] { guarded([this] { BtBrowser1Click(); }); });
}

// A new browser each time, modal, owned by this window while it runs. Its loads and exports
// turn the event loop, so the main timer keeps receiving and recording meanwhile.
void TForm1::BtBrowser1Click() {
    ShowStatus(QString());
    TFormB browser(this, korean(), dataDirectory());
    if (m_browserHook)
        m_browserHook(browser);
    browser.exec();
}

} // namespace nimbar
