// Native windows of the stand-in: classes, creation and destruction, the window tree in
// z-order, properties, visibility, activation, text, placement and painting.
#include "WindowManager.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <functional>

using kova::posix::SameName;
using kova::posix::ThreadQueue;
using kova::posix::Window;
using kova::posix::WindowManager;

namespace {

using Lock = std::lock_guard<std::mutex>;

/// Property names are atoms in Win32: a value below 0x10000 is an atom number, not text.
std::string PropertyName(LPCSTR name)
{
    const UINT_PTR value = reinterpret_cast<UINT_PTR>(name);
    return value <= 0xFFFF ? "#" + std::to_string(value) : std::string(name);
}

/// The window's property of that name (names compare without regard to case), or the end
/// of its list.
auto FindProperty(Window& window, LPCSTR name)
{
    const std::string key = PropertyName(name);
    return std::find_if(window.fProperties.begin(), window.fProperties.end(),
                        [&key](const auto& property) { return SameName(property.first, key); });
}

/// Every window of a subtree, the root first, then each child's subtree in z-order.
void CollectSubtree(WindowManager& manager, HWND root, std::vector<HWND>& out)
{
    out.push_back(root);
    for (HWND child : manager.fWindows.at(root)->fChildren) {
        CollectSubtree(manager, child, out);
    }
}

void MarkNeedsPaint(WindowManager& manager, Window& window)
{
    if (manager.IsVisible(window)) {
        window.fNeedsPaint = true;
    }
}

void BringToFront(std::vector<HWND>& siblings, HWND handle)
{
    siblings.erase(std::find(siblings.begin(), siblings.end(), handle));
    siblings.insert(siblings.begin(), handle);
}

} // namespace

ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass)
{
    if (windowClass == NULL || windowClass->lpszClassName == NULL ||
        windowClass->lpfnWndProc == NULL) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WindowManager& manager = WindowManager::Get();
    Lock lock(manager.fMutex);
    if (!manager.AddClass(windowClass->lpszClassName, windowClass->lpfnWndProc)) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    // An atom of the string-atom range, which is all a caller may do with it.
    static ATOM nextAtom = 0xC000;
    return nextAtom++;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param)
{
    WindowManager& manager = WindowManager::Get();
    HWND handle = NULL;
    {
        Lock lock(manager.fMutex);
        const WNDPROC proc = className != NULL ? manager.FindClass(className) : nullptr;
        if (proc == nullptr) {
            SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
            return NULL;
        }
        Window* parentWindow = nullptr;
        if (parent != NULL && (parentWindow = manager.Find(parent)) == nullptr) {
            return NULL;
        }
        if ((style & WS_CHILD) != 0 && parentWindow == nullptr) {
            SetLastError(ERROR_TLW_WITH_WSCHILD);
            return NULL;
        }
        const bool mdiChild = (exStyle & WS_EX_MDICHILD) != 0;
        if (mdiChild) {
            if (parentWindow == nullptr || !SameName(parentWindow->fClass, "MDICLIENT")) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return NULL;
            }
            // An MDI child is always a child of its client and is always shown.
            style |= WS_CHILD | WS_VISIBLE;
        }

        auto window = std::make_unique<Window>();
        handle = window->fHandle = manager.NewHandle();
        window->fProc = proc;
        window->fClass = className;
        window->fStyle = style & ~static_cast<DWORD>(WS_VISIBLE); // shown once it is created
        window->fExStyle = exStyle;
        // A parent given to a window that is not a child is its owner, which the stand-in
        // does not keep: such a window is top-level.
        window->fParent = (style & WS_CHILD) != 0 ? parent : NULL;
        window->fRect = {x, y, x + std::max(width, 0), y + std::max(height, 0)};
        window->fID = (style & WS_CHILD) != 0 ? reinterpret_cast<UINT_PTR>(menu) : 0;
        window->fThread = GetCurrentThreadId();
        std::vector<HWND>& siblings = manager.Siblings(*window);
        // New top-level windows and MDI children come in front; other children go behind
        // their older siblings, so that z-order is creation order, as in a dialog.
        if (window->fParent == NULL || mdiChild) {
            siblings.insert(siblings.begin(), handle);
        } else {
            siblings.push_back(handle);
        }
        manager.fWindows.emplace(handle, std::move(window));
    }

    CREATESTRUCTA create = {
        param,      instance,  menu,   parent, height, width, y, x, static_cast<LONG>(style),
        windowName, className, exStyle};
    if (SendMessageA(handle, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create)) == FALSE ||
        SendMessageA(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(handle);
        return NULL;
    }
    if ((style & WS_VISIBLE) != 0) {
        ShowWindow(handle, SW_SHOW);
    }
    return handle;
}

