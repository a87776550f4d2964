// The settings store: one registry key of the current user, one value per
// setting, written through the moment a control changes. Every write is
// self-contained (open or create the key, one value operation, close) and
// reports nothing; reads go through a SettingsReader, which opens the key once
// for several values. A failed or unfit read leaves the caller's default.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/handle.h"
#include "state/settings.h"  // the value names

inline constexpr wchar_t kSettingsKeyPath[] = L"Software\\tovakeli\\quillmarsh";
inline constexpr wchar_t kRunKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kRunValueName[] = L"quillmarsh";

// The settings key, opened (or created) once for several reads. A reader made
// with no key reads nothing, so every destination keeps its default.
class SettingsReader {
public:
    SettingsReader() = default;
    // Opens the settings key, creating it when it is missing.
    static SettingsReader Open();

    // As ReadSettingDword and ReadSettingString below.
    void ReadDword(const wchar_t* name, std::uint32_t& destination) const;
    void ReadString(const wchar_t* name, wchar_t* destination, std::size_t capacity) const;
    template <std::size_t N>
    void ReadString(const wchar_t* name, wchar_t (&destination)[N]) const {
        ReadString(name, destination, N);
    }

private:
    OwnedKey key_;
};

// Reads a REG_DWORD. An absent value, another type or another size leaves
// the destination unchanged.
void ReadSettingDword(const wchar_t* name, std::uint32_t& destination);

// Reads a REG_SZ into a buffer of `capacity` units. An absent value or one of
// another type leaves the buffer unchanged; a longer text is cut to the
// buffer. The buffer always ends terminated.
void ReadSettingString(const wchar_t* name, wchar_t* destination, std::size_t capacity);

template <std::size_t N>
void ReadSettingString(const wchar_t* name, wchar_t (&destination)[N]) {
    ReadSettingString(name, destination, N);
}

void WriteSettingDword(const wchar_t* name, std::uint32_t value);
// Writes a REG_SZ of (length + 1) * 2 bytes.
void WriteSettingString(const wchar_t* name, const wchar_t* text);
// Writes the start-up entry "quillmarsh" under the Run key: the program's
// path as StartupCommand gives it, or the empty text to switch it off.
void WriteStartupEntry(const wchar_t* path);
// Deletes the settings key and the start-up entry; nothing else.
void ResetSettings();

// The command line the Run value holds for a program path. A path with a
// space is put in double quotes: unquoted, Windows would try its leading
// parts first ("C:\Program.exe" for "C:\Program Files\..."), so whoever can
// create such a file would be started at every log-on. A path without a
// space is kept as it is.
std::wstring StartupCommand(const wchar_t* path);

// The decoding rules of the reads, on raw value data, for testing.
bool DecodeDword(DWORD type, const BYTE* data, std::size_t bytes, std::uint32_t& destination);
bool DecodeString(DWORD type, const BYTE* data, std::size_t bytes, wchar_t* destination, std::size_t capacity);
