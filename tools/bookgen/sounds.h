#pragma once
// The sounds of the sample books: animal calls and toy noises for the sprites,
// and little tunes for the pages and the daily scenes. All composed here and
// synthesised from simple waveforms.

#include "synth.h"

#include <QStringList>

namespace sounds {

// Sound effects, a second or less.
synth::Buffer moo();
synth::Buffer ribbit();
synth::Buffer quack();
synth::Buffer baa();
synth::Buffer boing();
synth::Buffer squeak();
synth::Buffer pop();
synth::Buffer chime();
synth::Buffer tweet();
synth::Buffer hoot();
synth::Buffer whoosh();
synth::Buffer tada();

// Tunes. A song made for looping ends where it starts; leadIn adds silence at the
// front of the others (see books.cpp for why).
synth::Buffer song(const QString& name, double leadIn = 0.0);
// Names song() knows: title, meadow, party, birds, lullaby, finale, morning, march, shapes.
QStringList songNames();

} // namespace sounds
