// Byte layouts and load/save rules of the board and client settings records.
#include "settings/AlarmLimits.h"
#include "settings/BoardConfig.h"
#include "settings/ClientSettings.h"
#include "settings/ModelClass.h"
#include "settings/RecordText.h"
#include "settings/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstring>

#include <sys/resource.h>

using namespace nimbar;

namespace {

template <typename T> QByteArray bytesOf(const T& value) {
    return QByteArray(reinterpret_cast<const char*>(&value), sizeof value);
}

double doubleAt(const QByteArray& bytes, int offset) {
    double value;
    std::memcpy(&value, bytes.constData() + offset, sizeof value);
    return value;
}

qint32 intAt(const QByteArray& bytes, int offset) {
    qint32 value;
    std::memcpy(&value, bytes.constData() + offset, sizeof value);
    return value;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class BoardRecordsTest : public QObject {
    Q_OBJECT
private slots:
    void defaultBoardCIsByteExact() {
        const QByteArray b = bytesOf(defaultBoardConfig(2, "C:\\Nimbar"));
        QCOMPARE(b.size(), 1160);
        QCOMPARE(intAt(b, 0), 2);          // boardIndex
        QCOMPARE(intAt(b, 4), 0);          // comPort
        QCOMPARE(intAt(b, 8), 0);          // tcType
        QCOMPARE(doubleAt(b, 48), 2500.0); // rangeMv CH0
        for (int ch = 1; ch < 9; ++ch) {
            QCOMPARE(doubleAt(b, 48 + 8 * ch), 78.125);
            QCOMPARE(doubleAt(b, 120 + 8 * ch), 1.0);   // gainT1
            QCOMPARE(doubleAt(b, 360 + 8 * ch), 100.0); // alarmHigh
            QCOMPARE(doubleAt(b, 432 + 8 * ch), -20.0); // alarmLow
            QCOMPARE(intAt(b, 288 + 4 * ch), 1);        // channelVisible
            QCOMPARE(intAt(b, 324 + 4 * ch), 1);        // alarmEnabled
        }
        QCOMPARE(doubleAt(b, 272), 1.0); // corrA1
        QCOMPARE(b.mid(504, 81), QByteArray("C:\\Nimbar").leftJustified(81, '\0'));
        // CH3's name: "C-3" and seven blanks, then zeros to the end of its 21 bytes.
        QCOMPARE(b.mid(585 + 3 * 21, 21), QByteArray("C-3       ").leftJustified(21, '\0'));
        QCOMPARE(b.mid(774, 2), QByteArray(2, '\0'));
        QCOMPARE(intAt(b, 776), 1); // interval
        QCOMPARE(b.at(780), '\0');  // elapsedAxis
        QCOMPARE(intAt(b, 784), 0); // english: Korean
        QCOMPARE(b.mid(788, 21), QByteArray("KARN-5610").leftJustified(21, '\0'));
        QCOMPARE(b.mid(809, 21), QByteArray("A30000").leftJustified(21, '\0'));
        QCOMPARE(b.mid(830, 81), QByteArray("Board C Data").leftJustified(81, '\0'));
        QCOMPARE(b.mid(911, 81), QByteArray("Data Chart").leftJustified(81, '\0'));
        QCOMPARE(b.mid(992, 81), QByteArray(81, '\0'));
        QCOMPARE(b.mid(1073, 81), QByteArray("Temperature (C)").leftJustified(81, '\0'));
        QCOMPARE(intAt(b, 1156), 0); // queueLength
    }

    void defaultClientSettingsAreByteExact() {
        const QByteArray b = bytesOf(defaultClientSettings("C:\\Tessel"));
        QCOMPARE(b.size(), 372);
        QCOMPARE(b.left(4), QByteArray(4, '\0'));
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(intAt(b, 4 + 4 * i), i);  // remoteBoard
            QCOMPARE(intAt(b, 20 + 4 * i), 2); // interval
        }
        QCOMPARE(intAt(b, 36), 1);
        QCOMPARE(b.mid(40, 25), QByteArray("127.0.0.1").leftJustified(25, '\0'));
        QCOMPARE(b.mid(65, 225), QByteArray(225, '\0'));
        QCOMPARE(b.mid(290, 82), QByteArray("C:\\Tessel").leftJustified(82, '\0'));
    }

    void missingFileIsTheFirstRunWithDefaults() {
        QTemporaryDir dir;
        BoardConfigs boards{};
        QVERIFY(loadBoardSettings(dir.filePath("Nimbar5610.SET"), boards, "D"));
        QCOMPARE(boards[3].boardIndex, 3);
        QCOMPARE(fieldText(boards[3].jobTitle), QString("Board D Data"));
        QVERIFY(saveBoardSettings(dir.filePath("Nimbar5610.SET"), boards));
        QCOMPARE(QFileInfo(dir.filePath("Nimbar5610.SET")).size(), 4640);
    }

    void savedSettingsLoadBackUnchanged() {
        QTemporaryDir dir;
        BoardConfigs boards{};
        fillDefaultBoardConfigs(boards, "D");
        boards[1].comPort = 7;
        boards[2].alarmHigh[5] = 123.5;
        setFieldText(boards[3].serial, "측정기-1");
        QVERIFY(saveBoardSettings(dir.filePath("x.SET"), boards));
        BoardConfigs loaded{};
        QVERIFY(!loadBoardSettings(dir.filePath("x.SET"), loaded, "D"));
        QCOMPARE(bytesOf(loaded), bytesOf(boards));
        QCOMPARE(fieldText(loaded[3].serial), QString("측정기-1"));
    }

    void aSaveThatCannotCompleteKeepsTheOldFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("x.SET");
        BoardConfigs boards{};
        fillDefaultBoardConfigs(boards, "D");
        QVERIFY(saveBoardSettings(path, boards));
        const QByteArray before = bytesOf(boards);
        boards[0].comPort = 9;
        // No room for a whole new file: a file-size limit, its signal ignored, stops the write
        // as a full disk does.
        rlimit saved{};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit full = saved;
        full.rlim_cur = 1000;
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &full) == 0);
        const bool saved1 = saveBoardSettings(path, boards);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
        QVERIFY(!saved1);
        BoardConfigs loaded{};
        QVERIFY(!loadBoardSettings(path, loaded, "D"));
        QCOMPARE(bytesOf(loaded), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"x.SET"});
    }

    void shortFileLoadsBoardZeroAndLeavesTheRestZero() {
        QTemporaryDir dir;
        BoardConfig first = defaultBoardConfig(0, "D");
        first.comPort = 3;
        writeFile(dir.filePath("s.SET"), bytesOf(first));
        BoardConfigs boards{};
        fillDefaultBoardConfigs(boards, "D");
        QVERIFY(!loadBoardSettings(dir.filePath("s.SET"), boards, "D"));
        QCOMPARE(bytesOf(boards[0]), bytesOf(first));
        for (int b = 1; b < 4; ++b) {
            QCOMPARE(boards[b].interval, 1); // the nearest sound interval
            boards[b].interval = 0;
            QCOMPARE(bytesOf(boards[b]), QByteArray(1160, '\0'));
            QCOMPARE(portNumber(boards[b]), 0);
        }
    }

    void hostileValuesReadAsTheirSoundMeaning() {
        QTemporaryDir dir;
        BoardConfig hostile;
        std::memset(&hostile, 'x', sizeof hostile); // every text without terminator
        hostile.tcType = 200;
        hostile.comPort = -5;
        for (int ch = 0; ch < 9; ++ch)
            hostile.channelType[ch] = ch % 2 ? 200 : -3;
        QByteArray file;
        for (int b = 0; b < 4; ++b)
            file += bytesOf(hostile);
        file += "trailing bytes are ignored";
        writeFile(dir.filePath("h.SET"), file);

        BoardConfigs boards{};
        QVERIFY(!loadBoardSettings(dir.filePath("h.SET"), boards, "D"));
        QCOMPARE(boardTypeCode(boards[0]), kTypePerChannel);
        QCOMPARE(typeLetter(boardTypeCode(boards[0])), 'H');
        QCOMPARE(portNumber(boards[0]), 0);
        QCOMPARE(boards[0].interval, 1000); // 35 intervals must not overflow
        for (int ch = 0; ch < 9; ++ch)
            QCOMPARE(channelTypeCode(boards[0], ch), 0);
        QCOMPARE(typeLetter(-1), 'V');
        // Texts stop at the end of their field.
        QCOMPARE(fieldText(boards[0].model), QString(21, 'x'));
        QCOMPARE(fieldText(boards[0].channelName[8]), QString(21, 'x'));
        QCOMPARE(fieldText(boards[0].yAxisTitle), QString(81, 'x'));
        QVERIFY(!modelClassOf(QByteArrayView(boards[0].model, 21)).has_value());
    }

    void clientSettingsReadOverDefaults() {
        QTemporaryDir dir;
        ClientSettings settings = loadClientSettings(dir.filePath("missing.SET"), "D");
        QCOMPARE(bytesOf(settings), bytesOf(defaultClientSettings("D")));

        ClientSettings hostile;
        std::memset(&hostile, 0x7f, sizeof hostile);
        hostile.serverCount = 1000;
        hostile.remoteBoard[1] = -9;
        writeFile(dir.filePath("c.SET"), bytesOf(hostile).left(100));
        settings = loadClientSettings(dir.filePath("c.SET"), "D");
        QCOMPARE(usableServerCount(settings), 10);
        QCOMPARE(usableRemoteBoard(settings, 1), 0);
        QCOMPARE(settings.interval[0], 1000);
        QCOMPARE(bytesOf(settings).mid(100), QByteArray(272, '\0'));
        QVERIFY(saveClientSettings(dir.filePath("c.SET"), settings));
        QCOMPARE(QFileInfo(dir.filePath("c.SET")).size(), 372);
    }

    void textsAreTruncatedToTheirField() {
        char field[21];
        setFieldText(field, QString(30, 'a'));
        QCOMPARE(QByteArray(field, 21), QByteArray(20, 'a') + '\0');
        // Korean syllables take two bytes: a cut never splits one.
        setFieldText(field, QString("가").repeated(11));
        QCOMPARE(fieldText(field), QString("가").repeated(10));
        QCOMPARE(strnlen(field, 21), std::size_t(20));
        setFieldText(field, "a" + QString("가").repeated(11));
        QCOMPARE(fieldText(field), "a" + QString("가").repeated(9));
        QCOMPARE(field[19], '\0');
    }

    void textsUseMicrosoftsCodePage949() {
        // The backslash of a Windows path stays 0x5C; syllables outside KS X 1001 have bytes.
        char field[21];
        setFieldText(field, QString::fromUtf8("C:\\N 똠한뷁"));
        QCOMPARE(QByteArray(field), QByteArray::fromHex("433a5c4e208c63c7d194ee"));
        QCOMPARE(fieldText(field), QString::fromUtf8("C:\\N 똠한뷁"));
    }

    void alarmLimitsAreTakenOnlyWhenSound_data() {
        QTest::addColumn<QString>("high");
        QTest::addColumn<QString>("low");
        QTest::addColumn<bool>("taken");
        QTest::newRow("ordered") << "150.5"
                                 << " -3 " << true;
        QTest::newRow("equal") << "10"
                               << "10" << false;
        QTest::newRow("reversed") << "5"
                                  << "10" << false;
        QTest::newRow("not a number") << "abc"
                                      << "1" << false;
        QTest::newRow("empty") << ""
                               << "1" << false;
        QTest::newRow("nan") << "nan"
                             << "1" << false;
    }
    void alarmLimitsAreTakenOnlyWhenSound() {
        QFETCH(QString, high);
        QFETCH(QString, low);
        QFETCH(bool, taken);
        BoardConfig board = defaultBoardConfig(0, "D");
        QCOMPARE(takeAlarmLimits(board, 4, high, low), taken);
        QCOMPARE(board.alarmHigh[4], taken ? high.toDouble() : 100.0);
        QCOMPARE(board.alarmLow[4], taken ? low.trimmed().toDouble() : -20.0);
    }

    void rangeIndexFollowsTheClassTable_data() {
        QTest::addColumn<int>("modelClass");
        QTest::addColumn<double>("millivolts");
        QTest::addColumn<int>("index");
        QTest::newRow("exact") << 0 << 78.125 << 5;
        QTest::newRow("between selects larger") << 0 << 100.0 << 4;
        QTest::newRow("smallest") << 0 << 19.5313 << 7;
        QTest::newRow("below smallest") << 0 << 0.0 << 7;
        QTest::newRow("too large") << 0 << 2500.1 << -1;
        QTest::newRow("class 1 largest") << 1 << 5000.0 << 0;
        QTest::newRow("class 2 smallest") << 2 << 1.0 << 6;
    }
    void rangeIndexFollowsTheClassTable() {
        QFETCH(int, modelClass);
        QFETCH(double, millivolts);
        QFETCH(int, index);
        QCOMPARE(rangeIndexOf(modelClass, millivolts), index);
    }

    void modelNamesGiveTheirClass() {
        QCOMPARE(modelClassOf("KARN-5600"), std::optional<int>(0));
        QCOMPARE(modelClassOf("KARN-5610"), std::optional<int>(0));
        QCOMPARE(modelClassOf("KARN-5400"), std::optional<int>(1));
        QCOMPARE(modelClassOf("KARN-5800"), std::optional<int>(2));
        QVERIFY(!modelClassOf("KARN-5611").has_value());
        QCOMPARE(lineLengthOf(1), 40);
        QCOMPARE(channelCountOf(2), 9);
        QCOMPARE(rangeLabelsOf(1).first(), QString("5000 mV "));
        QCOMPARE(rangeLabelsOf(0).last(), QString("19.5313 mV"));
    }
};

QTEST_GUILESS_MAIN(BoardRecordsTest)
#include "tst_BoardRecords.moc"
