#include "synth.h"

#include <QFile>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace synth {

namespace {

constexpr double kTwoPi = 6.283185307179586;
// Tunes stay under the sound effects, so a touch is always heard.
constexpr float kMusicPeak = 0.6f;

double envelope(double t, double length, double attack, double release) {
    if (t < 0)
        return 0;
    double a = attack > 0 ? std::min(1.0, t / attack) : 1.0;
    if (t > length)
        a *= std::max(0.0, 1.0 - (t - length) / release);
    return a;
}

void putLe16(QByteArray& out, std::uint16_t v) {
    out.append(char(v & 0xff));
    out.append(char(v >> 8));
}

void putLe32(QByteArray& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.append(char((v >> (8 * i)) & 0xff));
}

} // namespace

float Rng::next() {
    return float(unit() * 2.0 - 1.0);
}

double Rng::unit() {
    state_ = state_ * 1664525u + 1013904223u;
    return double(state_ >> 8) / double(1u << 24);
}

double midiToHz(double midi) {
    return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0);
}

int samplesFor(double seconds) {
    return std::max(0, int(std::lround(seconds * kRate)));
}

void mixAt(Buffer& dst, const Buffer& src, double atSeconds, float gain) {
    const int start = samplesFor(atSeconds);
    if (dst.size() < std::size_t(start) + src.size())
        dst.resize(std::size_t(start) + src.size(), 0.0f);
    for (std::size_t i = 0; i < src.size(); ++i)
        dst[std::size_t(start) + i] += src[i] * gain;
}

void normalize(Buffer& buffer, float peak) {
    float loudest = 0;
    for (float s : buffer)
        loudest = std::max(loudest, std::fabs(s));
    if (loudest <= 0)
        return;
    const float k = peak / loudest;
    for (float& s : buffer)
        s *= k;
}

void fadeEdges(Buffer& buffer, double seconds) {
    const std::size_t n = std::min(buffer.size() / 2, std::size_t(samplesFor(seconds)));
    for (std::size_t i = 0; i < n; ++i) {
        const float k = float(i) / float(n);
        buffer[i] *= k;
        buffer[buffer.size() - 1 - i] *= k;
    }
}

void lowPass(Buffer& buffer, double cutoffHz) {
    const double a = 1.0 - std::exp(-kTwoPi * cutoffHz / kRate);
    double y = 0;
    for (float& s : buffer) {
        y += a * (s - y);
        s = float(y);
    }
}

bool writeWav(const QString& path, const Buffer& buffer, int rate) {
    QByteArray data;
    data.reserve(int(buffer.size() * 2 + 44));
    const std::uint32_t bytes = std::uint32_t(buffer.size() * 2);
    data.append("RIFF", 4);
    putLe32(data, 36 + bytes);
    data.append("WAVE", 4);
    data.append("fmt ", 4);
    putLe32(data, 16);
    putLe16(data, 1); // PCM
    putLe16(data, 1); // mono
    putLe32(data, std::uint32_t(rate));
    putLe32(data, std::uint32_t(rate * 2));
    putLe16(data, 2);
    putLe16(data, 16);
    data.append("data", 4);
    putLe32(data, bytes);
    for (float s : buffer) {
        const long v = std::lround(double(std::clamp(s, -1.0f, 1.0f)) * 32767.0);
        putLe16(data, std::uint16_t(std::int16_t(v)));
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(data) == data.size();
}

Buffer musicBox(double hz, double seconds, float velocity) {
    // A tine: a clear fundamental, a short bright octave and a tiny metallic partial.
    const double ring = std::max(seconds, 0.2) + 1.0;
    Buffer out(std::size_t(samplesFor(ring)));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        const double attack = std::min(1.0, t / 0.003);
        const double v = std::sin(kTwoPi * hz * t) * std::exp(-t / 0.9) +
                         0.3 * std::sin(kTwoPi * 2 * hz * t) * std::exp(-t / 0.25) +
                         0.08 * std::sin(kTwoPi * 5.4 * hz * t) * std::exp(-t / 0.06);
        const double release = t > ring - 0.1 ? (ring - t) / 0.1 : 1.0;
        out[i] = float(v * attack * release * velocity);
    }
    return out;
}

