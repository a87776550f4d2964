// Registry access for the settings store.
#include "settings/store.h"

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/handle.h"
#include "platform/text.h"

namespace {

OwnedKey OpenOrCreate(const wchar_t* path) {
    OwnedKey key;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.put(),
                      nullptr);
    return key;
}

// Reads a value's type and data whole, whatever its size.
bool QueryValue(HKEY key, const wchar_t* name, DWORD& type, std::vector<BYTE>& data) {
    if (key == nullptr) return false;
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD bytes = 0;
        if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return false;
        data.assign(bytes, 0);
        const LONG result = ::RegQueryValueExW(key, name, nullptr, &type, data.data(), &bytes);
        if (result == ERROR_SUCCESS) {
            data.resize(bytes);
            return true;
        }
        if (result != ERROR_MORE_DATA) return false;  // else the value grew meanwhile
    }
    return false;
}

void SetValue(const wchar_t* path, const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
    OwnedKey key = OpenOrCreate(path);
    if (key) ::RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), bytes);
}

void SetString(const wchar_t* path, const wchar_t* name, const wchar_t* text) {
    const std::size_t units = std::wcslen(text) + 1;
    SetValue(path, name, REG_SZ, text, static_cast<DWORD>(units * sizeof(wchar_t)));
}

}  // namespace

bool DecodeDword(DWORD type, const BYTE* data, std::size_t bytes, std::uint32_t& destination) {
    if (type != REG_DWORD || bytes != sizeof(std::uint32_t)) return false;
    std::memcpy(&destination, data, sizeof destination);
    return true;
}

bool DecodeString(DWORD type, const BYTE* data, std::size_t bytes, wchar_t* destination, std::size_t capacity) {
    if (type != REG_SZ || capacity == 0) return false;
    // The stored text may lack its terminator or have an odd byte count:
    // take whole units up to the first zero and terminate it here.
    std::vector<wchar_t> units(bytes / sizeof(wchar_t) + 1, L'\0');
    if (bytes >= sizeof(wchar_t)) std::memcpy(units.data(), data, (bytes / sizeof(wchar_t)) * sizeof(wchar_t));
    CopyText(destination, capacity, units.data());
    return true;
}

SettingsReader SettingsReader::Open() {
    SettingsReader reader;
    reader.key_ = OpenOrCreate(kSettingsKeyPath);
    return reader;
}

void SettingsReader::ReadDword(const wchar_t* name, std::uint32_t& destination) const {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (QueryValue(key_.get(), name, type, data)) DecodeDword(type, data.data(), data.size(), destination);
}

void SettingsReader::ReadString(const wchar_t* name, wchar_t* destination, std::size_t capacity) const {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (QueryValue(key_.get(), name, type, data)) DecodeString(type, data.data(), data.size(), destination, capacity);
}

void ReadSettingDword(const wchar_t* name, std::uint32_t& destination) {
    SettingsReader::Open().ReadDword(name, destination);
}

void ReadSettingString(const wchar_t* name, wchar_t* destination, std::size_t capacity) {
    SettingsReader::Open().ReadString(name, destination, capacity);
}

void WriteSettingDword(const wchar_t* name, std::uint32_t value) {
    SetValue(kSettingsKeyPath, name, REG_DWORD, &value, sizeof value);
}

void WriteSettingString(const wchar_t* name, const wchar_t* text) { SetString(kSettingsKeyPath, name, text); }

std::wstring StartupCommand(const wchar_t* path) {
    std::wstring command(path);
    if (command.find(L' ') == std::wstring::npos) return command;
    return L'"' + command + L'"';
}

void WriteStartupEntry(const wchar_t* path) { SetString(kRunKeyPath, kRunValueName, StartupCommand(path).c_str()); }

void ResetSettings() {
    OwnedKey settings;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_ALL_ACCESS, settings.put()) == ERROR_SUCCESS) {
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kSettingsKeyPath);
    }
    OwnedKey run;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kRunKeyPath, 0, KEY_ALL_ACCESS, run.put()) == ERROR_SUCCESS) {
        ::RegDeleteValueW(run.get(), kRunValueName);
    }
}
