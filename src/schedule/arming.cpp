// What the program says of this PC's power as an operation is armed.
#include "schedule/arming.h"

#include <string>
#include <utility>

#include "platform/calendar.h"
#include "platform/system.h"
#include "state/app_state.h"
#include "state/view.h"
#include "ui/tray.h"

bool PresentFindings(const std::vector<PowerFinding>& findings, Attendance attendance, const Settings& settings) {
    if (findings.empty()) return true;
    bool refused = false;
    std::wstring text;
    for (const PowerFinding& finding : findings) {
        refused = refused || finding.advice == Advice::Refuse;
        if (!text.empty()) text += L"\r\n\r\n";
        text += finding.text;
    }
    if (attendance == Attendance::User && refused && settings.TESTCHECK.load() == 0) {
        TheView().ShowBox(text.c_str(), kBoxCaption, MB_OK | MB_ICONERROR);
        return false;
    }
    Warn(text.c_str(), attendance);
    return true;
}

void Warn(const wchar_t* text, Attendance attendance) {
    if (attendance == Attendance::Unattended) {
        ShowWarningBalloon(text);
    } else {
        TheView().ShowBox(text, kBoxCaption, MB_OK | MB_ICONWARNING);
    }
}

namespace {

void Append(std::vector<PowerFinding>& findings, std::vector<PowerFinding> more) {
    for (PowerFinding& finding : more) findings.push_back(std::move(finding));
}

}  // namespace

bool MayArm(EndAction action, Attendance attendance, std::optional<std::int64_t> endMoment, const MomentTexts* wake,
            const Settings& settings) {
    const PowerFacts facts = GatherPowerFacts();
    std::vector<PowerFinding> findings = AssessEndAction(facts, action);
    Append(findings, AssessHeldAwake(facts));
    if (wake != nullptr && SleepsMachine(action)) {
        // The wake-up itself is armed only at the end, unattended: whether
        // the PC can resume on a timer is asked now, of a probe.
        WakePlan plan{action, ProbeResumeCode(), std::nullopt, endMoment};
        // Resolved at the end, only a fixed date can have gone by then.
        if (endMoment && FixesDate(*wake)) {
            if (std::optional<std::tm> moment = ResolveMoment(*wake, Sys().Now())) {
                plan.wakeMoment = MakeLocalTime(*moment);
            }
        }
        Append(findings, AssessWakeUp(facts, plan));
    }
    return PresentFindings(findings, attendance, settings);
}

bool MayEndNow(EndAction action, const Settings& settings) {
    return PresentFindings(AssessEndAction(GatherPowerFacts(), action), Attendance::User, settings);
}

void AdviseWakeUp(Attendance attendance, const Settings& settings) {
    const WakePlan plan{settings.WAYTOEND.load(), ProbeResumeCode(), std::nullopt, std::nullopt};
    PresentFindings(AssessWakeUp(GatherPowerFacts(), plan), attendance, settings);
}
