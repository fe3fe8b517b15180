// Keeping tall windows usable on small screens (a 1366 x 768 laptop with a panel): their
// contents scroll, their buttons stay below the scrolling part, and they open no larger than
// the screen's free area.
#pragma once

class QPoint;
class QRect;
class QScrollArea;
class QWidget;

namespace kelvrant {

/// Room left for a window manager's title bar and borders when the frame is not known yet.
inline constexpr int kFrameAllowance = 48;

/// A frameless, resizable scroll area holding `body`, as a child of `parent`.
QScrollArea* ScrollingBody(QWidget* body, QWidget* parent);

/// Sizes `window` to show all of `scroll`'s contents when the screen has room, and no larger
/// than the free area of the window's screen (frame allowance included).
void FitToScreen(QWidget* window, QScrollArea* scroll);

/// Puts the frame's top-left corner of `window` at `framePos`, also when the window manager
/// takes the first position of a new window for its inside (checked once it is exposed).
void MoveFrameTo(QWidget* window, QPoint framePos);

/// Moves `window` so that its frame lies inside the free area of its screen.
void KeepOnScreen(QWidget* window);

}  // namespace kelvrant
