/// A program that reports what the stand-in's entry handed its WinMain, and whether the
/// hand-over from WinExec is still in its environment.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR tail, int show)
{
    std::printf("instance=%d previous=%d show=%d\ntail=[%s]\nline=[%s]\nhanded over: %s\n",
                instance == GetModuleHandleA(nullptr), previous == nullptr, show, tail,
                GetCommandLineA(),
                std::getenv("KOVA_COMMAND_LINE") || std::getenv("KOVA_SHOW_WINDOW") ? "still there"
                                                                                    : "gone");
    return 7;
}
