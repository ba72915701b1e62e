// Message queues of the stand-in: one per thread, holding posted messages and the quit
// request; paint messages are made up when a window needs painting and nothing else waits.
#include "WindowManager.h"

#include <windows.h>

#include <chrono>

using kova::posix::ThreadQueue;
using kova::posix::Window;
using kova::posix::WindowManager;

namespace {

DWORD MessageTime()
{
    using namespace std::chrono;
    return static_cast<DWORD>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

/// Whether a message for `target` passes GetMessageA's window filter: the filter window
/// itself or any of its descendants.
bool PassesWindowFilter(WindowManager& manager, HWND target, HWND filter)
{
    for (HWND h = target; h != NULL;) {
        if (h == filter) {
            return true;
        }
        auto window = manager.fWindows.find(h);
        h = window != manager.fWindows.end() ? window->second->fParent : NULL;
    }
    return false;
}

bool InRange(UINT message, UINT first, UINT last)
{
    return (first == 0 && last == 0) || (message >= first && message <= last);
}

/// The first window of a thread, in z-order, top-level windows before their children,
/// that needs painting and passes the filter.
HWND FindPaint(WindowManager& manager, const std::vector<HWND>& windows, DWORD thread, HWND filter)
{
    for (HWND h : windows) {
        const Window& window = *manager.fWindows.at(h);
        if (window.fThread == thread && window.fNeedsPaint && manager.IsVisible(window) &&
            (filter == NULL || PassesWindowFilter(manager, h, filter))) {
            return h;
        }
        if (const HWND child = FindPaint(manager, window.fChildren, thread, filter)) {
            return child;
        }
    }
    return NULL;
}

} // namespace

BOOL WINAPI PostMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowManager& manager = WindowManager::Get();
    std::lock_guard<std::mutex> lock(manager.fMutex);
    DWORD thread = GetCurrentThreadId();
    if (handle != NULL) {
        Window* window = manager.Find(handle);
        if (window == nullptr) {
            return FALSE;
        }
        thread = window->fThread;
    }
    ThreadQueue& queue = manager.Queue(thread);
    queue.fPosted.push_back({handle, message, wParam, lParam, MessageTime(), {0, 0}});
    queue.fArrived.notify_all();
    return TRUE;
}

void WINAPI PostQuitMessage(int exitCode)
{
    WindowManager& manager = WindowManager::Get();
    std::lock_guard<std::mutex> lock(manager.fMutex);
    ThreadQueue& queue = manager.Queue(GetCurrentThreadId());
    queue.fQuit = true;
    queue.fQuitCode = exitCode;
    queue.fArrived.notify_all();
}

BOOL WINAPI GetMessageA(LPMSG message, HWND handle, UINT first, UINT last)
{
    WindowManager& manager = WindowManager::Get();
    std::unique_lock<std::mutex> lock(manager.fMutex);
    if (message == NULL || (handle != NULL && manager.Find(handle) == nullptr)) {
        return -1;
    }
    const DWORD thread = GetCurrentThreadId();
    ThreadQueue& queue = manager.Queue(thread);
    for (;;) {
        // Posted messages first, then the quit request, which no filter holds back, then
        // painting.
        for (auto posted = queue.fPosted.begin(); posted != queue.fPosted.end(); ++posted) {
            if (InRange(posted->message, first, last) &&
                (handle == NULL || PassesWindowFilter(manager, posted->hwnd, handle))) {
                *message = *posted;
                queue.fPosted.erase(posted);
                return message->message != WM_QUIT ? TRUE : FALSE;
            }
        }
        if (queue.fQuit) {
            queue.fQuit = false;
            *message = {NULL, WM_QUIT,       static_cast<WPARAM>(queue.fQuitCode),
                        0,    MessageTime(), {0, 0}};
            return FALSE;
        }
        if (InRange(WM_PAINT, first, last)) {
            if (const HWND paint = FindPaint(manager, manager.fTopLevel, thread, handle)) {
                *message = {paint, WM_PAINT, 0, 0, MessageTime(), {0, 0}};
                return TRUE;
            }
        }
        queue.fArrived.wait(lock);
    }
}

BOOL WINAPI TranslateMessage(const MSG* message)
{
    if (message == NULL || (message->message != WM_KEYDOWN && message->message != WM_SYSKEYDOWN &&
                            message->message != WM_KEYUP && message->message != WM_SYSKEYUP)) {
        return FALSE;
    }
    if (message->message == WM_KEYUP || message->message == WM_SYSKEYUP) {
        return TRUE;
    }
    // With no keyboard there is no Shift or Caps Lock: a key gives its plain character.
    const WPARAM key = message->wParam;
    WPARAM character = 0;
    if (key == VK_BACK || key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE ||
        key == VK_SPACE || (key >= '0' && key <= '9')) {
        character = key;
    } else if (key >= 'A' && key <= 'Z') {
        character = key - 'A' + 'a';
    }
    if (character != 0) {
        PostMessageA(message->hwnd, message->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR,
                     character, message->lParam);
    }
    return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG* message)
{
    if (message == NULL || message->hwnd == NULL) {
        return 0;
    }
    return SendMessageA(message->hwnd, message->message, message->wParam, message->lParam);
}
