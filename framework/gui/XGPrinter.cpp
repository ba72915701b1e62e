#include "framework/gui/XGPrinter.h"

#include "framework/core/KOVAModuleMarker.h"

namespace kova {

KOVA_MODULE_MARKER(XGPrinter);

XGPrinter GPrinter KOVA_MODULE_INIT(XGPrinter);

XGPrinter::XGPrinter() : fInitialize(false)
{
}

XGPrinter::~XGPrinter() = default;

} // namespace kova
