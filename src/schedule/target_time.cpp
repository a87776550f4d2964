// The next moment that matches the combos' month, day, hour and minute.
#include "schedule/target_time.h"

#include <cwchar>

#include "platform/calendar.h"

namespace {

// Enough steps for every combination the combos can hold; a bound so that a
// moment the system cannot represent never loops forever.
constexpr int kMaxAdvances = 64;

long ReadNumber(const wchar_t* text) {
    if (text == nullptr) return 0;
    wchar_t* end = nullptr;
    const long value = std::wcstol(text, &end, 10);
    return end == text ? 0 : value;
}

}  // namespace

std::optional<std::tm> ResolveTargetTime(const wchar_t* month, const wchar_t* day, const wchar_t* hour,
                                         const wchar_t* minute, std::int64_t now) {
    std::tm record = LocalTimeOf(now);
    const long monthNumber = ReadNumber(month);
    const long dayNumber = ReadNumber(day);
    const bool monthFixed = monthNumber != 0;
    const bool dayFixed = dayNumber != 0;
    if (monthFixed) record.tm_mon = static_cast<int>(monthNumber - 1);
    if (dayFixed) record.tm_mday = static_cast<int>(dayNumber);
    record.tm_hour = static_cast<int>(ReadNumber(hour));
    record.tm_min = static_cast<int>(ReadNumber(minute));
    record.tm_sec = 0;
    // Daylight saving is decided for the target itself, not taken over from
    // now: a target across a change stays at the wall-clock time chosen.
    record.tm_isdst = -1;

    std::int64_t moment = MakeLocalTime(record);
    for (int step = 0; moment != -1 && moment < now && step < kMaxAdvances; ++step) {
        // In the hour repeated when daylight saving ends, the earlier of the
        // two instants may be past while the later one is still to come.
        std::tm later = record;
        later.tm_isdst = 0;
        const std::int64_t laterMoment = MakeLocalTime(later);
        if (laterMoment >= now) return later;
        if (monthFixed && dayFixed) {
            ++record.tm_year;
        } else if (!monthFixed && !dayFixed) {
            ++record.tm_mday;
        } else {
            ++record.tm_mon;
        }
        moment = MakeLocalTime(record);
    }
    if (moment == -1 || moment < now) return std::nullopt;
    return record;
}
