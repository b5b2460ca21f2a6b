#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

// Debian's mosquitto on a free loopback port with a config file of its own, stopped when it goes
// out of scope. It keeps its sessions on disk across stop() and start(), so that a subscriber's
// queued QoS 1 messages survive a restart as a real deployment's would.
class MosquittoBroker {
public:
    // passwordFile: a mosquitto_passwd file that the broker asks for; empty allows anyone.
    // startNow false: the port is chosen, the broker waits for start().
    explicit MosquittoBroker(const QString& passwordFile = {}, bool startNow = true) {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        m_port = probe.serverPort();
        probe.close();
        QFile config(m_dir.filePath("mosquitto.conf"));
        if (config.open(QIODevice::WriteOnly))
            // As root the broker would drop to its own user, who cannot write the session file
            // into this folder.
            config.write(QString("listener %1 127.0.0.1\nuser root\n"
                                 "persistence true\npersistence_location %2/\n"
                                 "%3\n")
                             .arg(m_port)
                             .arg(m_dir.path())
                             .arg(passwordFile.isEmpty()
                                      ? QString("allow_anonymous true")
                                      : "allow_anonymous false\npassword_file " + passwordFile)
                             .toUtf8());
        config.close();
        if (startNow)
            start();
    }
    ~MosquittoBroker() { stop(); }

    static bool available() { return QFile::exists(program()); }

    bool start() {
        m_process.setProgram(program());
        m_process.setArguments({"-c", m_dir.filePath("mosquitto.conf")});
        m_process.setStandardOutputFile(m_dir.filePath("broker.log"), QIODevice::Append);
        m_process.setStandardErrorFile(m_dir.filePath("broker.log"), QIODevice::Append);
        m_process.start();
        if (!m_process.waitForStarted(5000))
            return false;
        for (int i = 0; i < 200; ++i) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, m_port);
            if (socket.waitForConnected(100))
                return true;
            QTest::qWait(20);
        }
        return false;
    }
    void stop() {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }

    quint16 port() const { return m_port; }
    QString url() const { return QString("mqtt://127.0.0.1:%1").arg(m_port); }
    QString log() const {
        QFile file(m_dir.filePath("broker.log"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

private:
    static QString program() { return "/usr/sbin/mosquitto"; }

    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
};
