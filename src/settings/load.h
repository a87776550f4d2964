// Every stored setting with its default, read in one place. The main window
// loads through here at start-up and the tests' reset does the same, so a new
// setting and its default are written here once.
#pragma once

#include <cstdint>

#include "state/app_state.h"

// The stored values of the main window's eight number combos, under their
// registry value names; 0 when absent.
struct StoredMoments {
    std::uint32_t MONTH = 0;
    std::uint32_t DAY = 0;
    std::uint32_t HOUR = 0;
    std::uint32_t MINUTE = 0;
    std::uint32_t MONTH2 = 0;
    std::uint32_t DAY2 = 0;
    std::uint32_t HOUR2 = 0;
    std::uint32_t MINUTE2 = 0;
};

// Where the settings come from: the registry, or nowhere (every setting at
// its default, as a first start sees them).
enum class SettingsSource { Registry, Defaults };

// Reads every setting into `state`, through one open settings key (created
// when it is missing). A value that is absent, of another type or another
// size keeps its default; a text is cut to its buffer. The defaults: every
// number 0 but COUNTDOWNTIME, whose 0 stands for 10 seconds, every text empty
// but TEXT, whose empty value stands for kDefaultPhrase. Returns the combos'
// stored values.
StoredMoments LoadSettings(AppState& state, SettingsSource source = SettingsSource::Registry);
