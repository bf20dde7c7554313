#pragma once
// The wizard's working window: six numbered steps, Compile and Exit, and the
// message box that shows the build engine's MessageLog. It keeps the options
// consistent with the chosen compiler, edition and TeeChart version, hands a
// BuildRequest to the compile request driver, and remembers the user's
// choices in the registry.

#include "engine/BuildRequest.h"
#include "engine/FrontEnd.h"
#include "ui/Controls.h"
#include "ui/Form.h"

#include <functional>
#include <string>
#include <vector>

namespace vdx {

using DriverFn = std::function<void(BuildRequest, FrontEnd&)>;

// What the main window takes from its surroundings. The defaults are those of
// the real program; tests point them elsewhere.
struct MainFormOptions {
    std::string InstallDir; // empty: the folder of the running program
    HKEY SettingsRoot = HKEY_CURRENT_USER;
    std::string SettingsKey = "Software\\Verdexsoft\\recompile";
    HKEY MachineRoot = HKEY_LOCAL_MACHINE; // environments and shell folders
    DriverFn Driver;                       // empty: the compile request driver
};

class TMainForm : public Form, public FrontEnd {
public:
    static constexpr int DesignClientHeight = 597;
    static constexpr int ShortClientHeight = 464;

    // Creates the window, hidden, and runs FormCreate.
    TMainForm(Application& app, MainFormOptions options = {});
    ~TMainForm() override;

    // Controls, in their visual order.
    GroupBox GroupBox1;
    ComboBox CompilerCB;
    ComboBox PlatformCB;
    GroupBox GroupBox2;
    ComboBox VDversionCB;
    GroupBox GroupBox4;
    ComboBox TeeCB;
    Label TeeL;
    Edit TeePathE;
    Button BrowseB;
    GroupBox GroupBox3;
    RadioButton LanguageRB;
    ComboBox LanguageCB;
    RadioButton TeeRB;
    RadioButton IbxRB;
    RadioButton FIBRB;
    RadioButton AllRB;
    CheckBox DebugCB;
    CheckBox BDECB;
    CheckBox FireDACCB;
    GroupBox GroupBox5;
    Edit FibPathE;
    Button BrowseFIB;
    GroupBox GroupBox6;
    Edit IndyPathE;
    Button BrowseINDY;
    Button CompileB;
    Button ExitB;
    Memo MessageM;

    // Facts gathered at creation.
    std::string InstallDir;
    std::string SystemDir;
    std::string UserDocumentsDir;
    std::string CommonDocumentsDir;
    std::vector<std::string> InstalledCompilers;

    // The warning window, closed after the main window (interactive mode only).
    Form* SplashForm = nullptr;

    // Event handlers; `sender` is null when the window calls them itself.
    void FormCreate(Control* sender);
    void FormShow(Control* sender);
    void FormClose();
    void VDversionCBChange(Control* sender);
    void TeeCBChange(Control* sender);
    void BrowseBClick(Control* sender);
    void ExitBClick(Control* sender);
    // Forms the request from the controls and runs the driver. Compile is
    // disabled and the window cannot be closed until the request has ended.
    void CompileBClick(Control* sender);

    void ReadInstalledCompilers();
    bool FirstRun() const;
    void RestoreState();
    void SaveState();

    // The request the controls describe.
    BuildRequest MakeRequest() const;
    bool RequestRunning() const { return running_; }

    // FrontEnd
    void setClientHeight(int height) override;
    void clearLog() override;
    void appendLog(std::string_view line) override;
    void showMessage(MessageKind kind, std::string_view caption, std::string_view text) override;
    void setBusy(bool busy) override;
    void focusTeePath() override;

protected:
    void DoShow() override { FormShow(nullptr); }
    bool CloseQuery() override;
    void DoClose() override { FormClose(); }

private:
    void ReadLanguages();
    void BuildControlTable();
    void ShowPlainMessage(std::string_view text);

    MainFormOptions options_;
    bool running_ = false;
};

} // namespace vdx
