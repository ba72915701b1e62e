// How a program that must never show anything ends when the C++ run time gives up (an
// exception that nothing catches, one thrown while another unwinds, a destructor that
// throws at exit): at once, with abort()'s exit code 3, and silently. The run time's own
// handler prints the exception's demangled type on a console that a GUI program does not
// have, then calls abort(), which in a GUI program shows the C run time's "abnormal
// program termination" box. This replaces the run time's terminate machinery (the calls
// that reach the handler and what the run time asks about it), so that neither its handler
// nor the demangler comes in. NOTE: std::set_terminate is left out on purpose: a program
// that sets a handler of its own brings the run time's object back, and its link fails on
// the duplicates. Like the throw helpers, this is linked as an object file.
#include <windows.h>

#include <exception>

namespace {

// abort()'s exit code: the end stays recognisable as abnormal to whoever looks.
constexpr UINT kTerminateExitCode = 3;

[[noreturn]] void EndProcess() noexcept
{
    // Nothing more runs in this process: no destructors, no handlers, no DLL that is told.
    TerminateProcess(GetCurrentProcess(), kTerminateExitCode);
    for (;;) {
    }
}

using Handler = void (*)();

} // namespace

namespace std {

[[noreturn]] void unexpected();

void terminate() noexcept
{
    EndProcess();
}

void unexpected()
{
    EndProcess();
}

// What the run time records in each exception it throws, and calls if that one ends it.
terminate_handler get_terminate() noexcept
{
    return EndProcess;
}

Handler get_unexpected() noexcept
{
    return EndProcess;
}

} // namespace std

// The run time's internal entries: the personality routine and the throw call these with the
// handler recorded in the exception.
namespace __cxxabiv1 {

[[noreturn]] void __terminate(Handler) noexcept;
[[noreturn]] void __unexpected(Handler);

void __terminate(Handler) noexcept
{
    EndProcess();
}

void __unexpected(Handler)
{
    EndProcess();
}

} // namespace __cxxabiv1
