#include "framework/gui/XGFont.h"

#include "framework/core/KOVAModuleMarker.h"

namespace kova {

KOVA_MODULE_MARKER(XGFont);

XGPDynArray<XGFont> XGFont::gFontArray KOVA_MODULE_INIT(XGFont);

XGFont::~XGFont() = default;

} // namespace kova
