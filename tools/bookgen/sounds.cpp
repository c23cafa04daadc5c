#include "sounds.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

using synth::Buffer;
using synth::kRate;
using synth::Note;
using synth::Piece;
using synth::Track;
using synth::Voice;

namespace sounds {

namespace {

constexpr double kTwoPi = 6.283185307179586;

Buffer blank(double seconds) {
    return Buffer(std::size_t(synth::samplesFor(seconds)), 0.0f);
}

// A buzzy source (sawtooth) whose pitch follows hz(t), shaped by env(t) and
// darkened by a low-pass whose cut-off follows cutoff(t): the raw material of
// the animal voices.
Buffer voiced(double seconds, const std::function<double(double)>& hz,
              const std::function<double(double)>& env, const std::function<double(double)>& cutoff) {
    Buffer out = blank(seconds);
    double phase = 0;
    double y1 = 0;
    double y2 = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        phase += hz(t) / kRate;
        phase -= std::floor(phase);
        const double saw = 2.0 * phase - 1.0;
        const double a = 1.0 - std::exp(-kTwoPi * cutoff(t) / kRate);
        y1 += a * (saw - y1);
        y2 += a * (y1 - y2); // two poles: a rounder, more vocal tone
        out[i] = float(y2 * env(t));
    }
    return out;
}

double smoothStep(double t, double t0, double t1) {
    if (t <= t0)
        return 0;
    if (t >= t1)
        return 1;
    const double x = (t - t0) / (t1 - t0);
    return x * x * (3 - 2 * x);
}

// Rises over attack, holds, falls over release, ending at length.
double swell(double t, double length, double attack, double release) {
    return smoothStep(t, 0, attack) * (1.0 - smoothStep(t, length - release, length));
}

Buffer finish(Buffer b, float peak = 0.85f) {
    synth::normalize(b, peak);
    synth::fadeEdges(b, 0.004);
    return b;
}

// ---- Accompaniment from a chord line like "C G Am F-G" (a dash splits a bar) ----

struct Chord {
    int root; // MIDI number in octave 3
    bool minor;
};

Chord chordOf(const QString& name) {
    const bool minor = name.size() > 1 && name.endsWith('m');
    const QString root = minor ? name.left(name.size() - 1) : name;
    return {synth::noteNumber((root + "3").toLatin1().constData()), minor};
}

struct Bar {
    double beat;
    double beats;
    Chord chord;
};

std::vector<Bar> bars(const char* progression, int beatsPerBar) {
    std::vector<Bar> out;
    double beat = 0;
    for (const QString& bar : QString(progression).split(' ', Qt::SkipEmptyParts)) {
        const QStringList parts = bar.split('-');
        const double each = double(beatsPerBar) / parts.size();
        for (const QString& part : parts) {
            out.push_back({beat, each, chordOf(part)});
            beat += each;
        }
    }
    return out;
}

std::vector<int> triad(const Chord& c, int octaveShift) {
    const int r = c.root + 12 * octaveShift;
    return {r, r + (c.minor ? 3 : 4), r + 7};
}

Track bassLine(const std::vector<Bar>& bs, float gain, bool walk) {
    Track t{Voice::Bass, {}, gain};
    for (const Bar& b : bs) {
        const int root = b.chord.root - 12;
        if (walk && b.beats >= 4) {
            t.notes.push_back({b.beat, 1.8, root, 0.9f});
            t.notes.push_back({b.beat + 2, 1.8, root + 7, 0.8f});
        } else {
            t.notes.push_back({b.beat, b.beats * 0.9, root, 0.9f});
        }
    }
    return t;
}

Track arpeggio(const std::vector<Bar>& bs, Voice voice, float gain, double step, int octaveShift) {
    Track t{voice, {}, gain};
    for (const Bar& b : bs) {
        const std::vector<int> notes = triad(b.chord, octaveShift);
        const int order[] = {0, 1, 2, 1};
        int k = 0;
        for (double x = 0; x < b.beats - 1e-6; x += step, ++k)
            t.notes.push_back({b.beat + x, step, notes[std::size_t(order[k % 4])], k % 2 ? 0.55f : 0.75f});
    }
    return t;
}

Track chords(const std::vector<Bar>& bs, Voice voice, float gain, int octaveShift) {
    Track t{voice, {}, gain};
    for (const Bar& b : bs)
        for (int n : triad(b.chord, octaveShift))
            t.notes.push_back({b.beat, b.beats, n, 0.6f});
    return t;
}

// Off-beat chord stabs, the bouncy "oom-pa" of a children's song.
Track stabs(const std::vector<Bar>& bs, float gain) {
    Track t{Voice::Pluck, {}, gain};
    for (const Bar& b : bs)
        for (double x = 1; x < b.beats; x += 2)
            for (int n : triad(b.chord, 1))
                t.notes.push_back({b.beat + x, 0.5, n, 0.5f});
    return t;
}

Track drums(double beats, float gain) {
    Track t{Voice::Kick, {}, gain};
    for (double b = 0; b < beats; b += 1)
        t.notes.push_back({b, 0.5, 36, std::fmod(b, 2.0) == 0 ? 0.9f : 0.55f});
    return t;
}

Track shakers(double beats, float gain) {
    Track t{Voice::Shaker, {}, gain};
    for (double b = 0; b < beats; b += 0.5)
        t.notes.push_back({b, 0.25, 0, std::fmod(b, 1.0) == 0 ? 0.5f : 0.9f});
    return t;
}

// ---- The tunes ----

Piece titleSong() {
    Piece p;
    p.bpm = 112;
    p.beats = 32;
    p.loop = true;
    const auto bs = bars("C G Am F C G F-G C", 4);
    p.tracks.push_back({Voice::Lead,
                        synth::melody("E5 .5 G5 .5 C6 1 G5 1 E5 1 | D5 .5 G5 .5 B5 1 A5 1 G5 1 |"
                                      "C5 .5 E5 .5 A5 1 G5 1 E5 1 | F5 1 A5 1 G5 2 |"
                                      "E5 .5 G5 .5 C6 1 D6 1 E6 1 | D6 1 B5 1 G5 2 |"
                                      "A5 1 F5 1 D5 1 B4 1 | C5 3 R 1"),
                        0.32f});
    p.tracks.push_back({Voice::MusicBox, synth::melody("R 28 G5 .5 E5 .5 D5 .5 G5 .5", 0, 0.5f), 0.3f});
    p.tracks.push_back(bassLine(bs, 0.45f, true));
    p.tracks.push_back(stabs(bs, 0.22f));
    p.tracks.push_back(drums(p.beats, 0.35f));
    p.tracks.push_back(shakers(p.beats, 0.25f));
    return p;
}

Piece meadowSong() {
    Piece p;
    p.bpm = 96;
    p.beats = 32;
    p.loop = true;
    const auto bs = bars("G C G D Em C D G", 4);
    p.tracks.push_back({Voice::Flute,
                        synth::melody("B4 1 D5 1 G5 1.5 F#5 .5 | E5 1 G5 1 E5 2 |"
                                      "D5 1 B4 1 G4 1 B4 1 | A4 3 R 1 |"
                                      "B4 1 E5 1 G5 1 B5 1 | A5 1.5 G5 .5 E5 2 |"
                                      "F#5 1 A5 1 D5 1 F#5 1 | G5 3 R 1"),
                        0.38f});
    p.tracks.push_back(arpeggio(bs, Voice::Pluck, 0.3f, 0.5, 1));
    p.tracks.push_back(bassLine(bs, 0.4f, false));
    return p;
}

Piece partySong(double leadIn) {
    Piece p;
    p.bpm = 128;
    p.beats = 16;
    p.leadIn = leadIn;
    p.tail = 1.8;
    const auto bs = bars("F Bb-C F-C F", 4);
    p.tracks.push_back({Voice::Lead,
                        synth::melody("C5 .5 C5 .5 F5 1 A5 1 F5 1 | G5 .5 A5 .5 Bb5 1 A5 1 G5 1 |"
                                      "A5 .5 G5 .5 F5 1 G5 1 E5 1 | F5 3 R 1"),
                        0.34f});
    p.tracks.push_back({Voice::MusicBox, synth::melody("R 12 F6 .5 A6 .5 C7 2", 0, 0.6f), 0.3f});
    p.tracks.push_back(bassLine(bs, 0.45f, true));
    p.tracks.push_back(stabs(bs, 0.22f));
    p.tracks.push_back(drums(13, 0.4f));
    p.tracks.push_back(shakers(12, 0.3f));
    return p;
}

Piece birdsSong() {
    Piece p;
    p.bpm = 104;
    p.beats = 32;
    p.loop = true;
    const auto bs = bars("D A Bm G D G A D", 4);
    p.tracks.push_back({Voice::MusicBox,
                        synth::melody("F#5 .5 A5 .5 D6 1 A5 1 F#5 1 | E5 .5 A5 .5 C#6 1 B5 .5 A5 .5 E5 1 |"
                                      "D5 .5 F#5 .5 B5 1 A5 1 F#5 1 | G5 1 B5 1 A5 2 |"
                                      "F#5 .5 A5 .5 D6 1 E6 1 F#6 1 | G6 1 E6 1 B5 2 |"
                                      "A5 1 C#6 1 E6 1 C#6 1 | D6 3 R 1"),
                        0.5f});
    p.tracks.push_back(chords(bs, Voice::Pad, 0.16f, 0));
    p.tracks.push_back(arpeggio(bs, Voice::Pluck, 0.18f, 1.0, 0));
    p.tracks.push_back(bassLine(bs, 0.35f, false));
    return p;
}

Piece lullabySong() {
    Piece p;
    p.bpm = 76;
    p.beats = 24; // eight bars of three beats
    p.loop = true;
    const auto bs = bars("F C Dm Bb F C Bb-C F", 3);
    p.tracks.push_back({Voice::MusicBox,
                        synth::melody("A5 1.5 G5 .5 F5 1 | G5 2 E5 1 | F5 1.5 E5 .5 D5 1 | F5 2 D5 1 |"
                                      "C5 1 F5 1 A5 1 | G5 1.5 A5 .5 G5 1 | F5 1 D5 .5 E5 1.5 | F5 3"),
                        0.55f});
    p.tracks.push_back(chords(bs, Voice::Pad, 0.2f, 0));
    p.tracks.push_back(bassLine(bs, 0.3f, false));
    return p;
}

Piece finaleSong(double leadIn) {
    Piece p;
    p.bpm = 116;
    p.beats = 16;
    p.leadIn = leadIn;
    p.tail = 2.0;
    const auto bs = bars("C Dm-G C-Am C", 4);
    p.tracks.push_back({Voice::Lead,
                        synth::melody("G5 .5 G5 .5 E5 1 C6 1 G5 1 | A5 .5 A5 .5 F5 1 D6 1 B5 1 |"
                                      "C6 1 B5 .5 A5 .5 G5 1 E5 1 | C6 3 R 1"),
                        0.34f});
    p.tracks.push_back({Voice::MusicBox, synth::melody("R 12 C6 .25 E6 .25 G6 .25 C7 2.25", 0, 0.6f), 0.3f});
    p.tracks.push_back(bassLine(bs, 0.45f, true));
    p.tracks.push_back(stabs(bs, 0.2f));
    p.tracks.push_back(drums(13, 0.35f));
    return p;
}

Piece morningSong() {
    Piece p;
    p.bpm = 120;
    p.beats = 32;
    p.loop = true;
    const auto bs = bars("G D Em C G C D G", 4);
    p.tracks.push_back({Voice::Lead,
                        synth::melody("D5 1 G5 .5 A5 .5 B5 1 G5 1 | A5 1 F#5 1 D5 2 |"
                                      "E5 1 G5 1 B5 1.5 A5 .5 | G5 .5 E5 .5 C5 1 E5 2 |"
                                      "D5 1 G5 .5 A5 .5 B5 1 D6 1 | C6 1 B5 .5 A5 .5 G5 1 E5 1 |"
                                      "F#5 1 A5 1 D6 1 C6 1 | B5 2 G5 2"),
                        0.32f});
    p.tracks.push_back(bassLine(bs, 0.45f, true));
    p.tracks.push_back(stabs(bs, 0.22f));
    p.tracks.push_back(drums(p.beats, 0.35f));
    p.tracks.push_back(shakers(p.beats, 0.25f));
    return p;
}

Piece marchSong() {
    Piece p;
    p.bpm = 120;
    p.beats = 32;
    p.loop = true;
    const auto bs = bars("C C F C G C G C", 4);
    p.tracks.push_back({Voice::Flute,
                        synth::melody("C5 .5 C5 .5 E5 .5 G5 .5 C6 1 G5 1 | E5 .5 E5 .5 G5 .5 E5 .5 C5 2 |"
                                      "F5 .5 F5 .5 A5 .5 F5 .5 C6 1 A5 1 | G5 .5 E5 .5 G5 .5 E5 .5 C5 2 |"
                                      "D5 .5 D5 .5 G5 .5 D5 .5 B5 1 G5 1 | C6 1 G5 1 E5 2 |"
                                      "D5 1 G5 1 B4 1 D5 1 | C5 2 R 2"),
                        0.36f});
    p.tracks.push_back(bassLine(bs, 0.45f, true));
    p.tracks.push_back(stabs(bs, 0.2f));
    Track beat{Voice::Kick, {}, 0.45f};
    for (double b = 0; b < p.beats; b += 1)
        beat.notes.push_back({b, 0.5, 36, 0.9f});
    p.tracks.push_back(beat);
    p.tracks.push_back(shakers(p.beats, 0.3f));
    return p;
}

Piece shapesSong() {
    Piece p;
    p.bpm = 108;
    p.beats = 16;
    p.loop = true;
    const auto bs = bars("F C Bb-C F", 4);
    p.tracks.push_back({Voice::MusicBox,
                        synth::melody("F5 .5 A5 .5 C6 1 A5 1 F5 1 | E5 .5 G5 .5 C6 1 G5 1 E5 1 |"
                                      "D5 1 F5 1 G5 1 E5 1 | F5 3 R 1"),
                        0.5f});
    p.tracks.push_back(arpeggio(bs, Voice::Pluck, 0.22f, 0.5, 0));
    p.tracks.push_back(bassLine(bs, 0.4f, true));
    p.tracks.push_back(shakers(p.beats, 0.2f));
    return p;
}

} // namespace

