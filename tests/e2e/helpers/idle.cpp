// A program that does nothing until it is ended: a real 64-bit program, not
// one of Wine's built-in ones, that the end-to-end tests copy under the
// names they need a running process to have.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    ::Sleep(INFINITE);
    return 0;
}
