#include "framework/gui/XGDispatch.h"
#include "framework/gui/XGSend.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <ostream>
#include <string>
#include <vector>

namespace {

/// Array allocations to let through before the next one fails; negative: none fails. The
/// framework's arrays take their storage from the array allocator, so this reaches them.
int gArrayAllocationsBeforeFailure = -1;

} // namespace

void* operator new[](std::size_t size)
{
    if (gArrayAllocationsBeforeFailure == 0) {
        gArrayAllocationsBeforeFailure = -1;
        throw std::bad_alloc();
    }
    if (gArrayAllocationsBeforeFailure > 0) {
        --gArrayAllocationsBeforeFailure;
    }
    if (void* block = std::malloc(size != 0 ? size : 1)) {
        return block;
    }
    throw std::bad_alloc();
}

void operator delete[](void* block) noexcept
{
    std::free(block);
}

void operator delete[](void* block, std::size_t) noexcept
{
    std::free(block);
}

namespace kova {
namespace {

class Receiver : public XGDispatch {
public:
    using XGDispatch::fSend;
};

class Sender : public XGSend {
public:
    using XGSend::fChanged;
    using XGSend::fReceivers;

    std::vector<XGDispatch*> Receivers() const
    {
        std::vector<XGDispatch*> receivers;
        for (std::int32_t i = 0; i < fReceivers.GetLength(); ++i) {
            receivers.push_back(fReceivers[i].fReceiver);
        }
        return receivers;
    }
};

std::vector<XGSend*> Senders(const Receiver& receiver)
{
    std::vector<XGSend*> senders;
    for (std::int32_t i = 0; i < receiver.fSend.GetLength(); ++i) {
        senders.push_back(receiver.fSend[i]);
    }
    return senders;
}

struct RemoveCase {
    const char* name;
    std::vector<int> added; // receivers by number, in the order they were added
    int removed;
    std::vector<int> expectedRecords;
    bool expectedChanged;
};

void PrintTo(const RemoveCase& c, std::ostream* out)
{
    *out << c.name;
}

class RemoveReceiverTest : public testing::TestWithParam<RemoveCase> {};

TEST_P(RemoveReceiverTest, CutsTheFirstLinkOnBothSidesOnly)
{
    const RemoveCase& c = GetParam();
    Receiver receivers[4];
    Sender sender;
    for (int number : c.added) {
        sender.AddReceiver(&receivers[number], static_cast<std::int16_t>(number));
    }

    sender.RemoveReceiver(&receivers[c.removed]);

    std::vector<XGDispatch*> expected;
    for (int number : c.expectedRecords) {
        expected.push_back(&receivers[number]);
    }
    EXPECT_EQ(sender.Receivers(), expected);
    EXPECT_EQ(sender.fChanged, c.expectedChanged);
    // Each receiver still lists the sender once for every record left for it.
    for (int number = 0; number < 4; ++number) {
        std::vector<XGSend*> links;
        for (int record : c.expectedRecords) {
            if (record == number) {
                links.push_back(&sender);
            }
        }
        EXPECT_EQ(Senders(receivers[number]), links) << "receiver " << number;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Removals, RemoveReceiverTest,
    testing::Values(RemoveCase{"FirstOfTwoDuplicates", {1, 2, 1, 3}, 1, {2, 1, 3}, true},
                    RemoveCase{"Last", {1, 2, 3}, 3, {1, 2}, true},
                    RemoveCase{"Absent", {1, 2}, 3, {1, 2}, false},
                    RemoveCase{"FromAnEmptySender", {}, 0, {}, false}),
    [](const testing::TestParamInfo<RemoveCase>& info) { return std::string(info.param.name); });

TEST(XGSendTest, TheReceiversSideIsCutEvenWithoutARecord)
{
    Receiver receiver;
    Sender sender;
    sender.AddReceiver(&receiver, 0);
    sender.fReceivers.Delete(0);

    sender.RemoveReceiver(&receiver);
    EXPECT_TRUE(Senders(receiver).empty());
    EXPECT_FALSE(sender.fChanged);
}

TEST(XGSendTest, ADestroyedSenderLeavesEveryReceiver)
{
    Receiver shared;
    Receiver own;
    Sender other;
    other.AddReceiver(&shared, 0);
    {
        Sender sender;
        sender.AddReceiver(&shared, 0);
        sender.AddReceiver(&own, 0);
        sender.AddReceiver(&shared, 0);
        EXPECT_EQ(Senders(shared), (std::vector<XGSend*>{&other, &sender, &sender}));
    }
    EXPECT_EQ(Senders(shared), std::vector<XGSend*>{&other});
    EXPECT_TRUE(Senders(own).empty());
    EXPECT_EQ(other.Receivers(), std::vector<XGDispatch*>{&shared});
}

TEST(XGSendTest, ADestroyedReceiverLeavesEverySenderInOrder)
{
    // Enough receivers that the removals move storage across the 16-element steps.
    Receiver receivers[20];
    Sender sender;
    Sender other;
    auto doomed = std::make_unique<Receiver>();
    for (Receiver& receiver : receivers) {
        sender.AddReceiver(&receiver, 0);
        sender.AddReceiver(doomed.get(), 0);
    }
    other.AddReceiver(doomed.get(), 0);
    other.AddReceiver(&receivers[0], 0);

    doomed.reset();

    std::vector<XGDispatch*> expected;
    for (Receiver& receiver : receivers) {
        expected.push_back(&receiver);
    }
    EXPECT_EQ(sender.Receivers(), expected);
    EXPECT_EQ(other.Receivers(), std::vector<XGDispatch*>{&receivers[0]});
}

TEST(XGSendTest, AnAdditionShortOfMemoryMakesNeitherSide)
{
    Receiver receiver;
    Sender sender;
    // The sender's record gets its storage; the receiver's entry does not.
    gArrayAllocationsBeforeFailure = 1;
    EXPECT_THROW(sender.AddReceiver(&receiver, 0), std::bad_alloc);
    EXPECT_TRUE(sender.Receivers().empty());
    EXPECT_TRUE(Senders(receiver).empty());

    sender.AddReceiver(&receiver, 0);
    EXPECT_EQ(Senders(receiver), std::vector<XGSend*>{&sender});
}

TEST(XGSendTest, ARemovalShortOfMemoryStillCutsTheLink)
{
    Receiver receivers[17];
    Sender sender;
    for (Receiver& receiver : receivers) {
        sender.AddReceiver(&receiver, 0);
    }
    // Going from 17 records to 16 moves them into smaller storage, which cannot be had.
    gArrayAllocationsBeforeFailure = 0;
    EXPECT_NO_THROW(sender.RemoveReceiver(&receivers[0]));
    gArrayAllocationsBeforeFailure = -1;
    EXPECT_EQ(sender.Receivers().size(), 16u);
    EXPECT_EQ(sender.Receivers().front(), &receivers[1]);
    EXPECT_TRUE(Senders(receivers[0]).empty());
}

} // namespace
} // namespace kova
