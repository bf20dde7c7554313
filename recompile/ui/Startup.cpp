#include "ui/Startup.h"

namespace vdx {

bool RestrictDllSearchToSystem32() {
    // Looked up at run time: Windows 7 has the function only with KB2533623.
    using SetDirsFn = BOOL(WINAPI*)(DWORD);
    FARPROC proc = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (!proc)
        return false;
    auto setDirs = reinterpret_cast<SetDirsFn>(reinterpret_cast<void (*)()>(proc));
    return setDirs(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
}

InteractiveWizard::InteractiveWizard(Application& app, MainFormOptions options)
    : Splash(app), Main(app, std::move(options)), app_(app) {
    app.SetMainForm(&Splash);
    Splash.MainForm = &Main;
    Main.SplashForm = &Splash;
}

int InteractiveWizard::Run() {
    ShowWarning();
    app_.Run();
    return 0;
}

int RunHidden(Application& app, std::string_view language, MainFormOptions options) {
    TMainForm main(app, std::move(options));
    app.SetMainForm(&main);
    main.FormShow(nullptr);
    main.LanguageCB.SetItemIndex(main.LanguageCB.IndexOf(language));
    try {
        main.CompileBClick(nullptr);
    } catch (const std::exception& e) {
        app.ShowException(e);
    }
    // Destroyed without being closed: FormClose does not run, nothing is stored.
    main.DestroyHandle();
    app.SetMainForm(nullptr);
    return 0;
}

int RunWizard(Application& app, const std::vector<std::string>& args) {
    if (!args.empty())
        return RunHidden(app, args.front());
    InteractiveWizard wizard(app);
    return wizard.Run();
}

} // namespace vdx