BOOL WINAPI DestroyWindow(HWND handle)
{
    WindowManager& manager = WindowManager::Get();
    std::vector<HWND> subtree;
    {
        Lock lock(manager.fMutex);
        Window* window = manager.Find(handle);
        if (window == nullptr) {
            return FALSE;
        }
        if (window->fThread != GetCurrentThreadId()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (window->fDestroying) {
            return TRUE;
        }
        CollectSubtree(manager, handle, subtree);
        for (HWND h : subtree) {
            manager.fWindows.at(h)->fDestroying = true;
        }
        window->fStyle &= ~static_cast<DWORD>(WS_VISIBLE);
        ThreadQueue& queue = manager.Queue(window->fThread);
        const auto inSubtree = [&subtree](HWND h) {
            return std::find(subtree.begin(), subtree.end(), h) != subtree.end();
        };
        if (inSubtree(queue.fActive)) {
            manager.ActivateNext(window->fThread);
        } else if (inSubtree(queue.fFocus)) {
            queue.fFocus = queue.fActive;
        }
    }

    // WM_DESTROY goes to the parent before its children, WM_NCDESTROY to the children
    // first; a window's record goes right after its WM_NCDESTROY.
    for (HWND h : subtree) {
        SendMessageA(h, WM_DESTROY, 0, 0);
    }
    const std::function<void(HWND)> finish = [&](HWND h) {
        std::vector<HWND> children;
        {
            Lock lock(manager.fMutex);
            Window* window = manager.Find(h);
            if (window == nullptr) {
                return;
            }
            children = window->fChildren;
        }
        for (HWND child : children) {
            finish(child);
        }
        SendMessageA(h, WM_NCDESTROY, 0, 0);
        Lock lock(manager.fMutex);
        if (Window* window = manager.Find(h)) {
            std::vector<HWND>& siblings = manager.Siblings(*window);
            siblings.erase(std::find(siblings.begin(), siblings.end(), h));
            manager.fWindows.erase(h);
        }
    };
    finish(handle);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND handle)
{
    WindowManager& manager = WindowManager::Get();
    Lock lock(manager.fMutex);
    return manager.fWindows.count(handle) != 0 ? TRUE : FALSE;
}

LRESULT WINAPI DefWindowProcA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowManager& manager = WindowManager::Get();
    switch (message) {
    case WM_NCCREATE:
    case WM_SETTEXT: {
        const LPCSTR text = message == WM_NCCREATE
                                ? reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpszName
                                : reinterpret_cast<LPCSTR>(lParam);
        Lock lock(manager.fMutex);
        if (Window* window = manager.Find(handle)) {
            window->fText = text != NULL ? text : "";
        }
        return TRUE;
    }
    case WM_GETTEXT: {
        Lock lock(manager.fMutex);
        Window* window = manager.Find(handle);
        if (window == nullptr || wParam == 0) {
            return 0;
        }
        const std::size_t count = std::min<std::size_t>(window->fText.size(), wParam - 1);
        std::memcpy(reinterpret_cast<char*>(lParam), window->fText.data(), count);
        reinterpret_cast<char*>(lParam)[count] = '\0';
        return static_cast<LRESULT>(count);
    }
    case WM_GETTEXTLENGTH: {
        Lock lock(manager.fMutex);
        Window* window = manager.Find(handle);
        return window != nullptr ? static_cast<LRESULT>(window->fText.size()) : 0;
    }
    case WM_CLOSE:
        DestroyWindow(handle);
        return 0;
    case WM_PAINT: {
        Lock lock(manager.fMutex);
        if (Window* window = manager.Find(handle)) {
            window->fNeedsPaint = false;
        }
        return 0;
    }
    default:
        return 0;
    }
}

