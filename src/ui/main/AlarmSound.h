#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

class QAudioSink;
class QBuffer;
class QSoundEffect;

namespace nimbar {

// The alarm sound: the wave file when it can be played, otherwise a 1500 Hz tone of 800 ms.
// Both play asynchronously and a sound still playing is not interrupted. Without an audio
// output at the moment of an alarm, beep (the system beep) sounds instead, and the output is
// looked for again at the next alarm.
class AlarmSound : public QObject {
    Q_OBJECT
public:
    AlarmSound(QString wavePath, std::function<void()> beep, QObject* parent = nullptr);
    ~AlarmSound() override;

    void play();

private:
    void playWave();
    void playTone();

    QString m_wavePath;
    QSoundEffect* m_effect = nullptr;
    QAudioSink* m_sink = nullptr;
    QBuffer* m_toneBuffer = nullptr;
    QByteArray m_tone;
    std::function<void()> m_beep;
};

} // namespace nimbar
