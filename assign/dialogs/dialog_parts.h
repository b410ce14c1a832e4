// Pieces the assignment dialogs share: the skinned OK and Cancel buttons of
// the small dialogs, their transparent labels, their size and outline.
#pragma once

#include <QImage>
#include <QRect>
#include <QString>

#include <cstdint>

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

// A transparent white label in the skin font.
CStaticTrans* MakeDialogLabel(QWidget* dialog, const char* name, const QString& text,
                              const QRect& rect, std::uint32_t style, int height, int weight);

// The fixed size and the outline of a small dialog. Under its face, and
// instead of it when the skin lacks it, the window is black, so that the
// white texts stay readable.
void PrepareSmallDialog(QWidget* dialog, const QImage& outline);

// Tells whether a key event is Enter (either key).
bool IsEnterKey(int qt_key);

}  // namespace vantix