LRESULT WINAPI DefMDIChildProcA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(handle, message, wParam, lParam);
}

HWND WINAPI GetWindow(HWND handle, UINT command)
{
    WindowManager& manager = WindowManager::Get();
    Lock lock(manager.fMutex);
    Window* window = manager.Find(handle);
    if (window == nullptr) {
        return NULL;
    }
    switch (command) {
    case GW_CHILD:
        return window->fChildren.empty() ? NULL : window->fChildren.front();
    case GW_HWNDNEXT: {
        const std::vector<HWND>& siblings = manager.Siblings(*window);
        auto next = std::find(siblings.begin(), siblings.end(), handle) + 1;
        return next != siblings.end() ? *next : NULL;
    }
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return NULL;
    }
}

HWND WINAPI GetParent(HWND handle)
{
    WindowManager& manager = WindowManager::Get();
    Lock lock(manager.fMutex);
    Window* window = manager.Find(handle);
    return window != nullptr ? window->fParent : NULL;
}

BOOL WINAPI SetPropA(HWND handle, LPCSTR name, HANDLE data)
{
    WindowManager& manager = WindowManager::Get();
    Lock lock(manager.fMutex);
    Window* window = manager.Find(handle);
    if (window == nullptr || name == NULL) {
        return FALSE;
    }
    const auto property = FindProperty(*window, name);
    if (property != window->fProperties.end()) {
        property->second = data;
    } else {
        window->fProperties.emplace_back(PropertyName(name), data);
    }
    return TRUE;
}

HANDLE WINAPI GetPropA(HWND handle, LPCSTR name)
{
    WindowManager& manager = WindowManager::Get();
    Lock lock(manager.fMutex);
    Window* window = manager.Find(handle);
    if (window == nullptr || name == NULL) {
        return NULL;
    }
    const auto property = FindProperty(*window, name);
    return property != window->fProperties.end() ? property->second : NULL;
}

HANDLE WINAPI RemovePropA(HWND handle, LPCSTR name)
{
    WindowManager& manager = WindowManager::Get();
    Lock lock(manager.fMutex);
    Window* window = manager.Find(handle);
    if (window == nullptr || name == NULL) {
        return NULL;
    }
    const auto property = FindProperty(*window, name);
    if (property == window->fProperties.end()) {
        return NULL;
    }
    const HANDLE value = property->second;
    window->fProperties.erase(property);
    return value;
}

BOOL WINAPI ShowWindow(HWND handle, int command)
{
    WindowManager& manager = WindowManager::Get();
    Lock lock(manager.fMutex);
    Window* window = manager.Find(handle);
    if (window == nullptr) {
        return FALSE;
    }
    const BOOL wasVisible = (window->fStyle & WS_VISIBLE) != 0 ? TRUE : FALSE;
    ThreadQueue& queue = manager.Queue(window->fThread);
    if (command == SW_HIDE) {
        window->fStyle &= ~static_cast<DWORD>(WS_VISIBLE);
        if (queue.fActive == handle) {
            manager.ActivateNext(window->fThread);
        }
        return wasVisible;
    }
    window->fStyle |= WS_VISIBLE;
    if (!wasVisible) {
        std::vector<HWND> subtree;
        CollectSubtree(manager, handle, subtree);
        for (HWND h : subtree) {
            MarkNeedsPaint(manager, *manager.fWindows.at(h));
        }
    }
    const bool activates = command != SW_SHOWNA && command != SW_SHOWNOACTIVATE;
    if (activates && window->fParent == NULL) {
        queue.fActive = queue.fFocus = handle;
        BringToFront(manager.fTopLevel, handle);
    }
    return wasVisible;
}

BOOL WINAPI IsWindowVisible(HWND handle)
{
    WindowManager& manager = WindowManager::Get();
    Lock lock(manager.fMutex);
    Window* window = manager.Find(handle);
    return window != nullptr && manager.IsVisible(*window) ? TRUE : FALSE;
}

