/// What WinExec hands a program beside its arguments, as Windows hands a new process its
/// command line and its start-up information: the exact command line and the show state.
#ifndef KOVA_POSIX_STARTUPINFO_H
#define KOVA_POSIX_STARTUPINFO_H

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kova::posix {

struct StartupInfo {
    std::string commandLine;
    int show;

    /// The environment of a program started with this information: `environment`
    /// (a null-terminated list) less any hand-over it holds, and this one added.
    std::vector<std::string> Environment(const char* const* environment) const;

    /// What this process was handed, when it was handed something and the command line
    /// splits into exactly `argv`; a program started otherwise (its environment inherited
    /// from a program that was started by WinExec, say) gets nothing. The hand-over leaves
    /// the environment either way, so that it reaches no program started later.
    static std::optional<StartupInfo> Take(int argc, const char* const* argv);
};

} // namespace kova::posix

#endif
