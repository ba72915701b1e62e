/// A node of a window's view tree: its place among its siblings, its own visibility,
/// enabled state and place in the tab order, and the searches that keyboard navigation
/// rests on. A view owns its children: destroying it destroys its subtree.
#ifndef KOVA_FRAMEWORK_GUI_XGVIEW_H
#define KOVA_FRAMEWORK_GUI_XGVIEW_H

#include "framework/gui/XGDispatch.h"

#include <windows.h>

#include <cstdint>

namespace kova {

class XGWindow;

/// A position or a size: vertical first, then horizontal.
struct Point {
    std::int16_t v;
    std::int16_t h;
};

class XGView : public XGDispatch {
public:
    /// Size of the buffer that GetTitle fills, the terminating zero included.
    static constexpr int kTitleSize = 256;

    /// The view joins the end of its parent's children, in the parent's window. `frame` is
    /// relative to the parent.
    explicit XGView(XGView* parent, const RECT& frame = {}, std::int16_t viewID = 0);
    /// Destroys the children, then leaves the parent's children.
    ~XGView() noexcept(false) override;

    /// A view's chain runs up through its ancestors.
    XGDispatch* GetNextDispatch() override;

    /// Copies the title into a buffer of kTitleSize bytes, NUL-terminated. A plain view
    /// has an empty title.
    virtual void GetTitle(char* buffer);
    /// Moves the view and its subtree by a horizontal and a vertical distance.
    virtual void OffsetView(std::int32_t h, std::int32_t v);

    /// A view is visible, or enabled, only when it and all its ancestors are.
    bool IsVisible() const;
    bool IsEnabled() const;
    /// Whether the view's root window is the active window or the front MDI child.
    bool IsActive() const;

    /// Searches of the subtree, this view included, for the tab candidate with the
    /// smallest or largest view ID, without bound or beyond a given ID; of equal IDs the
    /// first in pre-order wins. Null when nothing qualifies.
    XGView* FindFirstView();
    XGView* FindLastView();
    XGView* FindBeforeView(std::int16_t id);
    XGView* FindAfterView(std::int16_t id);
    /// The first view in pre-order whose title marks `key` with an ampersand.
    XGView* FindViewByAccel(char key);
    /// The pre-order successor in the whole tree; null after the last view.
    XGView* FindNextView();
    /// Repaints the invalid parts of the root window at once.
    void UpdateView();

    void SetVisible(bool visible);
    void SetEnabled(bool enabled);
    void SetTabStop(bool tabStop) { fTabStop = tabStop; }
    bool IsTabStop() const { return fTabStop; }
    std::int16_t GetViewID() const { return fViewID; }
    XGView* GetParent() const { return fParent; }
    XGView* GetChild() const { return fChild; }
    XGView* GetSibling() const { return fSibling; }
    HWND GetRootWindow() const { return fRootWindow; }
    /// Position relative to the parent, and within the native window that shows the view.
    Point GetPosition() const { return fPos; }
    const RECT& GetGlobalRect() const { return fGlobalRect; }

protected:
    /// The native window that shows this view's children, for a view that has one.
    virtual HWND GetContentHWnd() const;
    /// Puts the view's own native window, if it has one, where fGlobalRect says.
    virtual void PlaceNative();
    /// Moves `window` (if there is one) to fGlobalRect's corner, keeping its size and place
    /// among its siblings: what PlaceNative does for every view with a native window.
    void MoveNativeWindow(HWND window) const;
    /// Brings the native windows of the subtree in line with IsVisible and IsEnabled.
    virtual void SyncNativeState();

    /// The native window that shows this view: the content window of the nearest ancestor
    /// that has one.
    HWND GetHostHWnd() const;
    /// Sets the root window of the whole subtree.
    void SetRootWindow(HWND rootWindow);
    /// The window that holds the MDI client's front child: the first child in z-order that
    /// is visible and marked as a framework window. Null when there is none.
    static HWND FindFrontMDIChild();

    XGWindow* fWindow = nullptr;
    XGView* fChild = nullptr;
    XGView* fSibling = nullptr;
    XGView* fParent = nullptr;
    HWND fRootWindow = nullptr;
    bool fVisible = true;
    bool fEnabled = true;
    bool fTabStop = false;
    std::int32_t fViewType = 0;
    std::int16_t fViewID = 0;
    std::int32_t fRefNum = 0;
    Point fSize = {};
    Point fPos = {};
    Point fGlobalPos = {};
    RECT fGlobalRect = {};
    bool fLockLeft = false;
    bool fLockTop = false;
    bool fLockRight = false;
    bool fLockBottom = false;
    std::int16_t fAutoLeft = 0;
    std::int16_t fAutoTop = 0;
    std::int16_t fAutoRight = 0;
    std::int16_t fAutoBottom = 0;

private:
    /// The settings of the one tab search: which end wins, and whether candidates must lie
    /// beyond `fBound` on that end's opposite side.
    struct TabSearch {
        bool fLargest;
        bool fBounded;
        std::int16_t fBound;
    };

    bool IsTabCandidate() const;
    XGView* FindTabView(const TabSearch& search);
    /// Recomputes fGlobalPos and fGlobalRect from the parent and fPos.
    void ComputeGlobal();
    /// ComputeGlobal and PlaceNative for this view and the children it shows itself.
    void Relocate();
};

} // namespace kova

#endif
