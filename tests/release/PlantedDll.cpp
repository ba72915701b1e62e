/// A DLL as someone might plant it beside a program on a disc, under the name of one that
/// Windows loads on the program's way: loaded into a process, it leaves a mark in its own
/// folder, "<its file name>.in.<the program's file name>", and does nothing else.
#include <windows.h>

namespace {

/// The file name at the end of a module's path.
const wchar_t* FileName(const wchar_t* path)
{
    const wchar_t* name = path;
    for (const wchar_t* c = path; *c != L'\0'; ++c) {
        if (*c == L'\\' || *c == L'/') {
            name = c + 1;
        }
    }
    return name;
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH) {
        return TRUE;
    }
    wchar_t mark[3 * MAX_PATH];
    wchar_t program[MAX_PATH];
    const DWORD length = GetModuleFileNameW(instance, mark, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || GetModuleFileNameW(nullptr, program, MAX_PATH) == 0) {
        return TRUE;
    }
    lstrcatW(mark, L".in.");
    lstrcatW(mark, FileName(program));
    const HANDLE file =
        CreateFileW(mark, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
    return TRUE;
}
