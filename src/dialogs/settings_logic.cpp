// Decisions of the settings dialog that need no window.
#include "dialogs/settings_logic.h"

#include <limits>

#include "platform/text.h"

std::optional<SoundControls> SoundControlsFor(SoundMode mode) {
    switch (mode) {
        case SoundMode::Silent:
            return SoundControls{false, false, false, false};
        case SoundMode::TenCount:
            return SoundControls{true, false, false, false};
        case SoundMode::Heartbeat:
        case SoundMode::Beep:
            return SoundControls{false, true, false, false};
        case SoundMode::ChosenSound:
            return SoundControls{false, true, true, true};
    }
    return std::nullopt;
}

void CountdownText(std::int32_t seconds, wchar_t (&text)[kCountdownTextUnits]) {
    FormatText(text, L"%ld", static_cast<long>(seconds));
}

std::int32_t CountdownFromText(const wchar_t* text) {
    constexpr std::uint32_t kLargest = std::numeric_limits<std::int32_t>::max();
    const wchar_t* p = text;
    while (*p == L' ' || *p == L'\t') ++p;
    if (*p < L'0' || *p > L'9') return 0;
    std::uint32_t value = 0;
    for (; *p >= L'0' && *p <= L'9'; ++p) {
        const auto digit = static_cast<std::uint32_t>(*p - L'0');
        if (value > (kLargest - digit) / 10) return 0;
        value = value * 10 + digit;
    }
    return static_cast<std::int32_t>(value);
}
