// Pieces the small skinned dialogs share (the message dialog, the key,
// fire-key and text-entry dialogs): the OK and Cancel buttons, transparent
// labels, size and outline, Enter, and the stand-in for the user in tests.
#pragma once

#include <QImage>
#include <QRect>
#include <QString>

#include <cstdint>
#include <functional>
#include <utility>

#include "ui/top_window.h"
#include "ui/warning_dlg.h"

class QWidget;

namespace vantix {

class CBitmapBtn;
class CStaticTrans;
class Skin;

inline constexpr int kSmallDialogWidth = 478;
inline constexpr int kSmallDialogHeight = 292;

struct OkCancelButtons {
  CBitmapBtn* ok = nullptr;
  CBitmapBtn* cancel = nullptr;
};

// OK and Cancel at their places in the bottom row of a small dialog, with
// the "ok" faces and the captions "General" 46 and 47; named "okButton" and
// "cancelButton".
OkCancelButtons MakeOkCancel(QWidget* dialog, const Skin& skin);
// One more button with the same faces and caption style.
CBitmapBtn* MakeDialogButton(QWidget* dialog, const Skin& skin, const char* name, const QRect& rect,
                             const QString& caption);

// The key dialogs' readout of the captured key ("menuitem-d-b.png", bold
// white), named "keyDisplay". Its text stays clear of the face's end marks;
// a combination too long even when shrunk loses its middle, so the first
// modifier and the key itself still show.
CBitmapBtn* MakeKeyDisplay(QWidget* dialog, const Skin& skin, const QRect& rect);

// A transparent white label in the skin font.
CStaticTrans* MakeDialogLabel(QWidget* dialog, const char* name, const QString& text,
                              const QRect& rect, std::uint32_t style, int height, int weight);

// The fixed size and the outline of a small dialog. Under its face, and
// instead of it when the skin lacks it, the window is black, so that the
// white texts stay readable.
void PrepareSmallDialog(QWidget* dialog, const QImage& outline);

// Tells whether a key event is Enter (either key).
bool IsEnterKey(int qt_key);

// Runs an initialised dialog modally; IDOK or IDCANCEL. When a test has set
// next_run (cleared by use), that acts as the user instead of the modal loop.
template <typename Dialog>
int RunModalOrStandIn(Dialog& dialog, std::function<void(Dialog&)>& next_run) {
  if (std::function<void(Dialog&)> run = std::exchange(next_run, nullptr)) {
    dialog.setResult(0);
    run(dialog);
    return dialog.result() == IDOK ? IDOK : IDCANCEL;
  }
  return ExecOverParent(dialog) == IDOK ? IDOK : IDCANCEL;
}

}  // namespace vantix
