#include "ui/rwMain.h"

#include "engine/Driver.h"
#include "support/tkUtils.h"
#include "support/platform/FileIo.h"
#include "support/platform/Handles.h"
#include "support/platform/Utf.h"
#include "ui/CompilerDetection.h"
#include "ui/FolderDialog.h"

namespace vdx {

namespace {

constexpr char kCaption[] = "Verdex recompile wizard 1.2.8";
constexpr int kClientWidth = 433;
constexpr char kPartnerEdition[] = "Partner Edition";

// Compiler rows at which the options change (see the rules below).
constexpr int kFirstRow64 = 7;      // RAD Studio XE 2: platform choice
constexpr int kFirstRowFireDac = 9; // XE 4
constexpr int kFirstRowBde = 12;    // XE 7

std::string ProgramFolder() {
    std::string path = ModuleFileName();
    size_t slash = path.find_last_of("\\/");
    return path.substr(0, slash == std::string::npos ? 0 : slash + 1);
}

std::vector<std::string> CompilerItems() {
    std::vector<std::string> items;
    for (const CompilerInfo& c : CompilerList)
        items.emplace_back(c.EntryText);
    return items;
}

std::vector<std::string> TeeItems() {
    return std::vector<std::string>(TeeChoices.begin(), TeeChoices.end());
}

} // namespace

TMainForm::TMainForm(Application& app, MainFormOptions options)
    : Form(app, kCaption, kClientWidth, DesignClientHeight), options_(std::move(options)) {
    CreateHandle();
    BuildControlTable();
    SetCancelButton(&ExitB);
    CompilerCB.OnChange = [this](ComboBox& cb) { VDversionCBChange(&cb); };
    VDversionCB.OnChange = [this](ComboBox& cb) { VDversionCBChange(&cb); };
    TeeCB.OnChange = [this](ComboBox& cb) { TeeCBChange(&cb); };
    for (Button* b : {&BrowseB, &BrowseFIB, &BrowseINDY})
        b->OnClick = [this](Button& sender) { BrowseBClick(&sender); };
    CompileB.OnClick = [this](Button& b) { CompileBClick(&b); };
    ExitB.OnClick = [this](Button& b) { ExitBClick(&b); };
    FormCreate(nullptr);
}

TMainForm::~TMainForm() {
    DestroyHandle();
}

void TMainForm::BuildControlTable() {
    using K = ControlKind;
    BuildControls({
        {K::GroupBox, &GroupBox1, "GroupBox1", "1. Select the compiler", {4, 4, 421, 53}, 0},
        {K::ComboBox,
         &CompilerCB,
         "CompilerCB",
         "",
         {8, 20, 329, 21},
         0,
         &GroupBox1,
         0,
         CompilerItems()},
        {K::ComboBox,
         &PlatformCB,
         "PlatformCB",
         "",
         {352, 20, 57, 21},
         1,
         &GroupBox1,
         0,
         {"x32", "x64"},
         0},
        {K::GroupBox, &GroupBox2, "GroupBox2", "2. Select the Verdex version", {4, 60, 421, 53}, 1},
        {K::ComboBox,
         &VDversionCB,
         "VDversionCB",
         "",
         {8, 20, 201, 21},
         0,
         &GroupBox2,
         0,
         {"Copper", "Silver", "Gold", kPartnerEdition}},
        {K::GroupBox,
         &GroupBox4,
         "GroupBox4",
         "3. Select the TeeChart version",
         {4, 116, 421, 97},
         6},
        {K::ComboBox, &TeeCB, "TeeCB", "", {8, 20, 201, 21}, 0, &GroupBox4, 0, TeeItems(), 0},
        {K::Label, &TeeL, "TeeL", "Path to TeeChart dcu files:", {8, 48, 129, 13}, -1, &GroupBox4},
        {K::Edit, &TeePathE, "TeePathE", "", {8, 64, 321, 21}, 1, &GroupBox4},
        {K::Button, &BrowseB, "BrowseB", "Browse...", {336, 64, 71, 21}, 2, &GroupBox4},
        {K::GroupBox, &GroupBox3, "GroupBox3", "4. What you want to do", {4, 216, 421, 113}, 2},
        {K::RadioButton,
         &LanguageRB,
         "LanguageRB",
         "Change language to:",
         {8, 20, 121, 17},
         0,
         &GroupBox3,
         Checked},
        {K::ComboBox, &LanguageCB, "LanguageCB", "", {256, 18, 153, 21}, 1, &GroupBox3},
        {K::RadioButton,
         &TeeRB,
         "TeeRB",
         "Change TeeChart version",
         {8, 38, 161, 17},
         2,
         &GroupBox3},
        {K::RadioButton,
         &IbxRB,
         "IbxRB",
         "Recompile IBX package (if you have IBX update)",
         {8, 56, 289, 17},
         3,
         &GroupBox3},
        {K::RadioButton,
         &FIBRB,
         "FIBRB",
         "Recompile FIB packages",
         {8, 74, 145, 17},
         4,
         &GroupBox3},
        {K::RadioButton,
         &AllRB,
         "AllRB",
         "Recompile all packages",
         {8, 92, 145, 17},
         5,
         &GroupBox3},
        {K::CheckBox,
         &DebugCB,
         "DebugCB",
         "With debug info",
         {256, 42, 145, 17},
         6,
         &GroupBox3,
         Checked},
        {K::CheckBox, &BDECB, "BDECB", "With BDE packages", {256, 72, 145, 17}, 7, &GroupBox3},
        {K::CheckBox,
         &FireDACCB,
         "FireDACCB",
         "With FireDAC packages",
         {256, 90, 145, 17},
         8,
         &GroupBox3},
        {K::GroupBox,
         &GroupBox5,
         "GroupBox5",
         "5. Select path to FIB bpl files",
         {4, 332, 421, 45},
         7},
        {K::Edit, &FibPathE, "FibPathE", "", {8, 16, 321, 21}, 0, &GroupBox5},
        {K::Button, &BrowseFIB, "BrowseFIB", "Browse...", {336, 16, 71, 21}, 1, &GroupBox5},
        {K::GroupBox,
         &GroupBox6,
         "GroupBox6",
         "6. Select path to Indy10 dcu files",
         {4, 380, 421, 45},
         8},
        {K::Edit, &IndyPathE, "IndyPathE", "", {8, 16, 321, 21}, 0, &GroupBox6},
        {K::Button, &BrowseINDY, "BrowseINDY", "Browse...", {336, 16, 71, 21}, 1, &GroupBox6},
        {K::Button, &CompileB, "CompileB", "Compile", {264, 432, 75, 25}, 3},
        {K::Button, &ExitB, "ExitB", "Exit", {352, 432, 75, 25}, 4},
        {K::Memo, &MessageM, "MessageM", "", {4, 464, 421, 129}, 5},
    });
}

// --- creation ---

void TMainForm::FormCreate(Control*) {
    InstallDir = options_.InstallDir.empty() ? ProgramFolder() : options_.InstallDir;
    if (!InstallDir.empty() && InstallDir.back() != '\\' && InstallDir.back() != '/')
        InstallDir += '\\';

    SystemDir = SystemDirectory();
    ShellFolders shell = ReadShellFolders(options_.MachineRoot);
    UserDocumentsDir = shell.Personal;
    CommonDocumentsDir = shell.CommonDocuments;

    InstalledCompilers.clear();
    ReadInstalledCompilers();

    ReadLanguages();

    // The oldest environment whose library folder is present.
    int compiler = 0;
    for (int row = 0; row < CompilerCount; ++row) {
        if (DirExists(InstallDir + "LibD" +
                      std::to_string(CompilerList[static_cast<size_t>(row)].Ver))) {
            compiler = row;
            break;
        }
    }
    CompilerCB.SetItemIndex(compiler);

    // The edition from the source folders.
    if (DirExists(InstallDir + "Source")) {
        VDversionCB.SetItemIndex(VDversionCB.IndexOf(
            DirExists(InstallDir + "Source\\ClientServer") ? "Gold" : "Silver"));
    } else {
        VDversionCB.SetItemIndex(VDversionCB.IndexOf("Copper"));
        VDversionCB.DeleteItem(VDversionCB.IndexOf("Gold"));
        VDversionCB.DeleteItem(VDversionCB.IndexOf("Silver"));
    }
    VDversionCBChange(nullptr);

    TeeCB.SetItemIndex(0);
    TeeCBChange(nullptr);

    setClientHeight(ShortClientHeight);
}

void TMainForm::ReadInstalledCompilers() {
    vdx::ReadInstalledCompilers(InstalledCompilers, options_.MachineRoot);
}

void TMainForm::ReadLanguages() {
    LanguageCB.ClearItems();
    // Every folder under Res, as the file system lists them; hidden and
    // system folders and files are left out.
    WIN32_FIND_DATAW fd;
    UniqueFind find(
        FindFirstFileW(WidePath(DirWithDelimiter(InstallDir) + "Res\\*.*").c_str(), &fd));
    if (find) {
        do {
            std::wstring name = fd.cFileName;
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
                (fd.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) ||
                name == L"." || name == L"..")
                continue;
            LanguageCB.AddItem(Narrow(name));
        } while (FindNextFileW(find.get(), &fd));
    }
    LanguageCB.SetItemIndex(LanguageCB.IndexOf("English"));
}

