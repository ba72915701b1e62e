/// A sender: the list of dispatchers that are to hear what it sends. Each link is held on
/// both sides, the sender's record and the receiver's entry, and is cut on both together.
#ifndef KOVA_FRAMEWORK_GUI_XGSEND_H
#define KOVA_FRAMEWORK_GUI_XGSEND_H

#include "framework/core/XGDynArray.h"

#include <cstdint>

namespace kova {

class XGDispatch;

class XGSend {
public:
    struct DispRecord {
        std::int16_t fID;      ///< the adder's own mark for the link
        XGDispatch* fReceiver; ///< not owned
    };

    XGSend();
    /// Cuts every link, duplicates included, so that no receiver keeps pointing here.
    virtual ~XGSend();

    XGSend(const XGSend&) = delete;
    XGSend& operator=(const XGSend&) = delete;

    /// Links `receiver` (not null) at the end of the list. Either both sides of the link
    /// are made or, when memory runs out, neither.
    void AddReceiver(XGDispatch* receiver, std::int16_t id);
    /// Cuts one link to `receiver` (not null): the first record for it here, and the first
    /// entry for this sender in its list, each if there is one. Short of memory, it still
    /// cuts the link; it throws only for a null receiver.
    void RemoveReceiver(XGDispatch* receiver);

protected:
    /// Set whenever a record is removed, so that a walk over the receivers can tell that
    /// the list changed under it.
    bool fChanged;
    XGSDynArray<DispRecord> fReceivers;
};

} // namespace kova

#endif
