// zephyrnet.exe's own definitions of four kernel32 imports that its static C and C++ runtime
// would otherwise take from kernel32.dll: CreateSemaphoreW (the win32 thread model's mutexes:
// static-initialisation guards, the unwinder's frame registry, thread-local emulation),
// GetModuleHandleW and LoadLibraryW (rand_s behind std::random_device, the locale's code page)
// and IsDBCSLeadByteEx (mbrtowc). On Windows 95, 98 and ME the wide functions are stubs that
// fail, so a contended lock would not lock; here they go to the ANSI functions instead.
//
// The runtime calls them through the import pointers (__imp_NAME); this object is linked into
// the program itself, before kernel32's import library, so the linker takes both the pointer
// and the function from here and the program's import table does not name them.
#include "platform/floor_shims_win32.h"

#if defined(__i386__)
#define ZEPHYR_IMPORT_FUNCTION(name, bytes) "_" #name "@" #bytes
#define ZEPHYR_IMPORT_POINTER(name, bytes) "__imp__" #name "@" #bytes
#else
#define ZEPHYR_IMPORT_FUNCTION(name, bytes) #name
#define ZEPHYR_IMPORT_POINTER(name, bytes) "__imp_" #name
#endif

extern "C" {

HANDLE WINAPI ZephyrCreateSemaphoreW(LPSECURITY_ATTRIBUTES, LONG, LONG, LPCWSTR)
    __asm__(ZEPHYR_IMPORT_FUNCTION(CreateSemaphoreW, 16));
HMODULE WINAPI ZephyrGetModuleHandleW(LPCWSTR) __asm__(ZEPHYR_IMPORT_FUNCTION(GetModuleHandleW, 4));
HMODULE WINAPI ZephyrLoadLibraryW(LPCWSTR) __asm__(ZEPHYR_IMPORT_FUNCTION(LoadLibraryW, 4));
BOOL WINAPI ZephyrIsDBCSLeadByteEx(UINT, BYTE) __asm__(ZEPHYR_IMPORT_FUNCTION(IsDBCSLeadByteEx, 8));

HANDLE WINAPI ZephyrCreateSemaphoreW(LPSECURITY_ATTRIBUTES attributes, LONG initial, LONG maximum,
                                     LPCWSTR name) {
  return zephyr::floor::CreateSemaphoreViaAnsi(attributes, initial, maximum, name);
}
HMODULE WINAPI ZephyrGetModuleHandleW(LPCWSTR name) {
  return zephyr::floor::GetModuleHandleViaAnsi(name);
}
HMODULE WINAPI ZephyrLoadLibraryW(LPCWSTR name) { return zephyr::floor::LoadLibraryViaAnsi(name); }
BOOL WINAPI ZephyrIsDBCSLeadByteEx(UINT codePage, BYTE byte) {
  return zephyr::floor::IsLeadByteOf(codePage, byte);
}

extern const void* const zephyr_imp_CreateSemaphoreW
    __asm__(ZEPHYR_IMPORT_POINTER(CreateSemaphoreW, 16));
extern const void* const zephyr_imp_GetModuleHandleW
    __asm__(ZEPHYR_IMPORT_POINTER(GetModuleHandleW, 4));
extern const void* const zephyr_imp_LoadLibraryW __asm__(ZEPHYR_IMPORT_POINTER(LoadLibraryW, 4));
extern const void* const zephyr_imp_IsDBCSLeadByteEx
    __asm__(ZEPHYR_IMPORT_POINTER(IsDBCSLeadByteEx, 8));

const void* const zephyr_imp_CreateSemaphoreW =
    reinterpret_cast<const void*>(&ZephyrCreateSemaphoreW);
const void* const zephyr_imp_GetModuleHandleW =
    reinterpret_cast<const void*>(&ZephyrGetModuleHandleW);
const void* const zephyr_imp_LoadLibraryW =
    reinterpret_cast<const void*>(&ZephyrLoadLibraryW);
const void* const zephyr_imp_IsDBCSLeadByteEx =
    reinterpret_cast<const void*>(&ZephyrIsDBCSLeadByteEx);

}  // extern "C"
