// Loading every stored setting with its default.
#include "settings/load.h"

#include "settings/store.h"

namespace {

// A number 0 read as COUNTDOWNTIME means the default length.
constexpr std::int32_t kDefaultCountdownSeconds = 10;

template <typename T>
T ReadNumber(const SettingsReader& reader, const wchar_t* name) {
    std::uint32_t value = 0;
    reader.ReadDword(name, value);
    return static_cast<T>(value);
}

void ReadText(const SettingsReader& reader, const wchar_t* name, SharedText<kPathUnits>& destination) {
    wchar_t text[kPathUnits] = {};
    reader.ReadString(name, text);
    destination.Set(text);
}

}  // namespace

StoredMoments LoadSettings(AppState& state, SettingsSource source) {
    const SettingsReader reader = source == SettingsSource::Registry ? SettingsReader::Open() : SettingsReader();
    state.SOUND = ReadNumber<SoundMode>(reader, value::SOUND);

    StoredMoments moments;
    reader.ReadDword(value::MONTH, moments.MONTH);
    reader.ReadDword(value::DAY, moments.DAY);
    reader.ReadDword(value::HOUR, moments.HOUR);
    reader.ReadDword(value::MINUTE, moments.MINUTE);
    reader.ReadDword(value::MONTH2, moments.MONTH2);
    reader.ReadDword(value::DAY2, moments.DAY2);
    reader.ReadDword(value::HOUR2, moments.HOUR2);
    reader.ReadDword(value::MINUTE2, moments.MINUTE2);

    const auto countdown = ReadNumber<std::int32_t>(reader, value::COUNTDOWNTIME);
    state.COUNTDOWNTIME = countdown == 0 ? kDefaultCountdownSeconds : countdown;
    state.WAYTOEND = ReadNumber<EndAction>(reader, value::WAYTOEND);
    state.NEXT_REG = ReadNumber<ResumeMode>(reader, value::NEXT_REG);
    state.EXPLOSION_SOUND = ReadNumber<std::uint32_t>(reader, value::EXPLOSION_SOUND);
    ReadText(reader, value::MY_SOUND, state.MY_SOUND);
    ReadText(reader, value::PROGRAM, state.PROGRAM);
    ReadText(reader, value::PROGRAM_COMMANDLINE, state.PROGRAM_COMMANDLINE);
    wchar_t phrase[kPhraseUnits] = {};
    reader.ReadString(value::TEXT, phrase);
    state.phraseText.Set(phrase[0] != L'\0' ? phrase : kDefaultPhrase);

    state.FORCECHECK = ReadNumber<std::uint32_t>(reader, value::FORCECHECK);
    state.TESTCHECK = ReadNumber<std::uint32_t>(reader, value::TESTCHECK);
    state.STARTUPCHECK = ReadNumber<std::uint32_t>(reader, value::STARTUPCHECK);
    return moments;
}
