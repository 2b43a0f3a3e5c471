#include "platform/scheduler_win32.h"

#include <windows.h>
#include <objbase.h>
#include <taskschd.h>

#include <cstdio>
#include <optional>
#include <string>

namespace zephyr {
namespace {

// Declared here, so the program links no import library of COM or of the scheduler.
constexpr CLSID kClsidTaskScheduler = {0x0f87369f, 0xa4e5, 0x4cfc,
                                       {0xbd, 0x3e, 0x73, 0xe6, 0x15, 0x45, 0x72, 0xdd}};
constexpr IID kIidTaskService = {0x2faba4c7, 0x4da9, 0x4013,
                                 {0x96, 0x97, 0x20, 0xcc, 0x3f, 0xd4, 0x0f, 0x85}};
constexpr DWORD kTokenElevation = 20;          // TOKEN_INFORMATION_CLASS
constexpr LONG kTaskCreateOrUpdate = 6;        // TASK_CREATE_OR_UPDATE
constexpr LONG kTaskLogonInteractiveToken = 3; // TASK_LOGON_INTERACTIVE_TOKEN
constexpr int kNameSamCompatible = 2;          // EXTENDED_NAME_FORMAT: DOMAIN\user

template <typename Function>
Function Lookup(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}

// A library loaded for the length of one call.
class Library {
 public:
  explicit Library(const char* name) : module_(LoadLibraryA(name)) {}
  ~Library() {
    if (module_) FreeLibrary(module_);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
  HMODULE get() const { return module_; }

 private:
  HMODULE module_;
};

std::string Describe(HRESULT result) {
  char text[512] = {};
  const DWORD length =
      FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                     static_cast<DWORD>(result), 0, text, sizeof text, nullptr);
  std::string described(text, length);
  while (!described.empty() && (described.back() == '\n' || described.back() == '\r' ||
                                described.back() == ' ')) {
    described.pop_back();
  }
  char code[32];
  std::snprintf(code, sizeof code, "error 0x%08lX", static_cast<unsigned long>(result));
  return described.empty() ? std::string(code) : described + " (" + code + ")";
}

// COM on this thread and the scheduler's root folder, for one register or delete.
class TaskFolder {
 public:
  TaskFolder() : ole32_("ole32.dll"), oleaut32_("oleaut32.dll") {
    using CoInitializeFn = HRESULT(WINAPI*)(LPVOID);
    using CoCreateInstanceFn = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
    const auto coInitialize = Lookup<CoInitializeFn>(ole32_.get(), "CoInitialize");
    const auto coCreateInstance = Lookup<CoCreateInstanceFn>(ole32_.get(), "CoCreateInstance");
    coUninitialize_ = Lookup<void(WINAPI*)()>(ole32_.get(), "CoUninitialize");
    sysAllocString_ = Lookup<BSTR(WINAPI*)(const OLECHAR*)>(oleaut32_.get(), "SysAllocString");
    sysFreeString_ = Lookup<void(WINAPI*)(BSTR)>(oleaut32_.get(), "SysFreeString");
    if (!coInitialize || !coCreateInstance || !coUninitialize_ || !sysAllocString_ ||
        !sysFreeString_) {
      return;
    }
    // S_FALSE: COM was already set up on this thread, and this call still counts.
    const HRESULT initialized = coInitialize(nullptr);
    uninitialize_ = SUCCEEDED(initialized);
    ITaskService* service = nullptr;
    if (FAILED(coCreateInstance(kClsidTaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                kIidTaskService, reinterpret_cast<void**>(&service)))) {
      return;  // no Task Scheduler 2.0: before Vista
    }
    VARIANT none;
    VariantInitEmpty(none);
    status_ = service->Connect(none, none, none, none);
    if (SUCCEEDED(status_)) {
      BSTR root = Text("\\");
      status_ = root ? service->GetFolder(root, &folder_) : E_OUTOFMEMORY;
      Free(root);
    }
    service->Release();
  }
  ~TaskFolder() {
    if (folder_) folder_->Release();
    if (uninitialize_) coUninitialize_();
  }
  TaskFolder(const TaskFolder&) = delete;
  TaskFolder& operator=(const TaskFolder&) = delete;

  // Unavailable when there is no scheduler, failed when it could not be reached.
  std::optional<TaskResult> Unreachable() const {
    if (folder_) return std::nullopt;
    if (status_ == S_OK) return TaskResult{};
    return TaskResult{TaskResult::Outcome::kFailed, Describe(status_)};
  }
  ITaskFolder* operator->() const { return folder_; }

