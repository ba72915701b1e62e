#include "framework/gui/XGPrinter.h"

#include "framework/core/KOVAModules.h"

namespace kova {

XGPrinter GPrinter KOVA_MODULE_INIT(XGPrinter);

XGPrinter::XGPrinter() : fInitialize(false)
{
}

XGPrinter::~XGPrinter() = default;

} // namespace kova