Buffer moo() {
    const double len = 1.3;
    return finish(voiced(
                      len,
                      [](double t) { return 112 + 22 * std::sin(3.14159 * std::min(1.0, t / 1.1)) - 10 * t; },
                      [&](double t) { return swell(t, len, 0.15, 0.35); },
                      [](double t) {
                          return 350 + 900 * smoothStep(t, 0.1, 0.5) * (1.0 - 0.6 * smoothStep(t, 0.8, 1.3));
                      }),
                  0.75f);
}

Buffer ribbit() {
    Buffer out = blank(0.55);
    for (int k = 0; k < 2; ++k) {
        const double len = k == 0 ? 0.17 : 0.2;
        const double base = k == 0 ? 190 : 240;
        Buffer croak = voiced(
            len, [&](double t) { return base + 30 * t; },
            [&](double t) {
                // Quick pulses make the rattle of a croak.
                return swell(t, len, 0.01, 0.04) * (0.55 + 0.45 * std::sin(kTwoPi * 38 * t));
            },
            [](double) { return 1400.0; });
        synth::mixAt(out, croak, k == 0 ? 0.02 : 0.29);
    }
    return finish(out);
}

Buffer quack() {
    Buffer out = blank(0.6);
    for (int k = 0; k < 2; ++k) {
        const double len = 0.2;
        Buffer q = voiced(
            len, [](double t) { return 560 - 500 * t; }, [&](double t) { return swell(t, len, 0.01, 0.08); },
            [](double t) { return 2200 - 2000 * t; });
        // Take away the lows: a nasal, beak-like tone.
        Buffer low = q;
        synth::lowPass(low, 500);
        for (std::size_t i = 0; i < q.size(); ++i)
            q[i] -= 0.8f * low[i];
        synth::mixAt(out, q, 0.02 + 0.3 * k);
    }
    return finish(out);
}

