#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QAudioSink;
class QBuffer;
class QSoundEffect;

namespace nimbar {

// The alarm sound: the wave file when it exists, otherwise a 1500 Hz tone of 800 ms. Both play
// asynchronously and a sound still playing is not interrupted. A machine without an audio
// output plays nothing and reports nothing.
class AlarmSound : public QObject {
    Q_OBJECT
public:
    explicit AlarmSound(QString wavePath, QObject* parent = nullptr);
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
    bool m_noOutput = false;
};

} // namespace nimbar
