// Loading every stored setting with its default, and writing a change through.
#include "settings/load.h"

#include <utility>
#include <vector>

#include "platform/text.h"
#include "settings/store.h"

namespace {

constexpr std::pair<const wchar_t*, std::uint32_t StoredMoments::*> kMoments[] = {
    {value::MONTH, &StoredMoments::MONTH},   {value::DAY, &StoredMoments::DAY},
    {value::HOUR, &StoredMoments::HOUR},     {value::MINUTE, &StoredMoments::MINUTE},
    {value::MONTH2, &StoredMoments::MONTH2}, {value::DAY2, &StoredMoments::DAY2},
    {value::HOUR2, &StoredMoments::HOUR2},   {value::MINUTE2, &StoredMoments::MINUTE2},
};

void LoadNumber(const SettingsReader& reader, const SettingRow& row, Settings& record) {
    std::uint32_t number = row.defaultNumber;
    reader.ReadDword(row.name, number);
    if (number == 0 && row.blank == Blank::MeansDefault) number = row.defaultNumber;
    row.setNumber(record, number);
}

void LoadText(const SettingsReader& reader, const SettingRow& row, Settings& record) {
    std::vector<wchar_t> text(row.units, L'\0');
    CopyText(text.data(), text.size(), row.defaultText);
    reader.ReadString(row.name, text.data(), text.size());
    const bool blank = text[0] == L'\0' && row.blank == Blank::MeansDefault;
    row.setText(record, blank ? row.defaultText : text.data());
}

}  // namespace

StoredMoments LoadSettings(Settings& record, SettingsSource source) {
    const SettingsReader reader = source == SettingsSource::Registry ? SettingsReader::Open() : SettingsReader();
    for (const SettingRow& row : kSettings) {
        if (row.type == StoredAs::Number) {
            LoadNumber(reader, row, record);
        } else {
            LoadText(reader, row, record);
        }
    }
    StoredMoments moments;
    for (const auto& [name, stored] : kMoments) reader.ReadDword(name, moments.*stored);
    return moments;
}

void SaveNumber(const SettingRow& row, std::uint32_t number, Settings& record) {
    row.setNumber(record, number);
    WriteSettingDword(row.name, number);
}

void SaveText(const SettingRow& row, const wchar_t* text, Settings& record) {
    row.setText(record, text);
    WriteSettingString(row.name, text);
}
