// End-to-end test harness: drives the real setup.exe under Wine the way a
// person would, through the Win32 API of another process (window texts,
// button clicks, keys, the screen).
//
// Every wait polls with a bound (kWait by default) and never blocks on the
// program under test: messages to its windows are posted or sent with a
// timeout, so a hung setup.exe fails the test instead of hanging it.
// Failures are reported through Fail(): a fatal GoogleTest failure in tests
// (check the returned value with ASSERT_*), a handler of one's own elsewhere.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace e2e {

// The default bound of every wait, in milliseconds.
constexpr DWORD kWait = 20000;

// ---------------------------------------------------------------- failures

using FailureHandler = void (*)(const std::string& message);
// Replaces the default handler (a fatal GoogleTest failure); null restores it.
void SetFailureHandler(FailureHandler handler);
void Fail(const std::string& message);

// ---------------------------------------------------------------- text

// The harness holds every text as UTF-8, as the program under test does,
// and hands it to the system through the wide functions, so that a name
// outside the ANSI code page reaches it as it is. The conversions are the
// system's own, not the program's.
std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);

// ---------------------------------------------------------------- files

// The setup program under test, and the folder tests write to (build tree).
std::string SetupExe();
std::string OutDir();
// A fresh, empty folder OutDir()\e2e\<name>; by default the name is
// <Suite>.<Test> of the running test.
std::string ScratchDir(const std::string& name = "");
std::string JoinPath(const std::string& folder, const std::string& name);
std::string FileName(const std::string& path); // the part after the last "\"
bool FileExists(const std::string& path);
bool ReadFile(const std::string& path, std::string& data);
std::string ReadFile(const std::string& path); // Fail() when unreadable
bool WriteFile(const std::string& path, const std::string& data);
bool CopyTo(const std::string& from, const std::string& to);
bool MakeFolders(const std::string& folder); // with missing parents
// The names of the items in a folder, sorted ("." and ".." left out).
std::vector<std::string> FolderNames(const std::string& folder);
// Makes the folder one that everyone may change (under Wine: its mode).
bool EveryoneMayChange(const std::string& folder);
// Whether the folder's access list lets everyone or the users write (as
// far as Wine keeps one: what the mode says).
bool EveryoneMayWrite(const std::string& folder);
void DeleteTree(const std::string& folder);

// ---------------------------------------------------------------- processes

struct Launch {
    std::vector<std::string> args;                        // quoted as needed
    std::vector<std::pair<std::string, std::string>> env; // added or replaced
    std::string dir;                                      // empty: inherited
    std::string desktop; // "station\\desktop" to start on; empty: inherited
    // Holds the first thread the program starts in its own code (setup.exe's
    // unpacking) before it runs, until Process::ResumeHeld(): a machine as
    // slow as the test wants. The Process is made once that thread started.
    bool holdFirstThread = false;
};

// A started program. It runs in a job of its own, so the program and every
// process it starts are killed when the object goes, also when the test
// program itself dies. Its standard handles are the null device (Wine still
// writes its own diagnostics to the test's standard error).
// The first Process of a run calls UnmanagedWindows() and
// DesktopOutsideJobs().
class Process {
  public:
    explicit Process(const std::string& exe, const Launch& launch = {});
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool Started() const { return process_ != nullptr; }
    bool Running() const;
    DWORD Id() const { return id_; }
    // The exit code; after `timeout` a failure, the program is killed and
    // -1 returned.
    int WaitExit(DWORD timeout = kWait);
    // True when the program ended within `timeout` (no failure otherwise).
    bool Exited(DWORD timeout = 0) const;
    // True when the program and every program it started alongside (a
    // command that ends on its own) ended within `timeout`; whatever is
    // still running is ended with the Process, as before.
    bool AllExited(DWORD timeout = kWait) const;
    void Kill();
    // Lets the thread held by Launch::holdFirstThread run; false when
    // none was held.
    bool ResumeHeld();

    // Its visible top-level windows, topmost first.
    std::vector<HWND> Windows() const;
    // A visible top-level window with this caption.
    HWND WaitWindow(const std::string& caption, DWORD timeout = kWait) const;
    // A visible top-level window other than `besides` (a message dialog over
    // the wizard; null: any window).
    HWND WaitDialog(HWND besides = nullptr, DWORD timeout = kWait) const;
    // Like WaitDialog, but returns null without a failure when the program
    // ends first.
    HWND WaitDialogOrExit(HWND besides = nullptr, DWORD timeout = kWait) const;
    // Names the program's windows, for failure messages.
    std::string Describe() const;

  private:
    void HoldFirstThread();

    HANDLE process_ = nullptr;
    HANDLE job_ = nullptr;
    HANDLE held_ = nullptr;
    DWORD id_ = 0;
    std::string name_;
};

// True when `window` is destroyed or hidden within `timeout`.
bool WaitGone(HWND window, DWORD timeout = kWait);

// ---------------------------------------------------------------- controls

std::string Text(HWND window); // WM_GETTEXT, also for edit contents
std::string ClassName(HWND window);
bool IsEnabled(HWND window);
bool IsVisible(HWND window); // and every parent
bool IsChecked(HWND button); // BM_GETCHECK == BST_CHECKED
// A caption without its "&" accelerator marks ("&&" stands for "&").
std::string StripAccelerators(const std::string& caption);

