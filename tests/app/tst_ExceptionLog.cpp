// Exceptions that escape an event handler go to the exception log, one line each, and the
// program goes on.
#include "app/NimbarApplication.h"
#include "settings/ExceptionLog.h"
#include "settings/RecordText.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

namespace {

class ThrowingHandler : public QObject {
public:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User)
            throw std::runtime_error("Invalid floating point value");
        return QObject::event(event);
    }
};

} // namespace

class ExceptionLogTest : public QObject {
    Q_OBJECT
private slots:
    void lineHasTheDocumentedShape() {
        const QDateTime when(QDate(2026, 12, 9), QTime(7, 5, 3));
        const QString line = nimbar::ExceptionLog::formatLine(when, "TForm1", "boom");
        QVERIFY(line.startsWith(' '));
        QVERIFY2(line.endsWith(" 07:05:03 : TForm1 ===> boom\n"), qPrintable(line));
        QVERIFY(nimbar::ExceptionLog::formatLine(when, "nimbar::ComPort", "x")
                    .endsWith(" : ComPort ===> x\n"));
    }

    void escapedExceptionsAreAppendedAndTheLoopGoesOn() {
        QTemporaryDir dir;
        auto* app = qobject_cast<nimbar::NimbarApplication*>(QCoreApplication::instance());
        QVERIFY(app);
        app->setExceptionLog(nimbar::ExceptionLog(dir.filePath("Exception1.Err")));
        ThrowingHandler handler;
        for (int i = 0; i < 2; ++i)
            QCoreApplication::postEvent(&handler, new QEvent(QEvent::User));
        QCoreApplication::processEvents();

        QFile log(dir.filePath("Exception1.Err"));
        QVERIFY(log.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList lines =
            QString::fromLocal8Bit(log.readAll()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[0].endsWith(" : QObject ===> Invalid floating point value"),
                 qPrintable(lines[0]));
    }

    void aFullLogIsKeptAsOldAndANewOneBegun() {
        QTemporaryDir dir;
        const nimbar::ExceptionLog log(dir.filePath("Exception2.Err"), 100);
        for (int i = 0; i < 3; ++i) // about 45 bytes a line: the third still fits
            log.append("TForm1", QStringLiteral("error %1").arg(i));
        QVERIFY(!QFile::exists(log.previousPath()));
        log.append("TForm1", QStringLiteral("소켓 에러"));
        log.append("TForm1", "error 4");

        QFile previous(log.previousPath());
        QVERIFY(previous.open(QIODevice::ReadOnly));
        QCOMPARE(previous.readAll().count('\n'), 3);
        QFile current(log.path());
        QVERIFY(current.open(QIODevice::ReadOnly));
        const QByteArray bytes = current.readAll();
        QCOMPARE(bytes.count('\n'), 2);
        // Text the log writes is in code page 949, like the records.
        QVERIFY(bytes.contains(nimbar::encodeCp949(QStringLiteral("===> 소켓 에러\n"))));
    }

    void unwritableLogDropsTheLineSilently() {
        nimbar::ExceptionLog log("/nonexistent-folder/Exception1.Err");
        log.append("TForm1", "nothing happens");
        QVERIFY(!QFile::exists(log.path()));
    }
};

int main(int argc, char** argv) {
    nimbar::NimbarApplication app(argc, argv);
    ExceptionLogTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ExceptionLog.moc"
