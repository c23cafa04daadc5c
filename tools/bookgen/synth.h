#pragma once
// A very small synthesiser: a few voices built from sine waves, noise and
// envelopes, a note sequencer and a WAV writer. Everything is computed from fixed
// seeds, so the same call gives the same samples on every run.

#include <QString>
#include <cstdint>
#include <vector>

namespace synth {

// Mono, 16-bit; plenty for a picture book and small in the archive.
constexpr int kRate = 22050;

using Buffer = std::vector<float>;

// Deterministic noise (a linear congruential generator).
class Rng {
public:
    explicit Rng(std::uint32_t seed) : state_(seed) {}
    // Uniform in [-1, 1).
    float next();
    // Uniform in [0, 1).
    double unit();

private:
    std::uint32_t state_;
};

double midiToHz(double midi);
int samplesFor(double seconds);

// Adds src into dst starting at the given second; dst grows when needed.
void mixAt(Buffer& dst, const Buffer& src, double atSeconds, float gain = 1.0f);
// Scales so that the loudest sample reaches peak.
void normalize(Buffer& buffer, float peak);
// Short fades at both ends so that a sound starts and stops without a click.
void fadeEdges(Buffer& buffer, double seconds);
// A simple one-pole low-pass filter, in place.
void lowPass(Buffer& buffer, double cutoffHz);
// Writes 16-bit mono PCM. False when the file cannot be written.
bool writeWav(const QString& path, const Buffer& buffer, int rate = kRate);

// ---- Voices: one note each, amplitude about 1 before velocity ----
Buffer musicBox(double hz, double seconds, float velocity);
Buffer pluck(double hz, double seconds, float velocity, std::uint32_t seed);
Buffer softLead(double hz, double seconds, float velocity);
Buffer bass(double hz, double seconds, float velocity);
Buffer pad(double hz, double seconds, float velocity);
Buffer flute(double hz, double seconds, float velocity);
Buffer kick(float velocity);
Buffer shaker(float velocity, std::uint32_t seed);

// ---- Sequencer ----
enum class Voice { MusicBox, Pluck, Lead, Bass, Pad, Flute, Kick, Shaker };

struct Note {
    double beat;  // start, in beats from the start of the piece
    double beats; // length
    int midi;     // pitch; ignored by the drums
    float velocity;
};

struct Track {
    Voice voice;
    std::vector<Note> notes;
    float gain;
};

// Notes from a line like "C5 1 E5 .5 G5 .5 R 1 A#4 2": a note name (or R for a
// rest) followed by its length in beats. velocity applies to every note.
std::vector<Note> melody(const char* text, double startBeat = 0.0, float velocity = 0.8f);
// Name like "C4", "F#3", "Bb2" to a MIDI number; -1 when unreadable.
int noteNumber(const char* name);

struct Piece {
    double bpm = 110;
    double beats = 32;   // length of the piece
    bool loop = false;   // fold the ringing tail onto the start, for seamless looping
    double leadIn = 0.0; // seconds of silence before the first note
    double tail = 1.5;   // seconds kept after the last beat when not looping
    std::vector<Track> tracks;
};

Buffer render(const Piece& piece);

} // namespace synth
