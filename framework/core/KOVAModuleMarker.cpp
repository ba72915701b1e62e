#include "framework/core/KOVAModuleMarker.h"

#include "framework/core/ErrorCode.h"

namespace kova {

namespace {

// Zero-initialised static storage, valid before any module is built and after all are
// destroyed. Only the main thread builds and destroys modules, so no lock is needed.
constinit KOVAModuleMarker::Event gLog[2 * kKOVAModuleCount] = {};
constinit std::int32_t gLogLength = 0;

void Record(KOVAModule module, bool built)
{
    if (gLogLength < 2 * kKOVAModuleCount) {
        gLog[gLogLength++] = {module, built};
    }
}

} // namespace

KOVAModuleMarker::KOVAModuleMarker(KOVAModule module) : fModule(module)
{
    Record(fModule, true);
}

KOVAModuleMarker::~KOVAModuleMarker()
{
    Record(fModule, false);
}

std::int32_t KOVAModuleMarker::GetEventCount()
{
    return gLogLength;
}

KOVAModuleMarker::Event KOVAModuleMarker::GetEvent(std::int32_t index)
{
    KOVAAssert((index >= 0) && (index < gLogLength));
    return gLog[index];
}

} // namespace kova
