// recompile: the wizard that rebuilds the Verdex packages.

#include "support/platform/Utf.h"
#include "ui/Startup.h"

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    vdx::RestrictDllSearchToSystem32();

    std::vector<std::string> args;
    int argc = 0;
    if (LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc)) {
        for (int i = 1; i < argc; ++i)
            args.push_back(vdx::Narrow(argv[i]));
        LocalFree(argv);
    }

    vdx::Application app;
    try {
        return vdx::RunWizard(app, args);
    } catch (const std::exception& e) {
        app.ShowException(e);
    } catch (...) {
        app.ShowException("Unknown error");
    }
    return 0;
}
