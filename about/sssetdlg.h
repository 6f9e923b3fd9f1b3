#pragma once
// The configuration page: an About box naming the saver, its version and
// where newer versions are. While open it disables the window that was in
// front when it was made (normally the display control panel) and keeps the
// settings key open.
#include <cstdint>

#include "about/desktop_windows.h"
#include "settings/settings.h"
#include "toolkit/tk.h"

namespace morvelux {

class TScrnSaveSetupDlg : public tk::Form {
public:
    TScrnSaveSetupDlg(const tk::FormKey& key, Registry& registry, DesktopWindows& desktop);

    tk::Label Label_Title{this, "Label_Title"};
    tk::Label Label_Version{this, "Label_Version"};
    tk::Label Label_Copyright{this, "Label_Copyright"};
    tk::Label Label5{this, "Label5"};
    tk::Edit Edit_URL{this, "Edit_URL"};
    tk::Button OKBtn{this, "OKBtn"};

    void createParams(tk::CreateParams& params) override;
    void FormCreate();
    void FormDestroy();
    void FormDisplayChange();

    std::intptr_t ownerWindow() const { return ownerWindow_; }
    bool settingsOpen() const { return settings_.isOpen(); }

private:
    void layOut();
    void sizeToLabel();

    DesktopWindows& desktop_;
    Settings settings_;
    std::intptr_t ownerWindow_ = 0;
};

// The dialog's outer width for a measured label width: round(width x 1.7),
// halves to even, in exact integer arithmetic (1.7 has no exact binary form).
int dialogWidthFor(int labelWidth);
}  // namespace morvelux
