#include "window/unit1.h"

#include "animation/dimensions.h"
#include "animation/images/pictures.h"
#include "animation/motion.h"
#include "gfx/layout.h"
#include "settings/settings.h"

namespace morvelux {

namespace {

Bitmap1 loadOrEmpty(PictureId id) { return loadBitmap1(id).value_or(Bitmap1{}); }

}  // namespace

SaverPictures loadSaverPictures() {
    return {loadOrEmpty(PictureId::Img1), loadOrEmpty(PictureId::Img2), loadOrEmpty(PictureId::Title),
            loadPicture(PictureId::Sample).value_or(Dib{})};
}

TForm1::TForm1(const tk::FormKey& key, SaverPlatform& platform, const SaverPictures& pictures,
               std::int32_t previewParent)
    : tk::Form(key, "Form1"),
      platform_(platform),
      pictures_(pictures),
      stage_{state_, *this, platform.clock(), {pictures.Img1, pictures.Img2, pictures.Image_Title}} {
    state_.PreviewParent = previewParent;
    setCaption("screen saver");
    colour = tk::Colour::Black;
    keyPreview = true;
    font.name = "Arial";
    font.height = 12;
    Panel1.colour = tk::Colour::Black;
    Panel1.setBounds({0, 0, kPanelSize.width, kPanelSize.height});
    Image1.setBounds({0, 0, kLayerSize.width, kLayerSize.height});  // at zoom 1 until laid out
    Image1.cursor = tk::kCursorCross;
    Image_Sample.hide();
    Label4.setCaption("0 ms");
    Label4.hide();
    Label9.setCaption("0 ms");
    Label9.hide();

    OnCreate = [this] { FormCreate(); };
    OnActivate = [this] { FormActivate(); };
    OnPaint = [this] { FormPaint(); };
    OnDestroy = [this] { FormDestroy(); };
    OnClose = [this](tk::CloseAction& action) { FormClose(action); };
    OnKeyDown = [this](tk::Key& k, tk::Shift shift) { FormKeyDown(k, shift); };
    OnKeyUp = [this](tk::Key& k, tk::Shift shift) { FormKeyUp(k, shift); };
    OnMouseMove = [this](tk::Shift shift, int x, int y) { FormMouseMove(shift, x, y); };
    OnDisplayChange = [this] { FormDisplayChange(); };
    OnSysCommand = [this](std::uintptr_t command, std::intptr_t& result) { return WMSysCommand(command, result); };
    Image1.OnMouseDown = [this](tk::MouseButton b, tk::Shift s, int x, int y) { Image1MouseDown(b, s, x, y); };
    Image1.OnDblClick = [this] { Image1DblClick(); };
    Image1.OnMouseMove = [this](tk::Shift shift, int x, int y) { Image1MouseMove(shift, x, y); };
}

bool TForm1::preview() const { return state_.PreviewParent != 0; }

void TForm1::createParams(tk::CreateParams& params) {
    tk::Form::createParams(params);
    if (preview()) {
        params.parentWindow = state_.PreviewParent;
        params.style = tk::ws::kChild | tk::ws::kVisible | tk::ws::kDisabled;
        params.classStyle = tk::ws::kClassParentDC;
    } else {
        params.exStyle |= tk::ws::kExTopmost;
    }
}

void TForm1::FormCreate() {
    setBounds({0, 0, width(), height()});
    platform_.beginTimerPeriod();
    if (preview()) {
        layOutPreview();
    } else {
        layOutFullScreen();
        if (creationFailed_) return;
    }
    readSettings();
    resetState();
    createBitmaps();
    closed_ = false;
    if (!preview()) application().OnIdle = [this] { return idle(); };
}

void TForm1::layOutPreview() {
    const auto host = platform_.windowRect(state_.PreviewParent);
    if (host) setBounds({0, 0, host->width, host->height});
    Panel1.hide();
    placeSample();
}

void TForm1::layOutFullScreen() {
    platform_.showCursor(false);
    layOutMonitors();
    Panel1.colour = tk::Colour::Black;
    Panel1.show();
    const auto id = platform_.platformId();
    if (!id) {
        // Without the system's version the saver cannot tell how to hand the
        // screen back; it ends at once rather than run half set up.
        creationFailed_ = true;
        close();
        return;
    }
    platformId_ = *id;
    if (platformId_ == 1) platform_.setScreenSaverRunning(true);
    platform_.disableInputMethod(*this);
}

void TForm1::readSettings() {
    Settings settings(platform_.registry());
    settings.open();
    dispStr_ = settings.readString(kSettingsSection, "DispStr", "Screen Saver Sample");
    settings.readInteger(kSettingsSection, "SleepTime", 15);  // read, but the frame interval stays fixed
    settings.release();
}

void TForm1::resetState() {
    state_.FrameInterval = kFrameInterval;
    state_.MouseMoveCount = 0;
    state_.LastMouseMoveAt = 0;
    state_.ActivatedAt = 0;
    state_.Animating = false;
    state_.Activated = false;
    state_.PanRight = 0;
}

void TForm1::createBitmaps() {
    const Size size = imageSize();
    for (Bitmap1* bitmap : {&state_.Layer1, &state_.WorkBmp, &state_.Layer2}) {
        *bitmap = Bitmap1(size.width, size.height, {kBlack, kWhite});
        bitmap->fill({0, 0, size.width, size.height}, kWhite);
    }
}

void TForm1::FormActivate() {
    if (state_.Activated) return;
    if (!preview()) {
        platform_.hideApplicationWindow();
        activateSaver(stage_);
        return;
    }
    state_.ActivatedAt = platform_.clock().now();
    state_.Activated = true;
}

void TForm1::placeSample() {
    const Dib& sample = pictures_.Image_Sample;
    Image_Sample.setDib(&sample);
    Image_Sample.setBounds({-centred(sample.width, width()), -centred(sample.height, height()), sample.width,
                            sample.height});
    Image_Sample.show();
}

void TForm1::FormPaint() {
    if (preview()) placeSample();
}

void TForm1::FormDestroy() {
    // Ended without a close (a WM_QUIT from outside): Windows 9x must still
    // hear that the saver stopped, or Ctrl+Alt+Del stays off.
    if (platformId_ == 1 && !closed_) platform_.setScreenSaverRunning(false);
    platform_.endTimerPeriod();
}

tk::IdleWait TForm1::idle() {
    AnimeLoop(stage_);
    // The saver always has more to do; it sleeps until the next tick is due
    // rather than wake every millisecond.
    return std::chrono::milliseconds(tickWait(state_.LastTickAt, platform_.clock().now(), state_.FrameInterval));
}

// What the animation sees is the primary's panel in pattern pixels, whatever
// the zoom it is shown at.
Size TForm1::panelSize() const {
    const tk::Bounds client = Panel1.clientRect();
    return {client.width / primaryZoom(), client.height / primaryZoom()};
}

Size TForm1::imageSize() const {
    const tk::Bounds client = Image1.clientRect();
    return {client.width / primaryZoom(), client.height / primaryZoom()};
}

Point TForm1::imagePos() const { return imagePos_; }

void TForm1::setImagePos(Point pos) {
    imagePos_ = pos;
    placeImage(Image1);
    for (const auto& other : monitorPanels_) placeImage(other->image);
}

void TForm1::showBitmap(const Bitmap1& bitmap) {
    Image1.setBitmap(&bitmap);
    for (const auto& other : monitorPanels_) other->image.setBitmap(&bitmap);
}

void TForm1::setReadout(Readout readout, const std::string& text) {
    tk::Label& label = readout == Readout::RenderTime ? Label4 : Label9;
    label.setCaption(text);
    // A measuring build sees each readout as its label shows it.
    if (ReadoutSink* sink = platform_.readoutSink()) sink->readout(readout, label.caption());
}

Rgb TForm1::windowText() const { return platform_.windowTextColour(); }

}  // namespace morvelux