Buffer baa() {
    const double len = 0.95;
    return finish(voiced(
        len, [](double t) { return 300 * (1.0 + 0.05 * std::sin(kTwoPi * 7.5 * t)) - 25 * t; },
        [&](double t) { return swell(t, len, 0.04, 0.3) * (0.8 + 0.2 * std::sin(kTwoPi * 7.5 * t)); },
        [](double t) { return 1500 + 500 * smoothStep(t, 0.0, 0.2); }));
}

Buffer boing() {
    const double len = 0.75;
    Buffer out = blank(len);
    double phase = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        const double wobble = 1.0 + 0.12 * smoothStep(t, 0.05, 0.3) * std::sin(kTwoPi * 14 * t);
        const double hz = (170 + 330 * std::exp(-t / 0.12)) * wobble;
        phase += kTwoPi * hz / kRate;
        out[i] = float((std::sin(phase) + 0.3 * std::sin(2 * phase)) * std::exp(-t / 0.28));
    }
    return finish(out);
}

Buffer squeak() {
    const double len = 0.4;
    Buffer out = blank(len);
    double phase = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        const double hz = 750 + 600 * smoothStep(t, 0.0, 0.25) + 60 * std::sin(kTwoPi * 22 * t);
        phase += kTwoPi * hz / kRate;
        out[i] = float((std::sin(phase) + 0.35 * std::sin(2 * phase) + 0.15 * std::sin(3 * phase)) *
                       swell(t, len, 0.02, 0.12));
    }
    return finish(out, 0.7f);
}

