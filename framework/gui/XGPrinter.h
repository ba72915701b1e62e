/// The printer the framework prints to; one global object, GPrinter.
#ifndef KOVA_FRAMEWORK_GUI_XGPRINTER_H
#define KOVA_FRAMEWORK_GUI_XGPRINTER_H

namespace kova {

class XGPrinter {
public:
    XGPrinter();
    virtual ~XGPrinter();

    XGPrinter(const XGPrinter&) = delete;
    XGPrinter& operator=(const XGPrinter&) = delete;

protected:
    /// Whether the printer has been set up for printing; nothing sets it up yet.
    bool fInitialize;
};

extern XGPrinter GPrinter;

} // namespace kova

#endif
