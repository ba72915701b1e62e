#include "WindowManager.h"

#include <algorithm>
#include <cctype>

namespace kova::posix {

bool SameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::toupper(x) == std::toupper(y);
           });
}

WindowManager& WindowManager::Get()
{
    // Never destroyed: framework globals may still destroy their windows at exit, after
    // this file's own globals would be gone.
    static WindowManager* const manager = new WindowManager;
    return *manager;
}

WindowManager::WindowManager()
    : fClasses{{"BUTTON", ButtonProc},
               {"SCROLLBAR", ScrollBarProc},
               {"STATIC", DefWindowProcA},
               {"MDICLIENT", DefWindowProcA}}
{
}

bool WindowManager::AddClass(const std::string& name, WNDPROC proc)
{
    if (FindClass(name) != nullptr) {
        return false;
    }
    fClasses.emplace_back(name, proc);
    return true;
}

WNDPROC WindowManager::FindClass(const std::string& name)
{
    for (const auto& [className, proc] : fClasses) {
        if (SameName(className, name)) {
            return proc;
        }
    }
    return nullptr;
}

Window* WindowManager::Find(HWND handle)
{
    auto found = fWindows.find(handle);
    if (found == fWindows.end()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return found->second.get();
}

HWND WindowManager::NewHandle()
{
    // Handles are never reused, so a stale one is refused rather than taken for a newer
    // window.
    fNextHandle += 4;
    return reinterpret_cast<HWND>(fNextHandle);
}

ThreadQueue& WindowManager::Queue(DWORD thread)
{
    std::unique_ptr<ThreadQueue>& queue = fQueues[thread];
    if (queue == nullptr) {
        queue = std::make_unique<ThreadQueue>();
    }
    return *queue;
}

std::vector<HWND>& WindowManager::Siblings(const Window& window)
{
    return window.fParent != nullptr ? fWindows.at(window.fParent)->fChildren : fTopLevel;
}

bool WindowManager::IsVisible(const Window& window)
{
    for (const Window* w = &window; w != nullptr;
         w = w->fParent != nullptr ? fWindows.at(w->fParent).get() : nullptr) {
        if ((w->fStyle & WS_VISIBLE) == 0) {
            return false;
        }
    }
    return true;
}

Window& WindowManager::TopLevel(Window& window)
{
    Window* w = &window;
    while ((w->fStyle & WS_CHILD) != 0 && w->fParent != nullptr) {
        w = fWindows.at(w->fParent).get();
    }
    return *w;
}

void WindowManager::ActivateNext(DWORD thread)
{
    ThreadQueue& queue = Queue(thread);
    queue.fActive = nullptr;
    queue.fFocus = nullptr;
    for (HWND handle : fTopLevel) {
        const Window& w = *fWindows.at(handle);
        if (w.fThread == thread && !w.fDestroying && (w.fStyle & WS_VISIBLE) != 0) {
            queue.fActive = queue.fFocus = handle;
            return;
        }
    }
}

} // namespace kova::posix
