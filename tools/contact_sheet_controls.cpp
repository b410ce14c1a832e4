// The toolkit's controls put through their states on a shown, active
// window and grabbed, one card each: buttons, captions, sliders, edits and
// labels, menus, the message dialog, the window outlines.
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "assign/function_catalogue.h"
#include "ui/bitmap_btn.h"
#include "ui/bmp_menu.h"
#include "ui/clr_edit.h"
#include "ui/png_slider.h"
#include "ui/region_from_bitmap.h"
#include "ui/skin.h"
#include "ui/static_trans.h"
#include "tools/contact_sheet.h"
#include "ui/warning_dlg.h"

namespace vantix::sheet {
namespace {

// An outline applied to its face: what the user sees of the window.
Card OutlinedFace(const Skin& skin, std::string_view outline_file, std::string_view face_file) {
  Card card;
  card.title = QStringLiteral("%1 cut by %2")
                   .arg(QString::fromUtf8(face_file.data(), static_cast<qsizetype>(face_file.size())),
                        QString::fromUtf8(outline_file.data(), static_cast<qsizetype>(outline_file.size())));
  QImage outline;
  const QSize size = LoadPictureFile(skin.BackgroundPath(outline_file), outline);
  const QImage face = LoadSkinImage(skin.BackgroundPath(face_file));
  const std::optional<QRegion> region = RegionFromBitmap(outline);
  if (face.isNull() || !region) {
    card.problem = true;
    card.note = QStringLiteral("face or outline missing");
    return card;
  }
  card.image = QImage(face.size(), QImage::Format_ARGB32_Premultiplied);
  card.image.fill(Qt::transparent);
  QPainter painter(&card.image);
  painter.setClipRegion(*region);
  painter.drawImage(0, 0, face);
  card.note = QStringLiteral("outline %1, %2 rectangles in the region")
                  .arg(SizeText(size))
                  .arg(region->rectCount());
  return card;
}


// A shown, active window where controls are put through their states: a
// button only shows its pointer-over face while the application is active.
class Stage {
 public:
  Stage() {
    window_.resize(1200, 800);
    window_.show();
    Activate();
  }

  QWidget* Window() { return &window_; }

  // Showing and closing other windows may take the activation away.
  void Activate() {
    window_.activateWindow();
    for (int i = 0; i < 200 && !window_.isActiveWindow(); ++i) QApplication::processEvents();
  }

  // A host for one card: the controls are made in it, then it is grabbed.
  QWidget* Host(QSize size) {
    Activate();
    host_ = std::make_unique<QWidget>(&window_);
    host_->setGeometry(QRect(QPoint(0, 0), size));
    host_->setAutoFillBackground(true);
    QPalette p = host_->palette();
    p.setColor(QPalette::Window, QColor(20, 20, 22));
    host_->setPalette(p);
    host_->show();
    return host_.get();
  }

  QImage Grab() {
    QCoreApplication::sendPostedEvents();
    QApplication::processEvents();
    return host_->grab().toImage();
  }

