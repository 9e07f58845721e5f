// The main window's key filter: what happens to a key before the window's controls see it.
//
// Enter and Escape are swallowed everywhere in the window, so they neither confirm nor cancel
// it (its OK and Cancel buttons still do). The arrow keys are swallowed while the lighting
// effect list has the focus, so they cannot change the effect; the mouse wheel over that list
// is swallowed while its drop-down is closed, for the same reason. F1 opens the help page.
#pragma once

namespace qf::presenters {

// The keys the filter tells apart (the window maps its toolkit's key codes onto them; the
// keypad's Enter is Enter).
enum class WindowKey { Enter, Escape, Up, Down, Left, Right, F1, Other };

enum class KeyDecision {
    Pass,     // the controls get the key
    Swallow,  // nobody gets it
    Help,     // swallowed; the key's press opens the help page
};

[[nodiscard]] KeyDecision FilterWindowKey(WindowKey key, bool effectListFocused);

// True when a wheel turn over the window must not reach the control under the pointer.
[[nodiscard]] bool SwallowWheel(bool overEffectList, bool effectListOpen);

}  // namespace qf::presenters
