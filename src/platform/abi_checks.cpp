// Structure sizes that the program relies on for 32-bit Windows. They are
// checked at compile time in the i686 build.
#include <windows.h>
#include <commdlg.h>

static_assert(sizeof(void*) != 4 || sizeof(OPENFILENAMEW) == 88,
              "the 32-bit open-file record is 88 bytes, reserved fields included");
static_assert(sizeof(void*) != 4 || sizeof(STARTUPINFOW) == 68, "the 32-bit start-up record is 68 bytes");