// --- option rules ---

void TMainForm::VDversionCBChange(Control* sender) {
    const int c = CompilerCB.ItemIndex();
    PlatformCB.SetEnabled(c >= kFirstRow64);
    BDECB.SetEnabled(c >= kFirstRowBde);
    FireDACCB.SetEnabled(c >= kFirstRowFireDac);
    // Only XE 2 keeps a chosen x64; every other row returns to x32.
    if (c != kFirstRow64)
        PlatformCB.SetItemIndex(PlatformCB.IndexOf("x32"));

    const int p = VDversionCB.IndexOf(kPartnerEdition);
    if (p >= 0 && c < kFirstRow64) {
        if (VDversionCB.ItemIndex() == p)
            VDversionCB.SetItemIndex(0);
        VDversionCB.DeleteItem(p);
    } else if (p < 0 && c >= kFirstRow64) {
        VDversionCB.AddItem(kPartnerEdition);
    }

    TeeCBChange(sender);

    const bool indy = c >= 1 && c <= 5; // Delphi 2005 to RAD Studio 2010
    IndyPathE.SetEnabled(indy);
    BrowseINDY.SetEnabled(indy);
}

void TMainForm::TeeCBChange(Control*) {
    const int t = TeeCB.ItemIndex();
    const int c = CompilerCB.ItemIndex();
    // XE 5 and XE 6 need the path even with TeeChartStd.
    const bool path = t != 0 || c == 10 || c == 11;
    TeePathE.SetEnabled(path);
    BrowseB.SetEnabled(path);
    TeeL.SetEnabled(path);
}

