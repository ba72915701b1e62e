#include "framework/gui/XGFont.h"

#include "framework/core/KOVAModules.h"

namespace kova {

XGPDynArray<XGFont> XGFont::gFontArray KOVA_MODULE_INIT(XGFont);

XGFont::~XGFont() = default;

} // namespace kova
