// Every stored setting: the in-memory record the program reads, and the table
// that says for each field its registry value, its default and how it is
// stored. Loading, the write-through of a change and the summary's snapshot
// loop over the table (settings/load.h, ui/summary.h), so a new setting is a
// field and a row here, and where it has a control, that control's binding in
// its dialog.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "state/end_action.h"
#include "state/resume_mode.h"
#include "state/shared_text.h"
#include "state/texts.h"

enum class SoundMode : std::uint32_t { Silent = 0, TenCount = 1, Heartbeat = 2, Beep = 3, ChosenSound = 4 };

inline constexpr std::size_t kPathUnits = 260;
inline constexpr std::size_t kPhraseUnits = 40;

// The registry value names.
namespace value {
inline constexpr wchar_t SOUND[] = L"SOUND";
inline constexpr wchar_t MONTH[] = L"MONTH";
inline constexpr wchar_t DAY[] = L"DAY";
inline constexpr wchar_t HOUR[] = L"HOUR";
inline constexpr wchar_t MINUTE[] = L"MINUTE";
inline constexpr wchar_t MONTH2[] = L"MONTH2";
inline constexpr wchar_t DAY2[] = L"DAY2";
inline constexpr wchar_t HOUR2[] = L"HOUR2";
inline constexpr wchar_t MINUTE2[] = L"MINUTE2";
inline constexpr wchar_t COUNTDOWNTIME[] = L"COUNTDOWNTIME";
inline constexpr wchar_t WAYTOEND[] = L"WAYTOEND";
inline constexpr wchar_t NEXT_REG[] = L"NEXT_REG";
inline constexpr wchar_t EXPLOSION_SOUND[] = L"EXPLOSION_SOUND";
inline constexpr wchar_t MY_SOUND[] = L"MY_SOUND";
inline constexpr wchar_t PROGRAM[] = L"PROGRAM";
inline constexpr wchar_t PROGRAM_COMMANDLINE[] = L"PROGRAM_COMMANDLINE";
inline constexpr wchar_t TEXT[] = L"TEXT";
inline constexpr wchar_t FORCECHECK[] = L"FORCECHECK";
inline constexpr wchar_t TESTCHECK[] = L"TESTCHECK";
inline constexpr wchar_t STARTUPCHECK[] = L"STARTUPCHECK";
}  // namespace value

// The settings in memory, under their registry value names. Every field is
// zero or empty until LoadSettings gives it its stored value or its default.
struct Settings {
    std::atomic<EndAction> WAYTOEND{};
    std::atomic<ResumeMode> NEXT_REG{};
    std::atomic<SoundMode> SOUND{};
    std::atomic<std::int32_t> COUNTDOWNTIME{};
    std::atomic<std::uint32_t> EXPLOSION_SOUND{};
    std::atomic<std::uint32_t> FORCECHECK{};
    std::atomic<std::uint32_t> TESTCHECK{};
    std::atomic<std::uint32_t> STARTUPCHECK{};
    SharedText<kPathUnits> MY_SOUND;
    SharedText<kPathUnits> PROGRAM;
    SharedText<kPathUnits> PROGRAM_COMMANDLINE;
    SharedText<kPhraseUnits> phraseText;  // the TEXT setting
};

// How a value is stored: a REG_DWORD number or a REG_SZ text.
enum class StoredAs { Number, Text };

// Whether a stored 0 (or empty text) is a value of its own or stands for the
// default.
enum class Blank { IsValue, MeansDefault };

// One setting. The accessors reach its field in a record; a number travels as
// its 32 stored bits whatever the field's type.
struct SettingRow {
    const wchar_t* name;  // the registry value
    StoredAs type;
    std::uint32_t defaultNumber;  // a number's default
    const wchar_t* defaultText;   // a text's default
    Blank blank;                  // what a stored 0 or empty text means
    std::size_t units;            // a text's buffer, terminator included: a longer text is cut to it
    std::uint32_t (*getNumber)(const Settings&);
    void (*setNumber)(Settings&, std::uint32_t);
    std::wstring (*getText)(const Settings&);
    void (*setText)(Settings&, const wchar_t*);
};

namespace setting_field {

// The type a field of Settings holds: the atomic's value or the shared text.
template <auto Field>
using Member = std::remove_reference_t<decltype(std::declval<Settings&>().*Field)>;

template <auto Field>
std::uint32_t GetNumber(const Settings& record) {
    return static_cast<std::uint32_t>((record.*Field).load());
}

template <auto Field>
void SetNumber(Settings& record, std::uint32_t number) {
    (record.*Field).store(static_cast<typename Member<Field>::value_type>(number));
}

template <auto Field>
std::wstring GetText(const Settings& record) {
    return (record.*Field).Get();
}

template <auto Field>
void SetText(Settings& record, const wchar_t* text) {
    (record.*Field).Set(text);
}

}  // namespace setting_field