// Every control below `top`, at any depth, in creation order.
std::vector<HWND> Controls(HWND top);
// A control by its text, with or without "&" marks; a visible one first.
// FindControl fails when there is none, TryFindControl returns null.
HWND TryFindControl(HWND top, const std::string& caption);
HWND FindControl(HWND top, const std::string& caption);
// The index-th control (from 0) of a window class, e.g. ("Edit", 0).
HWND FindControlByClass(HWND top, const std::string& className, int index = 0);
// Texts of the visible controls, in creation order, empty ones left out.
std::vector<std::string> VisibleTexts(HWND top);
// The wizard's page title: the first visible label in its white banner
// (46 pixels high at 96 dpi); empty when there is none.
std::string BannerTitle(HWND wizard);

// ---------------------------------------------------------------- actions

// Presses a button as a person would (BM_CLICK, posted so that a modal
// dialog it opens cannot block the test); fails when the button is missing,
// hidden or disabled. Returns whether it was pressed.
bool Press(HWND top, const std::string& caption);
bool Click(HWND button);
// The title bar's close box (WM_SYSCOMMAND SC_CLOSE).
void Close(HWND top);
// A key press (WM_KEYDOWN + WM_KEYUP) delivered to the control that has the
// keyboard focus in the window's thread, else to the window: VK_RETURN,
// VK_ESCAPE, VK_SPACE, VK_TAB, ... Posted messages reach the program
// regardless of which window X considers focused, which makes them
// dependable under Wine with a virtual display and no window manager.
void Key(HWND window, UINT vk);
// Types text into a control character by character (WM_CHAR).
void Type(HWND control, const std::string& text);
// Waits until the window's thread has handled the one message posted to it
// last (two round trips of WM_NULL), or has entered a modal loop while
// handling it; false when the thread does not answer within `timeout`.
// Every action above settles after each message it posts.
bool Settle(HWND window, DWORD timeout = 5000);

// ---------------------------------------------------------------- messages

// A message dialog: the system's message box (class "#32770") or one of the
// program's own.
struct Message {
    HWND window = nullptr;
    std::string caption;
    std::string text;                 // its static texts, joined by "\n"
    std::vector<std::string> buttons; // captions, in creation order
};
Message ReadMessage(HWND dialog);
// Waits for a dialog of the program other than `besides` and reads it.
Message WaitMessage(const Process& process, HWND besides = nullptr, DWORD timeout = kWait);
// Waits for a message of the program at its start (a dialog with buttons,
// none of them "&Next >"), passing over the wizard: files found damaged
// behind the Welcome page close the wizard, and then the message comes.
Message WaitStartupMessage(const Process& process, DWORD timeout = kWait);
// Presses one of its buttons and waits for the dialog to go.
bool Answer(const Message& message, const std::string& button);
// Closes the wizard with its close box and, if a question with "&Abort"
// comes (the quit question), answers "&Abort". Returns the question (no
// window when none came). WaitExit() follows.
Message CloseWizard(const Process& process, HWND wizard);

// ---------------------------------------------------------------- screen

// Captures what the screen shows of the window (after letting it paint) and
// writes a PNG file.
bool Screenshot(HWND window, const std::string& path);

// ---------------------------------------------------------------- setup.exe variants

// The bytes of a resource of an executable file (found: false if none).
std::string ReadResource(const std::string& exe, const char* type, const char* name, bool* found);
// Replaces the bytes of a resource in an executable file, keeping its language.
bool ReplaceResource(const std::string& exe, const char* type, const char* name,
                     const std::string& bytes);
// A zlib stream of the bytes (what the payload resource holds).
std::string Deflate(const std::string& bytes);
// A copy of setup.exe whose payload resource holds `payload` as it is.
bool MakeSetupCopy(const std::string& path, const std::string* payload = nullptr);

// ---------------------------------------------------------------- Wine

// Makes Wine leave the windows of every program in the build's prefix to
// itself instead of a window manager (HKCU\Software\Wine\X11 Driver,
// Managed=N, kept in the prefix). On a virtual display there is no
// window manager: managed windows lack their title bar in screenshots, and
// Wine waits two seconds for every one that closes.
void UnmanagedWindows();

// Wine starts the desktop's process (explorer.exe) for the first program
// that needs the desktop, as that program's child: started so from a
// Process, it would join the program's job and be killed with it, and the
// next program would find a desktop whose owner is gone. Asked for here,
// the desktop is the test program's.
void DesktopOutsideJobs();

// Makes Wine report another Windows version ("win98", "nt40", "win2k",
// ...) to programs of one file name (HKCU\Software\Wine\AppDefaults\<exe>),
// for as long as the object lives.
class WineWindowsVersion {
  public:
    WineWindowsVersion(const std::string& exeName, const std::string& version);
    ~WineWindowsVersion();
    WineWindowsVersion(const WineWindowsVersion&) = delete;
    WineWindowsVersion& operator=(const WineWindowsVersion&) = delete;

  private:
    std::string key_;
};

// Makes Wine report `dpi` pixels per inch (HKCU\Control Panel\Desktop,
// LogPixels) to the programs started while the object lives; each program
// reads it once, as it starts. The value the prefix had comes back after.
class WineDpi {
  public:
    explicit WineDpi(int dpi);
    ~WineDpi();
    WineDpi(const WineDpi&) = delete;
    WineDpi& operator=(const WineDpi&) = delete;

  private:
    bool had_ = false;
    DWORD old_ = 0;
};

// Lets this thread see other programs' windows in their own pixels, also
// where they run at another DPI than this program started with. Looked up at
// run time: older systems have no such setting and need none.
void SeeWindowsUnscaled();

} // namespace e2e
