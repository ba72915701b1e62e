/// A view that owns a native window. Every window object is on gList from its construction
/// until it closes or is destroyed; its window procedure turns key messages into `keye` and
/// `keym` and child controls' notifications into `wint`.
#ifndef KOVA_FRAMEWORK_GUI_XGWINDOW_H
#define KOVA_FRAMEWORK_GUI_XGWINDOW_H

#include "framework/gui/XGEventTrigger.h"
#include "framework/gui/XGView.h"

namespace kova {

class XGForm;

class XGWindow : public XGView, public XGEventTrigger {
    KOVA_DECLARE_DISPATCH();

public:
    /// fWindowKind: a top-level window, or a child of the MDI client `_GMDIWindow`.
    static constexpr std::int16_t kTopLevel = 0;
    static constexpr std::int16_t kMDIChild = 1;

    /// Creates and shows the native window, marked as a framework window, and puts the
    /// object at the head of gList. `frame` is the window's outer rectangle.
    XGWindow(const char* title, const RECT& frame, std::int16_t kind = kTopLevel);
    /// Leaves gList and destroys the native window if it is still there.
    ~XGWindow() noexcept override;

    /// Asks the window to close. A window that closes leaves gList, destroys its native
    /// window and returns true; one that refuses stays open and returns false.
    virtual bool Close();

    /// The window's chain goes on to the application core.
    XGDispatch* GetNextDispatch() override;
    /// The native window's title.
    void GetTitle(char* buffer) override;

    /// The modal window if there is one, else the front MDI child's, the main window's or
    /// the active window's object; null when that window has none.
    static XGWindow* GetFrontWindow();
    /// The window object that owns a native window, from gList; null if none does.
    static XGWindow* GetXGWindow(HWND window);
    /// The head of the list of window objects, newest first.
    static XGWindow* GetList() { return gList; }
    XGWindow* GetNextXGWindow() const { return fNext; }
    HWND GetHWnd() const { return fWindow; }

    /// Catch-all: under a modal window, answers `stat` and `menu` without acting.
    std::int32_t Dispatch(std::int32_t message, std::int32_t param, void* data);
    /// `keye`: Tab and reverse Tab move the focus through the tab order, wrapping.
    std::int32_t DoKey(std::int32_t key, void* data);
    /// `keym`: the view whose title marks the character takes the focus (a button is also
    /// pushed); a view that cannot take it passes it on to the next one that can.
    std::int32_t DoMenuKey(std::int32_t key, void* data);

    /// Registers the classes of framework windows and of the views' content windows, under
    /// the names formatted at start-up. Registering again changes nothing.
    static void RegisterWindowClasses();
    /// Sends a key message meant for a native control to the framework window around it.
    static void RouteKeyMessage(MSG& message);

protected:
    HWND GetContentHWnd() const override;
    void PlaceNative() override;
    void SyncNativeState() override;

    HWND fWindow = NULL;
    HWND fDlogParent = NULL;
    HWND fCorner = NULL;
    XGWindow* fPrev = nullptr;
    XGWindow* fNext = nullptr;
    XGForm* fForm = nullptr;
    XGView* fFocus = nullptr;
    Point fMin = {};
    Point fMax = {};
    Point fZoom = {};
    std::int16_t fMenuBar = 0;
    std::int32_t fWindowType = 0;
    std::int16_t fWindowKind;
    std::int16_t fWindowID = 0;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    /// The window procedure's work; false for what the default procedure is to handle.
    static bool HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    void NextTabStop();
    void PrevTabStop();
    /// Both tab moves: from the focus view's ID to the next candidate on one side, or round
    /// to the first candidate from the other end.
    void MoveTabStop(bool reverse);
    /// Takes the window off gList; nothing happens to a window that is not on it.
    void Unlink();
    /// Unlink, and stop being the application core's modal window.
    void Withdraw();
    /// The native window is gone: the object, and every view in it, forgets it.
    void ForgetNativeWindow();

    static XGWindow* gList;
};

} // namespace kova

#endif
