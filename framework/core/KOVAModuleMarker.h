/// Marks a module's turn at start-up and exit: defined first in the module's source, it is
/// built before the module's globals and destroyed after them, and records both moments in
/// a fixed log that a program can read back at its very end.
#ifndef KOVA_FRAMEWORK_CORE_KOVAMODULEMARKER_H
#define KOVA_FRAMEWORK_CORE_KOVAMODULEMARKER_H

#include "framework/core/KOVAModules.h"

#include <cstdint>

namespace kova {

class KOVAModuleMarker {
public:
    struct Event {
        KOVAModule fModule;
        bool fBuilt; ///< true when the module started building, false when its globals were gone
    };

    explicit KOVAModuleMarker(KOVAModule module);
    virtual ~KOVAModuleMarker();

    KOVAModuleMarker(const KOVAModuleMarker&) = delete;
    KOVAModuleMarker& operator=(const KOVAModuleMarker&) = delete;

    /// The log holds one construction and one destruction per module, in the order they
    /// happened. It lives in static storage that needs no construction, so it can be read
    /// after every module is gone.
    static std::int32_t GetEventCount();
    static Event GetEvent(std::int32_t index);

private:
    KOVAModule fModule;
};

#define KOVA_MODULE_DECLARE_MARKER(name) extern KOVAModuleMarker G##name##Module;
KOVA_MODULES(KOVA_MODULE_DECLARE_MARKER)
#undef KOVA_MODULE_DECLARE_MARKER

} // namespace kova

/// Defines the module's marker, in namespace kova; it must stand before the module's
/// other globals.
#define KOVA_MODULE_MARKER(name)                                                              \
    KOVAModuleMarker G##name##Module KOVA_MODULE_INIT(name)                                   \
    {                                                                                         \
        ::kova::KOVAModule::name                                                              \
    }

/// A program that uses no module directly would not link the modules' sources out of the
/// framework's libraries, and their globals would never be built: naming every marker in
/// the program's entry pulls them all in.
#define KOVA_MODULE_ADDRESS(name) &::kova::G##name##Module,
#define KOVA_LINK_ALL_MODULES()                                                               \
    [[gnu::used]] static const ::kova::KOVAModuleMarker* const kKOVALinkedModules[] = {        \
        KOVA_MODULES(KOVA_MODULE_ADDRESS)}

#endif
