// The port map file and the naming rule that bind "COM<n>" names to devices.
#include "device/PortMap.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace nimbar;

class PortMapTest : public QObject {
    Q_OBJECT
private slots:
    void parseKeepsBindingsAndNumbersTheSkippedLines() {
        const QByteArray text = "# boards of the test rig\n"      // 1
                                "\n"                              // 2
                                "COM3=/dev/ttyUSB0\n"             // 3
                                "  com12 =  /tmp/karn/board1  \n" // 4
                                "\t# indented comment\n"          // 5
                                "COM7=/tmp/a=b\r\n"               // 6
                                "COM3=/dev/ttyUSB9\n"             // 7: second COM3
                                "COM=/dev/x\n"                    // 8
                                "COM0=/dev/x\n"                   // 9
                                "COM10000=/dev/x\n"               // 10
                                "COM-4=/dev/x\n"                  // 11
                                "COM5\n"                          // 12
                                "COM6=   \n"                      // 13
                                "PORT8=/dev/x\n"                  // 14
                                "COM2x=/dev/x\n"                  // 15
                                "   \n"                           // 16
                                "COM9999=/dev/last";              // 17, no line feed
        const PortMap map = PortMap::parse(text);
        const std::map<int, QString> expected{
            {3, "/dev/ttyUSB0"}, {7, "/tmp/a=b"}, {12, "/tmp/karn/board1"}, {9999, "/dev/last"}};
        QCOMPARE(map.bindings(), expected);
        QCOMPARE(map.errorLines(), (QList<int>{7, 8, 9, 10, 11, 12, 13, 14, 15}));
        QCOMPARE(map.mappedPath(3), QString("/dev/ttyUSB0"));
        QCOMPARE(map.mappedPath(4), QString());
    }

    void emptyTextIsAnEmptyMap() {
        for (const QByteArray& text : {QByteArray(), QByteArray("\n\n# only comments\n")}) {
            const PortMap map = PortMap::parse(text);
            QVERIFY(map.bindings().empty());
            QVERIFY(map.errorLines().isEmpty());
        }
    }

    void utf8PathsSurvive() {
        const PortMap map = PortMap::parse(QStringLiteral("COM4=/tmp/보드 1\n").toUtf8());
        QCOMPARE(map.mappedPath(4), QStringLiteral("/tmp/보드 1"));
    }

    void namingRuleBothWays_data() {
        QTest::addColumn<QString>("port");
        QTest::addColumn<int>("number");
        QTest::newRow("ttyS0") << "ttyS0" << 1;
        QTest::newRow("ttyS15") << "ttyS15" << 16;
        QTest::newRow("ttyUSB0") << "ttyUSB0" << 17;
        QTest::newRow("ttyUSB15") << "ttyUSB15" << 32;
        QTest::newRow("ttyACM0") << "ttyACM0" << 33;
        QTest::newRow("ttyACM15") << "ttyACM15" << 48;
        QTest::newRow("ttyUSB7") << "ttyUSB7" << 24;
    }
    void namingRuleBothWays() {
        QFETCH(QString, port);
        QFETCH(int, number);
        const QString name = QString("COM%1").arg(number);
        QCOMPARE(comNameForSystemPort(port), name);
        QCOMPARE(comNameForSystemPort(QString("/dev/") + port), name);
        QCOMPARE(systemPortForComNumber(number), QString("/dev/") + port);
        QCOMPARE(PortMap().devicePath(name), QString("/dev/") + port);
    }

    void namingRuleLimits() {
        for (const char* port :
             {"ttyS16", "ttyUSB16", "ttyACM16", "ttyS", "ttyUSB", "ttyS01", "ttyUSB-1", "ttyUSB+1",
              "ttyAMA0", "ttys0", "pts/3", "", "/dev/", "ttyUSB0x", "ttyS99999"})
            QVERIFY2(comNameForSystemPort(QString::fromLatin1(port)).isEmpty(), port);
        for (int number : {-1, 0, 49, 100, 9999})
            QVERIFY2(systemPortForComNumber(number).isEmpty(), qPrintable(QString::number(number)));
        // Every number the rule gives goes back to the port it came from.
        for (int number = 1; number <= 48; ++number)
            QCOMPARE(comNameForSystemPort(systemPortForComNumber(number)),
                     QString("COM%1").arg(number));
    }

