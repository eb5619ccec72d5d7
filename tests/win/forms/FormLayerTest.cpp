// The window layer on two small forms: modal forms and message boxes answered from a script, the
// handler boundary, keyboard navigation through the shared pump while a request blocks, and the
// binding of a form to its window.
#include "classlib/AntiFreeze.h"
#include "classlib/ClassLibError.h"
#include "classlib/HandlerBoundary.h"
#include "tests/win/forms/TestFormIds.h"
#include "tests/win/support/FormDriver.h"

#include <gtest/gtest-spi.h>

#include <atomic>

namespace vek::testing {
namespace {

constexpr TFormControl kInnerControls[] = {
    {IDC_TEST_EDIT1, "Edit1"},     {IDC_TEST_EDIT2, "Edit2"},
    {IDC_TEST_BUTTON1, "Button1"}, {IDOK, "Button2", PixelRect{81, 81, 60, 23}},
    {IDCANCEL, "Button3"},
};
constexpr TFormLayout kInnerLayout{"Inner",        IDD_TEST_INNER,         nullptr,       0,
                                   SIZE{240, 130}, TPosition::OwnerCenter, kInnerControls};

class InnerForm final : public TForm {
public:
    explicit InnerForm(HWND owner, std::function<void(InnerForm&)> ask) : TForm(kInnerLayout) {
        OnCommand(IDC_TEST_BUTTON1, [this, ask] { ask(*this); });
        OnCommand(IDOK, [this] { SetModalResult(mrOk); });
        OnCommand(IDCANCEL, [this] { SetModalResult(mrCancel); });
        OnCommand(IDC_TEST_EDIT2, EN_SETFOCUS, [this] { ++edit2Focused; });
        CreateWindowFromTemplate(owner);
    }
    std::atomic<int> edit2Focused{0};
};

constexpr TFormControl kOuterControls[] = {
    {IDC_TEST_LABEL1, "Label1"}, {IDC_TEST_BUTTON1, "Button1"}, {IDC_TEST_BUTTON3, "Button3"}};
constexpr TFormLayout kOuterLayout{"Outer",    IDD_TEST_OUTER,          nullptr,       0,
                                   SIZE{0, 0}, TPosition::ScreenCenter, kOuterControls};
constexpr UINT kFailingMessage = WM_APP + 1;

class OuterForm final : public TForm {
public:
    OuterForm() : TForm(kOuterLayout) {
        OnCommand(IDC_TEST_BUTTON1, [this] {
            InnerForm inner(Handle(), ask);
            const int result = inner.ShowModal();
            SetControlText(IDC_TEST_LABEL1, result == mrOk ? "ok" : "cancelled");
        });
        OnCommand(IDC_TEST_BUTTON3,
                  [] { throw EClassLibError("Couldn't launch default browser"); });
        OnMessage(kFailingMessage,
                  [](WPARAM, LPARAM) -> LRESULT { throw EClassLibError("a timer failed"); });
        CreateWindowFromTemplate(nullptr);
        Show();
    }
    std::function<void(InnerForm&)> ask = [](InnerForm&) {};
};

class FormLayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetHandlerErrorReporting("Tarvo VEK",
                                 [this](const std::string& text) { logged.push_back(text); });
    }
    void TearDown() override { SetHandlerErrorReporting("", nullptr); }

    MessageBoxScript boxes;
    ModalScript modals;
    std::vector<std::string> logged;
};

TEST_F(FormLayerTest, AClickThatOpensAFormWhichAsksIsAnsweredFromTheScript) {
    OuterForm outer;
    outer.ask = [](InnerForm& inner) {
        const int answer =
            seams::MessageBoxes().MessageBoxA(inner.Handle(), "Keep it?", "Tarvo VEK", MB_YESNO);
        inner.SetModalResult(answer == IDYES ? mrOk : mrCancel);
    };
    boxes.Answer(IDYES);
    modals.When("Inner", [](TForm& inner) {
        EXPECT_FALSE(::IsWindowEnabled(::GetWindow(inner.Handle(), GW_OWNER)));
        EXPECT_EQ(inner.ControlPlace("Button2").left, 81);
        Type(inner, "Edit1", "typed");
        Click(inner, "Button1");
    });
    Click(outer, "Button1");
    EXPECT_EQ(outer.ControlText("Label1"), "ok");
    EXPECT_EQ(modals.shown, std::vector<std::string>{"Inner"});
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Keep it?");
    EXPECT_TRUE(::IsWindowEnabled(outer.Handle()));
}

TEST_F(FormLayerTest, AUserActionShowsItsErrorAndAMessageHandlerOnlyLogsIt) {
    OuterForm outer;
    boxes.Answer(IDOK);
    Click(outer, "Button3");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Couldn't launch default browser");
    EXPECT_EQ(boxes.shown[0].caption, "Tarvo VEK");
    EXPECT_EQ(boxes.shown[0].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
    ::SendMessageA(outer.Handle(), kFailingMessage, 0, 0);
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(logged,
              (std::vector<std::string>{"Couldn't launch default browser", "a timer failed"}));
}

// Tab and Esc typed while the handler waits for a request in the anti-freeze's nested pump.
TEST_F(FormLayerTest, KeysWorkInAModalFormWhileARequestBlocks) {
    OuterForm outer;
    std::atomic<bool> sawFocusMove{false};
    outer.ask = [&sawFocusMove](InnerForm& inner) {
        HWND edit1 = inner.Control("Edit1");
        ::SetFocus(edit1);
        RunBlockingJob(true, [&] {
            ::PostMessageA(edit1, WM_KEYDOWN, VK_TAB, 0);
            for (int i = 0; i < 500 && inner.edit2Focused == 0; ++i) {
                ::Sleep(10);
            }
            sawFocusMove = inner.edit2Focused > 0;
            ::PostMessageA(inner.Control("Edit2"), WM_KEYDOWN, VK_ESCAPE, 0);
            for (int i = 0; i < 500 && inner.ModalResult() == mrNone; ++i) {
                ::Sleep(10);
            }
        });
    };
    modals.When("Inner", [](TForm& inner) { Click(inner, "Button1"); });
    Click(outer, "Button1");
    EXPECT_TRUE(sawFocusMove);
    EXPECT_EQ(outer.ControlText("Label1"), "cancelled");
}

TEST_F(FormLayerTest, AFormOutlivesItsWindowAndUnknownNamesAreErrors) {
    OuterForm outer;
    ::DestroyWindow(outer.Handle());
    EXPECT_EQ(outer.Handle(), nullptr);
    EXPECT_THROW(outer.IdOf("Button9"), EClassLibError);
}

TEST_F(FormLayerTest, AModalFormWithoutAScriptedStepFailsTheTestAndIsCancelled) {
    OuterForm outer;
    bool failed = false;
    {
        ::testing::TestPartResultArray failures;
        ::testing::ScopedFakeTestPartResultReporter reporter(
            ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
        Click(outer, "Button1");
        failed = failures.size() == 1;
    }
    EXPECT_TRUE(failed);
    EXPECT_EQ(outer.ControlText("Label1"), "cancelled");
}

} // namespace
} // namespace vek::testing
