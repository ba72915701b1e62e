#include "framework/core/XGDynArray.h"
#include "framework/core/XGKOVAUnexpected.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <ostream>
#include <string>
#include <vector>

namespace kova {
namespace {

/// An array that counts the calls of its building blocks, can make its next reallocation
/// fail, and shows its capacity and storage.
template <class Array>
class Probe : public Array {
public:
    using Array::fAlloc;
    using Array::fArray;

    /// Gives the storage a capacity the removal rule would not choose.
    void SetCapacity(std::int32_t capacity)
    {
        Array::ChangeArray(capacity, this->fLength);
        fAlloc = capacity;
    }

    int fCopies = 0;
    int fChanges = 0;
    bool fFailNextChange = false;

protected:
    void ChangeArray(std::int32_t newAlloc, std::int32_t keep) override
    {
        ++fChanges;
        if (fFailNextChange) {
            fFailNextChange = false;
            throw std::bad_alloc();
        }
        Array::ChangeArray(newAlloc, keep);
    }

    void CopyArray(std::int32_t to, std::int32_t from) override
    {
        ++fCopies;
        Array::CopyArray(to, from);
    }
};

using Int32Probe = Probe<XGSDynArray<std::int32_t>>;

/// Appends 0, 1, ... up to `length` - 1, then forgets the calls that took.
void Fill(Int32Probe& array, std::int32_t length)
{
    for (std::int32_t i = 0; i < length; ++i) {
        array.Append(i);
    }
    array.fCopies = 0;
    array.fChanges = 0;
}

std::vector<std::int32_t> Contents(const Int32Probe& array)
{
    std::vector<std::int32_t> contents;
    for (std::int32_t i = 0; i < array.GetLength(); ++i) {
        contents.push_back(array[i]);
    }
    return contents;
}

std::vector<std::int32_t> Without(std::int32_t length, std::int32_t index)
{
    std::vector<std::int32_t> contents;
    for (std::int32_t i = 0; i < length; ++i) {
        if (i != index) {
            contents.push_back(i);
        }
    }
    return contents;
}

enum class Storage { Same, New, None };

struct DeleteCase {
    const char* name;
    std::int32_t length;
    std::int32_t capacity; // 0: the capacity that appending left
    std::int32_t index;
    std::int32_t expectedCapacity;
    Storage expectedStorage;
};

void PrintTo(const DeleteCase& c, std::ostream* out)
{
    *out << c.name;
}

class DeleteTest : public testing::TestWithParam<DeleteCase> {};

TEST_P(DeleteTest, MovesEachLaterElementOnceAndKeepsTheCapacityRule)
{
    const DeleteCase& c = GetParam();
    Int32Probe array;
    Fill(array, c.length);
    if (c.capacity != 0) {
        array.SetCapacity(c.capacity);
        array.fChanges = 0;
    }
    const unsigned char* storage = array.fArray;

    array.Delete(c.index);

    EXPECT_EQ(Contents(array), Without(c.length, c.index));
    EXPECT_EQ(array.fAlloc, c.expectedCapacity);
    // One CopyArray call per element that moved down, and none for the others.
    EXPECT_EQ(array.fCopies, c.length - 1 - c.index);
    EXPECT_EQ(array.fChanges, c.expectedStorage == Storage::Same ? 0 : 1);
    switch (c.expectedStorage) {
    case Storage::Same:
        EXPECT_EQ(array.fArray, storage);
        break;
    case Storage::New:
        EXPECT_NE(array.fArray, storage);
        EXPECT_NE(array.fArray, nullptr);
        break;
    case Storage::None:
        EXPECT_EQ(array.fArray, nullptr);
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Capacities, DeleteTest,
    testing::Values(DeleteCase{"FirstOfThree", 3, 0, 0, 16, Storage::Same},
                    DeleteCase{"OnlyElement", 1, 0, 0, 0, Storage::None},
                    DeleteCase{"SeventeenToSixteen", 17, 0, 16, 16, Storage::New},
                    DeleteCase{"SixteenToFifteen", 16, 0, 15, 16, Storage::Same},
                    DeleteCase{"TwentyWithRoomForForty", 20, 40, 3, 32, Storage::New},
                    DeleteCase{"MiddleOfForty", 40, 0, 20, 48, Storage::Same}),
    [](const testing::TestParamInfo<DeleteCase>& info) { return std::string(info.param.name); });

struct BadIndexCase {
    const char* name;
    std::int32_t length;
    std::int32_t index;
};

void PrintTo(const BadIndexCase& c, std::ostream* out)
{
    *out << c.name;
}

class BadIndexTest : public testing::TestWithParam<BadIndexCase> {};

TEST_P(BadIndexTest, DeleteReportsTheIndexAndChangesNothing)
{
    const BadIndexCase& c = GetParam();
    Int32Probe array;
    Fill(array, c.length);
    const std::int32_t capacity = array.fAlloc;
    const unsigned char* storage = array.fArray;
    try {
        array.Delete(c.index);
        FAIL() << "Delete(" << c.index << ") did not throw";
    } catch (const XGKOVAUnexpected& error) {
        EXPECT_STREQ(error.what(),
                     "Unexpected error (index >= 0) && (index < fLength) at XGArray(92)");
    }
    EXPECT_EQ(Contents(array), Without(c.length, -1));
    EXPECT_EQ(array.fAlloc, capacity);
    EXPECT_EQ(array.fArray, storage);
    EXPECT_EQ(array.fCopies + array.fChanges, 0);
}

TEST_P(BadIndexTest, InsertBeyondTheEndIsRefused)
{
    const BadIndexCase& c = GetParam();
    Int32Probe array;
    Fill(array, c.length);
    // Insertion also accepts the length itself, so the bad positions lie one further out.
    const std::int32_t index = c.index < 0 ? c.index : c.index + 1;
    try {
        array.Insert(index, 99);
        FAIL() << "Insert(" << index << ") did not throw";
    } catch (const XGKOVAUnexpected& error) {
        EXPECT_NE(std::string(error.what()).find("(index >= 0) && (index <= fLength) at XGArray("),
                  std::string::npos)
            << error.what();
    }
    EXPECT_EQ(Contents(array), Without(c.length, -1));
    EXPECT_EQ(array.fCopies + array.fChanges, 0);
}

TEST_P(BadIndexTest, TypedAccessIsRefused)
{
    const BadIndexCase& c = GetParam();
    Int32Probe array;
    Fill(array, c.length);
    EXPECT_THROW(array[c.index], XGKOVAUnexpected);
}

INSTANTIATE_TEST_SUITE_P(Indices, BadIndexTest,
                         testing::Values(BadIndexCase{"Negative", 3, -1},
                                         BadIndexCase{"Length", 3, 3},
                                         BadIndexCase{"ZeroOfEmpty", 0, 0}),
                         [](const testing::TestParamInfo<BadIndexCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(XGArrayTest, InsertMovesLaterElementsUpAndGrowsInStepsOfSixteen)
{
    Int32Probe array;
    Fill(array, 16);
    EXPECT_EQ(array.fAlloc, 16);

    array.Insert(5, 100);
    EXPECT_EQ(array.fAlloc, 32);
    EXPECT_EQ(array.fChanges, 1);
    EXPECT_EQ(array.fCopies, 11);
    std::vector<std::int32_t> expected = Without(16, -1);
    expected.insert(expected.begin() + 5, 100);
    EXPECT_EQ(Contents(array), expected);

    array.Insert(array.GetLength(), 200);
    expected.push_back(200);
    EXPECT_EQ(Contents(array), expected);
    EXPECT_EQ(array.fChanges, 1);
}

TEST(XGArrayTest, InsertingACopyOfItsOwnElementSurvivesTheMove)
{
    // The element is taken by value: a reference into the storage would be read after the
    // storage it points into was freed.
    Int32Probe array;
    Fill(array, 16);
    array.Insert(0, array[15]);
    EXPECT_EQ(array.fAlloc, 32);
    EXPECT_EQ(array[0], 15);
    EXPECT_EQ(array[16], 15);
}

TEST(XGArrayTest, AFailedShrinkLeavesAConsistentArrayThatTheNextDeleteRepairs)
{
    Int32Probe array;
    Fill(array, 17);
    const unsigned char* storage = array.fArray;

    array.fFailNextChange = true;
    EXPECT_THROW(array.Delete(0), std::bad_alloc);
    // The element is gone and the rest moved down; the old storage and capacity stay.
    EXPECT_EQ(Contents(array), Without(17, 0));
    EXPECT_EQ(array.fAlloc, 32);
    EXPECT_EQ(array.fArray, storage);

    array.Delete(0);
    EXPECT_EQ(array.GetLength(), 15);
    EXPECT_EQ(array.fAlloc, 16);
    EXPECT_EQ(array[0], 2);
}

TEST(XGArrayTest, AFailedGrowthChangesNothing)
{
    Int32Probe array;
    Fill(array, 16);
    const unsigned char* storage = array.fArray;

    array.fFailNextChange = true;
    EXPECT_THROW(array.Insert(3, 99), std::bad_alloc);
    EXPECT_EQ(Contents(array), Without(16, -1));
    EXPECT_EQ(array.fAlloc, 16);
    EXPECT_EQ(array.fArray, storage);
    EXPECT_EQ(array.fCopies, 0);
}

TEST(XGArrayTest, StorageBeyondThirtyTwoBitsIsRefusedBeforeAnythingChanges)
{
    // 16 elements of 256 MiB need 4 GiB: on Win32 the byte count would wrap to 0 and the
    // element would be written past the end of an empty block.
    class HugeElements : public XGSizeArray {
    public:
        HugeElements() : XGSizeArray(0x10000000) {}
        using XGSizeArray::fAlloc;
        using XGSizeArray::fArray;
        using XGSizeArray::InsertElement;
    };
    HugeElements array;
    const unsigned char element = 0;
    EXPECT_THROW(array.InsertElement(0, &element), std::bad_array_new_length);
    EXPECT_EQ(array.GetLength(), 0);
    EXPECT_EQ(array.fAlloc, 0);
    EXPECT_EQ(array.fArray, nullptr);
}

struct Tracked {
    bool* destroyed;
    int value;
    ~Tracked() { *destroyed = true; }
};

TEST(XGArrayTest, PointerArraysLeaveTheirObjectsAlive)
{
    bool destroyed[3] = {};
    Tracked objects[3] = {{&destroyed[0], 10}, {&destroyed[1], 11}, {&destroyed[2], 12}};
    {
        XGPDynArray<Tracked> array;
        for (Tracked& object : objects) {
            array.Append(&object);
        }
        array.Delete(1);
        ASSERT_EQ(array.GetLength(), 2);
        EXPECT_EQ(array[0], &objects[0]);
        EXPECT_EQ(array[1], &objects[2]);
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(destroyed[i]);
        EXPECT_EQ(objects[i].value, 10 + i);
    }
}

} // namespace
} // namespace kova
