/// Base of the framework's growable arrays: the element count, the capacity, and removal
/// and insertion written once in terms of four element operations that the storage supplies.
#ifndef KOVA_FRAMEWORK_CORE_XGARRAY_H
#define KOVA_FRAMEWORK_CORE_XGARRAY_H

#include <cstdint>

namespace kova {

class XGArray {
public:
    XGArray();
    virtual ~XGArray();

    XGArray(const XGArray&) = delete;
    XGArray& operator=(const XGArray&) = delete;

    std::int32_t GetLength() const { return fLength; }

    /// Removes the element at `index`; the later ones move down one place each, in order.
    void Delete(std::int32_t index);

protected:
    /// Gives the storage room for `newAlloc` elements and keeps the first `keep` of them.
    virtual void ChangeArray(std::int32_t newAlloc, std::int32_t keep) = 0;
    /// Copies the one element at `from` onto the element at `to`.
    virtual void CopyArray(std::int32_t to, std::int32_t from) = 0;
    /// Copies one element's bytes from `element` into the element at `index`.
    virtual void CopyElement(std::int32_t index, const void* element) = 0;
    virtual void* GetElement(std::int32_t index) const = 0;

    /// Puts a copy of `element` at `index` (0 to the length); the later ones move up.
    void InsertElement(std::int32_t index, const void* element);

    std::int32_t fLength;
    std::int32_t fAlloc;
};

} // namespace kova

#endif
