#include "app/main_layout.h"

#include "settings/settings_schema.h"
#include "ui/accessible.h"
#include "ui/bitmap_btn.h"
#include "ui/clr_edit.h"
#include "ui/keyboard_focus.h"
#include "ui/png_slider.h"
#include "ui/skin.h"
#include "ui/static_trans.h"

namespace vantix {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kAccent = 0xCCFF00;
// Notes on what a setting does not do: quieter than the values, still legible.
constexpr std::uint32_t kNoteColor = 0xC8BCB4;
constexpr std::uint32_t kTabStyle = kLabelStyle | SS_NOTIFY | SS_CENTER;
constexpr std::uint32_t kProfileStyle = kLabelStyle | SS_NOTIFY | SS_SIMPLE;
constexpr std::uint32_t kSimpleStyle = kLabelStyle | SS_SIMPLE;

// The right range labels reach past their nominal 13 pixels into the free
// margin: "20", "63" and "10" are wider than that in any bold sans font.
constexpr int kRangeLabelRight = 993;

void NameForReaders(const MainControls& c, const Skin& skin);

struct Builder {
  QWidget* window;
  const Skin& skin;
  const MainImages& images;

  QString Text(int number) const { return skin.UiText("General", number); }

  CBitmapBtn* Button(const QRect& rect, const QImage& normal, const QImage& hover,
                     const QImage& pressed, const QImage& disabled) const {
    auto* b = new CBitmapBtn(window, rect);
    b->SetImages(normal, hover, pressed, disabled);
    b->SetCaption(QString(), 0, kCaptionCentred);
    return b;
  }

  static void TextButtonSettings(CBitmapBtn* b) {
    b->SetDrawCaption(true);
    b->SetUseTextRect(true);
    b->SetTextRect(QRect(QPoint(0, 0), b->size()));
  }

  CBitmapBtn* TextButton(const QRect& rect, const QImage& normal, const QImage& hover,
                         const QImage& pressed, const QImage& disabled,
                         const QString& caption) const {
    auto* b = Button(rect, normal, hover, pressed, disabled);
    b->SetCaption(caption, 0, kCaptionCentred);
    TextButtonSettings(b);
    return b;
  }

  CBitmapBtn* BottomButton(const QRect& rect, int text) const {
    const QImage& f = images.apply_face;
    auto* b = TextButton(rect, f, images.apply_hover_face, f, f, Text(text));
    b->SetTextColors(kWhite, kAccent, kAccent);
    b->update();
    return b;
  }

  CBitmapBtn* CheckButton(const QRect& rect, const QString& caption, int font_height) const {
    const QImage& off = images.check_faces[0];
    auto* b = Button(rect, off, off, images.check_faces[1], off);
    b->SetCaption(caption, 9, kCaptionCentred);
    b->SetCheckMode(true);
    b->SetSquareImage(true);
    b->SetDrawCaption(true);
    b->SetTextColors(kWhite, kWhite, kWhite);
    b->SetFontHeight(font_height);
    b->update();
    return b;
  }

  CBitmapBtn* Badge(const QRect& rect, int number) const {
    const QImage& c = images.circle;
    auto* b = TextButton(rect, c, c, c, c, QString::number(number));
    b->SetFontWeight(700);
    b->SetTextColors(kWhite, kAccent, kWhite);
    b->setEnabled(false);
    b->SetDimWhenDisabled(false);
    return b;
  }

  CStaticTrans* Label(const QRect& rect, const QString& text,
                      std::uint32_t style = kLabelStyle) const {
    return new CStaticTrans(window, text, style, rect);
  }

  CStaticTrans* Tab(const QRect& rect, const QString& text) const {
    auto* l = Label(rect, text, kTabStyle);
    l->SetFontHeight(17);
    return l;
  }

  CPngHSliderBar* HSlider(const QRect& rect, int id, const QImage& track, int max) const {
    auto* s = new CPngHSliderBar(ThumbFaces{images.slider_thumb, QImage()}, rect, window, id);
    s->SetBackground(track);
    s->SetRange(1, max);
    return s;
  }

