// A program on the framework, built as the launcher is, whose start fails inside the C++
// run time in the way its command tail names:
//   null-string   the framework's exception made from a null message: the string's check
//   long-string   a string asked to hold more than it may: the string's length check
//   allocator     an allocation larger than the allocator may make: the allocator's check
//   no-memory     an allocation that the heap refuses: operator new's failure
//   terminate     std::terminate
// Each must end at the entry's catch-all, the process ending normally with 0, except
// terminate, which must end the process at once and say nothing. Exit code 2: the fault
// did not happen.
#include "framework/core/XGKOVAUnexpected.h"
#include "framework/gui/AppMain.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <string>

namespace {

// Values the compiler cannot see through: it must neither fold the faults away nor warn.
const char* volatile gNoMessage = nullptr;
volatile std::size_t gLargest = PTRDIFF_MAX;

bool Asked(const char* fault)
{
    return std::strcmp(kova::_GArgString, fault) == 0;
}

} // namespace

kova::XGAppCore* StartApplication()
{
    if (Asked("null-string")) {
        throw kova::XGKOVAUnexpected(gNoMessage);
    }
    if (Asked("long-string")) {
        std::string text;
        text.reserve(text.max_size() + 1);
    }
    if (Asked("allocator")) {
        std::allocator<char> allocator;
        const std::size_t count = gLargest + std::size_t{1};
        allocator.deallocate(allocator.allocate(count), count);
    }
    if (Asked("no-memory")) {
        ::operator delete(::operator new(gLargest));
    }
    if (Asked("terminate")) {
        std::terminate();
    }
    std::exit(2);
}
