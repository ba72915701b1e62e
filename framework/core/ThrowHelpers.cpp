// The C++ run time's own error reports (a string built from a null pointer or longer than
// it may be, a failed allocation), for a program that must stay small and silent. The run
// time raises them through one helper each; its own helpers all live in one object, which
// brings every standard exception class and a second, copy-on-write string implementation
// with it. These raise the same failures as exceptions that need neither, so that they still
// end at the entry's catch-all. Linked as an object file, never from an archive: the linker
// would take the run time's helpers from its own library first.
#include <exception>
#include <new>
#include <typeinfo>

namespace {

/// A failure the run time reports with a fixed text; what() returns that text.
class LibraryError : public std::exception {
public:
    explicit LibraryError(const char* message) noexcept : fMessage(message) {}

    const char* what() const noexcept override { return fMessage; }

private:
    // The run time passes string literals: the text outlives the exception.
    const char* fMessage;
};

[[noreturn]] void Raise(const char* message)
{
    throw LibraryError(message != nullptr ? message : "");
}

} // namespace

// Every helper the run time's header declares and its library defines together, so that
// no reference can bring the library's object back (the link would then fail on the
// duplicates rather than quietly grow).
namespace std {

void __throw_bad_alloc()
{
    throw bad_alloc();
}

void __throw_bad_array_new_length()
{
    throw bad_array_new_length();
}

void __throw_bad_cast()
{
    throw bad_cast();
}

void __throw_bad_typeid()
{
    throw bad_typeid();
}

void __throw_bad_exception()
{
    throw bad_exception();
}

void __throw_logic_error(const char* message)
{
    Raise(message);
}

void __throw_domain_error(const char* message)
{
    Raise(message);
}

void __throw_invalid_argument(const char* message)
{
    Raise(message);
}

void __throw_length_error(const char* message)
{
    Raise(message);
}

void __throw_out_of_range(const char* message)
{
    Raise(message);
}

// The format's arguments (positions and sizes) are left out: the text names the failure.
void __throw_out_of_range_fmt(const char* format, ...)
{
    Raise(format);
}

void __throw_runtime_error(const char* message)
{
    Raise(message);
}

void __throw_range_error(const char* message)
{
    Raise(message);
}

void __throw_overflow_error(const char* message)
{
    Raise(message);
}

void __throw_underflow_error(const char* message)
{
    Raise(message);
}

} // namespace std
