#include "framework/gui/AppMain.h"

#include "framework/core/ErrorCode.h"
#include "framework/gui/HardenProcess.h"
#include "framework/gui/XGAppCore.h"

#include <cstddef>
#include <cstdint>

namespace kova {

HINSTANCE _GInstance;
HINSTANCE _GPrevInstance;
char* _GArgString;
std::int32_t _GArgShow;
HWND _GMainWindow;
HWND _GMDIWindow;
HWND _GToolWindow;
XGView* _GToolView;

char _GWindowClass[kClassNameSize];
char _GPopClass[kClassNameSize];
char _GMainClass[kClassNameSize];
char _GToolClass[kClassNameSize];
char _GFrameClass[kClassNameSize];
char _GControlClass[kClassNameSize];
char _GDlogClass[kClassNameSize];
char _GCopyrightClass[kClassNameSize];

void FormatWindowClassNames(UINT_PTR module)
{
    // "%08lX" takes 32 bits (LONG is 32 bits wide on 64-bit Windows too), which is the
    // whole handle of a 32-bit program. A 64-bit program is loaded above 4 GB (at
    // 0x140000000 unless linked otherwise); cut to 32 bits, images that differ only above
    // them would share names, so the upper digits go in front. The longest name,
    // "_XGControl_" and sixteen digits, needs 28 of the 32 bytes.
    const DWORD high = static_cast<DWORD>(static_cast<std::uint64_t>(module) >> 32);
    const DWORD low = static_cast<DWORD>(module);
    const struct {
        char* name;
        const char* format;
        const char* wideFormat;
    } names[] = {
        {_GWindowClass, "_XGWindow_%08lX", "_XGWindow_%lX%08lX"},
        {_GPopClass, "_XGPop_%08lX", "_XGPop_%lX%08lX"},
        {_GMainClass, "_XGMain_%08lX", "_XGMain_%lX%08lX"},
        {_GToolClass, "_XGTool_%08lX", "_XGTool_%lX%08lX"},
        {_GFrameClass, "_XGFrame_%08lX", "_XGFrame_%lX%08lX"},
        {_GControlClass, "_XGControl_%08lX", "_XGControl_%lX%08lX"},
        {_GDlogClass, "_XGDialog_%08lX", "_XGDialog_%lX%08lX"},
        {_GCopyrightClass, "_XGC_%08lX", "_XGC_%lX%08lX"},
    };
    for (const auto& entry : names) {
        if (high == 0) {
            wsprintfA(entry.name, entry.format, low);
        } else {
            wsprintfA(entry.name, entry.wideFormat, high, low);
        }
    }
}

} // namespace kova

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    using namespace kova;
    // Before anything that may load a DLL or touch a drive. The modules' globals, built
    // before the entry, only create semaphores and events, which do neither.
    HardenProcess();
    _GInstance = hInstance;
    _GPrevInstance = hPrevInstance;
    _GArgString = lpCmdLine;
    _GArgShow = nCmdShow;
    _GMainWindow = NULL;
    _GMDIWindow = NULL;
    _GToolWindow = NULL;
    _GToolView = NULL;
    // A module handle is its image's base address.
    FormatWindowClassNames(reinterpret_cast<UINT_PTR>(GetModuleHandleA(NULL)));
    return kova::main();
}

namespace kova {

int main()
{
    try {
        XGAppCore* a = StartApplication();
        // NOTE: this check reports itself as "AppMain", line 122, whatever the layout of
        // this file; main() stands last so that the renumbering touches nothing else.
#line 122 "AppMain"
        KOVAAssert(a != NULL);
        a->Run();
        delete a;
    } catch (...) {
        KOVADebugError("Unknown exception caught before application core initialized");
    }
    return 0;
}

} // namespace kova
