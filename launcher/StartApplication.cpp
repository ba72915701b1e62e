/// The launcher: reads "autorun.inf", asks the registry whether the product is installed,
/// and starts the installed program or the setup program. It shows nothing, reports
/// nothing, and hands the framework no application core, so the process ends right after.
///
/// AutoPlay starts it with the disc as the current directory. A person may start it from a
/// shortcut, the Run box or a prompt elsewhere (from a USB stick a person always starts it,
/// as Windows offers no AutoRun there): then there is no "autorun.inf" in the current
/// directory, and it reads the one beside it, from its own folder made the current
/// directory, so that it acts exactly as if AutoPlay had started it there.
#include "framework/gui/AppMain.h"
#include "launcher/AutorunFile.h"
#include "launcher/LaunchDecision.h"
#include "launcher/OwnFolder.h"
#include "launcher/ProgramStart.h"

kova::XGAppCore* StartApplication()
{
    using namespace autorun;
    // The file is closed before the registry is touched.
    AutorunText text;
    if (!ReadAutorunFile("autorun.inf", text) &&
        !(EnterOwnFolder() && ReadAutorunFile("autorun.inf", text))) {
        return NULL;
    }
    LaunchSettings settings;
    ReadLaunchSettings(text.Text(), text.encoding, settings);
    LaunchDecision decision;
    DecideLaunch(settings, decision, StartProgram);
    return NULL;
}
