// A program on the framework that marks its entry in the record of platform calls, and
// reports, at its very end, the thread list's state at the entry and after the last
// module's globals were gone.
//
// Command tail: MODE LOGFILE. MODE "throw" makes StartApplication throw; anything else
// makes it return no core. The report goes to LOGFILE.
#include "framework/core/KOVAModules.h"
#include "framework/core/XGThread.h"
#include "framework/gui/AppMain.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace kova {

struct XGThreadTestAccess {
    static XGThread* Head() { return XGThread::gList; }
    static std::uint32_t Count() { return XGThread::gCount; }
    static XGThread* AppThread() { return &XGThread::gAppThread; }
    static XGThread* Next(const XGThread& record) { return record.fNext; }
};

} // namespace kova

namespace {

using Threads = kova::XGThreadTestAccess;

/// The module name the probe asks for at its entry: no module has it, and the call stands
/// in the record of calls between the modules' start-up and their exit.
constexpr const char* kEntryMark = "kova-order-probe-entry";

class ExitReport {
public:
    /// Called from the entry: notes the thread list's state.
    void AtEntry(const char* path)
    {
        std::snprintf(fPath, sizeof fPath, "%s", path);
        fAppThreadAloneAtEntry = Threads::Count() == 1 && Threads::Head() == Threads::AppThread() &&
                                 Threads::Next(*Threads::AppThread()) == nullptr &&
                                 kova::GAppThreadID == GetCurrentThreadId();
    }

    /// Built before every module and so destroyed after all of them.
    ~ExitReport()
    {
        if (fPath[0] == '\0') {
            return;
        }
        std::FILE* out = std::fopen(fPath, "w");
        if (out == nullptr) {
            return;
        }
        std::fprintf(out, "application thread alone at entry: %s\n",
                     fAppThreadAloneAtEntry ? "yes" : "no");
        std::fprintf(out, "thread records at exit: %u, list %s\n",
                     static_cast<unsigned>(Threads::Count()),
                     Threads::Head() == nullptr ? "empty" : "not empty");
        std::fprintf(out, "end\n");
        std::fclose(out);
    }

private:
    char fPath[1024] = {};
    bool fAppThreadAloneAtEntry = false;
};

ExitReport gReport __attribute__((init_priority(kova::kKOVAFirstModulePriority)));

} // namespace

kova::XGAppCore* StartApplication()
{
    GetModuleHandleA(kEntryMark);
    // The tail is "MODE LOGFILE", the file name perhaps in quotes.
    char tail[1024];
    std::snprintf(tail, sizeof tail, "%s", kova::_GArgString != nullptr ? kova::_GArgString : "");
    char* path = std::strchr(tail, ' ');
    if (path == nullptr) {
        return nullptr;
    }
    *path++ = '\0';
    while (*path == ' ') {
        ++path;
    }
    const std::size_t length = std::strlen(path);
    if (length >= 2 && path[0] == '"' && path[length - 1] == '"') {
        path[length - 1] = '\0';
        ++path;
    }
    gReport.AtEntry(path);
    if (std::strcmp(tail, "throw") == 0) {
        throw std::runtime_error("the probe's start-up failed");
    }
    return nullptr;
}
