// Generates the alarm sound: two groups of three soft two-tone beeps,
// 16-bit mono PCM at 22050 Hz, written as a RIFF/WAVE file.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int sampleRate = 22050;
constexpr double pi = 3.14159265358979323846;

void appendSilence(std::vector<int16_t> &samples, double seconds)
{
    samples.insert(samples.end(), static_cast<std::size_t>(seconds * sampleRate), 0);
}

void appendBeep(std::vector<int16_t> &samples, double frequency, double seconds)
{
    const int count = static_cast<int>(seconds * sampleRate);
    const int attack = sampleRate / 200;
    for (int i = 0; i < count; ++i) {
        const double t = double(i) / sampleRate;
        const double envelope = (i < attack ? double(i) / attack : 1.0) * std::exp(-6.0 * t);
        const double wave =
            0.7 * std::sin(2 * pi * frequency * t) + 0.3 * std::sin(2 * pi * frequency * 1.5 * t);
        samples.push_back(static_cast<int16_t>(envelope * wave * 0.6 * 32767));
    }
}

void put16(std::FILE *file, uint16_t value)
{
    const unsigned char bytes[] = {static_cast<unsigned char>(value & 0xff),
                                   static_cast<unsigned char>(value >> 8)};
    std::fwrite(bytes, 1, sizeof bytes, file);
}

void put32(std::FILE *file, uint32_t value)
{
    put16(file, static_cast<uint16_t>(value & 0xffff));
    put16(file, static_cast<uint16_t>(value >> 16));
}

bool writeWave(const char *path, const std::vector<int16_t> &samples)
{
    std::FILE *file = std::fopen(path, "wb");
    if (!file)
        return false;
    const uint32_t dataSize = static_cast<uint32_t>(samples.size() * sizeof(int16_t));
    std::fwrite("RIFF", 1, 4, file);
    put32(file, 36 + dataSize);
    std::fwrite("WAVEfmt ", 1, 8, file);
    put32(file, 16);
    put16(file, 1); // PCM
    put16(file, 1); // mono
    put32(file, sampleRate);
    put32(file, sampleRate * 2);
    put16(file, 2);
    put16(file, 16);
    std::fwrite("data", 1, 4, file);
    put32(file, dataSize);
    for (int16_t sample : samples)
        put16(file, static_cast<uint16_t>(sample));
    return std::fclose(file) == 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output.wav>\n", argv[0]);
        return 2;
    }
    std::vector<int16_t> samples;
    for (int group = 0; group < 2; ++group) {
        for (int beep = 0; beep < 3; ++beep) {
            appendBeep(samples, 880.0, 0.18);
            appendSilence(samples, 0.07);
        }
        appendSilence(samples, 0.35);
    }
    if (!writeWave(argv[1], samples)) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