  CPngSliderBar* VSlider(const QRect& rect, int id, const QImage& thumb, const QImage& track,
                         bool cut_and_shift) const {
    auto* s = new CPngSliderBar(cut_and_shift, ThumbFaces{thumb, QImage()}, rect, window, id,
                                cut_and_shift);
    s->SetBackground(track);
    s->SetRange(1, kStageSliderMax);
    return s;
  }
};

struct BadgePlace {
  int number;
  QRect rect;
};

// Picture badges, in the order they are created.
const std::array<BadgePlace, 12> kPictureBadges = {{
    {1, RectLtrb(194, 197, 212, 215)},
    {2, RectLtrb(317, 197, 335, 215)},
    {3, RectLtrb(258, 235, 276, 253)},
    {4, RectLtrb(278, 281, 296, 299)},
    {5, RectLtrb(288, 316, 306, 334)},
    {6, RectLtrb(293, 356, 311, 374)},
    {7, RectLtrb(258, 316, 276, 334)},
    {8, RectLtrb(263, 352, 281, 370)},
    {9, RectLtrb(290, 396, 308, 414)},
    {12, RectLtrb(258, 296, 276, 314)},
    {10, RectLtrb(258, 330, 276, 348)},
    {11, RectLtrb(258, 360, 276, 378)},
}};

struct SectionPlace {
  int text;
  QRect rect;
};

// Section labels of the lighting page, in the order they are created.
const std::array<SectionPlace, 9> kSectionPlaces = {{
    {23, RectLtrb(208, 260, 344, 280)},
    {64, RectLtrb(208, 260, 324, 280)},
    {63, RectLtrb(208, 260, 424, 280)},
    {22, RectLtrb(208, 260, 424, 280)},
    {24, RectLtrb(408, 260, 561, 280)},
    {25, RectLtrb(608, 260, 750, 280)},
    {29, RectLtrb(608, 381, 740, 400)},
    {33, RectLtrb(608, 381, 740, 400)},
    {58, QRect()},
}};

}  // namespace