// --- buttons ---

void TMainForm::BrowseBClick(Control* sender) {
    Edit* target = sender == &BrowseFIB    ? &FibPathE
                   : sender == &BrowseINDY ? &IndyPathE
                                           : &TeePathE;
    if (std::optional<std::string> folder = BrowseForFolder(Handle()))
        target->SetText(*folder);
}

void TMainForm::ExitBClick(Control*) {
    Close();
}

bool TMainForm::CloseQuery() {
    // The driver works on this window until it returns: closing it now would
    // destroy the window under the running request.
    if (running_) {
        MessageBeep(MB_ICONWARNING);
        return false;
    }
    return true;
}

void TMainForm::FormShow(Control*) {
    if (!FirstRun())
        RestoreState();
}

void TMainForm::FormClose() {
    SaveState();
    if (SplashForm)
        SplashForm->Close();
}

BuildRequest TMainForm::MakeRequest() const {
    BuildRequest r;
    r.InstallDir = InstallDir;
    r.InstalledCompilers = InstalledCompilers;
    r.SystemDir = SystemDir;
    r.UserDocumentsDir = UserDocumentsDir;
    r.CommonDocumentsDir = CommonDocumentsDir;
    r.CompilerIndex = CompilerCB.ItemIndex();
    r.Platform64 = PlatformCB.Text() == "x64";
    r.Edition = VDversionCB.Text();
    r.Language = LanguageCB.Text();
    r.TeeChoice = TeeCB.Text();
    r.WithDebug = DebugCB.Checked();
    r.WithBde = BDECB.Checked();
    r.WithFireDac = FireDACCB.Checked();
    r.TeePath = TeePathE.Text();
    r.TeePathEnabled = TeePathE.Enabled();
    r.FibPath = FibPathE.Text();
    r.IndyPath = IndyPathE.Text();
    r.IndyPathEnabled = IndyPathE.Enabled();
    r.Task = LanguageRB.Checked() ? TaskKind::Language
             : TeeRB.Checked()    ? TaskKind::Tee
             : IbxRB.Checked()    ? TaskKind::Ibx
             : AllRB.Checked()    ? TaskKind::All
             : FIBRB.Checked()    ? TaskKind::Fib
                                  : TaskKind::None;
    r.WindowVisible = Visible();
    return r;
}

void TMainForm::CompileBClick(Control*) {
    if (running_)
        return; // one request at a time
    BuildRequest request = MakeRequest();

    struct RunningState {
        TMainForm& form;
        explicit RunningState(TMainForm& f) : form(f) {
            form.running_ = true;
            form.CompileB.SetEnabled(false);
        }
        ~RunningState() {
            form.running_ = false;
            if (!form.Handle())
                return;
            form.CompileB.SetEnabled(true);
            if (form.Visible() && !GetFocus() && GetActiveWindow() == form.Handle())
                form.CompileB.SetFocus();
        }
    } state(*this);

    if (options_.Driver)
        options_.Driver(std::move(request), *this);
    else
        vdx::CompileBClick(std::move(request), *this);
}

// --- FrontEnd ---

void TMainForm::setClientHeight(int height) {
    SetClientHeight(height);
}

void TMainForm::clearLog() {
    MessageM.Clear();
}

void TMainForm::appendLog(std::string_view line) {
    MessageM.AppendLine(line);
}

void TMainForm::showMessage(MessageKind kind, std::string_view caption, std::string_view text) {
    switch (kind) {
    case MessageKind::RunningInfo:
        // The information dialog with its standard caption.
        App().ShowMessageBox(Handle(), text, "Information", MB_OK | MB_ICONINFORMATION);
        break;
    case MessageKind::Error:
        App().ShowMessageBox(Handle(), text, caption, MB_OK | MB_ICONERROR);
        break;
    case MessageKind::Information:
        App().ShowMessageBox(Handle(), text, caption, MB_OK | MB_ICONINFORMATION);
        break;
    }
}

void TMainForm::setBusy(bool busy) {
    App().SetBusy(busy);
}

void TMainForm::focusTeePath() {
    TeePathE.SetFocus();
}

void TMainForm::ShowPlainMessage(std::string_view text) {
    App().ShowMessageBox(Handle(), text, App().Title(), MB_OK);
}

} // namespace vdx
