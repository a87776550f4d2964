// What the program says of this PC's power as an operation is armed.
#include "schedule/arming.h"

#include <string>

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

bool MayArm(EndAction action, Attendance attendance, std::optional<std::int64_t> endMoment, const MomentTexts* wake,
            const Settings& settings) {
    const PowerFacts facts = GatherPowerFacts();
    std::vector<PowerFinding> findings = AssessEndAction(facts, action);
    if (wake != nullptr && SleepsMachine(action)) {
        WakePlan plan{action, std::nullopt, std::nullopt, endMoment};
        if (std::optional<std::tm> moment = ResolveMoment(*wake, Sys().Now())) {
            plan.wakeMoment = MakeLocalTime(*moment);
        }
        for (PowerFinding& finding : AssessWakeUp(facts, plan)) findings.push_back(std::move(finding));
    }
    return PresentFindings(findings, attendance, settings);
}

void AdviseWakeUp(DWORD timerCode, Attendance attendance, const Settings& settings) {
    const WakePlan plan{settings.WAYTOEND.load(), timerCode, std::nullopt, std::nullopt};
    PresentFindings(AssessWakeUp(GatherPowerFacts(), plan), attendance, settings);
}
