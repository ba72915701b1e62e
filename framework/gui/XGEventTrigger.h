/// The registry of event triggers, and the base through which a window takes part in it.
#ifndef KOVA_FRAMEWORK_GUI_XGEVENTTRIGGER_H
#define KOVA_FRAMEWORK_GUI_XGEVENTTRIGGER_H

#include "framework/core/XGDynArray.h"

#include <cstdint>

namespace kova {

class XGEventTrigger {
public:
    /// One registered trigger: the event it waits for and the object it wakes.
    struct EventRecord {
        std::int32_t fEvent;
        XGEventTrigger* fTrigger;
    };

    virtual ~XGEventTrigger();

private:
    static XGSDynArray<EventRecord> gList;
};

} // namespace kova

#endif
