#pragma once
// Drives the program's windows in the test process, as a user would: controls and menu items are
// found by their component names, clicked and typed into; message boxes and modal forms that a
// handler under test opens are answered from a script and never wait for a click; the message queue
// is pumped until idle within a bound; and what the screen shows of a window is saved as a PNG.
#include "classlib/Form.h"
#include "classlib/UiSeams.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace vek::testing {

// Answers message boxes in order from a script. A box without a scripted answer fails the test
// and is answered with IDCANCEL, so no box ever waits for a click.
class MessageBoxScript final : public seams::IMessageBoxApi {
public:
    struct Box {
        std::string text;
        std::string caption;
        UINT type;
        bool operator==(const Box&) const = default;
        friend void PrintTo(const Box& box, std::ostream* out) {
            *out << "{\"" << box.text << "\", \"" << box.caption << "\", " << box.type << "}";
        }
    };

    void Answer(int answer) { answers_.push_back(answer); }
    int MessageBoxA(HWND owner, const std::string& text, const std::string& caption,
                    UINT type) override;

    std::vector<Box> shown;

private:
    std::deque<int> answers_;
    seams::Seam<seams::IMessageBoxApi>::Override override_{*this};
};

// Answers modal forms: each scripted step runs, in order, when a form of its name is about to run
// its modal loop, and must end that loop (a click on OK, a close). A form shown without a step, or
// left open by its step, fails the test and is ended with Cancel.
class ModalScript final : public IModalHook {
public:
    using Step = std::function<void(TForm&)>;

    void When(std::string formName, Step step);
    void Showing(TForm& form) override;

    // The names of the forms shown modally, in order.
    std::vector<std::string> shown;

private:
    std::deque<std::pair<std::string, Step>> steps_;
    seams::Seam<IModalHook>::Override override_{*this};
};

// Records program starts and answers them as started (33).
class ProgramLaunches final : public seams::IProgramLauncher {
public:
    UINT WinExec(const std::string& commandLine, UINT showCommand) override;

    struct Launch {
        std::string commandLine;
        UINT showCommand;
    };
    std::vector<Launch> launched;
    UINT answer = 33;

private:
    seams::Seam<seams::IProgramLauncher>::Override override_{*this};
};

// Records what is asked of the notification area and answers from a script (TRUE when the
// script is empty): which icons it holds, and their hints.
class NotifyIconRecorder final : public seams::INotifyIconApi {
public:
    BOOL Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data) override;

    struct Call {
        DWORD message;
        HWND window;
        UINT callbackMessage;
        std::string tip;
    };
    std::vector<Call> calls;
    std::deque<BOOL> answers;
    // Whether an icon is in the notification area now, and its hint.
    bool shown = false;
    std::string tip;
    int Count(DWORD message) const;

private:
    seams::Seam<seams::INotifyIconApi>::Override override_{*this};
};

// Runs an action from inside whatever message loop dispatches next: a message is posted when the
// object is made, and the action runs when it is dispatched. The way into a loop that a handler
// under test runs (a menu's loop, the nested pump of a request under way) without waiting on the
// clock.
class PostedAction {
public:
    explicit PostedAction(std::function<void()> action);
    ~PostedAction();
    PostedAction(const PostedAction&) = delete;
    PostedAction& operator=(const PostedAction&) = delete;

    bool Ran() const { return ran_; }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                 UINT_PTR id, DWORD_PTR self);

    std::function<void()> action_;
    HWND window_;
    bool ran_ = false;
};

// A click on a control: a button's click, or the mouse pressed and released in the middle of any
// other control.
void Click(TForm& form, std::string_view name);
// Replaces the text of an edit field, as typing does (its change handler runs).
void Type(TForm& form, std::string_view name, const std::string& text);
bool IsEnabled(const TForm& form, std::string_view name);
bool IsShown(const TForm& form, std::string_view name);

// A menu item of the form's main menu, or of another menu the form owns.
struct MenuItem {
    int depth;
    std::string name;
    std::string caption; // "-" for a separator
    bool enabled;
    bool isDefault;
};
std::vector<MenuItem> MenuTree(const TForm& form, HMENU menu);
// Chooses an enabled item of the menu (its command goes to the form); a disabled or missing item
// fails the test.
void ChooseMenuItem(TForm& form, HMENU menu, std::string_view name);

// Dispatches what is queued until nothing is left, at most for `bound` milliseconds.
void PumpUntilIdle(DWORD bound = 2000);
// Pumps until done() holds; false when the bound passed first.
bool PumpUntil(const std::function<bool()>& done, DWORD bound = 5000);

// Saves what the screen shows of the window as <name>.png in the screenshot folder (the
// environment's VEK_SCREENSHOTS, else "screenshots" in the working folder); returns its path.
std::string SaveScreenshot(HWND window, const std::string& name);

} // namespace vek::testing