BOOL WINAPI EnableWindow(HWND handle, BOOL enable)
{
    WindowManager& manager = WindowManager::Get();
    Lock lock(manager.fMutex);
    Window* window = manager.Find(handle);
    if (window == nullptr) {
        return FALSE;
    }
    const BOOL wasDisabled = (window->fStyle & WS_DISABLED) != 0 ? TRUE : FALSE;
    if (enable) {
        window->fStyle &= ~static_cast<DWORD>(WS_DISABLED);
    } else {
        window->fStyle |= WS_DISABLED;
    }
    return wasDisabled;
}

BOOL WINAPI IsWindowEnabled(HWND handle)
{
    WindowManager& manager = WindowManager::Get();
    Lock lock(manager.fMutex);
    Window* window = manager.Find(handle);
    return window != nullptr && (window->fStyle & WS_DISABLED) == 0 ? TRUE : FALSE;
}

HWND WINAPI SetActiveWindow(HWND handle)
{
    WindowManager& manager = WindowManager::Get();
    Lock lock(manager.fMutex);
    ThreadQueue& queue = manager.Queue(GetCurrentThreadId());
    const HWND previous = queue.fActive;
    if (handle == NULL) {
        queue.fActive = queue.fFocus = NULL;
        return previous;
    }
    Window* window = manager.Find(handle);
    if (window == nullptr) {
        return NULL;
    }
    if (window->fThread != GetCurrentThreadId()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return NULL;
    }
    // Only a top-level window can be active; asking for a child changes nothing.
    if (window->fParent == NULL) {
        queue.fActive = queue.fFocus = handle;
        BringToFront(manager.fTopLevel, handle);
    }
    return previous;
}

HWND WINAPI GetActiveWindow(void)
{
    WindowManager& manager = WindowManager::Get();
    Lock lock(manager.fMutex);
    return manager.Queue(GetCurrentThreadId()).fActive;
}

HWND WINAPI SetFocus(HWND handle)
{
    WindowManager& manager = WindowManager::Get();
    Lock lock(manager.fMutex);
    ThreadQueue& queue = manager.Queue(GetCurrentThreadId());
    const HWND previous = queue.fFocus;
    if (handle == NULL) {
        queue.fFocus = NULL;
        return previous;
    }
    Window* window = manager.Find(handle);
    if (window == nullptr) {
        return NULL;
    }
    if (window->fThread != GetCurrentThreadId()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return NULL;
    }
    // The window that takes the focus activates its top-level window.
    Window& top = manager.TopLevel(*window);
    if (queue.fActive != top.fHandle) {
        queue.fActive = top.fHandle;
        BringToFront(manager.fTopLevel, top.fHandle);
    }
    queue.fFocus = handle;
    return previous;
}

HWND WINAPI GetFocus(void)
{
    WindowManager& manager = WindowManager::Get();
    Lock lock(manager.fMutex);
    return manager.Queue(GetCurrentThreadId()).fFocus;
}

SHORT WINAPI GetKeyState(int)
{
    // The stand-in has no keyboard: every key is up and no toggle is on.
    return 0;
}

