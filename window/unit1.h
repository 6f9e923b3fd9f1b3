#pragma once
// The saver window: full screen, a black top-most window over every monitor
// with the moiré seen through a 1024 x 768 panel centred on each (enlarged by
// a whole number on high-DPI monitors); in preview, a disabled child of the
// control panel's preview area showing a fixed sample picture.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "animation/stage.h"
#include "toolkit/tk.h"
#include "window/saver_platform.h"

namespace morvelux {

struct SaverPictures {
    Bitmap1 Img1;         // pattern layer 1
    Bitmap1 Img2;         // pattern layer 2
    Bitmap1 Image_Title;  // the title card
    Dib Image_Sample;     // the preview picture
};

// The pictures the program carries (empty bitmaps for any that fail to load).
SaverPictures loadSaverPictures();

class TForm1 : public tk::Form, public SaverView {
public:
    // A non-zero `previewParent` makes the preview, a child of that window.
    TForm1(const tk::FormKey& key, SaverPlatform& platform, const SaverPictures& pictures,
           std::int32_t previewParent);

    tk::Panel Panel1{this, "Panel1"};
    tk::Image Image1{&Panel1, "Image1"};
    tk::Image Image_Sample{this, "Image_Sample"};
    tk::Label Label4{&Panel1, "Label4"};  // the render-time readout, never shown
    tk::Label Label9{&Panel1, "Label9"};  // the frame-interval readout, never shown

    void createParams(tk::CreateParams& params) override;
    void FormCreate();
    void FormActivate();
    void FormPaint();
    void FormDestroy();
    void FormClose(tk::CloseAction& action);
    void FormKeyDown(tk::Key& key, tk::Shift shift);
    void FormKeyUp(tk::Key& key, tk::Shift shift);
    void FormMouseMove(tk::Shift shift, int x, int y);
    void FormDisplayChange();
    void FormDisplayState(tk::DisplayState display);
    void FormSessionChange(tk::SessionChange change);
    void FormPowerChange(tk::PowerChange change);
    void Image1MouseDown(tk::MouseButton button, tk::Shift shift, int x, int y);
    void Image1DblClick();
    void Image1MouseMove(tk::Shift shift, int x, int y);
    bool WMSysCommand(std::uintptr_t command, std::intptr_t& result);

    // The saver's state (SaverState): this window owns it.
    TSaverState& state() { return state_; }
    const TSaverState& state() const { return state_; }

    bool Closed() const { return closed_; }
    bool creationFailed() const { return creationFailed_; }
    const std::string& DispStr() const { return dispStr_; }
    bool preview() const;
    // Nobody can see the saver (display off, session locked or away, the
    // machine asleep): the motion stands still and nothing is drawn.
    bool held() const { return holds_ != 0; }

    // SaverView: what the animation sees of this window.
    Size panelSize() const override;
    Size imageSize() const override;
    Point imagePos() const override;
    void setImagePos(Point pos) override;
    void showBitmap(const Bitmap1& bitmap) override;
    void setReadout(Readout readout, const std::string& text) override;
    Rgb windowText() const override;

private:
    // The picture on a monitor other than the primary: a panel and image
    // like Panel1 and Image1, with the same events.
    struct MonitorPanel {
        explicit MonitorPanel(TForm1& form);
        tk::Panel panel;
        tk::Image image;
    };

    // Why the saver is held; each reason comes and goes on its own.
    enum Hold : unsigned { kDisplayOff = 1, kSessionLocked = 2, kSessionAway = 4, kAsleep = 8 };
    void hold(unsigned reasons);
    void release(unsigned reasons);

    tk::IdleWait idle();
    void layOutFullScreen();
    void layOutMonitors();
    void keepMonitorPanels(std::size_t count);
    void placePanel(tk::Panel& panel, tk::Image& image, const tk::Monitor& monitor) const;
    void placeImage(tk::Image& image) const;
    int primaryZoom() const { return Image1.zoom(); }
    void layOutPreview();
    void readSettings();
    void resetState();
    void createBitmaps();
    void placeSample();

    SaverPlatform& platform_;
    const SaverPictures& pictures_;
    TSaverState state_;
    Stage stage_;
    std::vector<tk::Monitor> monitors_;
    std::vector<std::unique_ptr<MonitorPanel>> monitorPanels_;  // the monitors after the primary
    Point imagePos_;  // (L, T) in pattern pixels

    std::int32_t platformId_ = 0;  // PlatformId
    std::string dispStr_;          // DispStr
    bool closed_ = false;          // Closed
    bool creationFailed_ = false;
    unsigned holds_ = 0;  // Hold bits
};

}  // namespace morvelux
