/// The typed growable arrays: XGSDynArray<T> holds plain records by value, XGPDynArray<T>
/// holds pointers to objects it does not own. Both keep their elements as raw bytes in an
/// XGSizeArray and are instantiated in the modules that use them.
#ifndef KOVA_FRAMEWORK_CORE_XGDYNARRAY_H
#define KOVA_FRAMEWORK_CORE_XGDYNARRAY_H

#include "framework/core/ErrorCode.h"
#include "framework/core/XGSizeArray.h"

#include <cstdint>
#include <type_traits>

namespace kova {

/// An array of records of type T, copied in and out as bytes: never constructed, assigned
/// or destroyed through T's own operations.
template <class T>
class XGSDynArray : public XGSizeArray {
    static_assert(std::is_trivially_copyable_v<T>, "elements are moved as raw bytes");
    static_assert(alignof(T) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__,
                  "the storage is only aligned as the array allocator aligns it");

public:
    XGSDynArray() : XGSizeArray(sizeof(T)) {}
    ~XGSDynArray() override = default;

    T& operator[](std::int32_t index)
    {
        KOVAAssert((index >= 0) && (index < fLength));
        return *static_cast<T*>(GetElement(index));
    }
    const T& operator[](std::int32_t index) const
    {
        KOVAAssert((index >= 0) && (index < fLength));
        return *static_cast<const T*>(GetElement(index));
    }

    /// Takes the element by value, so that a copy of one of this array's own elements
    /// stays valid while the storage moves.
    void Insert(std::int32_t index, T element) { InsertElement(index, &element); }
    void Append(T element) { InsertElement(fLength, &element); }
};

/// An array of pointers to T. It never deletes the objects its elements point to.
template <class T>
class XGPDynArray : public XGSizeArray {
public:
    XGPDynArray() : XGSizeArray(sizeof(T*)) {}
    ~XGPDynArray() override = default;

    T*& operator[](std::int32_t index)
    {
        KOVAAssert((index >= 0) && (index < fLength));
        return *static_cast<T**>(GetElement(index));
    }
    T* operator[](std::int32_t index) const
    {
        KOVAAssert((index >= 0) && (index < fLength));
        return *static_cast<T* const*>(GetElement(index));
    }

    void Insert(std::int32_t index, T* element) { InsertElement(index, &element); }
    void Append(T* element) { InsertElement(fLength, &element); }
};

} // namespace kova

#endif