MainControls BuildMainControls(QWidget* window, const Skin& skin, const MainImages& images) {
  const Builder b{window, skin, images};
  MainControls c;

  // Window buttons: -1 normal, -3 pointer over, -2 pressed.
  const auto& abf = images.about_faces;
  // Under minimise: beside it, it would cover the end of the fifth profile tab,
  // whose caption runs to the tab's edge in the longer languages.
  c.about = b.Button(RectLtrb(953, 46, 981, 72), abf[0], abf[2], abf[1], abf[0]);
  c.about->setObjectName(QStringLiteral("aboutButton"));
  const auto& mf = images.minimise_faces;
  c.minimise = b.Button(RectLtrb(953, 14, 981, 40), mf[0], mf[2], mf[1], mf[0]);
  const auto& cf = images.close_faces;
  c.close = b.Button(RectLtrb(984, 14, 1012, 40), cf[0], cf[2], cf[1], cf[0]);

  c.export_button = b.BottomButton(RectLtrb(59, 673, 169, 695), 42);
  c.import_button = b.BottomButton(RectLtrb(199, 673, 309, 695), 43);
  c.reset_profile = b.BottomButton(RectLtrb(332, 673, 442, 695), 44);
  c.reset_all = b.BottomButton(RectLtrb(471, 673, 581, 695), 45);
  c.apply = b.BottomButton(RectLtrb(611, 673, 720, 695), 48);

  const QRect status_rect = RectLtrb(16, 162, 129, 187);
  c.status_connected = b.Label(status_rect, b.Text(62));
  c.status_connected->SetTextColor(0x00FF00);
  c.status_connected->ModifyStyle(SS_RIGHT, SS_CENTER);
  c.status_connected->RefreshBehind();
  c.status_connected->hide();
  c.status_disconnected = b.Label(status_rect, b.Text(61));
  c.status_disconnected->SetTextColor(0x0000FF);
  c.status_disconnected->ModifyStyle(SS_RIGHT, SS_CENTER);
  c.status_disconnected->RefreshBehind();
  c.status_disconnected->hide();
  // Below the connection box: it can show together with "not connected".
  c.status_unconfirmed = b.Label(RectLtrb(16, 190, 129, 212), b.Text(kTextUnconfirmed));
  c.status_unconfirmed->SetTextColor(0x0080FF);
  c.status_unconfirmed->ModifyStyle(SS_RIGHT, SS_CENTER);
  c.status_unconfirmed->RefreshBehind();
  c.status_unconfirmed->hide();

  c.status_unapplied = b.Label(RectLtrb(730, 673, 895, 695), skin.UiText("STATE", 1),
                               kSimpleStyle | SS_CENTERIMAGE);
  c.status_unapplied->SetTextColor(kAccent);
  c.status_unapplied->setObjectName(QStringLiteral("unappliedLabel"));
  c.status_unapplied->hide();
  c.result_line = b.Label(RectLtrb(150, 622, 1000, 640), QString(), kSimpleStyle);
  c.result_line->SetTextColor(kAccent);
  c.result_line->setObjectName(QStringLiteral("resultLine"));
  c.result_line->hide();

  const std::array<int, 3> tab_lefts = {370, 535, 700};
  for (int i = 0; i < 3; ++i) {
    c.page_tabs[i] = b.Tab(RectLtrb(tab_lefts[i], 98, tab_lefts[i] + 155, 128), b.Text(49 + i));
  }
  c.macro_tab = b.Tab(RectLtrb(865, 98, 1015, 128), skin.UiText("MACRO", 1));

  c.view_switches[0] = b.Tab(RectLtrb(173, 558, 256, 577), b.Text(93));
  c.view_switches[1] = b.Tab(RectLtrb(271, 558, 375, 577), b.Text(94));

  for (int i = 0; i < 5; ++i) {
    const int left = 375 + 115 * i;
    c.profile_labels[i] = b.Label(RectLtrb(left, 12, left + 95, 50), b.Text(53 + i), kProfileStyle);
    c.profile_labels[i]->SetFontHeight(20);
  }

  const auto& af = images.assign_faces;
  for (int k = 0; k < 12; ++k) {
    auto* a = b.TextButton(RectLtrb(520, 200 + 28 * k, 668, 220 + 28 * k), af[0], af[2], af[1],
                           af[0], QString());
    a->SetFontWeight(700);
    a->SetTextColors(kWhite, kAccent, kWhite);
    a->SetFillBackground(true);
    a->SetBackColor(0x1E1E1E);
    a->update();
    c.assign_buttons[k] = a;
    c.list_badges[k] = b.Badge(RectLtrb(499, 200 + 28 * k, 518, 219 + 28 * k), k + 1);
  }
  for (const BadgePlace& p : kPictureBadges) {
    c.picture_badges[p.number - 1] = b.Badge(p.rect, p.number);
  }

  for (int i = 0; i < 3; ++i) {
    c.colour_sliders[i] = b.HSlider(RectLtrb(210, 440 + 28 * i, 465, 458 + 28 * i), kSliderRed + i,
                                    images.track, kColourSliderMax);
  }

  const std::array<int, 4> slider_tops = {219, 268, 314, 374};
  // Each slider ends where its field's range ends.
  constexpr std::array<int, 4> slider_max = {
      ProfileFieldOf("Acceleration").max, ProfileFieldOf("MouseSensitivity").max,
      ProfileFieldOf("WheelScrollLines").max, ProfileFieldOf("DoubleClickSpeed").max};
  for (int i = 0; i < 4; ++i) {
    const int y = slider_tops[i];
    const QImage& track = i == 3 ? images.double_click_track : images.track;
    c.pointer_sliders[i] =
        b.HSlider(RectLtrb(725, y, 969, y + 18), kSliderAcceleration + i, track, slider_max[i]);
    c.range_labels.push_back(b.Label(RectLtrb(710, y, 723, y + 18), QStringLiteral("1"), kSimpleStyle));
    c.range_labels.push_back(
        b.Label(RectLtrb(971, y, kRangeLabelRight, y + 18), QString::number(slider_max[i]),
                kSimpleStyle));
  }
  const std::array<int, 5> title_tops = {200, 247, 296, 349, 418};
  for (int i = 0; i < 5; ++i) {
    c.slider_titles[i] =
        b.Label(RectLtrb(725, title_tops[i], 969, title_tops[i] + 16), b.Text(1 + i), kSimpleStyle);
  }

  for (int i = 0; i < 4; ++i) {
    const int left = 725 + 55 * i;
    auto* r = b.CheckButton(RectLtrb(left, 441, left + 53, 457), b.Text(6 + i), 14);
    r->SetFillBackground(true);
    r->SetBackColor(0);
    c.report_rate[i] = r;
  }

  const auto note = [&b, &skin](const QRect& rect, int text, const char* name) {
    auto* l = b.Label(rect, skin.UiText("STATE", text));
    l->SetTextColor(kNoteColor);
    l->SetFontHeight(12);
    l->SetFontWeight(400);
    l->setObjectName(QLatin1String(name));
    return l;
  };
  c.rate_note = note(RectLtrb(725, 463, 995, 493), 8, "rateNote");
  c.double_click_note = note(RectLtrb(725, 394, 995, 410), 9, "doubleClickNote");
  c.double_click_note->hide();
  c.lighting_note = note(RectLtrb(200, 600, 900, 618), 8, "lightingNote");

  const std::array<int, 3> first_tops = {290, 314, 338};
  const std::array<int, 3> lower_tops = {410, 434, 458};
  for (int i = 0; i < 3; ++i) {
    c.light_groups[0][i] =
        b.CheckButton(RectLtrb(627, first_tops[i], 716, first_tops[i] + 16), b.Text(26 + i), 14);
  }
  for (int g = 1; g < 3; ++g) {
    for (int i = 0; i < 3; ++i) {
      c.light_groups[g][i] = b.CheckButton(RectLtrb(627, lower_tops[i], 716, lower_tops[i] + 16),
                                           b.Text((g == 1 ? 30 : 34) + i), 14);
    }
  }
  c.direction[0] = b.CheckButton(QRect(), b.Text(59), 14);
  c.direction[1] = b.CheckButton(QRect(), b.Text(60), 14);

  const std::array<QLatin1String, 3> letters = {QLatin1String("R:"), QLatin1String("G:"),
                                                QLatin1String("B:")};
  for (int i = 0; i < 3; ++i) {
    const int y = 440 + 28 * i;
    auto* l = b.Label(RectLtrb(470, y, 501, y + 18), letters[i], kSimpleStyle);
    l->ModifyStyle(0, SS_RIGHT);
    l->SetFontHeight(13);
    c.colour_letters[i] = l;
    auto* e = new CClrEdit(window, RectLtrb(501, y, 531, y + 18), 0x5001);
    e->setMaxLength(3);
    e->SetTextColor(0xFFFFFF);
    e->SetBackColor(0x5E5E5E);
    e->SetNotifyKeyUp(true);
    e->SetTag(kEditRed + i);
    e->setObjectName(QStringLiteral("colourEdit%1").arg(i));
    c.colour_edits[i] = e;
  }

  c.stage_label = b.Label(RectLtrb(246, 185, 548, 202), QStringLiteral("X"), kSimpleStyle);
  for (int s = 0; s < 6; ++s) {
    const int dx = 100 * s;
    StageControls& st = c.stages[s];
    st.x_letter = b.Label(RectLtrb(253 + dx, 447, 265 + dx, 460), QStringLiteral("X"), kSimpleStyle);
    st.y_letter = b.Label(RectLtrb(288 + dx, 447, 300 + dx, 460), QStringLiteral("Y"), kSimpleStyle);
    st.x_value = b.Label(RectLtrb(243 + dx, 462, 276 + dx, 475), QString(), kSimpleStyle);
    st.x_value->SetFontHeight(13);
    st.y_value = b.Label(RectLtrb(279 + dx, 462, 311 + dx, 475), QString(), kSimpleStyle);
    st.y_value->SetFontHeight(13);
  }
  const auto& lf = images.link_faces;
  for (int s = 0; s < 6; ++s) {
    auto* l = b.Button(RectLtrb(266 + 100 * s, 225, 286 + 100 * s, 234), lf[0], lf[1], lf[1], lf[0]);
    l->SetCheckMode(true);
    l->SetFillBackground(true);
    l->SetBackColor(0x666564);
    c.stages[s].link = l;
  }
  for (int s = 0; s < 6; ++s) {
    const int dx = 100 * s;
    StageControls& st = c.stages[s];
    const auto& thumbs = images.stage_thumbs;
    st.x_slider = b.VSlider(RectLtrb(252 + dx, 235, 276 + dx, 450), kSliderStageX + s, thumbs[1],
                            images.stage_x_track, false);
    st.y_slider = b.VSlider(RectLtrb(276 + dx, 235, 300 + dx, 450), kSliderStageY + s, thumbs[2],
                            images.stage_y_track, true);
    st.xy_slider = b.VSlider(RectLtrb(252 + dx, 235, 300 + dx, 450), kSliderStageXY + s, thumbs[0],
                             images.stage_xy_track, false);
  }
  for (int s = 0; s < 6; ++s) {
    auto* e = b.CheckButton(RectLtrb(246 + 100 * s, 205, 308 + 100 * s, 221), b.Text(95 + s), 17);
    e->SetTextOffsetX(0);
    c.stages[s].enable = e;
  }

  const std::array<QRect, 6> mode_rects = {
      RectLtrb(200, 210, 400, 236), RectLtrb(401, 210, 601, 236), RectLtrb(602, 210, 802, 236),
      RectLtrb(200, 180, 400, 206), RectLtrb(401, 180, 601, 206), QRect()};
  const std::array<int, 5> mode_texts = {20, 21, 22, 63, 64};
  const auto& rf = images.mode_faces;
  for (int i = 0; i < 6; ++i) {
    const QString caption = i < 5 ? b.Text(mode_texts[i]) : QStringLiteral("Running");
    auto* m = b.TextButton(mode_rects[i], rf[0], rf[1], rf[2], rf[0], caption);
    m->SetFontWeight(700);
    m->SetTextColors(kWhite, kAccent, kWhite);
    if (i < 5) {
      m->SetCheckMode(true);
      m->SetFontHeight(17);
      m->SetFillBackground(true);
      m->SetBackColor(0);
    }
    m->update();
    c.mode_buttons[i] = m;
  }

  for (const SectionPlace& p : kSectionPlaces) {
    auto* l = b.Label(p.rect, b.Text(p.text));
    for (std::size_t i = 0; i < kSectionLabelTexts.size(); ++i) {
      if (kSectionLabelTexts[i] == p.text) c.section_labels[i] = l;
    }
  }
  NameForReaders(c, skin);
  return c;
}

