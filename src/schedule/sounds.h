// Embedded sounds and their playing rules.
#pragma once

// Plays an embedded "WAV_DAT" sound from the resource memory in place:
// asynchronously (returns at once) or to its end.
void PlayEmbeddedSound(int id, bool async);

// The start sound, played to its end.
void PlayStartSound();