Buffer pop() {
    synth::Rng rng(99);
    const double len = 0.3;
    Buffer out = blank(len);
    double phase = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        phase += kTwoPi * (260 + 500 * std::exp(-t / 0.01)) / kRate;
        out[i] = float(0.8 * rng.next() * std::exp(-t / 0.006) + std::sin(phase) * std::exp(-t / 0.05));
    }
    synth::lowPass(out, 3500);
    // A little sparkle after the pop.
    Buffer twinkle = synth::musicBox(synth::midiToHz(88), 0.1, 0.4f);
    synth::mixAt(out, twinkle, 0.05, 0.5f);
    return finish(out);
}

Buffer chime() {
    Buffer out = blank(1.2);
    const int notes[] = {84, 88, 91, 96};
    for (int k = 0; k < 4; ++k)
        synth::mixAt(out, synth::musicBox(synth::midiToHz(notes[k]), 0.3, 0.8f), 0.09 * k);
    out.resize(std::size_t(synth::samplesFor(1.4)), 0.0f);
    return finish(out);
}

Buffer tweet() {
    Buffer out = blank(0.6);
    for (int k = 0; k < 3; ++k) {
        const double len = 0.09;
        Buffer chirp = blank(len);
        double phase = 0;
        for (std::size_t i = 0; i < chirp.size(); ++i) {
            const double t = double(i) / kRate;
            const double hz = 2400 + 1500 * (t / len) + 200 * std::sin(kTwoPi * 60 * t);
            phase += kTwoPi * hz / kRate;
            chirp[i] = float(std::sin(phase) * std::sin(3.14159 * t / len));
        }
        synth::mixAt(out, chirp, 0.02 + 0.16 * k);
    }
    return finish(out, 0.6f);
}