BOOL WINAPI SetWindowTextA(HWND handle, LPCSTR text)
{
    return SendMessageA(handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0 ? TRUE : FALSE;
}

int WINAPI GetWindowTextA(HWND handle, LPSTR buffer, int size)
{
    if (buffer == NULL || size <= 0) {
        return 0;
    }
    buffer[0] = '\0';
    return static_cast<int>(SendMessageA(handle, WM_GETTEXT, static_cast<WPARAM>(size),
                                         reinterpret_cast<LPARAM>(buffer)));
}

BOOL WINAPI SetWindowPos(HWND handle, HWND insertAfter, int x, int y, int width, int height,
                         UINT flags)
{
    WindowManager& manager = WindowManager::Get();
    Lock lock(manager.fMutex);
    Window* window = manager.Find(handle);
    if (window == nullptr) {
        return FALSE;
    }
    RECT& rect = window->fRect;
    if ((flags & SWP_NOMOVE) == 0) {
        rect = {x, y, x + (rect.right - rect.left), y + (rect.bottom - rect.top)};
    }
    if ((flags & SWP_NOSIZE) == 0) {
        rect.right = rect.left + std::max(width, 0);
        rect.bottom = rect.top + std::max(height, 0);
    }
    if ((flags & SWP_NOZORDER) == 0) {
        std::vector<HWND>& siblings = manager.Siblings(*window);
        if (insertAfter == HWND_TOP) {
            BringToFront(siblings, handle);
        } else if (insertAfter == HWND_BOTTOM) {
            siblings.erase(std::find(siblings.begin(), siblings.end(), handle));
            siblings.push_back(handle);
        } else if (insertAfter != handle &&
                   std::find(siblings.begin(), siblings.end(), insertAfter) != siblings.end()) {
            siblings.erase(std::find(siblings.begin(), siblings.end(), handle));
            siblings.insert(std::find(siblings.begin(), siblings.end(), insertAfter) + 1, handle);
        }
    }
    // What the window covered and what it covers now both need painting again.
    MarkNeedsPaint(manager, *window);
    if (window->fParent != NULL) {
        MarkNeedsPaint(manager, *manager.fWindows.at(window->fParent));
    }
    return TRUE;
}

BOOL WINAPI MoveWindow(HWND handle, int x, int y, int width, int height, BOOL)
{
    return SetWindowPos(handle, NULL, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL WINAPI GetWindowRect(HWND handle, LPRECT rect)
{
    WindowManager& manager = WindowManager::Get();
    Lock lock(manager.fMutex);
    Window* window = manager.Find(handle);
    if (window == nullptr || rect == NULL) {
        return FALSE;
    }
    // Screen coordinates: the origins of all ancestors added up.
    *rect = window->fRect;
    for (HWND parent = window->fParent; parent != NULL;) {
        const Window& p = *manager.fWindows.at(parent);
        rect->left += p.fRect.left;
        rect->right += p.fRect.left;
        rect->top += p.fRect.top;
        rect->bottom += p.fRect.top;
        parent = p.fParent;
    }
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND handle, LPRECT rect)
{
    WindowManager& manager = WindowManager::Get();
    Lock lock(manager.fMutex);
    Window* window = manager.Find(handle);
    if (window == nullptr || rect == NULL) {
        return FALSE;
    }
    *rect = {0, 0, window->fRect.right - window->fRect.left,
             window->fRect.bottom - window->fRect.top};
    return TRUE;
}

BOOL WINAPI InvalidateRect(HWND handle, const RECT*, BOOL)
{
    // The stand-in keeps no update region, only whether there is one: any part that is
    // invalidated makes the whole window need painting.
    WindowManager& manager = WindowManager::Get();
    Lock lock(manager.fMutex);
    if (handle == NULL) {
        for (auto& [h, window] : manager.fWindows) {
            MarkNeedsPaint(manager, *window);
        }
        return TRUE;
    }
    Window* window = manager.Find(handle);
    if (window == nullptr) {
        return FALSE;
    }
    MarkNeedsPaint(manager, *window);
    return TRUE;
}

BOOL WINAPI UpdateWindow(HWND handle)
{
    WindowManager& manager = WindowManager::Get();
    std::vector<HWND> subtree;
    {
        Lock lock(manager.fMutex);
        if (manager.Find(handle) == nullptr) {
            return FALSE;
        }
        CollectSubtree(manager, handle, subtree);
    }
    // The window and then its children, each as long as it still needs painting.
    for (HWND h : subtree) {
        bool needsPaint = false;
        {
            Lock lock(manager.fMutex);
            Window* window = manager.Find(h);
            needsPaint = window != nullptr && window->fNeedsPaint && manager.IsVisible(*window);
        }
        if (needsPaint) {
            SendMessageA(h, WM_PAINT, 0, 0);
        }
    }
    return TRUE;
}

LRESULT WINAPI SendMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowManager& manager = WindowManager::Get();
    WNDPROC proc = nullptr;
    {
        Lock lock(manager.fMutex);
        Window* window = manager.Find(handle);
        if (window == nullptr) {
            return 0;
        }
        // The stand-in calls a window procedure on the caller's thread only; it does not
        // carry a message over to the thread that owns the window.
        if (window->fThread != GetCurrentThreadId()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return 0;
        }
        proc = window->fProc;
    }
    return proc(handle, message, wParam, lParam);
}
