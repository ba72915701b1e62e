/// A program that reports what the stand-in's entry handed its WinMain.
#include <windows.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR tail, int show)
{
    std::printf("instance=%d previous=%d show=%d\ntail=[%s]\nline=[%s]\n",
                instance == GetModuleHandleA(nullptr), previous == nullptr, show, tail, GetCommandLineA());
    return 7;
}
