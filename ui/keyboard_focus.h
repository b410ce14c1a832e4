// Keyboard use of the skinned controls: which keys a focused control takes
// for itself, arrow keys within a row of tabs, and the Tab order of a window.
#pragma once

#include <QWidget>

#include <functional>
#include <vector>

class QEvent;
class QKeyEvent;

namespace vantix {

// Space, Enter and Return: they press a focused button, check box or tab.
bool IsActivationKey(int qt_key);

// Marks a control as one that a focused Space or Enter presses (or unmarks
// it). A window that swallows those keys still lets them reach it.
void SetTakesActivationKeys(QWidget* control, bool takes);
bool TakesActivationKeys(const QWidget* control);
// Whether the key event sent to `receiver` belongs to the control itself: it
// is marked, has the focus, and the key is an activation key.
bool KeyBelongsToFocusedControl(const QObject* receiver, int qt_key);

// The application-wide key filter of a skinned dialog. A key press or
// shortcut override for a widget of `window` goes to `own` first (the
// window's own keys: true when it used the event); then the window swallows
// Return, Enter, Escape and Space, unless the focused control takes them.
// True when the event was used.
bool FilterWindowKey(const QWidget* window, QObject* watched, QEvent* event,
                     const std::function<bool(int qt_key)>& own);

// Puts the controls in one row of arrow keys (group > 0; 0 leaves every row):
// Left/Up and Right/Down move the focus to the previous or next control of
// the row that can take it, in their order on screen, wrapping round.
void SetArrowGroup(QWidget* control, int group);
// Handles an arrow key on a control of a row; false when it is no such key
// or the control is in no row.
bool MoveFocusInArrowGroup(QWidget* from, int qt_key);

// Orders the Tab chain of every focusable control of the window in reading
// order: rows from the top (controls whose tops lie within `row_slack`
// pixels share a row), left to right within a row. Hidden controls stay in
// the chain; Qt skips them while they are hidden.
void SetReadingTabOrder(QWidget* window, int row_slack = 8);

// Orders the Tab chain as given, for a window read in columns rather than
// rows. Controls left out keep their places around the chain.
void SetTabChain(const std::vector<QWidget*>& chain);

}  // namespace vantix
