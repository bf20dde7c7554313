// The user's choices kept from one interactive run to the next: five string
// values under the settings key of the current user. Rows are found again by
// their text, without regard to letter case.

#include "ui/Registry.h"
#include "ui/rwMain.h"

namespace vdx {

bool TMainForm::FirstRun() const {
    return !OpenKeyForReading(options_.SettingsRoot, options_.SettingsKey);
}

void TMainForm::RestoreState() {
    UniqueKey key = CreateKeyForWriting(options_.SettingsRoot, options_.SettingsKey);
    if (!key) {
        ShowPlainMessage("Error! State is not restored!");
        return;
    }
    TeeCB.SetItemIndex(TeeCB.IndexOf(ReadStringValue(key.get(), "TeeVer")));
    TeeCBChange(nullptr);
    TeePathE.SetText(ReadStringValue(key.get(), "TeePath"));
    CompilerCB.SetItemIndex(CompilerCB.IndexOf(ReadStringValue(key.get(), "Compiler")));
    VDversionCBChange(nullptr);
    // Against the edition list as the compiler rule left it; no rule follows.
    VDversionCB.SetItemIndex(VDversionCB.IndexOf(ReadStringValue(key.get(), "VDVer")));
    LanguageCB.SetItemIndex(LanguageCB.IndexOf(ReadStringValue(key.get(), "Language")));
}

void TMainForm::SaveState() {
    UniqueKey key = CreateKeyForWriting(options_.SettingsRoot, options_.SettingsKey);
    bool saved = key && WriteStringValue(key.get(), "TeeVer", TeeCB.Text()) &&
                 WriteStringValue(key.get(), "TeePath", TeePathE.Text()) &&
                 WriteStringValue(key.get(), "Compiler", CompilerCB.Text()) &&
                 WriteStringValue(key.get(), "VDVer", VDversionCB.Text()) &&
                 WriteStringValue(key.get(), "Language", LanguageCB.Text());
    if (!saved)
        ShowPlainMessage("Error! State is not saved!");
}

} // namespace vdx
