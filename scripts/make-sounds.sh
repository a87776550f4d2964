#!/usr/bin/env bash
# Makes the program's embedded sounds into src/res/sounds: the spoken Japanese
# numbers 10 to 0 (espeak-ng's "ja" voice), an explosion, a heartbeat and the
# start chime (synthesised with sox). Every file is a plain PCM WAV at
# 44100 Hz, 16-bit, stereo, as the resource script embeds it. The results are
# committed, so building needs neither tool; run this only to change a sound.
# Runs are repeatable: sox seeds its noise with a fixed value (-R) and does not
# dither (-D), so the same tool versions give the same bytes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/src/res/sounds"

"$root/scripts/setup.sh" espeak-ng sox

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$out"

sx() { sox -R -D -V1 "$@"; }
# Intermediate files: mono, 44100 Hz, 32-bit float, so mixing and filtering
# neither clip nor lose precision before the final level is set.
work=(-r 44100 -c 1 -e floating-point -b 32)
# The embedded format.
final=(-r 44100 -c 2 -e signed-integer -b 16)

# Brings a finished sound to the embedded format with its peak at the given
# level (dBFS), so every sound has the same headroom and none clips.
finish() { # input output peak-dB
    sx "$1" "${final[@]}" "$2" channels 2 gain -n "$3"
}

# Voices. espeak-ng speaks a little slower and lower than its default, which
# keeps the short words intelligible; its silence before and after a word is
# cut so the word starts with the count step and ends well within its second.
numbers=(ゼロ いち に さん よん ご ろく なな はち きゅう じゅう)
for n in "${!numbers[@]}"; do
    espeak-ng -v ja -s 115 -p 40 -w "$tmp/spoken-$n.wav" "${numbers[$n]}"
    sx "$tmp/spoken-$n.wav" "${work[@]}" "$tmp/trimmed-$n.wav" rate 44100 \
        silence 1 0.005 0.3% reverse silence 1 0.005 0.3% reverse
    # A few milliseconds of fade at both ends avoid clicks where the speech
    # was cut; a short tail of silence lets the player drain cleanly.
    sx "$tmp/trimmed-$n.wav" "$tmp/voice-$n.wav" fade q 0.004 -0 0.03 pad 0 0.03
    finish "$tmp/voice-$n.wav" "$out/voice-$n.wav" -1
done

# Explosion, 1.5 s: a broadband blast that dies away fast, a low rumble that
# lasts, and a falling boom, mixed, slightly overdriven and given some room.
sx -n "${work[@]}" "$tmp/blast.wav" synth 1.5 brownnoise lowpass 1200 fade l 0.003 1.5 1.5
sx -n "${work[@]}" "$tmp/rumble.wav" synth 1.5 brownnoise lowpass 200 lowpass 200 \
    fade h 0.03 1.5 1.45
sx -n "${work[@]}" "$tmp/boom.wav" synth 0.9 sine 70-30 fade l 0.005 0.9 0.9
# sox loses the length after reverb, so the final fade names its end.
sx -m "$tmp/blast.wav" "$tmp/rumble.wav" "$tmp/boom.wav" "$tmp/explosion.wav" \
    highpass 25 overdrive 6 reverb 40 50 60 trim 0 1.5 fade t 0 1.5 0.05
finish "$tmp/explosion.wav" "$out/explosion.wav" -1

# Heartbeat, 1.9 s: one "lub-dub" in its first half second and quiet after it.
# The count-down restarts it every second, so only the first second is heard
# then and it must hold exactly one beat. Each thump is a falling low sine,
# overdriven a little so its harmonics carry on small speakers; the overdrive's
# offset is filtered out before the envelope, so each thump ends on silence
# instead of a step.
thump() { # output length-s from-Hz to-Hz
    sx -n "${work[@]}" "$1" synth "$2" sine "$3-$4" overdrive 8 highpass 30 lowpass 300 \
        fade h 0.012 "$2" "$(awk -v l="$2" 'BEGIN { print l * 0.75 }')"
}
thump "$tmp/lub.wav" 0.16 65 40
thump "$tmp/dub.wav" 0.12 85 55
sx "$tmp/dub.wav" "$tmp/dub-late.wav" vol 0.75 pad 0.3
sx -m "$tmp/lub.wav" "$tmp/dub-late.wav" "$tmp/heartbeat.wav" pad 0.01 1.9 trim 0 1.9
finish "$tmp/heartbeat.wav" "$out/heartbeat.wav" -1

# Start chime, about 1 s: a rising C major arpeggio of bell-like notes, each a
# fundamental with two softer harmonics. Every partial decays exponentially
# (a logarithmic fade over longer than the sound) and the harmonics die first,
# so the chord rings softly until the short linear fade at its end.
partial() { # output frequency-Hz decay-s volume
    sx -n "${work[@]}" "$1" synth "$3" sine "$2" fade l 0.004 "$3" "$3" vol "$4"
}
note() { # output frequency-Hz delay-s
    partial "$tmp/p1.wav" "$2" 3 1
    partial "$tmp/p2.wav" "$(awk -v f="$2" 'BEGIN { print f * 2 }')" 1.2 0.3
    partial "$tmp/p3.wav" "$(awk -v f="$2" 'BEGIN { print f * 3 }')" 0.6 0.12
    sx -m "$tmp/p1.wav" "$tmp/p2.wav" "$tmp/p3.wav" "$1" pad "$3"
}
note "$tmp/c.wav" 1046.50 0
note "$tmp/e.wav" 1318.51 0.09
note "$tmp/g.wav" 1567.98 0.18
sx -m "$tmp/c.wav" "$tmp/e.wav" "$tmp/g.wav" "$tmp/start.wav" trim 0 1.05 fade t 0 1.05 0.08
finish "$tmp/start.wav" "$out/start.wav" -3

ls -l "$out" >&2
