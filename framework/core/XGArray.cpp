#include "framework/core/XGArray.h"

#include "framework/core/ErrorCode.h"

namespace kova {

namespace {

/// Storage grows and shrinks in steps of 16 elements, so that a run of insertions or
/// removals reallocates at most once per 16 of them.
std::int32_t CapacityFor(std::uint32_t length)
{
    // Unsigned arithmetic: a length at the 32-bit limit wraps to a negative capacity,
    // which ChangeArray refuses, instead of overflowing.
    return static_cast<std::int32_t>((length + 15u) & ~15u);
}

} // namespace

XGArray::XGArray() : fLength(0), fAlloc(0)
{
}

XGArray::~XGArray() = default;

// NOTE: Delete reports a bad index as source "XGArray", line 92, whatever the layout of
// this file. It and InsertElement stand last, so that the renumbering touches nothing
// else; InsertElement's check reports the line it gets in that numbering.
#line 90 "XGArray"
void XGArray::Delete(std::int32_t index)
{
    KOVAAssert((index >= 0) && (index < fLength));
    for (std::int32_t i = index + 1; i < fLength; ++i) {
        CopyArray(i - 1, i);
    }
    --fLength;
    const std::int32_t newAlloc = CapacityFor(static_cast<std::uint32_t>(fLength));
    if (newAlloc != fAlloc) {
        // If this throws, the element is gone all the same: the array stays consistent,
        // with more room than it needs until the next removal.
        ChangeArray(newAlloc, fLength);
        fAlloc = newAlloc;
    }
}

void XGArray::InsertElement(std::int32_t index, const void* element)
{
    KOVAAssert((index >= 0) && (index <= fLength));
    const std::int32_t newAlloc = CapacityFor(static_cast<std::uint32_t>(fLength) + 1u);
    if (newAlloc != fAlloc) {
        // Nothing has changed yet if this throws.
        ChangeArray(newAlloc, fLength);
        fAlloc = newAlloc;
    }
    for (std::int32_t i = fLength; i > index; --i) {
        CopyArray(i, i - 1);
    }
    CopyElement(index, element);
    ++fLength;
}

} // namespace kova
