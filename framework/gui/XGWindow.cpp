#include "framework/gui/XGWindow.h"

#include "framework/core/ErrorCode.h"
#include "framework/gui/AppMain.h"
#include "framework/gui/XGAppCore.h"
#include "framework/gui/XGButton.h"
#include "framework/gui/XGControl.h"

#include <initializer_list>

namespace kova {

// The module's turn at start-up builds nothing: its class's dispatch table is constant
// data, complete before any code runs.

constinit const _DispatchTable XGWindow::_Dispatch[] = {
    KOVADispatchEntry<&XGWindow::DoKey>("keye"),
    KOVADispatchEntry<&XGWindow::DoMenuKey>("keym"),
    KOVADispatchEnd(),
};
KOVA_DISPATCH_RECORD(XGWindow, XGDispatch, KOVACatchAll<&XGWindow::Dispatch>())

XGWindow* XGWindow::gList = nullptr;

namespace {

constexpr std::int32_t kKeyReverse = 0x00010000;
constexpr std::uint32_t kKeyDeclined = 0x80000000u;
constexpr std::int32_t kTabKey = 9;

} // namespace

void XGWindow::RegisterWindowClasses()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    // A class that is already there stays as it is: RegisterClassA refuses it.
    for (const char* name : {_GWindowClass, _GControlClass}) {
        windowClass.lpszClassName = name;
        RegisterClassA(&windowClass);
    }
}

XGWindow::XGWindow(const char* title, const RECT& frame, std::int16_t kind)
    : XGView(nullptr, frame),
      fWindowKind(kind)
{
    XGView::fWindow = this;
    RegisterWindowClasses();
    const bool mdiChild = kind == kMDIChild;
    fWindow = CreateWindowExA(mdiChild ? WS_EX_MDICHILD : 0, _GWindowClass, title,
                              WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, frame.left, frame.top,
                              frame.right - frame.left, frame.bottom - frame.top,
                              mdiChild ? _GMDIWindow : NULL, NULL, GetModuleHandleA(NULL), NULL);
    if (fWindow != NULL) {
        SetPropA(fWindow, _GWindowClass, this);
        ShowWindow(fWindow, SW_SHOW);
    }
    fRootWindow = fWindow;
    fNext = gList;
    if (gList != nullptr) {
        gList->fPrev = this;
    }
    gList = this;
}

XGWindow::~XGWindow() noexcept
{
    Withdraw();
    if (fWindow != NULL) {
        const HWND window = fWindow;
        ForgetNativeWindow();
        DestroyWindow(window);
    }
}

void XGWindow::Unlink()
{
    if (gList != this && fPrev == nullptr) {
        return;
    }
    (fPrev != nullptr ? fPrev->fNext : gList) = fNext;
    if (fNext != nullptr) {
        fNext->fPrev = fPrev;
    }
    fPrev = fNext = nullptr;
}

void XGWindow::Withdraw()
{
    Unlink();
    // A window that is gone is no longer modal: nothing may stay blocked behind it.
    XGAppCore* core = XGAppCore::GetApplication();
    if (core != nullptr && core->GetModalWindow() == this) {
        core->SetModalWindow(nullptr);
    }
}

void XGWindow::ForgetNativeWindow()
{
    RemovePropA(fWindow, _GWindowClass);
    fWindow = NULL;
    SetRootWindow(NULL);
}

bool XGWindow::Close()
{
    Withdraw();
    if (fWindow != NULL) {
        DestroyWindow(fWindow);
    }
    return true;
}

XGDispatch* XGWindow::GetNextDispatch()
{
    if (XGDispatch* parent = XGView::GetNextDispatch()) {
        return parent;
    }
    return XGAppCore::GetApplication();
}

void XGWindow::GetTitle(char* buffer)
{
    buffer[0] = '\0';
    if (fWindow != NULL) {
        GetWindowTextA(fWindow, buffer, kTitleSize);
    }
}

HWND XGWindow::GetContentHWnd() const
{
    return fWindow;
}

void XGWindow::PlaceNative()
{
    MoveNativeWindow(fWindow);
}

void XGWindow::SyncNativeState()
{
    if (fWindow != NULL) {
        ShowWindow(fWindow, IsVisible() ? SW_SHOW : SW_HIDE);
        EnableWindow(fWindow, IsEnabled() ? TRUE : FALSE);
    }
    XGView::SyncNativeState();
}

XGWindow* XGWindow::GetXGWindow(HWND window)
{
    for (XGWindow* w = gList; w != nullptr; w = w->fNext) {
        if (w->fWindow == window) {
            return w;
        }
    }
    return nullptr;
}

XGWindow* XGWindow::GetFrontWindow()
{
    // Without an application core there is no modal window.
    const XGAppCore* core = XGAppCore::GetApplication();
    if (core != nullptr && core->GetModalWindow() != nullptr) {
        return core->GetModalWindow();
    }
    if (_GMDIWindow != NULL) {
        const HWND front = FindFrontMDIChild();
        return front != NULL ? GetXGWindow(front) : nullptr;
    }
    if (_GMainWindow != NULL) {
        return GetXGWindow(_GMainWindow);
    }
    return GetXGWindow(GetActiveWindow());
}

