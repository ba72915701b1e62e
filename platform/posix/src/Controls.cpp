// The stand-in's native controls: the push button, which answers BM_CLICK by notifying
// its parent as a mouse click would, and the scroll-bar control with its range, page and
// position.
#include "WindowManager.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <mutex>

namespace {

struct ScrollState {
    int fMin = 0;
    int fMax = 0;
    UINT fPage = 0;
    int fPos = 0;
};

/// The state of every scroll-bar control, until the control is destroyed.
std::map<HWND, ScrollState>& ScrollStates()
{
    static std::map<HWND, ScrollState>* const states = new std::map<HWND, ScrollState>;
    return *states;
}

std::mutex gScrollMutex;

bool ValidSize(const SCROLLINFO* info)
{
    // The size of the structure with and without its last member, as Win32 accepts both.
    return info != NULL &&
           (info->cbSize == sizeof(SCROLLINFO) || info->cbSize == sizeof(SCROLLINFO) - sizeof(int));
}

/// Keeps the page within the range and the position where a whole page still fits.
void Clamp(ScrollState& state)
{
    const std::int64_t span = std::int64_t{state.fMax} - state.fMin + 1;
    if (span <= 0) {
        state.fPage = 0;
    } else if (state.fPage > span) {
        state.fPage = static_cast<UINT>(span);
    }
    const std::int64_t page = std::max<std::int64_t>(state.fPage, 1);
    const std::int64_t highest = std::max<std::int64_t>(state.fMin, state.fMax - page + 1);
    state.fPos = static_cast<int>(std::clamp<std::int64_t>(state.fPos, state.fMin, highest));
}

} // namespace

namespace kova::posix {

LRESULT CALLBACK ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != BM_CLICK) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    // A click takes the focus first, which activates the button's window; the button's
    // own enabled state does not hold a click back.
    SetFocus(window);
    HWND parent = NULL;
    UINT_PTR id = 0;
    {
        WindowManager& manager = WindowManager::Get();
        std::lock_guard<std::mutex> lock(manager.fMutex);
        if (Window* button = manager.Find(window)) {
            parent = button->fParent;
            id = button->fID;
        }
    }
    if (parent != NULL) {
        SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(window));
    }
    return 0;
}

LRESULT CALLBACK ScrollBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case SBM_SETSCROLLINFO: {
        const auto* info = reinterpret_cast<const SCROLLINFO*>(lParam);
        if (!ValidSize(info)) {
            return 0;
        }
        std::lock_guard<std::mutex> lock(gScrollMutex);
        ScrollState& state = ScrollStates()[window];
        if ((info->fMask & SIF_RANGE) != 0) {
            state.fMin = info->nMin;
            state.fMax = info->nMax;
        }
        if ((info->fMask & SIF_PAGE) != 0) {
            state.fPage = info->nPage;
        }
        if ((info->fMask & SIF_POS) != 0) {
            state.fPos = info->nPos;
        }
        Clamp(state);
        return state.fPos;
    }
    case SBM_GETSCROLLINFO: {
        auto* info = reinterpret_cast<SCROLLINFO*>(lParam);
        if (!ValidSize(info)) {
            return FALSE;
        }
        std::lock_guard<std::mutex> lock(gScrollMutex);
        const ScrollState& state = ScrollStates()[window];
        if ((info->fMask & SIF_RANGE) != 0) {
            info->nMin = state.fMin;
            info->nMax = state.fMax;
        }
        if ((info->fMask & SIF_PAGE) != 0) {
            info->nPage = state.fPage;
        }
        if ((info->fMask & SIF_POS) != 0) {
            info->nPos = state.fPos;
        }
        if ((info->fMask & SIF_TRACKPOS) != 0) {
            info->nTrackPos = state.fPos; // without a mouse, no thumb is ever being dragged
        }
        return TRUE;
    }
    case WM_NCDESTROY: {
        std::lock_guard<std::mutex> lock(gScrollMutex);
        ScrollStates().erase(window);
        return 0;
    }
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace kova::posix

int WINAPI SetScrollInfo(HWND window, int bar, LPCSCROLLINFO info, BOOL redraw)
{
    // Only scroll-bar controls: the stand-in's windows have no scroll bars of their own.
    if (bar != SB_CTL) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return static_cast<int>(SendMessageA(window, SBM_SETSCROLLINFO, static_cast<WPARAM>(redraw),
                                         reinterpret_cast<LPARAM>(info)));
}

BOOL WINAPI GetScrollInfo(HWND window, int bar, LPSCROLLINFO info)
{
    if (bar != SB_CTL) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return SendMessageA(window, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(info)) != 0 ? TRUE
                                                                                           : FALSE;
}
