#include "framework/gui/XGDispatch.h"

#include "framework/gui/XGSend.h"

namespace kova {

// The dispatch module's table is constant data: its turn at start-up builds nothing.

constinit const _DispatchTable XGDispatch::_Dispatch[] = {
    KOVADispatchEnd(),
};
constinit const _DispatchData XGDispatch::_TableData = {nullptr, XGDispatch::_Dispatch, nullptr};

XGDispatch* XGDispatch::gFocus = nullptr;

namespace {

/// The table's first entry for `code`, or null. The end marker's code never matches.
const _DispatchTable* FindEntry(const _DispatchTable* table, std::int32_t code)
{
    for (const _DispatchTable* entry = table; entry->fCode != kDispatchEnd; ++entry) {
        if (entry->fCode == code) {
            return entry;
        }
    }
    return nullptr;
}

} // namespace

XGDispatch::XGDispatch() = default;

XGDispatch::~XGDispatch() noexcept(false)
{
    // Each removal cuts one link on both sides, so the list shrinks on every turn.
    while (fSend.GetLength() > 0) {
        fSend[0]->RemoveReceiver(this);
    }
    if (gFocus == this) {
        gFocus = nullptr;
    }
}

void XGDispatch::TakeFocus()
{
    gFocus = this;
}

void XGDispatch::ReleaseFocus()
{
    if (gFocus == this) {
        gFocus = nullptr;
    }
}

bool XGDispatch::HasFocus() const
{
    return gFocus == this;
}

const _DispatchData* XGDispatch::GetDispatchData() const
{
    return &_TableData;
}

XGDispatch* XGDispatch::GetNextDispatch()
{
    return nullptr;
}

std::int32_t XGDispatch::DoDispatch(std::int32_t code, std::int32_t param, void* data, bool chain)
{
    for (XGDispatch* receiver = this; receiver != nullptr;
         receiver = chain ? receiver->GetNextDispatch() : nullptr) {
        for (const _DispatchData* record = receiver->GetDispatchData(); record != nullptr;
             record = record->fBase) {
            if (record->fCatchAll != nullptr) {
                const std::int32_t result = record->fCatchAll(receiver, code, param, data);
                if (result != kDispatchDeclined) {
                    return result;
                }
            }
            // An entry that declines ends the search in its own table: the rest of the
            // table is skipped and the search goes on at the ancestor's record.
            if (const _DispatchTable* entry = FindEntry(record->fTable, code)) {
                const std::int32_t result = entry->fHandler(receiver, param, data);
                if (result != kDispatchDeclined) {
                    return result;
                }
            }
        }
    }
    return kDispatchDeclined;
}

std::int32_t XGDispatch::SendDispatch(std::int32_t code, std::int32_t param, void* data)
{
    XGDispatch* focus = gFocus;
    if (focus == nullptr) {
        return kDispatchDeclined;
    }
    return focus->DoDispatch(code, param, data, true);
}

} // namespace kova