namespace {
// The text of a slider's title without the value it shows after " : ".
QString TitleOf(const CStaticTrans* title) { return title->text().section(QStringLiteral(" :"), 0, 0); }

// Names for the controls whose face has no text (or not the whole story),
// from the string files; the rest are read by their captions.
void NameForReaders(const MainControls& c, const Skin& skin) {
  const auto text = [&skin](ReaderText t) { return ReaderString(skin, t); };
  c.about->setAccessibleName(skin.UiText("STATE", 13));
  c.minimise->setAccessibleName(text(ReaderText::kMinimise));
  c.close->setAccessibleName(text(ReaderText::kClose));
  for (std::size_t k = 0; k < c.assign_buttons.size(); ++k) {
    c.assign_buttons[k]->setAccessibleName(text(ReaderText::kButton).arg(k + 1));
  }
  for (std::size_t i = 0; i < c.pointer_sliders.size(); ++i) {
    c.pointer_sliders[i]->setAccessibleName(TitleOf(c.slider_titles[i]));
  }
  for (std::size_t k = 0; k < c.stages.size(); ++k) {
    const StageControls& s = c.stages[k];
    const QString stage = text(ReaderText::kStageDpi).arg(k + 1);
    const QString axis = text(ReaderText::kStageAxisDpi);
    s.x_slider->setAccessibleName(axis.arg(k + 1).arg(s.x_letter->text()));
    s.y_slider->setAccessibleName(axis.arg(k + 1).arg(s.y_letter->text()));
    s.xy_slider->setAccessibleName(stage);
    s.enable->setAccessibleName(stage);
    s.link->setAccessibleName(stage + QLatin1Char(' ') + s.x_letter->text() + QLatin1Char('=') +
                              s.y_letter->text());
  }
  constexpr std::array kColours = {ReaderText::kRed, ReaderText::kGreen, ReaderText::kBlue};
  for (std::size_t i = 0; i < c.colour_sliders.size(); ++i) {
    c.colour_sliders[i]->setAccessibleName(text(kColours[i]));
    c.colour_edits[i]->setAccessibleName(text(kColours[i]));
  }
}

// The window as drawn: the profile row with the window buttons, the page
// tabs, then the pages, each read in its columns (a column from its top
// before the next one to its right), then the bottom row. The pages share
// the chain: Qt passes over the controls of the hidden ones.
std::vector<QWidget*> ReadingChain(const MainControls& c, const std::vector<QWidget*>& left_column) {
  std::vector<QWidget*> chain(c.profile_labels.begin(), c.profile_labels.end());
  chain.insert(chain.end(), {c.about, c.minimise, c.close});
  chain.insert(chain.end(), c.page_tabs.begin(), c.page_tabs.end());
  chain.push_back(c.macro_tab);
  chain.insert(chain.end(), left_column.begin(), left_column.end());
  // Buttons: the view switches under the picture, the assignment column,
  // then the pointer sliders and the report rate below them.
  chain.insert(chain.end(), c.view_switches.begin(), c.view_switches.end());
  chain.insert(chain.end(), c.assign_buttons.begin(), c.assign_buttons.end());
  chain.insert(chain.end(), c.pointer_sliders.begin(), c.pointer_sliders.end());
  chain.insert(chain.end(), c.report_rate.begin(), c.report_rate.end());
  // Performance: stage by stage, each down its column.
  for (const StageControls& s : c.stages) {
    chain.insert(chain.end(), {s.enable, s.link, s.x_slider, s.y_slider, s.xy_slider});
  }
  // Lighting: the mode rows (the upper row first), the colour rows, each
  // slider with its box, then the groups on the right.
  chain.insert(chain.end(), {c.mode_buttons[3], c.mode_buttons[4], c.mode_buttons[0],
                             c.mode_buttons[1], c.mode_buttons[2]});
  for (std::size_t i = 0; i < c.colour_sliders.size(); ++i) {
    chain.insert(chain.end(), {c.colour_sliders[i], c.colour_edits[i]});
  }
  for (const auto& group : c.light_groups) chain.insert(chain.end(), group.begin(), group.end());
  const auto bottom = c.BottomRow();
  chain.insert(chain.end(), bottom.begin(), bottom.end());
  return chain;
}
}  // namespace

