/// The part of shell32 that the launcher calls, for hosts that are not Windows.
#ifndef KOVA_POSIX_SHELLAPI_H
#define KOVA_POSIX_SHELLAPI_H

#include <windows.h>

#define SE_ERR_NOASSOC 31

/// Opens `file` ("open" or a null verb) as the shell does. A program is started with
/// `parameters` as its command line after its quoted name; a program that needs
/// administrator rights is started too, once the user has agreed (the stand-in takes
/// consent as given). Above 32 on success, else the error.
HINSTANCE WINAPI ShellExecuteA(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                               LPCSTR directory, INT showCommand);
HINSTANCE WINAPI ShellExecuteW(HWND window, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                               LPCWSTR directory, INT showCommand);

#endif
