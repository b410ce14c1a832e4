// The editor's controls, each at its place.
#include <QRegularExpressionValidator>

#include "macro/editor/list_box_ex.h"
#include "macro/editor/macro_dlg.h"
#include "ui/accessible.h"
#include "ui/bitmap_btn.h"
#include "ui/clr_edit.h"
#include "ui/skin.h"
#include "ui/static_trans.h"

namespace vantix {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
// Rows read white on the grey lists (about 8:1) and black on the accent
// highlight of the selected row.
constexpr std::uint32_t kRowText = 0xFFFFFF;
constexpr std::uint32_t kSelectedRowText = 0x000000;
constexpr std::uint32_t kEventListColour = 0x505050;
constexpr std::uint32_t kBoxBackColour = 0x3A3A3A;

}  // namespace

void CMacroDlg::BuildControls() {
  MacroControls& c = controls_;
  const auto label = [&](int number, const QRect& rect, int height, int weight,
                         std::uint32_t style = kLabelStyle) {
    auto* l = new CStaticTrans(this, skin_.UiText("MACRO", number), style, rect);
    l->SetFontHeight(height);
    l->SetFontWeight(weight);
    c.labels.push_back(l);
    return l;
  };
  const auto wire = [this](CBitmapBtn* b) {
    connect(b, &CBitmapBtn::clicked, this, [this, b] { OnCommand(b); });
    return b;
  };

  const QImage assign1 = LoadSkinImage(skin_.ButtonsPath("ButtonAssign-1.png"));
  const QImage assign2 = LoadSkinImage(skin_.ButtonsPath("ButtonAssign-2.png"));
  const QImage assign3 = LoadSkinImage(skin_.ButtonsPath("ButtonAssign-3.png"));
  const auto text_button = [&](const QRect& rect, const QString& caption) {
    auto* b = new CBitmapBtn(this, rect);
    b->SetImages(assign1, assign3, assign2, assign1);
    b->SetCaption(caption, 0, kCaptionCentred);
    b->SetDrawCaption(true);
    b->SetUseTextRect(true);
    b->SetTextRect(QRect(QPoint(0, 0), rect.size()));
    return wire(b);
  };

  c.names = new CListBoxEx(this, RectLtrb(38, 120, 211, 466), kNameListId, false);
  c.names->setObjectName(QStringLiteral("nameList"));
  c.names->SetOwner(this, skin_);
  c.names->selection_highlight = true;
  c.names->click_notify = true;
  c.names->right_click_notify_off = false;
  c.names->text_colour = kRowText;
  c.names->selected_text_colour = kSelectedRowText;
  c.names->SetListBackground(kEventListColour);

  c.events = new CListBoxEx(this, RectLtrb(275, 143, 548, 410), kEventListId, true);
  c.events->setObjectName(QStringLiteral("eventList"));
  c.events->SetOwner(this, skin_);
  c.events->selection_highlight = true;
  c.events->click_notify = false;
  c.events->right_click_notify_off = false;
  c.events->edit_enabled = true;
  c.events->delay_of = [this](int row) {
    const bool delay = row >= 0 && row < macro_.count && macro_.events[static_cast<std::size_t>(row)].IsDelay();
    return delay ? macro_.events[static_cast<std::size_t>(row)].DelayMs() : 0;
  };
  c.events->text_colour = kRowText;
  c.events->selected_text_colour = kSelectedRowText;
  c.events->SetListBackground(kEventListColour);

  c.new_macro = text_button(RectLtrb(29, 478, 130, 496), skin_.UiText("MACRO", 18));
  c.delete_macro = text_button(RectLtrb(132, 478, 233, 496), skin_.UiText("MACRO", 19));

  c.record = wire(new CBitmapBtn(this, RectLtrb(359, 480, 389, 503)));
  const QImage start1 = LoadSkinImage(skin_.ButtonsPath("iconstart1.png"));
  const QImage start2 = LoadSkinImage(skin_.ButtonsPath("iconstart2.png"));
  c.record->SetImages(start1, start2, start2, start2);
  c.stop = wire(new CBitmapBtn(this, RectLtrb(452, 480, 482, 503)));
  const QImage stop1 = LoadSkinImage(skin_.ButtonsPath("iconstop1.png"));
  const QImage stop2 = LoadSkinImage(skin_.ButtonsPath("iconstop2.png"));
  c.stop->SetImages(stop1, stop2, stop2, stop1);
  c.stop->setEnabled(false);

  const QImage box_off = LoadSkinImage(skin_.ControlsPath("checkbox1-1.png"));
  const QImage box_on = LoadSkinImage(skin_.ControlsPath("checkbox1-2.png"));
  const auto check_box = [&](const QRect& rect) {
    auto* b = new CBitmapBtn(this, rect);
    b->SetImages(box_off, box_off, box_on, box_off);
    b->SetCheckMode(true);
    b->SetSquareImage(true);
    // A recording disables the boxes; they still show what it records with.
    b->SetKeepCheckedFaceWhenDisabled(true);
    return wire(b);
  };
  const auto number_box = [&](const QRect& rect, int limit, int tag, const char* text) {
    auto* e = new CClrEdit(this, rect, 0);
    e->setMaxLength(limit);
    e->setText(QString::fromLatin1(text));
    e->setFont(SkinFont(14, 400));
    // Numbers only: a sign or letters would be stored as a repeat count.
    e->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]*")), e));
    e->SetTag(tag);
    e->SetNotifyKeyUp(true);
    e->SetTextColor(kWhite);
    e->SetBackColor(kBoxBackColour);
    return e;
  };

  // The boxes are 14 pixels, each centred on the first line of its label.
  c.delay_measured = check_box(RectLtrb(588, 126, 602, 140));
  label(12, RectLtrb(606, 125, 722, 141), 12, 700);
  c.delay_fixed = check_box(RectLtrb(588, 157, 602, 171));
  label(13, RectLtrb(606, 156, 722, 172), 12, 700);
  c.delay_box = number_box(RectLtrb(608, 176, 641, 191), 5, kDelayBoxTag, "10");
  label(14, RectLtrb(646, 177, 700, 192), 12, 700);
  c.loop_times = check_box(RectLtrb(588, 198, 602, 212));
  label(15, RectLtrb(606, 197, 722, 213), 12, 700);
  c.loop_box = number_box(RectLtrb(608, 216, 641, 231), 3, kLoopBoxTag, "1");
  c.loop_held = check_box(RectLtrb(588, 238, 602, 252));
  label(16, RectLtrb(606, 237, 722, 283), 12, 700);

  for (int k = 0; k < 8; ++k) {
    c.editing[static_cast<std::size_t>(k)] = text_button(
        RectLtrb(592, 317 + 22 * k, 718, 336 + 22 * k), skin_.UiText("MACRO", 20 + k));
  }

  const QImage ok1 = LoadSkinImage(skin_.ButtonsPath("ok-1.png"));
  const QImage ok2 = LoadSkinImage(skin_.ButtonsPath("ok-2.png"));
  const QImage ok3 = LoadSkinImage(skin_.ButtonsPath("ok-3.png"));
  const auto ok_button = [&](const QRect& rect, int text) {
    auto* b = text_button(rect, skin_.UiText("General", text));
    b->SetImages(ok1, ok3, ok2, ok1);
    b->SetTextColors(kWhite, kWhite, kWhite);
    b->SetFontWeight(700);
    return b;
  };
  c.ok = ok_button(RectLtrb(518, 516, 607, 541), 46);
  c.close = ok_button(RectLtrb(617, 516, 706, 541), 47);

  const auto display = [&](const QRect& rect) {
    auto* d = new CStaticTrans(this, QStringLiteral("0"), kLabelStyle | SS_SIMPLE, rect);
    d->SetFontHeight(14);
    d->SetFontWeight(700);
    return d;
  };
  label(7, RectLtrb(305, 420, 477, 435), 14, 700, kLabelStyle | SS_RIGHT);
  c.total_delay = display(RectLtrb(483, 420, 542, 435));
  label(8, RectLtrb(547, 420, 564, 435), 14, 700);
  label(9, RectLtrb(355, 442, 477, 457), 14, 700, kLabelStyle | SS_RIGHT);
  c.event_count = display(RectLtrb(483, 442, 542, 457));
  // A few pixels right of its nominal place, so that a two-digit count
  // does not run into it; on the count's line, so the two read as one.
  label(10, RectLtrb(502, 442, 566, 457), 14, 700);

  label(1, RectLtrb(220, 32, 510, 78), 18, 700, kLabelStyle | SS_CENTER | SS_CENTERIMAGE);
  label(2, RectLtrb(32, 92, 156, 110), 16, 700);
  label(3, RectLtrb(277, 90, 480, 107), 16, 700);
  label(4, RectLtrb(284, 122, 360, 138), 14, 700);
  label(5, RectLtrb(362, 122, 445, 138), 14, 700);
  label(6, RectLtrb(447, 122, 548, 138), 14, 700);
  label(11, RectLtrb(577, 90, 691, 108), 16, 700);
  label(17, RectLtrb(577, 288, 727, 304), 16, 700);
}

// Names for the controls whose face has no text: image buttons, check boxes
// and number boxes by the label beside them, the lists by their headings.
void CMacroDlg::NameForReaders() {
  MacroControls& c = controls_;
  const auto macro_text = [this](int number) { return skin_.UiText("MACRO", number); };
  c.names->setAccessibleName(macro_text(2));
  c.events->setAccessibleName(macro_text(3));
  for (CListBoxEx* list : {c.names, c.events}) {
    list->press_row_text = ReaderString(skin_, ReaderText::kRowPressed);
    list->release_row_text = ReaderString(skin_, ReaderText::kRowReleased);
  }
  c.record->setAccessibleName(ReaderString(skin_, ReaderText::kRecord));
  c.stop->setAccessibleName(ReaderString(skin_, ReaderText::kStopRecording));
  c.delay_measured->setAccessibleName(macro_text(12));
  c.delay_fixed->setAccessibleName(macro_text(13));
  c.delay_box->setAccessibleName(macro_text(13) + QLatin1Char(' ') + macro_text(14));
  c.loop_times->setAccessibleName(macro_text(15));
  c.loop_box->setAccessibleName(macro_text(15));
  c.loop_held->setAccessibleName(macro_text(16));
}

}  // namespace vantix
