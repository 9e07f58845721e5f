// What the main window's presenter asks of the world around it: the window itself (a view the
// Qt window implements by wiring widgets), the file dialogs, the lighting panel and the shell
// that owns the program's run. Tests implement each with a recording fake.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "presenters/commands.h"
#include "presenters/reports.h"

namespace qf::presenters {

// A control's text: its caption or its tooltip.
struct ControlText {
    std::uint32_t controlId = 0;
    std::string text;
    bool operator==(const ControlText&) const = default;
};

// The window's texts from the language table (the profile button's come with the profile menu).
struct MainWindowTexts {
    std::string title;
    std::vector<ControlText> captions;
    std::vector<ControlText> tooltips;
};

// The About box's contents, read afresh each time it opens.
struct AboutBoxModel {
    std::string introduction;  // GUANYU_JIESHAO, shown in control 1206
    std::string copyright;     // GUANYU_BANQUAN, shown in control 1205
    std::string link;          // the link target, shown and opened by control 1124
    bool operator==(const AboutBoxModel&) const = default;
};

class MainWindowView {
public:
    virtual ~MainWindowView() = default;

    // ---- The window ----
    // Turns the tool window into an application window (a taskbar entry), shows it normally,
    // raises and activates it.
    virtual void ShowAsApplicationWindow() = 0;
    virtual void HideWindow() = 0;
    virtual void MinimizeWindow() = 0;
    // The busy pointer while the keyboard is read or written. The window also holds the window
    // bridge's busy scope open meanwhile, so that device work reaching the bridge waits too.
    virtual void SetBusy(bool busy) = 0;

    // ---- Controls ----
    virtual void SetTexts(const MainWindowTexts& texts) = 0;
    virtual void SetApplyEnabled(bool enabled) = 0;
    // The profile button (1005): the checked profile menu entry's text and PROFILE_TIP + it.
    virtual void SetProfileButton(std::string_view caption, std::string_view tooltip) = 0;
    // Profile button 1135 + `profile` selected, the other two not.
    virtual void SelectProfileButton(int profile) = 0;
    virtual void SetGButtonAssigned(std::size_t index, bool assigned) = 0;
    virtual void RedrawKeyButtons() = 0;
    virtual void ShowMacroMeter(const MacroMeter& meter) = 0;
    // A pop-up menu at the mouse pointer; the chosen entry comes back as a command.
    virtual void ShowMenuAtPointer(const std::vector<MenuItem>& items) = 0;

    // ---- The notification-area icon ----
    // Creates the icon with its tooltip and picture. True when a notification area shows it;
    // false when the desktop has none (the icon is still kept, for a tray that starts later).
    virtual bool CreateTrayIcon(std::string_view tooltip, int iconId) = 0;
    virtual void RemoveTrayIcon() = 0;

    // ---- Windows the main window owns ----
    // The About box: modeless, plain (not skinned). Its OK and close box hide it and report
    // back through MainWindowPresenter::OnAboutBoxClosed.
    virtual void ShowAboutBox(const AboutBoxModel& about) = 0;
    virtual void RaiseAboutBox() = 0;
    virtual void CloseAboutBox() = 0;
    // The profile manager (modal) and the key assignment editor on G9, macro page only.
    virtual void OpenProfileManager() = 0;
    virtual void OpenMacroEditor() = 0;
    // Closes the profile manager and the composite editor when open, each as by its own
    // cancel; the editor stops recording and releases the keyboard grab.
    virtual void CloseEditorAndManager() = 0;
    [[nodiscard]] virtual bool IsEditorOpen() = 0;
    [[nodiscard]] virtual bool IsProfileManagerOpen() = 0;
    [[nodiscard]] virtual bool ManagerHasUnappliedChanges() = 0;
    virtual void CheckManagerRow(int profile) = 0;
    virtual void DisableManagerApply() = 0;

    // ---- The desktop ----
    // The system's default handler (xdg-open); the result is ignored.
    virtual void OpenLocalFile(const std::filesystem::path& file) = 0;
    virtual void OpenUrl(std::string_view url) = 0;
    // A message box naming what failed (the program's own text, not a language key).
    virtual void ReportFailure(std::string_view text) = 0;
    // A one-time explanation that is no failure (no notification area, for example): a line on
    // standard error and a note that does not block.
    virtual void ReportNotice(std::string_view text) = 0;
};

// The open and save dialogs of import and export.
struct FileDialogSpec {
    std::string filter;         // Qt's form: "*.fwc (*.fwc);;*.* (*)"
    std::string initialName;    // "*.fwc"
    std::string defaultSuffix;  // "fwc", added to a name typed without one
    bool confirmOverwrite = false;
    bool operator==(const FileDialogSpec&) const = default;
};
[[nodiscard]] FileDialogSpec ProfileOpenDialog();
[[nodiscard]] FileDialogSpec ProfileSaveDialog();

class FileChooser {
public:
    virtual ~FileChooser() = default;
    // The chosen file, or nothing when the dialog was cancelled.
    [[nodiscard]] virtual std::optional<std::filesystem::path> ChooseOpenFile(
        const FileDialogSpec& spec) = 0;
    [[nodiscard]] virtual std::optional<std::filesystem::path> ChooseSaveFile(
        const FileDialogSpec& spec) = 0;
};

// ---- The ending ----

// The steps of the program's end, in the order they run. The presenter runs the window's own
// steps; the shell runs the others (ShellControl).
enum class EndingStep {
    BeginClosing,           // shell: the window link and the prompter return at once from now
                            // on, and every sender already waiting is released
    HideWindow,             // window
    CloseSubWindows,        // window: the About box, the profile manager, the editor
    ReleaseInstance,        // shell: the instance lock released, the local server stopped
    ForgetEventNames,       // window
    RemoveTrayIcon,         // window
    ClearUnappliedChanges,  // window
    StopMonitor,            // shell: DeviceMonitor::Stop, its threads joined
    ClearDeviceListener,    // shell: the device link's listener cleared (waits for a call)
    FreeStores,             // shell: the store under its lock, then the staging store
    QuitEventLoop,          // shell: the program ends with exit code 0
};

[[nodiscard]] std::span<const EndingStep> EndingSequence();
[[nodiscard]] std::string_view EndingStepName(EndingStep step);

class ShellControl {
public:
    virtual ~ShellControl() = default;
    virtual void RunEndingStep(EndingStep step) = 0;
};

}  // namespace qf::presenters
