/// The stand-in's window manager: every native window of the process with its class, its
/// place among its siblings, its properties and state, and each thread's message queue.
#ifndef KOVA_POSIX_WINDOWMANAGER_H
#define KOVA_POSIX_WINDOWMANAGER_H

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace kova::posix {

/// One native window. Positions are relative to the parent's client area; the stand-in
/// draws nothing, so a window has no frame and its client area is the whole window.
struct Window {
    HWND fHandle = nullptr;
    WNDPROC fProc = nullptr;
    std::string fClass;
    DWORD fStyle = 0;
    DWORD fExStyle = 0;
    HWND fParent = nullptr;
    std::vector<HWND> fChildren; ///< in z-order, front first
    std::string fText;
    std::vector<std::pair<std::string, HANDLE>> fProperties;
    RECT fRect = {};
    UINT_PTR fID = 0;
    DWORD fThread = 0;
    bool fNeedsPaint = false;
    bool fDestroying = false;
};

/// A thread's input state: its posted messages, its quit request and its active and
/// focus windows.
struct ThreadQueue {
    std::deque<MSG> fPosted;
    bool fQuit = false;
    int fQuitCode = 0;
    HWND fActive = nullptr;
    HWND fFocus = nullptr;
    std::condition_variable fArrived;
};

/// NOTE: window procedures are always called with fMutex released, since they call back
/// into the window manager.
class WindowManager {
public:
    static WindowManager& Get();

    /// Registers a class; the system classes are registered on first use.
    bool AddClass(const std::string& name, WNDPROC proc);
    WNDPROC FindClass(const std::string& name);

    /// The record of a live window, or null (with ERROR_INVALID_WINDOW_HANDLE). Call with
    /// fMutex held; the record stays valid until the lock is released.
    Window* Find(HWND handle);
    HWND NewHandle();
    ThreadQueue& Queue(DWORD thread);

    /// The siblings list a window stands in: its parent's children or the top-level list.
    std::vector<HWND>& Siblings(const Window& window);
    /// Visible means the window and all its ancestors carry WS_VISIBLE.
    bool IsVisible(const Window& window);
    /// The top-level window that contains a window (the window itself when top-level).
    Window& TopLevel(Window& window);
    /// After the active window of a thread has gone away or been hidden: the front-most
    /// visible top-level window of that thread becomes active.
    void ActivateNext(DWORD thread);

    std::mutex fMutex;
    std::unordered_map<HWND, std::unique_ptr<Window>> fWindows;
    std::vector<HWND> fTopLevel; ///< in z-order, front first
    std::unordered_map<DWORD, std::unique_ptr<ThreadQueue>> fQueues;

private:
    WindowManager();

    std::vector<std::pair<std::string, WNDPROC>> fClasses;
    UINT_PTR fNextHandle = 0x10020;
};

/// Case-insensitive (ASCII) equality, as window-class and property names compare.
bool SameName(const std::string& a, const std::string& b);

/// The system classes' window procedures.
LRESULT CALLBACK ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ScrollBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace kova::posix

#endif