void LinkKeyboardAccess(QWidget* window, const MainControls& c, const std::vector<QWidget*>& left_column) {
  enum Row { kProfiles = 1, kPages, kViews };
  for (CStaticTrans* l : c.profile_labels) SetArrowGroup(l, kProfiles);
  for (CStaticTrans* l : c.page_tabs) SetArrowGroup(l, kPages);
  SetArrowGroup(c.macro_tab, kPages);
  for (CStaticTrans* l : c.view_switches) SetArrowGroup(l, kViews);
  // Number badges are pictures, not commands: Tab passes them by. So are
  // the controls that have no place on screen: the focus would vanish there.
  for (CBitmapBtn* b : c.list_badges) SetTakesActivationKeys(b, false);
  for (CBitmapBtn* b : c.picture_badges) SetTakesActivationKeys(b, false);
  for (CBitmapBtn* b : {c.direction[0], c.direction[1], c.mode_buttons[5]}) {
    SetTakesActivationKeys(b, false);
  }
  // Anything not named below still comes in reading order.
  SetReadingTabOrder(window);
  SetTabChain(ReadingChain(c, left_column));
}

std::vector<QWidget*> PageWidgets(const MainControls& c, int page) {
  std::vector<QWidget*> w;
  switch (page) {
    case 1:
      w.insert(w.end(), c.view_switches.begin(), c.view_switches.end());
      w.insert(w.end(), c.assign_buttons.begin(), c.assign_buttons.end());
      w.insert(w.end(), c.list_badges.begin(), c.list_badges.end());
      w.insert(w.end(), c.pointer_sliders.begin(), c.pointer_sliders.end());
      w.insert(w.end(), c.range_labels.begin(), c.range_labels.end());
      w.insert(w.end(), c.slider_titles.begin(), c.slider_titles.end());
      w.insert(w.end(), c.report_rate.begin(), c.report_rate.end());
      w.push_back(c.rate_note);
      break;
    case 2:
      w.push_back(c.stage_label);
      for (const StageControls& s : c.stages) {
        w.insert(w.end(), {s.enable, s.link, s.x_slider, s.y_slider, s.xy_slider, s.x_letter,
                           s.y_letter, s.x_value, s.y_value});
      }
      break;
    case 3:
      w.insert(w.end(), c.mode_buttons.begin(), c.mode_buttons.end());
      w.insert(w.end(), c.colour_sliders.begin(), c.colour_sliders.end());
      w.insert(w.end(), c.colour_letters.begin(), c.colour_letters.end());
      w.insert(w.end(), c.colour_edits.begin(), c.colour_edits.end());
      w.push_back(c.lighting_note);
      break;
    default:
      break;
  }
  return w;
}

void SetLabelShown(CStaticTrans* label, bool shown) {
  if (label->isHidden() != shown) return;
  label->setVisible(shown);
  label->RefreshBehind();
}

}  // namespace vantix
