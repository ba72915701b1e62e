/// The entry's first step left out, for the control runs of the planted-DLL test: what a
/// program on the framework loads with nothing keeping its DLLs to the system folder.
#include "framework/gui/HardenProcess.h"

namespace kova {

void HardenProcess()
{
}

} // namespace kova