 private:
  QWidget window_;
  std::unique_ptr<QWidget> host_;
};

void SendMouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons) {
  QMouseEvent event(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(w, &event);
}

enum class State { kNormal, kHover, kPressed, kDisabled, kChecked, kCheckedHover, kCheckedDisabled };

QString StateName(State state) {
  switch (state) {
    case State::kNormal: return QStringLiteral("normal");
    case State::kHover: return QStringLiteral("pointer over");
    case State::kPressed: return QStringLiteral("pressed");
    case State::kDisabled: return QStringLiteral("disabled");
    case State::kChecked: return QStringLiteral("checked");
    case State::kCheckedHover: return QStringLiteral("checked, pointer over");
    case State::kCheckedDisabled: return QStringLiteral("checked, disabled");
  }
  return {};
}

void Apply(CBitmapBtn* button, State state) {
  const QPoint inside(button->width() / 2, button->height() / 2);
  if (state == State::kChecked || state == State::kCheckedHover || state == State::kCheckedDisabled) {
    button->SetChecked(true);
  }
  if (state == State::kHover || state == State::kPressed || state == State::kCheckedHover) {
    SendMouse(button, QEvent::MouseMove, inside, Qt::NoButton, Qt::NoButton);
  }
  if (state == State::kPressed) SendMouse(button, QEvent::MouseButtonPress, inside, Qt::LeftButton, Qt::LeftButton);
  if (state == State::kDisabled || state == State::kCheckedDisabled) button->setEnabled(false);
}

struct ButtonKind {
  QString name;
  QSize size;
  std::function<void(CBitmapBtn*)> setup;
  std::vector<State> states;
};


class ControlSheet {
 public:
  explicit ControlSheet(const Skin& skin) : skin_(skin) {}

  Section Buttons();
  Section Captions();
  Section Sliders();
  Section EditsAndLabels();
  Section Menus();
  Section Dialogs();

 private:
  QImage Button(std::string_view file) const { return LoadSkinImage(skin_.ButtonsPath(file)); }
  QImage Control(std::string_view file) const { return LoadSkinImage(skin_.ControlsPath(file)); }
  QImage Background(std::string_view file) const { return LoadSkinImage(skin_.BackgroundPath(file)); }
  QString Text(std::string_view section, int number) const { return skin_.UiText(section, number); }
  void AddButtonCards(Section& section, const ButtonKind& kind);

  const Skin& skin_;
  Stage stage_;
};

void ControlSheet::AddButtonCards(Section& section, const ButtonKind& kind) {
  for (State state : kind.states) {
    QWidget* host = stage_.Host(kind.size + QSize(16, 16));
    auto* button = new CBitmapBtn(host, QRect(QPoint(8, 8), kind.size));
    kind.setup(button);
    Apply(button, state);
    Card card{stage_.Grab(), kind.name, StateName(state), false, 2};
    section.cards.push_back(std::move(card));
  }
}

Section ControlSheet::Buttons() {
  Section section{QStringLiteral("Bitmap buttons (CBitmapBtn)"),
                  QStringLiteral("Each kind of button of the main window and the dialogs, in its "
                                 "states, with the skin's faces and captions."), {}};
  const std::vector<State> push = {State::kNormal, State::kHover, State::kPressed, State::kDisabled};
  const std::vector<State> check = {State::kNormal, State::kHover, State::kChecked, State::kDisabled,
                                    State::kCheckedDisabled};

  auto text_button = [](CBitmapBtn* b, const QString& caption) {
    b->SetCaption(caption, 0, kCaptionCentred);
    b->SetDrawCaption(true);
    b->SetUseTextRect(true);
    b->SetTextRect(QRect(QPoint(0, 0), b->size()));
  };

  AddButtonCards(section, {QStringLiteral("Dialog button (ok-*.png)"), {93, 26},
                           [&](CBitmapBtn* b) {
                             b->SetImages(Button("ok-1.png"), Button("ok-3.png"), Button("ok-2.png"),
                                          Button("ok-1.png"));
                             text_button(b, Text("General", 46));
                             b->SetTextColors(0xFFFFFF, 0xFFFFFF, 0xFFFFFF);
                             b->SetFontWeight(700);
                           },
                           push});
  AddButtonCards(section, {QStringLiteral("Bottom row (apply1.png)"), {110, 22},
                           [&](CBitmapBtn* b) {
                             const QImage face = Button("apply1.png");
                             b->SetImages(face, face, face, face);
                             text_button(b, Text("General", 48));
                             b->SetTextColors(0xFFFFFF, 0xFFFFFF, 0xCCFF00);
                           },
                           push});
  AddButtonCards(section, {QStringLiteral("Assignment button (ButtonAssign-*.png)"), {148, 20},
                           [&](CBitmapBtn* b) {
                             b->SetImages(Button("ButtonAssign-1.png"), Button("ButtonAssign-3.png"),
                                          Button("ButtonAssign-2.png"), Button("ButtonAssign-1.png"));
                             text_button(b, QString::fromStdString(FunctionLabel(1, skin_.Strings())));
                             b->SetFontWeight(700);
                             b->SetTextColors(0xFFFFFF, 0xCCFF00, 0xFFFFFF);
                             b->SetFillBackground(true);
                             b->SetBackColor(0x1E1E1E);
                           },
                           push});
  AddButtonCards(section, {QStringLiteral("Minimise (min-*.png)"), {28, 26},
                           [&](CBitmapBtn* b) {
                             b->SetImages(Button("min-1.png"), Button("min-3.png"), Button("min-2.png"),
                                          Button("min-1.png"));
                           },
                           {State::kNormal, State::kHover, State::kPressed}});
  AddButtonCards(section, {QStringLiteral("Close (close-*.png)"), {28, 26},
                           [&](CBitmapBtn* b) {
                             b->SetImages(Button("close-1.png"), Button("close-3.png"),
                                          Button("close-2.png"), Button("close-1.png"));
                           },
                           {State::kNormal, State::kHover, State::kPressed}});
  AddButtonCards(section, {QStringLiteral("Lighting mode (RedButton-*.png), check mode"), {200, 26},
                           [&](CBitmapBtn* b) {
                             b->SetImages(Button("RedButton-1.png"), Button("RedButton-2.png"),
                                          Button("RedButton-3.png"), Button("RedButton-1.png"));
                             text_button(b, Text("General", 21));
                             b->SetCheckMode(true);
                             b->SetFontHeight(17);
                             b->SetFontWeight(700);
                             b->SetTextColors(0xFFFFFF, 0xCCFF00, 0xFFFFFF);
                             b->SetFillBackground(true);
                             b->SetBackColor(0);
                           },
                           {State::kNormal, State::kHover, State::kPressed, State::kChecked,
                            State::kDisabled}});
  AddButtonCards(section, {QStringLiteral("Check button (checkbox1-*.png)"), {89, 16},
                           [&](CBitmapBtn* b) {
                             const QImage off = Control("checkbox1-1.png");
                             b->SetImages(off, off, Control("checkbox1-2.png"), off);
                             b->SetCaption(Text("General", 27), 9, kCaptionCentred);
                             b->SetCheckMode(true);
                             b->SetSquareImage(true);
                             b->SetDrawCaption(true);
                             b->SetTextColors(0xFFFFFF, 0xFFFFFF, 0xFFFFFF);
                             b->SetFontHeight(14);
                           },
                           check});
  AddButtonCards(section, {QStringLiteral("Stage link box (link-*.png)"), {20, 9},
                           [&](CBitmapBtn* b) {
                             b->SetImages(Control("link-1.png"), Control("link-2.png"),
                                          Control("link-2.png"), Control("link-1.png"));
                             b->SetCheckMode(true);
                             b->SetFillBackground(true);
                             b->SetBackColor(0x666564);
                           },
                           {State::kNormal, State::kChecked}});
  AddButtonCards(section, {QStringLiteral("Badge (circle.png), always disabled"), {19, 19},
                           [&](CBitmapBtn* b) {
                             const QImage face = Control("circle.png");
                             b->SetImages(face, face, face, face);
                             text_button(b, QStringLiteral("12"));
                             b->SetFontWeight(700);
                             b->SetTextColors(0xFFFFFF, 0xCCFF00, 0xFFFFFF);
                           },
                           {State::kDisabled}});
  AddButtonCards(section, {QStringLiteral("Record (iconstart*.png)"), {30, 23},
                           [&](CBitmapBtn* b) {
                             const QImage lit = Button("iconstart2.png");
                             b->SetImages(Button("iconstart1.png"), lit, lit, lit);
                           },
                           {State::kNormal, State::kHover}});
  AddButtonCards(section, {QStringLiteral("Stop (iconstop*.png)"), {30, 23},
                           [&](CBitmapBtn* b) {
                             const QImage lit = Button("iconstop2.png");
                             b->SetImages(Button("iconstop1.png"), lit, lit, Button("iconstop1.png"));
                           },
                           {State::kNormal, State::kHover}});
  return section;
}

Section ControlSheet::Captions() {
  Section section{QStringLiteral("Caption placement"),
                  QStringLiteral("Free placement of a caption over a plain face: centred, left "
                                 "(orientation 4), turned 90 and 270 degrees, with an x offset; a "
                                 "caption too wide for its text rectangle ends in an ellipsis."), {}};
  struct Case {
    QString name;
    QSize size;
    int orientation;
    int offset;
    bool text_rect;
    QString text;
  };
  const std::vector<Case> cases = {
      {QStringLiteral("centred"), {148, 26}, kCaptionCentred, 0, false, Text("General", 42)},
      {QStringLiteral("left (4)"), {148, 26}, kCaptionLeft, 0, false, Text("General", 42)},
      {QStringLiteral("left (4), offset 9"), {148, 26}, kCaptionLeft, 9, false, Text("General", 42)},
      {QStringLiteral("turned 90 (2)"), {26, 110}, kCaptionRotated90, 0, false, Text("General", 49)},
      {QStringLiteral("turned 270 (3)"), {26, 110}, kCaptionRotated270, 0, false, Text("General", 49)},
      {QStringLiteral("text rectangle, too long"), {93, 26}, kCaptionCentred, 0, true,
       Text("General", 45) + QStringLiteral(" ") + Text("General", 44)},
  };
  for (const Case& c : cases) {
    QWidget* host = stage_.Host(c.size + QSize(16, 16));
    auto* b = new CBitmapBtn(host, QRect(QPoint(8, 8), c.size));
    const QImage face = Button("ButtonAssign-1.png");
    b->SetImages(face, face, face, face);
    b->SetCaption(c.text, c.offset, c.orientation);
    b->SetDrawCaption(true);
    b->SetUseTextRect(c.text_rect);
    b->SetTextRect(QRect(QPoint(0, 0), c.size));
    b->SetFontWeight(700);
    section.cards.push_back({stage_.Grab(), QStringLiteral("Caption ") + c.name, SizeText(c.size), false, 2});
  }
  return section;
}

Section ControlSheet::Sliders() {
  Section section{QStringLiteral("Sliders"),
                  QStringLiteral("Pointer slider (range 1..20) and colour slider (1..256) at "
                                 "several values; the stage sliders (1..135, top is 1) as the "
                                 "main window pairs them: X with Y, or the linked XY."), {}};
  struct Horizontal {
    QString name;
    std::string_view track;
    int width;
    int min, max, value;
    bool enabled;
  };
  const std::vector<Horizontal> horizontal = {
      {QStringLiteral("Pointer slider, 1"), "trackbar-back-b.png", 244, 1, 20, 1, true},
      {QStringLiteral("Pointer slider, 10"), "trackbar-back-b.png", 244, 1, 20, 10, true},
      {QStringLiteral("Pointer slider, 20"), "trackbar-back-b.png", 244, 1, 20, 20, true},
      {QStringLiteral("Pointer slider, disabled"), "trackbar-back-b.png", 244, 1, 20, 10, false},
      {QStringLiteral("Double-click slider, 4"), "dbclick-back.png", 244, 1, 10, 4, true},
      {QStringLiteral("Colour slider, 129"), "trackbar-back-b.png", 255, 1, 256, 129, true},
  };
  const QString thumb = skin_.ControlsPath("y.png");
  for (const Horizontal& h : horizontal) {
    QWidget* host = stage_.Host(QSize(h.width + 16, 18 + 16));
    auto* track = new CPngHSliderBar(thumb, thumb, QRect(8, 8, h.width, 18), host, 10004);
    track->SetBackground(Background(h.track));
    track->SetRange(h.min, h.max);
    track->Thumb()->SetPos(h.value);
    track->setEnabled(h.enabled);
    section.cards.push_back({stage_.Grab(), h.name, QString(), false, 2});
  }

  struct StagePair {
    QString name;
    int x, y;  // stored stage values; position = 136 - value
    bool linked;
    bool enabled;
  };
  const std::vector<StagePair> stages = {
      {QStringLiteral("Stage X/Y at 1 and 135"), 135, 1, false, true},
      {QStringLiteral("Stage X/Y at 68 and 100"), 68, 36, false, true},
      {QStringLiteral("Stage linked XY at 40"), 96, 96, true, true},
      {QStringLiteral("Stage X disabled"), 100, 60, false, false},
  };
  for (const StagePair& s : stages) {
    QWidget* host = stage_.Host(QSize(48 + 16, 215 + 16));
    const QRect x_rect(8, 8, 24, 215);
    const QRect y_rect(32, 8, 24, 215);
    if (s.linked) {
      auto* xy = new CPngSliderBar(false, skin_.ControlsPath("x1.png"), skin_.ControlsPath("x1.png"),
                                   QRect(8, 8, 48, 215), host, 10020);
      xy->SetBackground(Control("dpi-indicator-xy.png"));
      xy->SetRange(1, 135);
      xy->Thumb()->SetPos(136 - s.x);
    } else {
      auto* x = new CPngSliderBar(false, skin_.ControlsPath("x2.png"), skin_.ControlsPath("x2.png"),
                                  x_rect, host, 10008);
      x->SetBackground(Control("dpi-indicator-x.png"));
      x->SetRange(1, 135);
      x->Thumb()->SetPos(136 - s.x);
      x->setEnabled(s.enabled);
      auto* y = new CPngSliderBar(true, skin_.ControlsPath("x3.png"), skin_.ControlsPath("x3.png"),
                                  y_rect, host, 10014, true);
      y->SetBackground(Control("dpi-indicator-y.png"));
      y->SetRange(1, 135);
      y->Thumb()->SetPos(136 - s.y);
    }
    section.cards.push_back({stage_.Grab(), s.name, QString(), false, 1});
  }
  return section;
}

Section ControlSheet::EditsAndLabels() {
  Section section{QStringLiteral("Edit fields and labels (CClrEdit, CStaticTrans)"), QString(), {}};
  {
    QWidget* host = stage_.Host(QSize(30 + 16 + 34, 18 + 16));
    auto* letter = new CStaticTrans(host, QStringLiteral("R:"), kLabelStyle | SS_SIMPLE,
                                    QRect(8, 8, 31, 18));
    letter->SetFontHeight(13);
    auto* edit = new CClrEdit(host, QRect(42, 8, 30, 18), 0x5001);
    edit->SetBackColor(0x5E5E5E);
    edit->SetTextColor(0xFFFFFF);
    edit->setMaxLength(3);
    edit->setText(QStringLiteral("255"));
    section.cards.push_back({stage_.Grab(), QStringLiteral("Colour edit with its letter"),
                             QStringLiteral("text 0xFFFFFF on 0x5E5E5E"), false, 3});
  }
  struct LabelCase {
    QString name;
    QString text;
    std::uint32_t style;
    int height;
    std::uint32_t color;
    std::optional<std::uint32_t> back;
    QSize size;
  };
  const std::vector<LabelCase> labels = {
      {QStringLiteral("Page tab (SS_NOTIFY, centred, 17)"), Text("General", 49),
       kLabelStyle | SS_NOTIFY | SS_CENTER, 17, 0xFFFFFF, std::nullopt, {155, 30}},
      {QStringLiteral("Page tab, chosen (accent)"), Text("General", 50), kLabelStyle | SS_NOTIFY | SS_CENTER,
       17, 0xCCFF00, std::nullopt, {155, 30}},
      {QStringLiteral("Profile label (20)"), Text("General", 53), kLabelStyle | SS_NOTIFY | SS_SIMPLE, 20,
       0xFFFFFF, std::nullopt, {95, 38}},
      {QStringLiteral("Connected status"), Text("General", 62), kLabelStyle | SS_CENTER, 15, 0x00FF00,
       std::nullopt, {113, 25}},
      {QStringLiteral("Disconnected status"), Text("General", 61), kLabelStyle | SS_CENTER, 15, 0x0000FF,
       std::nullopt, {113, 25}},
      {QStringLiteral("Slider title (simple)"), Text("General", 2) + QStringLiteral(" : 10"),
       kLabelStyle | SS_SIMPLE, 15, 0xFFFFFF, std::nullopt, {244, 16}},
      {QStringLiteral("Solid label: window font"), QStringLiteral("12000"), kLabelStyle, 15, 0xFFFFFF,
       0x444444u, {60, 18}},
  };
  for (const LabelCase& l : labels) {
    QWidget* host = stage_.Host(l.size + QSize(16, 16));
    auto* label = new CStaticTrans(host, l.text, l.style, QRect(QPoint(8, 8), l.size));
    label->SetFontHeight(l.height);
    label->SetTextColor(l.color);
    label->SetBackColor(l.back);
    section.cards.push_back({stage_.Grab(), l.name, QString(), false, 2});
  }
  return section;
}

// The menu and its open sub-menu, where they stand relative to each other.
QImage Composite(const QWidget* menu, const QWidget* sub) {
  QRect area = menu->geometry();
  if (sub != nullptr) area |= sub->geometry();
  QImage image(area.size(), QImage::Format_RGB32);
  image.fill(QColor(20, 20, 22));  // the window under the menu
  QPainter painter(&image);
  painter.drawImage(menu->geometry().topLeft() - area.topLeft(),
                    const_cast<QWidget*>(menu)->grab().toImage());
  if (sub != nullptr) {
    painter.drawImage(sub->geometry().topLeft() - area.topLeft(), const_cast<QWidget*>(sub)->grab().toImage());
  }
  return image;
}

Section ControlSheet::Menus() {
  Section section{QStringLiteral("Popup menus (CBmpMenu, CSubBmpMenu)"),
                  QStringLiteral("The function menu of a mouse button with the pointer on a group "
                                 "row: its sub-menu opens beside the row (the Advanced group opens "
                                 "120 pixels higher). The pointer is also on the second sub-item."), {}};
  const SkinStrings& strings = skin_.Strings();
  auto label = [&](int code) { return QString::fromStdString(FunctionLabel(code, strings)); };
  struct Group {
    int item;
    int first, last;
  };
  const std::vector<Group> groups = {{7, 17, 24}, {8, 25, 38}, {9, 39, 46}, {12, 47, 49}, {14, 50, 51}};
  for (int open : {7, 8}) {
    stage_.Activate();
    CBmpMenu menu(stage_.Window());
    const QString n = skin_.BackgroundPath("menuitem-n.png");
    const QString d = skin_.BackgroundPath("menuitem-d.png");
    const QString d2 = skin_.BackgroundPath("menuitem-d2.png");
    const QString n2 = skin_.BackgroundPath("menuitem-n2.png");
    menu.SetItemImages(n, d, d2, n2);
    menu.SetSubImages(n, d, d2, n2);
    menu.SetPosition(QPoint(100, 200));
    for (int code = 1; code <= 16; ++code) menu.AddItem(label(code), code);
    for (const Group& g : groups) {
      for (int code = g.first; code <= g.last; ++code) menu.AddSubItem(g.item, label(code), code);
    }
    menu.AddSubItem(10, QString::fromStdString(strings.GeneralText("MACRO", 1)), 11);
    menu.Create();
    CBitmapBtn* row = menu.Row(open);
    const QPoint inside(row->width() / 2, row->height() / 2);
    menu.SetCursorSource([&] { return row->mapToGlobal(inside); });
    SendMouse(row, QEvent::MouseMove, inside, Qt::NoButton, Qt::NoButton);
    QCoreApplication::sendPostedEvents();
    QApplication::processEvents();
    CSubBmpMenu* sub = menu.OpenSubMenu();
    if (sub != nullptr && sub->Row(1) != nullptr) {
      CBitmapBtn* sub_row = sub->Row(1);
      SendMouse(sub_row, QEvent::MouseMove, QPoint(sub_row->width() / 2, sub_row->height() / 2),
                Qt::NoButton, Qt::NoButton);
      QCoreApplication::sendPostedEvents();
      QApplication::processEvents();
    }
    section.cards.push_back({Composite(&menu, menu.OpenSubMenu()),
                             QStringLiteral("Function menu, %1 open").arg(label(open + 1)),
                             QStringLiteral("menu %1").arg(SizeText(menu.size())), sub == nullptr, 1});
  }
  return section;
}

Section ControlSheet::Dialogs() {
  Section section{QStringLiteral("Message dialog (CWarningDlg) and window outlines"), QString(), {}};
  struct Case {
    QString name;
    int title, message, detail;
  };
  for (const Case& c : {Case{QStringLiteral("Reset all profiles"), 1, 7, 8},
                        Case{QStringLiteral("Primary-button refusal (empty third line)"), 1, 2, 0}}) {
    stage_.Activate();
    CWarningDlg dialog(nullptr, skin_, Text("WARNING", c.title), Text("WARNING", c.message),
                       c.detail == 0 ? QString() : Text("WARNING", c.detail));
    SendMouse(dialog.CancelButton(), QEvent::MouseMove, QPoint(5, 5), Qt::NoButton, Qt::NoButton);
    QCoreApplication::sendPostedEvents();
    section.cards.push_back({dialog.grab().toImage(), QStringLiteral("Message dialog: ") + c.name,
                             QStringLiteral("478 x 292, pointer over Cancel"), false, 1});
  }
  section.cards.push_back(OutlinedFace(skin_, "cfgMainback.bmp", "cfgMainback.png"));
  section.cards.push_back(OutlinedFace(skin_, "cfgMainback2.bmp", "dlg.png"));
  return section;
}

}  // namespace

std::vector<Section> ControlSections(const Skin& skin) {
  ControlSheet controls(skin);
  std::vector<Section> sections;
  sections.push_back(controls.Buttons());
  sections.push_back(controls.Captions());
  sections.push_back(controls.Sliders());
  sections.push_back(controls.EditsAndLabels());
  sections.push_back(controls.Menus());
  sections.push_back(controls.Dialogs());
  return sections;
}

}  // namespace vantix::sheet
