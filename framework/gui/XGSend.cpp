#include "framework/gui/XGSend.h"

#include "framework/core/ErrorCode.h"
#include "framework/gui/XGDispatch.h"

#include <new>

namespace kova {

namespace {

// A removal whose smaller storage cannot be had has still removed its element and left
// the array consistent, with room to spare: cutting a link therefore never fails, which
// destructors rely on.
void Remove(XGArray& array, std::int32_t index)
{
    try {
        array.Delete(index);
    } catch (const std::bad_alloc&) {
    }
}

} // namespace

XGSend::XGSend() : fChanged(false)
{
}

XGSend::~XGSend()
{
    while (fReceivers.GetLength() > 0) {
        RemoveReceiver(fReceivers[0].fReceiver);
    }
}

void XGSend::AddReceiver(XGDispatch* receiver, std::int16_t id)
{
    KOVAAssert(receiver != NULL);
    fReceivers.Append({id, receiver});
    try {
        receiver->fSend.Append(this);
    } catch (...) {
        Remove(fReceivers, fReceivers.GetLength() - 1);
        throw;
    }
}

void XGSend::RemoveReceiver(XGDispatch* receiver)
{
    KOVAAssert(receiver != NULL);
    for (std::int32_t i = 0; i < fReceivers.GetLength(); ++i) {
        if (fReceivers[i].fReceiver == receiver) {
            Remove(fReceivers, i);
            fChanged = true;
            break;
        }
    }
    XGPDynArray<XGSend>& senders = receiver->fSend;
    for (std::int32_t j = 0; j < senders.GetLength(); ++j) {
        if (senders[j] == this) {
            Remove(senders, j);
            break;
        }
    }
}

} // namespace kova
