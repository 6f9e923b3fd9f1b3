#include "about/sssetdlg.h"

#include "gfx/layout.h"
#include "gfx/rounding.h"
#include "morvelux_version.h"

namespace morvelux {

int dialogWidthFor(int labelWidth) {
    return roundedQuotient(static_cast<long long>(labelWidth) * 17, 10, Ties::ToEven);
}

namespace {

constexpr int kDesignedClientWidth = 292;
constexpr int kDesignedClientHeight = 186;
constexpr int kDialogHeight = 190;

tk::Font arial(int height, bool bold = false) { return {"Arial", height, bold, tk::kShiftJisCharset}; }

}  // namespace

TScrnSaveSetupDlg::TScrnSaveSetupDlg(const tk::FormKey& key, Registry& registry, DesktopWindows& desktop)
    : tk::Form(key, "ScrnSaveSetupDlg"), desktop_(desktop), settings_(registry) {
    layOut();
    OnCreate = [this] { FormCreate(); };
    OnDestroy = [this] { FormDestroy(); };
    OnDisplayChange = [this] { FormDisplayChange(); };
}

void TScrnSaveSetupDlg::layOut() {
    setCaption("About");
    borderStyle = tk::BorderStyle::Dialog;
    systemMenu = true;
    colour = tk::Colour::ButtonFace;
    font = arial(12);
    position = tk::FormPosition::ScreenCenter;
    scaled = true;  // sharp, full-size text on high-DPI screens
    setClientSize(kDesignedClientWidth, kDesignedClientHeight);

    Label_Title.font = arial(19, true);
    Label_Title.setBounds({47, 10, 189, 19});
    Label_Title.setCaption("MORVELUX");

    Label_Version.font = font;
    Label_Version.setBounds({75, 34, 158, 12});
    Label_Version.setCaption("Version " MORVELUX_VERSION_SHORT "  (March 18, 2004)");

    Label_Copyright.font = font;
    Label_Copyright.alignment = tk::Alignment::Center;
    Label_Copyright.anchors = tk::akLeft | tk::akTop | tk::akRight;
    Label_Copyright.setBounds({0, 60, kDesignedClientWidth, 12});
    Label_Copyright.setCaption("Copyright (C) 2004 Valdrenn");

    Label5.font = font;
    Label5.setBounds({56, 86, 182, 12});
    Label5.autoSize = true;
    Label5.setCaption("You can get the latest version from");

    Edit_URL.font = font;
    Edit_URL.readOnly = true;
    Edit_URL.border = false;
    Edit_URL.colour = tk::Colour::ButtonFace;
    Edit_URL.anchors = tk::akTop | tk::akRight;
    Edit_URL.setBounds({82, 102, 153, 18});
    Edit_URL.setCaption("www.valdrenn.example");

    OKBtn.font = font;
    OKBtn.setBounds({101, 132, 73, 24});
    OKBtn.setCaption("OK");
    OKBtn.isDefault = true;
    OKBtn.modalResult = tk::ModalResult::Ok;
    activeControl = &OKBtn;
}

void TScrnSaveSetupDlg::createParams(tk::CreateParams& params) {
    tk::Form::createParams(params);
    ownerWindow_ = desktop_.foregroundWindow();
    params.parentWindow = ownerWindow_;
}

// The owner is disabled only once the dialog's window exists: FormDestroy,
// which enables it again, runs only after FormCreate.
void TScrnSaveSetupDlg::FormCreate() {
    desktop_.enableWindow(ownerWindow_, false);
    sizeToLabel();
    settings_.open();
}

// Moved to a monitor of another DPI, the dialog has been scaled to it; its
// width still comes from the label as measured there.
void TScrnSaveSetupDlg::FormDisplayChange() { sizeToLabel(); }

void TScrnSaveSetupDlg::sizeToLabel() {
    setWidth(dialogWidthFor(Label5.width()));
    setHeight(scale(kDialogHeight));
    OKBtn.setLeft(centred(clientWidth(), OKBtn.width()));
}

void TScrnSaveSetupDlg::FormDestroy() {
    desktop_.enableWindow(ownerWindow_, true);
    settings_.release();
}

}  // namespace morvelux
