// Shows one of the wizard's windows for a picture and takes no action:
//   ui_screenshot main|splash <installation folder> <rect file> [seconds]
// The window is shown as the user first sees it (the main window with the
// choices made from the installation's folders, nothing restored); its
// place on the screen is written to <rect file> as "x y width height" once
// it has been painted; the program ends after the given seconds (default 20).

#include "support/platform/Utf.h"
#include "ui/Application.h"
#include "ui/rwMain.h"
#include "ui/rwSplash.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>
#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 4)
        return 2;
    const std::wstring which = argv[1];
    const std::string installDir = vdx::Narrow(argv[2]);
    const std::wstring rectFile = argv[3];
    const int seconds = argc > 4 ? _wtoi(argv[4]) : 20;

    vdx::Application app;
    std::unique_ptr<vdx::Form> form;
    if (which == L"splash") {
        form = std::make_unique<vdx::TSplashForm>(app);
    } else {
        vdx::MainFormOptions o;
        o.InstallDir = installDir;
        o.SettingsKey = "Software\\Verdexsoft\\recompile-screenshot-never-stored";
        o.Driver = [](vdx::BuildRequest, vdx::FrontEnd&) {};
        form = std::make_unique<vdx::TMainForm>(app, o);
    }
    form->Show();
    UpdateWindow(form->Handle());
    DWORD end = GetTickCount() + 1500;
    while (GetTickCount() < end) { // let every control paint
        app.ProcessMessages();
        Sleep(20);
    }
    RECT r{};
    GetWindowRect(form->Handle(), &r);
    if (FILE* f = _wfopen(rectFile.c_str(), L"w")) {
        std::fprintf(f, "%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
        std::fclose(f);
    }
    end = GetTickCount() + static_cast<DWORD>(seconds) * 1000;
    while (GetTickCount() < end && !app.Terminated()) {
        app.ProcessMessages();
        Sleep(20);
    }
    form->DestroyHandle();
    return 0;
}