  // ANSI text as a BSTR; nullptr when it cannot be had.
  BSTR Text(const std::string& ansi) const {
    const int length = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, nullptr, 0);
    if (length <= 0) return nullptr;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, wide.data(), length);
    return sysAllocString_(wide.c_str());
  }
  void Free(BSTR text) const {
    if (text) sysFreeString_(text);
  }
  static void VariantInitEmpty(VARIANT& value) {
    ZeroMemory(&value, sizeof value);
    value.vt = VT_EMPTY;
  }

 private:
  Library ole32_;
  Library oleaut32_;
  void(WINAPI* coUninitialize_)() = nullptr;
  BSTR(WINAPI* sysAllocString_)(const OLECHAR*) = nullptr;
  void(WINAPI* sysFreeString_)(BSTR) = nullptr;
  bool uninitialize_ = false;
  HRESULT status_ = S_OK;
  ITaskFolder* folder_ = nullptr;
};

}  // namespace

bool SchedulerWin32::NeedsLogonTask() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version) || version.dwPlatformId != VER_PLATFORM_WIN32_NT ||
      version.dwMajorVersion < 6) {
    return false;
  }
  using GetTokenInformationFn = BOOL(WINAPI*)(HANDLE, DWORD, LPVOID, DWORD, PDWORD);
  const auto getTokenInformation = Lookup<GetTokenInformationFn>(
      GetModuleHandleA("advapi32.dll"), "GetTokenInformation");
  HANDLE token = nullptr;
  if (!getTokenInformation || !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
    return false;
  }
  DWORD elevated = 0;
  DWORD size = 0;
  const BOOL read = getTokenInformation(token, kTokenElevation, &elevated, sizeof elevated, &size);
  CloseHandle(token);
  return read && elevated != 0;
}

std::string SchedulerWin32::CurrentUser() {
  char name[512] = {};
  ULONG size = sizeof name;
  Library secur32("secur32.dll");
  using GetUserNameExFn = BOOLEAN(WINAPI*)(int, LPSTR, PULONG);
  if (const auto getUserNameEx = Lookup<GetUserNameExFn>(secur32.get(), "GetUserNameExA");
      getUserNameEx && getUserNameEx(kNameSamCompatible, name, &size)) {
    return std::string(name, size);
  }
  using GetUserNameFn = BOOL(WINAPI*)(LPSTR, LPDWORD);
  DWORD plainSize = sizeof name;
  if (const auto getUserName =
          Lookup<GetUserNameFn>(GetModuleHandleA("advapi32.dll"), "GetUserNameA");
      getUserName && getUserName(name, &plainSize)) {
    return name;
  }
  return {};
}

TaskResult SchedulerWin32::RegisterLogonTask(const std::string& name, const std::string& user,
                                             const std::string& program) {
  TaskFolder folder;
  if (auto unreachable = folder.Unreachable()) return *unreachable;
  BSTR taskName = folder.Text(name);
  BSTR definition = folder.Text(LogonTaskXml(user, program));
  VARIANT none;
  TaskFolder::VariantInitEmpty(none);
  IRegisteredTask* registered = nullptr;
  const HRESULT result =
      taskName && definition
          ? folder->RegisterTask(taskName, definition, kTaskCreateOrUpdate, none, none,
                                 static_cast<TASK_LOGON_TYPE>(kTaskLogonInteractiveToken), none,
                                 &registered)
          : E_OUTOFMEMORY;
  if (registered) registered->Release();
  folder.Free(taskName);
  folder.Free(definition);
  if (FAILED(result)) return {TaskResult::Outcome::kFailed, Describe(result)};
  return {TaskResult::Outcome::kDone, {}};
}

TaskResult SchedulerWin32::DeleteTask(const std::string& name) {
  TaskFolder folder;
  if (auto unreachable = folder.Unreachable()) return *unreachable;
  BSTR taskName = folder.Text(name);
  const HRESULT result = taskName ? folder->DeleteTask(taskName, 0) : E_OUTOFMEMORY;
  folder.Free(taskName);
  if (result == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ||
      result == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)) {
    return {TaskResult::Outcome::kNotFound, {}};
  }
  if (FAILED(result)) return {TaskResult::Outcome::kFailed, Describe(result)};
  return {TaskResult::Outcome::kDone, {}};
}

}  // namespace zephyr
