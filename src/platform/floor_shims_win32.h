// The few wide-character kernel32 calls that the C and C++ runtime make (the win32 thread model's
// locks, std::random_device, the locale's code page, mbrtowc), answered with the functions that
// Windows 95, 98 and ME implement: there the wide ones are stubs that fail, and IsDBCSLeadByteEx
// may be missing. zephyrnet.exe takes the runtime's imports of these names from here
// (app/floor_imports_win32.cpp), so it imports none of them.
#pragma once

#include <windows.h>

namespace zephyr::floor {

// `name` in the system's ANSI code page, NUL-terminated, into `out` (at most 2 * MAX_PATH bytes
// are used). False, with the last error set, when it does not fit or has a character that code
// page cannot spell exactly.
bool AnsiName(LPCWSTR name, char* out, int size);

// CreateSemaphoreW, GetModuleHandleW and LoadLibraryW through the ANSI functions; a null name
// stays null, a name that cannot be spelt in ANSI fails with ERROR_INVALID_NAME.
HANDLE CreateSemaphoreViaAnsi(LPSECURITY_ATTRIBUTES attributes, LONG initial, LONG maximum,
                              LPCWSTR name);
HMODULE GetModuleHandleViaAnsi(LPCWSTR name);
HMODULE LoadLibraryViaAnsi(LPCWSTR name);

// IsDBCSLeadByteEx from GetCPInfo's lead-byte ranges; false for a code page the system lacks.
BOOL IsLeadByteOf(UINT codePage, BYTE byte);

}  // namespace zephyr::floor