Buffer pluck(double hz, double seconds, float velocity, std::uint32_t seed) {
    // Karplus-Strong: a noise burst circulating in a delay line that softens itself.
    Rng rng(seed);
    const int period = std::max(2, int(std::lround(kRate / hz)));
    std::vector<float> line(static_cast<std::size_t>(period));
    float previous = 0;
    for (float& s : line) {
        const float n = rng.next();
        s = 0.5f * (n + previous); // a softer attack than raw noise
        previous = n;
    }
    const double length = std::max(seconds, 0.15) + 0.25;
    Buffer out(std::size_t(samplesFor(length)));
    std::size_t at = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const std::size_t next = (at + 1) % line.size();
        const float s = line[at];
        line[at] = 0.996f * 0.5f * (s + line[next]);
        at = next;
        const double t = double(i) / kRate;
        out[i] = float(s * velocity * envelope(t, length - 0.25, 0.0, 0.25));
    }
    return out;
}

Buffer softLead(double hz, double seconds, float velocity) {
    const double release = 0.12;
    Buffer out(std::size_t(samplesFor(seconds + release)));
    double phase = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        const double vibrato = t > 0.15 ? 0.004 * std::sin(kTwoPi * 5.2 * t) : 0.0;
        phase += kTwoPi * hz * (1.0 + vibrato) / kRate;
        const double v = std::sin(phase) + 0.28 * std::sin(3 * phase) + 0.1 * std::sin(5 * phase);
        double env = envelope(t, seconds, 0.02, release);
        env *= 0.75 + 0.25 * std::exp(-t / 0.12); // a small accent at the start
        out[i] = float(0.75 * v * env * velocity);
    }
    return out;
}

Buffer bass(double hz, double seconds, float velocity) {
    const double release = 0.08;
    Buffer out(std::size_t(samplesFor(seconds + release)));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        const double v = std::sin(kTwoPi * hz * t) + 0.25 * std::sin(kTwoPi * 2 * hz * t);
        const double env = envelope(t, seconds, 0.01, release) * (0.6 + 0.4 * std::exp(-t / 0.3));
        out[i] = float(v * env * velocity);
    }
    return out;
}

Buffer pad(double hz, double seconds, float velocity) {
    const double release = 0.6;
    Buffer out(std::size_t(samplesFor(seconds + release)));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        const double v = std::sin(kTwoPi * hz * t) + 0.8 * std::sin(kTwoPi * hz * 1.004 * t) +
                         0.3 * std::sin(kTwoPi * hz * 2.003 * t);
        out[i] = float(0.45 * v * envelope(t, seconds, 0.35, release) * velocity);
    }
    return out;
}

Buffer flute(double hz, double seconds, float velocity) {
    Rng rng(std::uint32_t(hz * 100));
    const double release = 0.15;
    Buffer out(std::size_t(samplesFor(seconds + release)));
    double phase = 0;
    float breath = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        const double vibrato = 0.006 * std::sin(kTwoPi * 4.8 * t) * std::min(1.0, t / 0.4);
        phase += kTwoPi * hz * (1.0 + vibrato) / kRate;
        breath += 0.08f * (rng.next() - breath);
        const double v = std::sin(phase) + 0.18 * std::sin(2 * phase) + 0.05 * std::sin(3 * phase) +
                         0.25 * breath * std::exp(-t / 0.1);
        out[i] = float(0.8 * v * envelope(t, seconds, 0.06, release) * velocity);
    }
    return out;
}

Buffer kick(float velocity) {
    Buffer out(std::size_t(samplesFor(0.3)));
    double phase = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        const double hz = 48 + 100 * std::exp(-t / 0.03);
        phase += kTwoPi * hz / kRate;
        out[i] = float(std::sin(phase) * std::exp(-t / 0.09) * velocity);
    }
    return out;
}

