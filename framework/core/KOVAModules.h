/// The framework's modules in the fixed order in which they build their globals before the
/// entry runs; the runtime destroys those globals in the reverse order, so the thread
/// module's lock and record, which every other module may still use, go last.
#ifndef KOVA_FRAMEWORK_CORE_KOVAMODULES_H
#define KOVA_FRAMEWORK_CORE_KOVAMODULES_H

// The one list of the modules, in order. Everything else about the order derives from it.
#define KOVA_MODULES(M) \
    M(XGAppCore)        \
    M(XGThread)         \
    M(XGDispatch)       \
    M(XGWindowFactory)  \
    M(XGViewFactory)    \
    M(XGPrinter)        \
    M(XGWindow)         \
    M(XGEventTrigger)   \
    M(XGBroadcast)      \
    M(XGDraw)           \
    M(XGScrollView)     \
    M(XGForm)           \
    M(XGButton)         \
    M(XGFont)           \
    M(XGScrollBar)

namespace kova {

#define KOVA_MODULE_ENUMERATOR(name) name,
enum class KOVAModule : int { KOVA_MODULES(KOVA_MODULE_ENUMERATOR) };
#undef KOVA_MODULE_ENUMERATOR

/// The toolchain builds objects of a lower priority first and, since each is registered
/// for destruction as soon as it is built, destroys them later. Priorities below the
/// modules' are free for objects that must outlive the whole framework.
inline constexpr int kKOVAFirstModulePriority = 1000;

constexpr int KOVAInitPriority(KOVAModule module)
{
    return kKOVAFirstModulePriority + 1 + static_cast<int>(module);
}

constexpr const char* KOVAModuleName(KOVAModule module)
{
#define KOVA_MODULE_NAME(name)        \
    if (module == KOVAModule::name) { \
        return #name;                 \
    }
    KOVA_MODULES(KOVA_MODULE_NAME)
#undef KOVA_MODULE_NAME
    return "";
}

} // namespace kova

#if defined(__GNUC__) || defined(__clang__)
/// Places a global of a module's source in the module's turn. Within one source file,
/// objects of one priority are built in the order of their definitions.
#define KOVA_MODULE_INIT(module) \
    __attribute__((init_priority(::kova::KOVAInitPriority(::kova::KOVAModule::module))))
#else
#error "the modules' start-up order needs a compiler with init_priority"
#endif

#endif