Buffer hoot() {
    Buffer out = blank(1.1);
    const double lens[] = {0.28, 0.5};
    const double starts[] = {0.02, 0.42};
    for (int k = 0; k < 2; ++k) {
        Buffer h = synth::flute(k == 0 ? 440 : 400, lens[k], 1.0f);
        // Bend each hoot down a little, as an owl does.
        Buffer bent = blank(double(h.size()) / kRate);
        for (std::size_t i = 0; i < bent.size(); ++i) {
            const double t = double(i) / kRate;
            const double src = t * (1.0 - 0.06 * t);
            const std::size_t j = std::min(h.size() - 1, std::size_t(src * kRate));
            bent[i] = h[j];
        }
        synth::mixAt(out, bent, starts[k]);
    }
    synth::lowPass(out, 1800);
    return finish(out, 0.7f);
}

Buffer whoosh() {
    synth::Rng rng(5);
    const double len = 0.9;
    Buffer out = blank(len);
    double y1 = 0;
    double y2 = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        const double cutoff = 300 + 2600 * std::sin(3.14159 * t / len);
        const double a = 1.0 - std::exp(-kTwoPi * cutoff / kRate);
        y1 += a * (rng.next() - y1);
        y2 += a * (y1 - y2);
        out[i] = float(y2 * std::sin(3.14159 * t / len));
    }
    return finish(out, 0.7f);
}

Buffer tada() {
    Buffer out = blank(1.4);
    const int chord[] = {72, 76, 79};
    for (int n : chord) {
        synth::mixAt(out, synth::softLead(synth::midiToHz(n), 0.1, 0.8f), 0.0);
        synth::mixAt(out, synth::softLead(synth::midiToHz(n), 0.8, 0.9f), 0.18);
    }
    synth::mixAt(out, synth::musicBox(synth::midiToHz(96), 0.5, 0.7f), 0.18);
    return finish(out);
}

QStringList songNames() {
    return {"title", "meadow", "party", "birds", "lullaby", "finale", "morning", "march", "shapes"};
}

Buffer song(const QString& name, double leadIn) {
    static const std::map<QString, std::function<Piece(double)>> pieces = {
        {"title", [](double) { return titleSong(); }},
        {"meadow", [](double) { return meadowSong(); }},
        {"party", [](double lead) { return partySong(lead); }},
        {"birds", [](double) { return birdsSong(); }},
        {"lullaby", [](double) { return lullabySong(); }},
        {"finale", [](double lead) { return finaleSong(lead); }},
        {"morning", [](double) { return morningSong(); }},
        {"march", [](double) { return marchSong(); }},
        {"shapes", [](double) { return shapesSong(); }},
    };
    const auto it = pieces.find(name);
    if (it == pieces.end())
        return {};
    return synth::render(it->second(leadIn));
}

} // namespace sounds
