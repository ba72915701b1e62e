/// The application core: the one object that stands for the running application. A
/// program hands one to the entry from StartApplication(); the entry runs and deletes it.
#ifndef KOVA_FRAMEWORK_GUI_XGAPPCORE_H
#define KOVA_FRAMEWORK_GUI_XGAPPCORE_H

#include <cstdint>

namespace kova {

class XGAppCore {
public:
    // A core's destruction may throw; the entry catches that like any other failure.
    virtual ~XGAppCore() noexcept(false);

    /// Runs the application until it quits.
    virtual std::int32_t Run() = 0;
};

} // namespace kova

#endif
