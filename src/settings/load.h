// Every stored setting with its default, read in one place, and the
// write-through of a change. Both loop over or look up the table of
// state/settings.h. The main window loads through here at start-up and the
// tests' reset does the same.
#pragma once

#include <cstdint>

#include "state/app_state.h"

// The stored values of the main window's eight number combos, under their
// registry value names; 0 when absent. They live in the combos, not in the
// settings record, so they have a small table of their own.
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

// Reads every setting of kSettings into `record`, through one open settings
// key (created when it is missing). A value that is absent, of another type
// or another size keeps its row's default; a text is cut to its buffer; a
// stored 0 or empty text of a row marked Blank::MeansDefault gives the
// default as well (COUNTDOWNTIME's 0 is ten seconds, TEXT's empty value the
// default phrase). Returns the combos' stored values.
StoredMoments LoadSettings(Settings& record, SettingsSource source = SettingsSource::Registry);

// The write-through of a change: sets the row's field of `record` and writes
// the value under the row's name, in that order.
void SaveNumber(const SettingRow& row, std::uint32_t number, Settings& record = App());
void SaveText(const SettingRow& row, const wchar_t* text, Settings& record = App());