// A REG_DWORD setting held in an atomic field of Settings.
template <auto Field>
constexpr SettingRow NumberSetting(const wchar_t* name, typename setting_field::Member<Field>::value_type fallback,
                                   Blank blank = Blank::IsValue) {
    SettingRow row{};
    row.name = name;
    row.type = StoredAs::Number;
    row.defaultNumber = static_cast<std::uint32_t>(fallback);
    row.defaultText = L"";
    row.blank = blank;
    row.getNumber = &setting_field::GetNumber<Field>;
    row.setNumber = &setting_field::SetNumber<Field>;
    return row;
}

// A REG_SZ setting held in a shared text of Settings, cut to its capacity.
template <auto Field>
constexpr SettingRow TextSetting(const wchar_t* name, const wchar_t* fallback, Blank blank = Blank::IsValue) {
    SettingRow row{};
    row.name = name;
    row.type = StoredAs::Text;
    row.defaultText = fallback;
    row.blank = blank;
    row.units = setting_field::Member<Field>::kCapacity;
    row.getText = &setting_field::GetText<Field>;
    row.setText = &setting_field::SetText<Field>;
    return row;
}

// Every setting, in the order they are loaded.
inline constexpr SettingRow kSettings[] = {
    NumberSetting<&Settings::SOUND>(value::SOUND, SoundMode::Silent),
    // 0 stands for ten seconds.
    NumberSetting<&Settings::COUNTDOWNTIME>(value::COUNTDOWNTIME, 10, Blank::MeansDefault),
    NumberSetting<&Settings::WAYTOEND>(value::WAYTOEND, EndAction::Shutdown),
    NumberSetting<&Settings::NEXT_REG>(value::NEXT_REG, ResumeMode::NoWake),
    NumberSetting<&Settings::EXPLOSION_SOUND>(value::EXPLOSION_SOUND, 0),
    TextSetting<&Settings::MY_SOUND>(value::MY_SOUND, L""),
    TextSetting<&Settings::PROGRAM>(value::PROGRAM, L""),
    TextSetting<&Settings::PROGRAM_COMMANDLINE>(value::PROGRAM_COMMANDLINE, L""),
    // The empty text stands for the default phrase.
    TextSetting<&Settings::phraseText>(value::TEXT, kDefaultPhrase, Blank::MeansDefault),
    NumberSetting<&Settings::FORCECHECK>(value::FORCECHECK, 0),
    NumberSetting<&Settings::TESTCHECK>(value::TESTCHECK, 0),
    NumberSetting<&Settings::STARTUPCHECK>(value::STARTUPCHECK, 0),
};
inline constexpr std::size_t kSettingCount = std::size(kSettings);

// Reached only when a name outside the table is looked up while the program
// runs; a lookup made at compile time fails to compile instead.
[[noreturn]] inline void NoSuchSetting() { std::abort(); }

// The position of the row stored under `name`.
constexpr std::size_t SettingIndex(std::wstring_view name) {
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        if (name == kSettings[i].name) return i;
    }
    NoSuchSetting();
}

// The row stored under `name`.
constexpr const SettingRow& SettingNamed(std::wstring_view name) { return kSettings[SettingIndex(name)]; }

// Plain copies of every setting at one moment, for a view that shows them;
// read and written by value name.
class SettingsSnapshot {
public:
    // As a first start loads them.
    static SettingsSnapshot Defaults() {
        SettingsSnapshot snapshot;
        for (std::size_t i = 0; i < kSettingCount; ++i) {
            snapshot.numbers_[i] = kSettings[i].defaultNumber;
            snapshot.texts_[i] = kSettings[i].defaultText;
        }
        return snapshot;
    }

    static SettingsSnapshot Of(const Settings& record) {
        SettingsSnapshot snapshot;
        for (std::size_t i = 0; i < kSettingCount; ++i) {
            const SettingRow& row = kSettings[i];
            if (row.type == StoredAs::Number) {
                snapshot.numbers_[i] = row.getNumber(record);
            } else {
                snapshot.texts_[i] = row.getText(record);
            }
        }
        return snapshot;
    }

    template <typename T = std::uint32_t>
    T Number(std::wstring_view name) const {
        return static_cast<T>(numbers_[SettingIndex(name)]);
    }
    const std::wstring& Text(std::wstring_view name) const { return texts_[SettingIndex(name)]; }

    template <typename T>
    void SetNumber(std::wstring_view name, T number) {
        numbers_[SettingIndex(name)] = static_cast<std::uint32_t>(number);
    }
    void SetText(std::wstring_view name, std::wstring text) { texts_[SettingIndex(name)] = std::move(text); }

private:
    std::array<std::uint32_t, kSettingCount> numbers_{};
    std::array<std::wstring, kSettingCount> texts_;
};