Buffer shaker(float velocity, std::uint32_t seed) {
    Rng rng(seed);
    Buffer out(std::size_t(samplesFor(0.08)));
    float last = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        const float n = rng.next();
        const float high = n - last; // a crude high-pass: the hiss without the rumble
        last = n;
        out[i] = float(0.35 * high * std::exp(-t / 0.02) * velocity);
    }
    return out;
}

int noteNumber(const char* name) {
    static const int base[] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    if (!name || !*name)
        return -1;
    const char letter = char(std::toupper(static_cast<unsigned char>(name[0])));
    if (letter < 'A' || letter > 'G')
        return -1;
    int semitone = base[letter - 'A'];
    const char* p = name + 1;
    if (*p == '#') {
        ++semitone;
        ++p;
    } else if (*p == 'b') {
        --semitone;
        ++p;
    }
    if (!std::isdigit(static_cast<unsigned char>(*p)))
        return -1;
    const int octave = std::atoi(p);
    return 12 * (octave + 1) + semitone;
}

std::vector<Note> melody(const char* text, double startBeat, float velocity) {
    std::vector<Note> notes;
    double beat = startBeat;
    const char* p = text;
    char name[8];
    while (*p) {
        while (*p == ' ' || *p == '|' || *p == '\n')
            ++p;
        if (!*p)
            break;
        int n = 0;
        while (*p && *p != ' ' && n < 7)
            name[n++] = *p++;
        name[n] = '\0';
        while (*p == ' ')
            ++p;
        const double beats = std::strtod(p, const_cast<char**>(&p));
        if (std::strcmp(name, "R") != 0) {
            const int midi = noteNumber(name);
            if (midi >= 0)
                notes.push_back({beat, beats, midi, velocity});
        }
        beat += beats;
    }
    return notes;
}

Buffer render(const Piece& piece) {
    const double spb = 60.0 / piece.bpm;
    const double body = piece.beats * spb;
    Buffer out(std::size_t(samplesFor(piece.leadIn + body + (piece.loop ? 0 : piece.tail))), 0.0f);
    std::uint32_t seed = 7;
    for (const Track& track : piece.tracks) {
        for (const Note& note : track.notes) {
            const double hz = midiToHz(note.midi);
            const double seconds = note.beats * spb;
            Buffer voice;
            switch (track.voice) {
            case Voice::MusicBox:
                voice = musicBox(hz, seconds, note.velocity);
                break;
            case Voice::Pluck:
                voice = pluck(hz, seconds, note.velocity, seed++);
                break;
            case Voice::Lead:
                voice = softLead(hz, seconds, note.velocity);
                break;
            case Voice::Bass:
                voice = bass(hz, seconds, note.velocity);
                break;
            case Voice::Pad:
                voice = pad(hz, seconds, note.velocity);
                break;
            case Voice::Flute:
                voice = flute(hz, seconds, note.velocity);
                break;
            case Voice::Kick:
                voice = kick(note.velocity);
                break;
            case Voice::Shaker:
                voice = shaker(note.velocity, seed++);
                break;
            }
            mixAt(out, voice, piece.leadIn + note.beat * spb, track.gain);
        }
    }
    if (piece.loop) {
        // What rings past the end is heard again at the start of the next round.
        const std::size_t length = std::size_t(samplesFor(body));
        for (std::size_t i = length; i < out.size(); ++i)
            out[(i - length) % length] += out[i];
        out.resize(length);
        normalize(out, kMusicPeak);
    } else {
        const std::size_t length = std::size_t(samplesFor(piece.leadIn + body + piece.tail));
        out.resize(length, 0.0f);
        normalize(out, kMusicPeak);
        // Fade only the tail so the silent lead-in stays exactly silent.
        const std::size_t fade = std::min(out.size(), std::size_t(samplesFor(0.3)));
        for (std::size_t i = 0; i < fade; ++i)
            out[out.size() - 1 - i] *= float(i) / float(fade);
    }
    return out;
}

} // namespace synth
