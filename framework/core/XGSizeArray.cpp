#include "framework/core/XGSizeArray.h"

#include <cstddef>
#include <cstring>
#include <new>

namespace kova {

XGSizeArray::XGSizeArray(std::uint32_t elementSize) : XGArray(), fArray(nullptr), fSize(elementSize)
{
}

XGSizeArray::~XGSizeArray()
{
    delete[] fArray;
}

void XGSizeArray::ChangeArray(std::int32_t newAlloc, std::int32_t keep)
{
    // The storage's byte size is a 32-bit quantity on every platform; a capacity beyond
    // that would wrap to a small block on Win32 and be written past its end.
    const std::uint64_t bytes = static_cast<std::uint64_t>(newAlloc) * fSize;
    if (newAlloc < 0 || bytes > UINT32_MAX) {
        throw std::bad_array_new_length();
    }
    unsigned char* storage =
        newAlloc != 0 ? new unsigned char[static_cast<std::size_t>(bytes)] : nullptr;
    if (keep != 0) {
        std::memcpy(storage, fArray, static_cast<std::size_t>(keep) * fSize);
    }
    delete[] fArray;
    fArray = storage;
}

void XGSizeArray::CopyArray(std::int32_t to, std::int32_t from)
{
    std::memcpy(GetElement(to), GetElement(from), fSize);
}

void XGSizeArray::CopyElement(std::int32_t index, const void* element)
{
    std::memcpy(GetElement(index), element, fSize);
}

void* XGSizeArray::GetElement(std::int32_t index) const
{
    return fArray + static_cast<std::size_t>(index) * fSize;
}

} // namespace kova
