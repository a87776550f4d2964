// Decisions of the settings dialog that need no window: which sound controls
// each sound mode enables, and the text of the seconds field in both
// directions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "state/app_state.h"

// The controls of the sound group that a sound mode leaves usable. The
// up-down beside the seconds field is never disabled, so it has no column.
struct SoundControls {
    bool explosion;    // IDC_SET_EXPLOSION, the explosion after the ten-count
    bool seconds;      // IDC_SET_SECONDS, the length of the sound count-down
    bool soundName;    // IDC_SET_SOUND_NAME, the name of the chosen sound
    bool chooseSound;  // IDC_SET_CHOOSE_SOUND, its "..." button
};

// The row of a sound mode; nothing for a stored value outside the five modes,
// which leaves the controls as they are.
std::optional<SoundControls> SoundControlsFor(SoundMode mode);

// Room for any 32-bit number as signed decimal text ("-2147483648") with its
// terminator: a stored COUNTDOWNTIME is not limited to the three digits the
// field accepts when typed.
inline constexpr std::size_t kCountdownTextUnits = 12;

// COUNTDOWNTIME as the seconds field shows it: signed decimal.
void CountdownText(std::int32_t seconds, wchar_t (&text)[kCountdownTextUnits]);

// The number the seconds field holds, read as an unsigned decimal: leading
// blanks are skipped and the digits that follow are read up to the first
// other character. Text without digits, a sign, and a number larger than the
// setting holds (2147483647) all give 0, as for an empty field.
std::int32_t CountdownFromText(const wchar_t* text);
