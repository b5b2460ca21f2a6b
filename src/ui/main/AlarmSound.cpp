#include "ui/main/AlarmSound.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

#include <cmath>
#include <cstdint>
#include <numbers>

namespace nimbar {

namespace {

constexpr int kSampleRate = 22050;
constexpr double kToneHz = 1500.0;
constexpr int kToneMilliseconds = 800;

QByteArray makeTone() {
    const int samples = kSampleRate * kToneMilliseconds / 1000;
    QByteArray pcm(samples * static_cast<int>(sizeof(int16_t)), Qt::Uninitialized);
    auto* out = reinterpret_cast<int16_t*>(pcm.data());
    for (int i = 0; i < samples; ++i)
        out[i] = static_cast<int16_t>(9000.0 *
                                      std::sin(2.0 * std::numbers::pi * kToneHz * i / kSampleRate));
    return pcm;
}

} // namespace

AlarmSound::AlarmSound(QString wavePath, std::function<void()> beep, QObject* parent)
    : QObject(parent), m_wavePath(std::move(wavePath)), m_beep(std::move(beep)) {}

AlarmSound::~AlarmSound() = default;

void AlarmSound::play() {
    if (QMediaDevices::defaultAudioOutput().isNull()) {
        if (m_beep)
            m_beep();
        return;
    }
    const bool waveBroken = m_effect && m_effect->status() == QSoundEffect::Error;
    if (QFileInfo(m_wavePath).isReadable() && !waveBroken)
        playWave();
    else
        playTone();
}

void AlarmSound::playWave() {
    if (!m_effect) {
        m_effect = new QSoundEffect(this);
        // A file that turns out not to be a playable wave gives the tone instead of silence.
        connect(m_effect, &QSoundEffect::statusChanged, this, [this] {
            if (m_effect->status() == QSoundEffect::Error)
                playTone();
        });
        m_effect->setSource(QUrl::fromLocalFile(m_wavePath));
    }
    if (!m_effect->isPlaying())
        m_effect->play();
}

void AlarmSound::playTone() {
    if (!m_sink) {
        QAudioFormat format;
        format.setSampleRate(kSampleRate);
        format.setChannelCount(1);
        format.setSampleFormat(QAudioFormat::Int16);
        m_sink = new QAudioSink(QMediaDevices::defaultAudioOutput(), format, this);
        m_tone = makeTone();
        m_toneBuffer = new QBuffer(&m_tone, this);
    }
    if (m_sink->state() == QAudio::ActiveState)
        return;
    m_toneBuffer->close();
    m_toneBuffer->open(QIODevice::ReadOnly);
    m_sink->start(m_toneBuffer);
}

} // namespace nimbar