    void aBindingWinsOverTheRule() {
        const PortMap map = PortMap::parse("COM17=/tmp/karn/sim\nCOM60=/dev/ttyAMA0\n");
        QCOMPARE(map.devicePath(u"COM17"), QString("/tmp/karn/sim"));
        QCOMPARE(map.devicePath(u"COM18"), QString("/dev/ttyUSB1"));
        QCOMPARE(map.devicePath(u"COM60"), QString("/dev/ttyAMA0"));
        QCOMPARE(map.devicePath(u"COM61"), QString());
        QCOMPARE(map.devicePath(u"No Use"), QString());
        QCOMPARE(map.devicePath(u""), QString());

        PortMap edited = map;
        edited.insert(17, "/tmp/other");
        edited.insert(2, "/tmp/two");
        QCOMPARE(edited.devicePath(u"COM17"), QString("/tmp/other"));
        QCOMPARE(edited.devicePath(u"COM2"), QString("/tmp/two"));
        QCOMPARE(map.devicePath(u"COM17"), QString("/tmp/karn/sim"));
    }

    void comNamesAreSortedAsTextWithoutDuplicates() {
        const PortMap map = PortMap::parse("COM10=/tmp/ten\nCOM2=/tmp/two\n");
        // ttyS1 is COM2 by the rule: listed once although the binding names another device.
        const QStringList names =
            map.comNames({"ttyS0", "/dev/ttyS1", "ttyUSB3", "ttyUSB3", "ttyAMA0", "ttyACM16"});
        QCOMPARE(names, (QStringList{"COM1", "COM10", "COM2", "COM20"}));
        QCOMPARE(PortMap().comNames({}), QStringList());
    }

    void aBoundDetectedPortGetsNoSecondName() {
        // The binding names the device by a link; the system reports it by its own path.
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString device = dir.filePath("ttyUSB2");
        QFile file(device);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(QFile::link(device, dir.filePath("board")));
        PortMap map;
        map.insert(40, dir.filePath("board"));
        QCOMPARE(map.comNames({device, "ttyUSB3"}), (QStringList{"COM20", "COM40"}));
        // Unbound, the same device is named by the rule.
        QCOMPARE(PortMap().comNames({device}), QStringList{"COM19"});
    }

    void comPortNumberReadsLikeScanf_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("number");
        QTest::newRow("plain") << "COM1" << 1;
        QTest::newRow("largest") << "COM9999" << 9999;
        QTest::newRow("blank before digits") << "COM 7" << 7;
        QTest::newRow("plus sign") << "COM+7" << 7;
        QTest::newRow("leading zero") << "COM007" << 7;
        QTest::newRow("trailing text") << "COM12abc" << 12;
        QTest::newRow("trailing blank") << "COM3 " << 3;
        QTest::newRow("minus sign") << "COM-7" << 0;
        QTest::newRow("zero") << "COM0" << 0;
        QTest::newRow("no digits") << "COM" << 0;
        QTest::newRow("letters") << "COMx1" << 0;
        QTest::newRow("lowercase") << "com3" << 0;
        QTest::newRow("prefix") << "xCOM1" << 0;
        QTest::newRow("no use") << "No Use" << 0;
        QTest::newRow("empty") << "" << 0;
    }
    void comPortNumberReadsLikeScanf() {
        QFETCH(QString, name);
        QFETCH(int, number);
        QCOMPARE(comPortNumber(name), number);
    }

    void loadReadsTheFile() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const PortMap missing = PortMap::load(dir.filePath("Nimbar5610.ports"));
        QVERIFY(missing.bindings().empty());
        QVERIFY(missing.errorLines().isEmpty());

        QFile file(dir.filePath("Nimbar5610.ports"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("# rig\nCOM9=/tmp/karn/board1\nbroken\nCOM9=/tmp/again\n");
        file.close();
        const PortMap map = PortMap::load(file.fileName());
        QCOMPARE(map.bindings(), (std::map<int, QString>{{9, "/tmp/karn/board1"}}));
        QCOMPARE(map.errorLines(), (QList<int>{3, 4}));

        // A path that cannot be read as a file is reported as line 0.
        const PortMap unreadable = PortMap::load(dir.path());
        QVERIFY(unreadable.bindings().empty());
        QCOMPARE(unreadable.errorLines(), QList<int>{0});
    }
};

QTEST_GUILESS_MAIN(PortMapTest)
#include "tst_PortMap.moc"