std::int32_t XGWindow::Dispatch(std::int32_t message, std::int32_t, void*)
{
    const XGAppCore* core = XGAppCore::GetApplication();
    if (core != nullptr && core->GetModalWindow() != nullptr &&
        (message == KOVAMessageCode("stat") || message == KOVAMessageCode("menu"))) {
        return 0;
    }
    return kDispatchDeclined;
}

std::int32_t XGWindow::DoKey(std::int32_t key, void*)
{
    if ((static_cast<std::uint32_t>(key) & kKeyDeclined) != 0 || (key & 0xFFFF) != kTabKey) {
        return kDispatchDeclined;
    }
    if ((key & kKeyReverse) != 0) {
        PrevTabStop();
    } else {
        NextTabStop();
    }
    return 0;
}

void XGWindow::NextTabStop()
{
    MoveTabStop(false);
}

void XGWindow::PrevTabStop()
{
    MoveTabStop(true);
}

void XGWindow::MoveTabStop(bool reverse)
{
    // Only the focus view's ID counts, so a focus outside this window still gives the
    // position within it.
    XGView* focus = dynamic_cast<XGView*>(XGDispatch::GetFocus());
    XGView* target = nullptr;
    if (focus != nullptr && focus != this) {
        target = reverse ? FindBeforeView(focus->GetViewID()) : FindAfterView(focus->GetViewID());
    }
    if (target == nullptr) {
        target = reverse ? FindLastView() : FindFirstView();
    }
    if (target != nullptr) {
        target->TakeFocus();
    }
}

std::int32_t XGWindow::DoMenuKey(std::int32_t key, void*)
{
    XGView* matched = FindViewByAccel(static_cast<char>(key & 0xFF));
    if (matched == nullptr) {
        return kDispatchDeclined;
    }
    if (matched->IsTabStop()) {
        matched->TakeFocus();
        if (auto* button = dynamic_cast<XGButton*>(matched)) {
            button->PushButton();
        }
        return 0;
    }
    // A view that cannot take the focus passes it to the next one in pre-order that can,
    // going round through the window itself.
    const auto next = [this](XGView* view) {
        XGView* following = view->FindNextView();
        return following != nullptr ? following : this;
    };
    for (XGView* view = next(matched); view != matched; view = next(view)) {
        if (view->IsTabStop()) {
            view->TakeFocus();
            return 0;
        }
    }
    return kDispatchDeclined;
}

void XGWindow::RouteKeyMessage(MSG& message)
{
    if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST) {
        return;
    }
    for (HWND window = message.hwnd; window != NULL; window = ::GetParent(window)) {
        if (GetPropA(window, _GWindowClass) != NULL) {
            message.hwnd = window;
            return;
        }
    }
}

bool XGWindow::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // A child control's notification goes to the control's object, with the native
    // message attached.
    if ((message == WM_COMMAND || message == WM_HSCROLL || message == WM_VSCROLL) && lParam != 0) {
        XGControl* control = XGControl::GetXGControl(reinterpret_cast<HWND>(lParam));
        if (control == nullptr) {
            return false;
        }
        MSG native = {hwnd, message, wParam, lParam, 0, {0, 0}};
        return control->DoDispatch(KOVAMessageCode("wint"), 0, &native, false) != kDispatchDeclined;
    }
    XGWindow* window = static_cast<XGWindow*>(GetPropA(hwnd, _GWindowClass));
    if (window == nullptr) {
        return false;
    }
    switch (message) {
    case WM_KEYDOWN: {
        // Shift asks for the reverse movement; with Control or Alt held the window leaves
        // the key to others.
        std::uint32_t key = LOWORD(wParam);
        if (GetKeyState(VK_SHIFT) < 0) {
            key |= kKeyReverse;
        }
        if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) {
            key |= kKeyDeclined;
        }
        return window->DoDispatch(KOVAMessageCode("keye"), static_cast<std::int32_t>(key), nullptr,
                                  true) != kDispatchDeclined;
    }
    case WM_SYSCHAR:
        return window->DoDispatch(KOVAMessageCode("keym"), static_cast<std::int32_t>(wParam & 0xFF),
                                  nullptr, true) != kDispatchDeclined;
    case WM_CLOSE:
        window->Close();
        return true;
    case WM_NCDESTROY:
        window->ForgetNativeWindow();
        return false;
    default:
        return false;
    }
}

LRESULT CALLBACK XGWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // NOTE: an exception must not leave a window procedure: it would have to unwind
    // through the system's own frames.
    try {
        if (HandleMessage(hwnd, message, wParam, lParam)) {
            return 0;
        }
    } catch (...) {
        KOVADebugError("Uncaught exception caught in KOVA event loop");
        return 0;
    }
    const XGWindow* window = static_cast<XGWindow*>(GetPropA(hwnd, _GWindowClass));
    if (window != nullptr && window->fWindowKind == kMDIChild) {
        return DefMDIChildProcA(hwnd, message, wParam, lParam);
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace kova
