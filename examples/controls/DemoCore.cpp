/// The demo's application core: it opens the demo window, makes it the main window, and
/// runs until the window closes or its Quit button is clicked. Words on the command line
/// are posted to the window as the keys and scroll requests they name, so that a run on a
/// display without a keyboard can show the demo driven: "tab", "alt-LETTER" (an
/// accelerator), "line-down" and "page-down" (the scroll bar).
#include "examples/controls/DemoWindow.h"
#include "framework/gui/AppMain.h"
#include "framework/gui/XGAppCore.h"

#include <memory>
#include <sstream>
#include <string>

namespace {

class DemoCore : public kova::XGAppCore {
public:
    DemoCore() : fWindow(std::make_unique<DemoWindow>())
    {
        kova::_GMainWindow = fWindow->GetHWnd();
        std::istringstream words(kova::_GArgString != nullptr ? kova::_GArgString : "");
        for (std::string word; words >> word;) {
            Post(word);
        }
    }

private:
    void Post(const std::string& word)
    {
        const HWND window = fWindow->GetHWnd();
        const HWND bar = fWindow->fBar->GetControlHWnd();
        if (word == "tab") {
            PostMessageA(window, WM_KEYDOWN, VK_TAB, 0);
        } else if (word.size() == 5 && word.compare(0, 4, "alt-") == 0) {
            PostMessageA(window, WM_SYSCHAR, static_cast<unsigned char>(word[4]), 0);
        } else if (word == "line-down" || word == "page-down") {
            const WPARAM request = word == "line-down" ? SB_LINEDOWN : SB_PAGEDOWN;
            PostMessageA(::GetParent(bar), WM_VSCROLL, request, reinterpret_cast<LPARAM>(bar));
        }
    }

    std::unique_ptr<DemoWindow> fWindow;
};

} // namespace

kova::XGAppCore* StartApplication()
{
    return new DemoCore;
}
