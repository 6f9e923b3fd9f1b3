#include <gtest/gtest.h>

#include "tests/toolkit/fake_backend.h"

namespace tk::testing {
namespace {

struct FormsTest : ::testing::Test {
    FakeBackend platform;
    Application app{platform, Runner::none()};
};

TEST_F(FormsTest, CreatingRunsCreateParamsThenOnCreateThenShowsOnlyWhenAsked) {
    Form& form = app.make<Form>("F");
    form.setBounds({0, 0, 640, 480});
    form.OnCreate = [&] { platform.events.push_back("OnCreate"); };
    form.createHandle();
    ASSERT_EQ(platform.realised.size(), 1u);
    const CreateParams& p = platform.realised[0];
    EXPECT_EQ(p.style, 0x86000000u);
    EXPECT_EQ(p.exStyle, 0x10000u);
    EXPECT_EQ(p.parentWindow, 0) << "owned by the application window";
    EXPECT_EQ((Bounds{p.x, p.y, p.width, p.height}), (Bounds{0, 0, 640, 480}));
    EXPECT_EQ(platform.events, (std::vector<std::string>{"realise F", "OnCreate"}));
    EXPECT_FALSE(form.visible());
    form.show();
    EXPECT_EQ(platform.events.back(), "show F");
}

struct ChildForm : Form {
    explicit ChildForm(const FormKey& key) : Form(key, "Child") {}
    void createParams(CreateParams& p) override {
        Form::createParams(p);
        p.parentWindow = 0x1234;
        p.style = 0x58000000;  // child, visible, disabled
        p.classStyle = ws::kClassParentDC;
    }
};

TEST_F(FormsTest, AVisibleStyleShowsTheFormAfterOnCreate) {
    ChildForm& form = app.make<ChildForm>();
    bool visibleInCreate = false;
    form.OnCreate = [&] { visibleInCreate = form.visible(); };
    form.createHandle();
    EXPECT_TRUE(visibleInCreate);
    EXPECT_FALSE(form.enabled());
    EXPECT_EQ(platform.realised.at(0).classStyle, 0x80u);
    EXPECT_EQ(platform.events.back(), "show Child");
}

TEST_F(FormsTest, DialogStyleHasCaptionSystemMenuAndModalFrameButNoMinimiseBox) {
    const CreateParams p = defaultCreateParams(BorderStyle::Dialog, true);
    EXPECT_EQ(p.style & 0x00C00000u, 0x00C00000u);
    EXPECT_TRUE(p.style & 0x00080000u);
    EXPECT_FALSE(p.style & 0x00020000u);
    EXPECT_TRUE(p.exStyle & 0x1u);
}

TEST_F(FormsTest, ScreenCenterPlacesTheFormWhenShown) {
    Form& form = app.make<Form>("F");
    form.position = FormPosition::ScreenCenter;
    form.setBounds({0, 0, 309, 190});
    form.show();
    EXPECT_EQ(form.bounds(), (Bounds{486, 417, 309, 190}));  // 971 / 2 and 834 / 2, ties to even
}

TEST_F(FormsTest, ClosingTheMainFormEndsTheApplication) {
    Form& main = app.createForm<Form>("Main");
    Form& other = app.createForm<Form>("Other");
    EXPECT_EQ(app.mainForm, &main);
    other.show();
    other.close();
    EXPECT_FALSE(other.visible());
    EXPECT_FALSE(app.terminated());
    main.close();
    EXPECT_TRUE(app.terminated());
}

TEST_F(FormsTest, OnCloseDecidesTheAction) {
    Form& main = app.createForm<Form>("Main");
    CloseAction seen = CloseAction::None;
    main.OnClose = [&](CloseAction& a) {
        seen = a;
        a = CloseAction::None;
    };
    main.close();
    EXPECT_EQ(seen, CloseAction::Free);
    EXPECT_FALSE(app.terminated());

    Form& other = app.make<Form>("Other");
    bool destroyed = false;
    other.OnDestroy = [&] { destroyed = true; };
    other.OnClose = [](CloseAction& a) { a = CloseAction::Free; };
    other.show();
    other.close();
    EXPECT_FALSE(other.visible());
    EXPECT_TRUE(destroyed);
}

struct DialogForm : Form {
    Button ok{this, "OK"};
    explicit DialogForm(const FormKey& key) : Form(key, "Dialog") {
        ok.modalResult = ModalResult::Ok;
        ok.isDefault = true;
    }
};

TEST_F(FormsTest, AButtonsModalResultEndsTheModalLoop) {
    DialogForm& dialog = app.make<DialogForm>();
    bool visibleDuringLoop = false;
    platform.duringModal = [&](Form& f) {
        visibleDuringLoop = f.visible();
        dialog.ok.click();
    };
    EXPECT_EQ(dialog.showModal(), ModalResult::Ok);
    EXPECT_TRUE(visibleDuringLoop);
    EXPECT_FALSE(dialog.visible());
    EXPECT_FALSE(dialog.modal());
}

TEST_F(FormsTest, OnClickRunsAfterTheResultIsTakenAndMayTakeItBack) {
    DialogForm& dialog = app.make<DialogForm>();
    ModalResult seen = ModalResult::None;
    dialog.ok.OnClick = [&] {
        seen = dialog.modalResult;
        dialog.modalResult = ModalResult::None;
    };
    dialog.ok.click();
    EXPECT_EQ(seen, ModalResult::Ok);
    EXPECT_EQ(dialog.modalResult, ModalResult::None);
}

TEST_F(FormsTest, CloseRequestOnAModalFormCancels) {
    DialogForm& dialog = app.make<DialogForm>();
    int closes = 0;
    dialog.OnClose = [&](CloseAction& a) {
        EXPECT_EQ(a, CloseAction::Hide);
        ++closes;
    };
    platform.duringModal = [](Form& f) { f.close(); };
    EXPECT_EQ(dialog.showModal(), ModalResult::Cancel);
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(app.terminated()) << "a modal form is not the application";
}

TEST_F(FormsTest, OnCloseCanKeepAModalFormOpen) {
    DialogForm& dialog = app.make<DialogForm>();
    int turns = 0;
    dialog.OnClose = [&](CloseAction& a) {
        if (turns == 1) a = CloseAction::None;
    };
    platform.duringModal = [&](Form&) {
        ++turns;
        dialog.ok.click();
    };
    EXPECT_EQ(dialog.showModal(), ModalResult::Ok);
    EXPECT_EQ(turns, 2);
}

TEST_F(FormsTest, AModalLoopThatEndsWithoutAResultCancels) {
    DialogForm& dialog = app.make<DialogForm>();
    EXPECT_EQ(dialog.showModal(), ModalResult::Cancel);
}

TEST_F(FormsTest, DestroyRunsOnDestroyOnceBeforeTheWindowGoes) {
    int destroys = 0;
    DialogForm& dialog = app.make<DialogForm>();
    dialog.OnDestroy = [&] {
        ++destroys;
        platform.events.push_back("OnDestroy");
    };
    dialog.createHandle();
    dialog.doDestroy();
    app.release(dialog);
    EXPECT_EQ(destroys, 1);
    EXPECT_EQ(platform.events.back(), "destroy Dialog");
    EXPECT_EQ(platform.events[platform.events.size() - 2], "OnDestroy");
}

TEST_F(FormsTest, RunShowsTheMainForm) {
    Form& main = app.createForm<Form>("Main");
    app.run();
    EXPECT_TRUE(main.visible());
}

TEST_F(FormsTest, LabelAutoSizeMeasuresEveryNewCaption) {
    platform.widths["You can get the latest version from"] = 182;
    Form& form = app.make<Form>("F");
    Label label{&form, "L"};
    label.setBounds({56, 86, 10, 10});
    label.autoSize = true;
    label.setCaption("You can get the latest version from");
    EXPECT_EQ(label.bounds(), (Bounds{56, 86, 182, 14}));
    label.setCaption("abc");
    EXPECT_EQ(label.width(), 18);

    Label fixed{&form, "Fixed"};
    fixed.setBounds({0, 60, 292, 12});
    fixed.setCaption("Copyright");
    EXPECT_EQ(fixed.bounds(), (Bounds{0, 60, 292, 12}));
}

TEST_F(FormsTest, ImagePictureBoundsAreThePartTheViewShows) {
    Form& form = app.make<Form>("F");
    Image image{&form, "I"};
    image.setBounds({-10, 0, 100, 50});
    EXPECT_EQ(image.pictureBounds().width, 0);
    const Bitmap1 bitmap(40, 80, {});
    image.setBitmap(&bitmap);
    EXPECT_EQ(image.pictureBounds(), (Bounds{-10, 0, 40, 50}));
}

}  // namespace
}  // namespace tk::testing
