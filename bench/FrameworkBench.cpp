// One dispatch that climbs three class levels before a handler takes it, and one removal
// from the front of a 1000-element array, which moves the other 999 elements one by one.
#include "framework/core/XGDynArray.h"
#include "framework/gui/XGDispatch.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>

namespace kova {
namespace {

constexpr std::int32_t kHandled = KOVAMessageCode("hand");

class LevelOne : public XGDispatch {
    KOVA_DECLARE_DISPATCH();

public:
    std::int32_t DoOther(std::int32_t, void*) { return 0; }
    std::int32_t DoHandled(std::int32_t param, void*) { return param; }
};

constinit const _DispatchTable LevelOne::_Dispatch[] = {
    KOVADispatchEntry<&LevelOne::DoOther>("oth1"),
    KOVADispatchEntry<&LevelOne::DoOther>("oth2"),
    KOVADispatchEntry<&LevelOne::DoHandled>("hand"),
    KOVADispatchEnd(),
};
KOVA_DISPATCH_RECORD(LevelOne, XGDispatch, nullptr)

/// The window's shape: a catch-all that declines what it does not want.
class LevelTwo : public LevelOne {
    KOVA_DECLARE_DISPATCH();

public:
    std::int32_t Dispatch(std::int32_t, std::int32_t, void*) { return kDispatchDeclined; }
};

constinit const _DispatchTable LevelTwo::_Dispatch[] = {
    KOVADispatchEntry<&LevelTwo::DoOther>("oth3"),
    KOVADispatchEntry<&LevelTwo::DoOther>("oth4"),
    KOVADispatchEnd(),
};
KOVA_DISPATCH_RECORD(LevelTwo, LevelOne, KOVACatchAll<&LevelTwo::Dispatch>())

class LevelThree : public LevelTwo {
    KOVA_DECLARE_DISPATCH();
};

constinit const _DispatchTable LevelThree::_Dispatch[] = {
    KOVADispatchEntry<&LevelThree::DoOther>("oth5"),
    KOVADispatchEnd(),
};
KOVA_DISPATCH_RECORD(LevelThree, LevelTwo, nullptr)

void DoDispatchThroughThreeLevels(benchmark::State& state)
{
    LevelThree object;
    XGDispatch* receiver = &object;
    for (auto _ : state) {
        benchmark::DoNotOptimize(receiver->DoDispatch(kHandled, 1, nullptr, false));
    }
}
BENCHMARK(DoDispatchThroughThreeLevels);

void DeleteFirstOfThousand(benchmark::State& state)
{
    XGSDynArray<std::int32_t> array;
    for (std::int32_t i = 0; i < 1000; ++i) {
        array.Append(i);
    }
    // Only the removal is timed; putting an element back keeps the length at 1000.
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        array.Delete(0);
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        array.Append(0);
    }
}
BENCHMARK(DeleteFirstOfThousand)->UseManualTime();

} // namespace
} // namespace kova
