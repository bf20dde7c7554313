#include "ui/rwSplash.h"

namespace vdx {

TSplashForm::TSplashForm(Application& app) : Form(app, "Warning", 324, 226) {
    CreateHandle();
    using K = ControlKind;
    BuildControls({
        {K::Label,
         &Label1,
         "Label1",
         "Before using this wizard, be sure:",
         {8, 12, 185, 13},
         -1,
         nullptr,
         Bold},
        {K::Label,
         &Label2,
         "Label2",
         "1. You have permission to write to system directory (Windows\\System32)",
         {12, 36, 288, 29},
         -1,
         nullptr,
         WordWrap},
        {K::Label,
         &Label3,
         "Label3",
         "2. You are not running Delphi/C++Builder",
         {12, 72, 199, 13}},
        {K::Label,
         &Label4,
         "Label4",
         "3. You are not running any program that may use Verdex or Mirel runtime packages.",
         {12, 100, 301, 37},
         -1,
         nullptr,
         WordWrap},
        {K::Label,
         &Label5,
         "Label5",
         "4. You are run this wizard with \"Run as administrator\" option",
         {12, 144, 289, 13}},
        {K::Button, &Button1, "Button1", "Continue", {84, 188, 75, 25}, 0},
        {K::Button, &Button2, "Button2", "Exit", {168, 188, 75, 25}, 1},
    });
    // Neither button is the default or the cancel button.
    Button1.OnClick = [this](Button& b) { Button1Click(&b); };
    Button2.OnClick = [this](Button& b) { Button2Click(&b); };
}

TSplashForm::~TSplashForm() {
    DestroyHandle();
}

void TSplashForm::Button1Click(Control*) {
    Hide();
    if (MainForm)
        MainForm->Show();
}

void TSplashForm::Button2Click(Control*) {
    Close();
}

} // namespace vdx
