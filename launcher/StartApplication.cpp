/// The launcher: reads "autorun.inf", asks the registry whether the product is installed,
/// and starts the installed program or the setup program. It shows nothing, reports
/// nothing, and hands the framework no application core, so the process ends right after.
#include "framework/gui/AppMain.h"
#include "launcher/AutorunFile.h"
#include "launcher/LaunchDecision.h"
#include "launcher/ProgramStart.h"

kova::XGAppCore* StartApplication()
{
    using namespace autorun;
    // The file is closed before the registry is touched.
    AutorunText text;
    if (!ReadAutorunFile("autorun.inf", text)) {
        return NULL;
    }
    LaunchSettings settings;
    ReadLaunchSettings(text.Text(), text.encoding, settings);
    LaunchDecision decision;
    DecideLaunch(settings, decision, StartProgram);
    return NULL;
}
