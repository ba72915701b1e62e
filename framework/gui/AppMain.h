/// The process entry: WinMain records the start-up parameters and the window-class names,
/// then kova::main obtains the application core from the program, runs it and deletes it.
/// Whatever is thrown on the way is caught there, and the process always ends with 0.
#ifndef KOVA_FRAMEWORK_GUI_APPMAIN_H
#define KOVA_FRAMEWORK_GUI_APPMAIN_H

#include <windows.h>

#include <cstdint>

namespace kova {

class XGAppCore;
class XGView;

extern HINSTANCE _GInstance;
extern HINSTANCE _GPrevInstance;
extern char* _GArgString;
extern std::int32_t _GArgShow;
extern HWND _GMainWindow;
extern HWND _GMDIWindow;
extern HWND _GToolWindow;
extern XGView* _GToolView;

/// Window-class names, unique per loaded module image ("_XGWindow_00400000"). The first
/// also names the window property that marks the framework's own windows.
constexpr int kClassNameSize = 32;
extern char _GWindowClass[kClassNameSize];
extern char _GPopClass[kClassNameSize];
extern char _GMainClass[kClassNameSize];
extern char _GToolClass[kClassNameSize];
extern char _GFrameClass[kClassNameSize];
extern char _GControlClass[kClassNameSize];
extern char _GDlogClass[kClassNameSize];
extern char _GCopyrightClass[kClassNameSize];

/// Fills the eight class names, in their fixed order, from a module handle's value.
void FormatWindowClassNames(UINT_PTR module);

/// Runs the program: StartApplication(), Run(), delete. Always returns 0.
int main();

} // namespace kova

/// Supplied by the program: its application core, or null when it has none to run.
kova::XGAppCore* StartApplication();

#endif
