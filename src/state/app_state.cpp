// The process-wide state record and the end-action name table.
#include "state/app_state.h"

const wchar_t* const endActionNames[kEndActionCount] = {
    L"ｼｬｯﾄﾀﾞｳﾝ", L"ﾘﾌﾞｰﾄ", L"ﾛｸﾞｵﾌ", L"ｽﾀﾝﾊﾞｲ", L"休止",
};

const wchar_t* EndActionName(EndAction action) {
    const auto index = static_cast<std::uint32_t>(action);
    return index < kEndActionCount ? endActionNames[index] : nullptr;
}

AppState app;
