// Entry point of the end-to-end tests. The last argument is the path of
// quillmarsh.exe, a Unix path when the build passes it under Wine.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "driver.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: e2e_tests [gtest options] <path of quillmarsh.exe>\n");
        return 2;
    }
    // The wide command line keeps a path with non-ASCII characters intact;
    // gtest's own options come before the path.
    int count = 0;
    std::unique_ptr<LPWSTR, decltype(&::LocalFree)> args(::CommandLineToArgvW(::GetCommandLineW(), &count),
                                                         &::LocalFree);
    if (!args || count < 2) {
        std::fprintf(stderr, "e2e_tests: cannot read the command line\n");
        return 2;
    }
    e2e::SetProgramPath(e2e::WindowsPathOf(args.get()[count - 1]));
    if (::GetFileAttributesW(e2e::ProgramPath().c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::fprintf(stderr, "e2e_tests: %ls not found\n", e2e::ProgramPath().c_str());
        return 2;
    }
    return RUN_ALL_TESTS();
}
