/// A font of the framework; every font object is registered in one list.
#ifndef KOVA_FRAMEWORK_GUI_XGFONT_H
#define KOVA_FRAMEWORK_GUI_XGFONT_H

#include "framework/core/XGDynArray.h"

namespace kova {

class XGFont {
public:
    virtual ~XGFont();

private:
    /// The registered fonts; the list does not own them.
    static XGPDynArray<XGFont> gFontArray;
};

} // namespace kova

#endif
