/// The application core: the one object that stands for the running application. A
/// program hands one to the entry from StartApplication(); the entry runs and deletes it.
/// As a dispatcher it answers the menu status, the menu commands and the quit request.
#ifndef KOVA_FRAMEWORK_GUI_XGAPPCORE_H
#define KOVA_FRAMEWORK_GUI_XGAPPCORE_H

#include "framework/gui/XGDispatch.h"

#include <windows.h>

#include <cstdint>

namespace kova {

class XGWindow;

class XGAppCore : public XGDispatch {
    KOVA_DECLARE_DISPATCH();

public:
    /// Registers the core; there is one at a time.
    XGAppCore();
    // A core's destruction may throw; the entry catches that like any other failure.
    ~XGAppCore() noexcept(false) override;

    /// Runs the message loop until Quit().
    virtual std::int32_t Run();
    /// Ends the run once the messages already posted are handled.
    virtual void Quit();
    /// While a modal window is set, menu status and commands are declined here and
    /// answered without effect by every window.
    virtual void SetModalWindow(XGWindow* window);
    /// Menu command 1.
    virtual void DoCommandOne();

    /// `stat`: whether menu command 1, 2 or 3 is enabled, stored in the bool at `data`.
    std::int32_t DoGetMenuStatus(std::int32_t command, void* data);
    /// `menu`: command 1 runs DoCommandOne, 2 closes the front window, 3 sends `qapp` to
    /// the focus.
    std::int32_t DoMenuCommand(std::int32_t command, void* data);
    /// `qapp`: closes every window, the first in the list each time, and quits; declines
    /// as soon as a window refuses to close.
    std::int32_t DoQuitApplication(std::int32_t param, void* data);

    static XGAppCore* GetApplication() { return gApplication; }
    XGWindow* GetModalWindow() const { return fModalWindow; }
    /// The message that Run() is handling, or handled last.
    static const MSG& GetLastMessage() { return gLastMessage; }

protected:
    XGWindow* fEventOwner = nullptr;
    XGWindow* fModalWindow = nullptr;
    bool fQuitFlag = false;
    void* fMutex = nullptr;

private:
    static XGAppCore* gApplication;
    static MSG gLastMessage;
};

} // namespace kova

#endif
