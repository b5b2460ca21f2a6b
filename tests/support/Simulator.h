#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

// A karnsim device on a pseudo-terminal linked at a path; stopped when it goes out of scope.
class Simulator {
public:
    Simulator(const QString& link, const QString& model, QStringList extra = {})
        : m_link(link), m_log(link + ".log") {
        const QString program = qEnvironmentVariable("NIMBAR_BIN_DIR") + "/tools/karnsim/karnsim";
        m_process.setProgram(program);
        m_process.setArguments(QStringList{"--model", model, "--link", link, "--log", m_log} +
                               extra);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        m_started = m_process.waitForStarted(5000);
        for (int i = 0; i < 500 && m_started && !QFileInfo(link).exists(); ++i)
            QTest::qWait(10);
    }
    ~Simulator() {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        QFile::remove(m_log);
    }

    bool ready() const { return m_started && QFileInfo(m_link).exists(); }
    QString link() const { return m_link; }
    // The commands the device received, one a line without the CR.
    QStringList commands() const {
        QFile file(m_log);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromLatin1(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }

private:
    QString m_link;
    QString m_log;
    QProcess m_process;
    bool m_started = false;
};
