/// A growable array of elements of one fixed byte size, held in one contiguous block and
/// moved as raw bytes: for plain records and pointers only.
#ifndef KOVA_FRAMEWORK_CORE_XGSIZEARRAY_H
#define KOVA_FRAMEWORK_CORE_XGSIZEARRAY_H

#include "framework/core/XGArray.h"

#include <cstdint>

namespace kova {

class XGSizeArray : public XGArray {
public:
    explicit XGSizeArray(std::uint32_t elementSize);
    ~XGSizeArray() override;

protected:
    /// Throws std::bad_array_new_length, before anything changes, for a capacity whose
    /// byte size does not fit 32 bits; std::bad_alloc when memory is exhausted.
    void ChangeArray(std::int32_t newAlloc, std::int32_t keep) override;
    void CopyArray(std::int32_t to, std::int32_t from) override;
    void CopyElement(std::int32_t index, const void* element) override;
    void* GetElement(std::int32_t index) const override;

    unsigned char* fArray;
    std::uint32_t fSize;
};

} // namespace kova

#endif
