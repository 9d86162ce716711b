#include "QtSoundOutput.h"

#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <QUrl>

#include <cmath>
#include <numbers>

namespace corvane {

namespace {

constexpr int kSampleRate = 22050;

void PutLe(QByteArray& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A mono 16-bit PCM wave file holding one sine tone.
QByteArray ToneWave(int frequencyHz, int durationMs) {
    const auto samples = static_cast<std::uint32_t>(kSampleRate * durationMs / 1000);
    QByteArray wave("RIFF");
    PutLe(wave, 36 + samples * 2, 4);
    wave.append("WAVEfmt ");
    PutLe(wave, 16, 4);
    PutLe(wave, 1, 2);  // PCM
    PutLe(wave, 1, 2);  // mono
    PutLe(wave, kSampleRate, 4);
    PutLe(wave, kSampleRate * 2, 4);
    PutLe(wave, 2, 2);
    PutLe(wave, 16, 2);
    wave.append("data");
    PutLe(wave, samples * 2, 4);
    for (std::uint32_t i = 0; i < samples; ++i) {
        const double phase = 2 * std::numbers::pi * frequencyHz * i / kSampleRate;
        PutLe(wave, static_cast<std::uint16_t>(static_cast<std::int16_t>(12000 * std::sin(phase))),
              2);
    }
    return wave;
}

}  // namespace

void QtSoundOutput::PlayFile(const std::string& path) {
    effect_.setSource(QUrl::fromLocalFile(QString::fromStdString(path)));
    effect_.play();
}

void QtSoundOutput::Beep(int frequencyHz, int durationMs) {
    if (!toneDir_) toneDir_ = std::make_unique<QTemporaryDir>();
    if (!toneDir_->isValid()) return;
    const QString path =
        toneDir_->filePath(QStringLiteral("tone-%1-%2.wav").arg(frequencyHz).arg(durationMs));
    QFile file(path);
    if (!file.exists() &&
        (!file.open(QIODevice::WriteOnly) || file.write(ToneWave(frequencyHz, durationMs)) < 0))
        return;
    file.close();
    PlayFile(path.toStdString());
    QEventLoop wait;
    QTimer::singleShot(durationMs, &wait, &QEventLoop::quit);
    wait.exec();
}

}  // namespace corvane
