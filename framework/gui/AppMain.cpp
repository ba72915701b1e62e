#include "framework/gui/AppMain.h"

#include "framework/core/ErrorCode.h"
#include "framework/gui/XGAppCore.h"

#include <cstddef>

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

void FormatWindowClassNames(DWORD module)
{
    // "%08lX" takes a 32-bit value on Win32 and on the stand-in alike: the longest name,
    // "_XGControl_" and eight digits, needs 20 of the 32 bytes.
    wsprintfA(_GWindowClass, "_XGWindow_%08lX", module);
    wsprintfA(_GPopClass, "_XGPop_%08lX", module);
    wsprintfA(_GMainClass, "_XGMain_%08lX", module);
    wsprintfA(_GToolClass, "_XGTool_%08lX", module);
    wsprintfA(_GFrameClass, "_XGFrame_%08lX", module);
    wsprintfA(_GControlClass, "_XGControl_%08lX", module);
    wsprintfA(_GDlogClass, "_XGDialog_%08lX", module);
    wsprintfA(_GCopyrightClass, "_XGC_%08lX", module);
}

} // namespace kova

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    using namespace kova;
    _GInstance = hInstance;
    _GPrevInstance = hPrevInstance;
    _GArgString = lpCmdLine;
    _GArgShow = nCmdShow;
    _GMainWindow = NULL;
    _GMDIWindow = NULL;
    _GToolWindow = NULL;
    _GToolView = NULL;
    // A module handle is its image's base address; on 32-bit Windows it fits 32 bits.
    FormatWindowClassNames(
        static_cast<DWORD>(reinterpret_cast<UINT_PTR>(GetModuleHandleA(NULL))));
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
