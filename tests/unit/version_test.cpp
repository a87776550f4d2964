// The version resource that Task Manager and the file's properties read.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

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

}  // namespace
