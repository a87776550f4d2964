// What this PC will really do with an end action or a wake-up.
#include "power/power_check.h"

#include "platform/calendar.h"
#include "platform/system.h"
#include "platform/text.h"
#include "state/texts.h"

namespace {

// Whether the facts say for sure that hibernation can happen (true), cannot
// (false), or do not tell.
std::optional<bool> HibernationPossible(const PowerFacts& facts) {
    if (facts.hibernate == false || facts.hiberFile == false || facts.reducedHiberFile == true) return false;
    if (facts.hibernate == true && facts.hiberFile == true) return true;
    return std::nullopt;
}

// A standby request on a PC without S1-S3 (Modern Standby machines among
// them) hibernates when it can, and does nothing when it cannot.
bool StandbyMissing(const PowerFacts& facts) { return facts.standby == false; }

// Whether the machine ends up hibernated after the action.
bool EndsHibernated(const PowerFacts& facts, EndAction action) {
    if (action == EndAction::Hibernate) return true;
    return action == EndAction::Standby && StandbyMissing(facts) && HibernationPossible(facts) == true;
}

template <typename... Args>
std::wstring Filled(const wchar_t* format, Args... args) {
    wchar_t text[512];
    FormatText(text, format, args...);
    return text;
}

}  // namespace

std::vector<PowerFinding> AssessEndAction(const PowerFacts& facts, EndAction action) {
    std::vector<PowerFinding> findings;
    // Whatever else the PC could do, the request itself would be refused.
    if (NeedsShutdownRight(action) && facts.shutdownPrivilege == false) {
        findings.push_back({Advice::Refuse, Filled(kNoShutdownPrivilege, EndActionName(action))});
        return findings;
    }
    switch (action) {
        case EndAction::Standby:
            if (!StandbyMissing(facts)) break;
            if (HibernationPossible(facts) == true) {
                findings.push_back({Advice::Warn, kStandbyHibernatesInstead});
            } else if (HibernationPossible(facts) == false) {
                findings.push_back({Advice::Refuse, kNoStandbyNorHibernation});
            }
            break;
        case EndAction::Hibernate:
            if (HibernationPossible(facts) == false) findings.push_back({Advice::Refuse, kNoHibernation});
            break;
        default:
            break;
    }
    return findings;
}

std::vector<PowerFinding> AssessHeldAwake(const PowerFacts& facts) {
    std::vector<PowerFinding> findings;
    if (facts.modernStandby == true && facts.source == PowerSource::Battery) {
        findings.push_back({Advice::Warn, kAwakeEndsOnBattery});
    }
    return findings;
}

std::vector<PowerFinding> AssessWakeUp(const PowerFacts& facts, const WakePlan& plan) {
    std::vector<PowerFinding> findings;
    if (plan.timerCode == DWORD{ERROR_NOT_SUPPORTED} || plan.timerCode == kTimerResumeIgnored) {
        findings.push_back({Advice::Warn, kWakeNoTimerResume});
    }
    if (EndsHibernated(facts, plan.action) && facts.rtcWake && *facts.rtcWake < PowerSystemHibernate) {
        findings.push_back({Advice::Warn, kWakeNotFromHibernation});
    }
    if (facts.wakeTimers && facts.source && *facts.wakeTimers != WakeTimers::Enabled) {
        const wchar_t* source = *facts.source == PowerSource::Mains ? kMainsPower : kBatteryPower;
        const wchar_t* format =
            *facts.wakeTimers == WakeTimers::Disabled ? kWakeTimersDisabled : kWakeTimersImportantOnly;
        findings.push_back({Advice::Warn, Filled(format, source)});
    }
    if (plan.wakeMoment && plan.endMoment && *plan.wakeMoment < *plan.endMoment) {
        const std::tm date = LocalTimeOf(*plan.wakeMoment);
        findings.push_back(
            {Advice::Warn, Filled(kWakeBeforeEnd, date.tm_mon + 1, date.tm_mday, date.tm_hour, date.tm_min)});
    }
    return findings;
}

std::optional<DWORD> ProbeResumeCode() {
    DWORD code = ERROR_SUCCESS;
    if (Sys().ProbeTimerResume(code) != ERROR_SUCCESS) return std::nullopt;
    return code;
}

PowerFacts GatherPowerFacts() {
    PowerFacts facts = Sys().QueryPowerFacts();
    const DWORD privilege = Sys().EnablePrivilege(SE_SHUTDOWN_NAME);
    if (privilege == ERROR_SUCCESS) {
        facts.shutdownPrivilege = true;
    } else if (privilege == ERROR_NOT_ALL_ASSIGNED) {
        facts.shutdownPrivilege = false;
    }
    return facts;
}
