// What Windows reads of the program's resources: the version that Task
// Manager and the file's properties show, and the icon's sizes.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "platform/dpi.h"
#include "res/resource.h"
#include "state/app_state.h"
#include "ui/tray.h"

namespace {

// A value of one block of the version resource linked into this exe.
std::wstring VersionValue(const std::vector<BYTE>& info, const wchar_t* block, const wchar_t* name) {
    const std::wstring path = std::wstring(L"\\StringFileInfo\\") + block + L"\\" + name;
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(info.data(), path.c_str(), &value, &length) || length == 0) return L"(none)";
    return static_cast<const wchar_t*>(value);
}

TEST(VersionResource, NamesTheProgramItsVersionAndItsMakerInBothBlocks) {
    wchar_t path[MAX_PATH];
    ASSERT_NE(0u, ::GetModuleFileNameW(nullptr, path, MAX_PATH));
    DWORD ignored = 0;
    std::vector<BYTE> info(::GetFileVersionInfoSizeW(path, &ignored));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(::GetFileVersionInfoW(path, 0, static_cast<DWORD>(info.size()), info.data()));
    for (const wchar_t* block : {L"041104B0", L"000004B0"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(block)));
        EXPECT_EQ(L"ｸｲﾙﾏｰｼｭ", VersionValue(info, block, L"FileDescription"));
        EXPECT_EQ(L"1.13", VersionValue(info, block, L"FileVersion"));
        EXPECT_EQ(L"1.13", VersionValue(info, block, L"ProductVersion"));
        EXPECT_EQ(L"tovakeli", VersionValue(info, block, L"CompanyName"));
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(MAKELONG(13, 1), fixed->dwFileVersionMS);
    EXPECT_EQ(MAKELONG(13, 1), fixed->dwProductVersionMS);
}

// The sizes Windows asks for at 100 % to 400 % scale, and 256 for Explorer,
// each drawn, none scaled; the small icon is loaded in the system's size.
TEST(IconResource, CarriesEverySizeWindowsAsksForAndLoadsTheSmallOne) {
    HRSRC found = ::FindResourceW(App().instance, MAKEINTRESOURCEW(IDI_MAIN), RT_GROUP_ICON);
    ASSERT_NE(nullptr, found);
    const auto* group = static_cast<const BYTE*>(::LockResource(::LoadResource(App().instance, found)));
    ASSERT_NE(nullptr, group);
    const WORD count = static_cast<WORD>(group[4] | group[5] << 8);
    std::set<int> sizes;
    for (WORD i = 0; i < count; ++i) sizes.insert(group[6 + 14 * i] == 0 ? 256 : group[6 + 14 * i]);
    EXPECT_EQ((std::set<int>{16, 20, 24, 32, 40, 48, 64, 256}), sizes);

    // Each size loads its own image, in the order a move between monitors
    // may ask for them: a shared icon would answer with the first one.
    for (const UINT dpi : {96u, 192u, 144u}) {
        const OwnedIcon icon = LoadProgramIcon(SM_CXSMICON, SM_CYSMICON, dpi);
        ICONINFO info{};
        ASSERT_TRUE(::GetIconInfo(icon.get(), &info));
        BITMAP mask{};
        ::GetObjectW(info.hbmMask, sizeof mask, &mask);
        if (info.hbmColor != nullptr) ::DeleteObject(info.hbmColor);
        ::DeleteObject(info.hbmMask);
        EXPECT_EQ(::MulDiv(::GetSystemMetrics(SM_CXSMICON), static_cast<int>(dpi), static_cast<int>(SystemDpi())),
                  mask.bmWidth)
            << dpi;
    }
}

}  // namespace
