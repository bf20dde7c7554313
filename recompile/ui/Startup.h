#pragma once
// Start-up of the wizard. Without arguments it is interactive: the warning
// window first, then the main window. With an argument it runs hidden: the
// language named by the first argument is switched in one request, and
// nothing is stored.

#include "ui/rwMain.h"
#include "ui/rwSplash.h"

#include <string>
#include <vector>

namespace vdx {

// DLLs are then loaded from System32 only, never from the program's or the
// current folder (the wizard is run as administrator). Returns false when the
// system does not offer the restriction.
bool RestrictDllSearchToSystem32();

// Both windows of an interactive run. The warning window is created first and
// is the application's main window; the main window is created hidden.
class InteractiveWizard {
public:
    InteractiveWizard(Application& app, MainFormOptions options = {});

    TSplashForm Splash;
    TMainForm Main;

    void ShowWarning() { Splash.Show(); }
    // Shows the warning window and runs the message loop until the wizard ends.
    int Run();

private:
    Application& app_;
};

// The hidden run: FormShow, the language of `language` (without regard to
// letter case; no row when none matches), one request, and the window
// destroyed without being closed. An error of the request is shown in the
// error box. The exit code is always 0.
int RunHidden(Application& app, std::string_view language, MainFormOptions options = {});

// The mode by the arguments (not counting the program name).
int RunWizard(Application& app, const std::vector<std::string>& args);

} // namespace vdx
