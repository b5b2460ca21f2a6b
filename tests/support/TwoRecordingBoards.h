#pragma once
// A logger window recording two simulated boards (a KARN-5610 as A, a KARN-5800 as B), for the
// tests that check that other work never stops the recording.
#include "Simulator.h"
#include "WindowFixture.h"
#include "settings/RecordText.h"

#include <QDirIterator>
#include <QFile>

// Records in the board directory's files, counted from their sizes.
inline int recordCount(const QString& boardDirectory) {
    qint64 records = 0;
    QDirIterator files(boardDirectory, {"*.KRN"}, QDir::Files);
    while (files.hasNext())
        records += (QFileInfo(files.next()).size() - 544) / 80;
    return int(records);
}

struct TwoRecordingBoards {
    explicit TwoRecordingBoards(WindowFixture& fixture)
        : f(fixture), a(f.home.filePath("dev-a"), "KARN-5610", {"--rate", "2"}),
          b(f.home.filePath("dev-b"), "KARN-5800", {"--rate", "2"}) {}

    bool ready() { return a.ready() && b.ready(); }

    // Binds the devices as COM11 and COM12, configures boards A and B for them, starts.
    nimbar::TForm1& start() {
        QFile portMap(f.paths(nimbar::BuildKind::Logger).portMap());
        if (portMap.open(QIODevice::WriteOnly))
            portMap.write(("COM11=" + a.link() + "\nCOM12=" + b.link() + "\n").toUtf8());
        portMap.close();
        f.writeSettings([](nimbar::BoardConfigs& boards) {
            boards[0].english = 1;
            for (int board = 0; board < 2; ++board) {
                nimbar::BoardConfig& c = boards[board];
                nimbar::setFieldText(c.model, board == 0 ? "KARN-5610" : "KARN-5800");
                c.comPort = 11 + board;
                c.tcType = 1;
                c.cjcRefVolts = 5.0;
                for (int ch = 0; ch < nimbar::kChannelCount; ++ch)
                    c.channelType[ch] = 1;
            }
        });
        return f.start();
    }

    WindowFixture& f;
    Simulator a;
    Simulator b;
};
