#include "framework/gui/XGView.h"

#include "framework/gui/AppMain.h"

namespace kova {

namespace {

/// Positions are 16-bit and wrap, as the fields that hold them do.
std::int16_t Wrap16(std::int32_t value)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::uint32_t>(value)));
}

/// Accelerators compare ASCII letters without regard to case, every other byte exactly.
char FoldAccel(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

XGView::XGView(XGView* parent, const RECT& frame, std::int16_t viewID)
    : fParent(parent),
      fViewID(viewID),
      fSize{Wrap16(frame.bottom - frame.top), Wrap16(frame.right - frame.left)},
      fPos{Wrap16(frame.top), Wrap16(frame.left)}
{
    if (parent != nullptr) {
        fWindow = parent->fWindow;
        fRootWindow = parent->fRootWindow;
        XGView** last = &parent->fChild;
        while (*last != nullptr) {
            last = &(*last)->fSibling;
        }
        *last = this;
    }
    ComputeGlobal();
}

XGView::~XGView() noexcept(false)
{
    // Each child unlinks itself, so the first child is a new one every time.
    while (fChild != nullptr) {
        delete fChild;
    }
    if (fParent != nullptr) {
        XGView** link = &fParent->fChild;
        while (*link != this) {
            link = &(*link)->fSibling;
        }
        *link = fSibling;
    }
}

XGDispatch* XGView::GetNextDispatch()
{
    return fParent;
}

void XGView::GetTitle(char* buffer)
{
    buffer[0] = '\0';
}

void XGView::OffsetView(std::int32_t h, std::int32_t v)
{
    fPos.h = Wrap16(fPos.h + h);
    fPos.v = Wrap16(fPos.v + v);
    Relocate();
}

bool XGView::IsVisible() const
{
    if (fParent != nullptr && !fParent->IsVisible()) {
        return false;
    }
    return fVisible;
}

bool XGView::IsEnabled() const
{
    if (fParent != nullptr && !fParent->IsEnabled()) {
        return false;
    }
    return fEnabled;
}

HWND XGView::FindFrontMDIChild()
{
    for (HWND window = GetWindow(_GMDIWindow, GW_CHILD); window != NULL;
         window = GetWindow(window, GW_HWNDNEXT)) {
        if (GetPropA(window, _GWindowClass) != NULL && IsWindowVisible(window)) {
            return window;
        }
    }
    return NULL;
}

bool XGView::IsActive() const
{
    if (fRootWindow == NULL) {
        return false;
    }
    if (GetActiveWindow() == fRootWindow) {
        return true;
    }
    if (_GMDIWindow == NULL) {
        return false;
    }
    const HWND front = FindFrontMDIChild();
    return front != NULL && front == fRootWindow;
}

bool XGView::IsTabCandidate() const
{
    return fViewID != 0 && fTabStop && IsEnabled() && IsVisible();
}

XGView* XGView::FindTabView(const TabSearch& search)
{
    // A candidate beyond the bound lies above it when the smallest ID wins, below it when
    // the largest does.
    const auto qualifies = [&search](const XGView* view) {
        if (!view->IsTabCandidate()) {
            return false;
        }
        if (!search.fBounded) {
            return true;
        }
        return search.fLargest ? view->fViewID < search.fBound : view->fViewID > search.fBound;
    };
    const auto better = [&search](const XGView* a, const XGView* b) {
        return search.fLargest ? a->fViewID > b->fViewID : a->fViewID < b->fViewID;
    };
    XGView* best = qualifies(this) ? this : nullptr;
    for (XGView* child = fChild; child != nullptr; child = child->fSibling) {
        XGView* found = child->FindTabView(search);
        // Only a strictly better ID replaces the best, so the first in pre-order keeps ties.
        if (found != nullptr && (best == nullptr || better(found, best))) {
            best = found;
        }
    }
    return best;
}

XGView* XGView::FindFirstView()
{
    return FindTabView({false, false, 0});
}

XGView* XGView::FindLastView()
{
    return FindTabView({true, false, 0});
}

XGView* XGView::FindBeforeView(std::int16_t id)
{
    return FindTabView({true, true, id});
}

XGView* XGView::FindAfterView(std::int16_t id)
{
    return FindTabView({false, true, id});
}

XGView* XGView::FindViewByAccel(char key)
{
    char title[kTitleSize];
    GetTitle(title);
    title[kTitleSize - 1] = '\0';
    // Every ampersand is examined, one after another ampersand too, and so is the byte
    // after a trailing one, the terminating zero.
    for (const char* p = title; *p != '\0'; ++p) {
        if (*p == '&' && FoldAccel(p[1]) == FoldAccel(key)) {
            return this;
        }
    }
    for (XGView* child = fChild; child != nullptr; child = child->fSibling) {
        if (XGView* found = child->FindViewByAccel(key)) {
            return found;
        }
    }
    return nullptr;
}

XGView* XGView::FindNextView()
{
    if (fChild != nullptr) {
        return fChild;
    }
    for (XGView* view = this; view != nullptr; view = view->fParent) {
        if (view->fSibling != nullptr) {
            return view->fSibling;
        }
    }
    return nullptr;
}

void XGView::UpdateView()
{
    if (fRootWindow != NULL) {
        UpdateWindow(fRootWindow);
    }
}

void XGView::SetVisible(bool visible)
{
    fVisible = visible;
    SyncNativeState();
}

void XGView::SetEnabled(bool enabled)
{
    fEnabled = enabled;
    SyncNativeState();
}

HWND XGView::GetContentHWnd() const
{
    return NULL;
}

void XGView::PlaceNative()
{
}

void XGView::MoveNativeWindow(HWND window) const
{
    if (window != NULL) {
        SetWindowPos(window, NULL, fGlobalRect.left, fGlobalRect.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void XGView::SyncNativeState()
{
    for (XGView* child = fChild; child != nullptr; child = child->fSibling) {
        child->SyncNativeState();
    }
}

HWND XGView::GetHostHWnd() const
{
    for (const XGView* view = fParent; view != nullptr; view = view->fParent) {
        if (const HWND content = view->GetContentHWnd()) {
            return content;
        }
    }
    return NULL;
}

void XGView::SetRootWindow(HWND rootWindow)
{
    fRootWindow = rootWindow;
    for (XGView* child = fChild; child != nullptr; child = child->fSibling) {
        child->SetRootWindow(rootWindow);
    }
}

void XGView::ComputeGlobal()
{
    // A view that shows its children in a native window of its own is their origin;
    // otherwise they are placed from where the view itself stands.
    Point origin = {0, 0};
    if (fParent != nullptr && fParent->GetContentHWnd() == NULL) {
        origin = fParent->fGlobalPos;
    }
    fGlobalPos = {Wrap16(origin.v + fPos.v), Wrap16(origin.h + fPos.h)};
    fGlobalRect = {fGlobalPos.h, fGlobalPos.v, fGlobalPos.h + fSize.h, fGlobalPos.v + fSize.v};
}

void XGView::Relocate()
{
    ComputeGlobal();
    PlaceNative();
    if (GetContentHWnd() == NULL) {
        for (XGView* child = fChild; child != nullptr; child = child->fSibling) {
            child->Relocate();
        }
    }
}

} // namespace kova
