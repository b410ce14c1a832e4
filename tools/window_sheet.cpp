// One picture of every window, menu and dialog of the program as the user
// sees it, in the language and at the scale of the environment, for review.
//
//   VANTIX_LANGUAGE=de QT_SCALE_FACTOR=2 vantix_window_sheet PROGRAM_FOLDER OUTPUT.png [MAIN.png]
//
// MAIN.png, when given, gets the main window's first page alone. Runs on
// Qt's offscreen platform with a scratch data folder, no agent and no
// keyboard hook. scripts/window_sheets.sh makes the sheets of every language.
#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QPixmap>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/vantix_dlg.h"
#include "assign/dialogs/fire_key.h"
#include "assign/dialogs/single_key.h"
#include "assign/dialogs/single_key_dlg.h"
#include "devicelink/device_link.h"
#include "devicelink/message_bus.h"
#include "hook/hook_link.h"
#include "macro/editor/macro_dlg.h"
#include "macro/macro_files.h"
#include "settings/ui_language.h"
#include "ui/bitmap_btn.h"
#include "ui/bmp_menu.h"
#include "ui/skin.h"
#include "ui/warning_dlg.h"
#include "ui/window_message.h"

namespace vantix {
namespace {

class NoLauncher final : public ProcessLauncher {
 public:
  bool StartDetached(const std::string&) override { return true; }
};

class NoHook final : public KeyHook {
 public:
  void InstallHook(std::uint32_t) override {}
  void EnableHook(bool) override {}
  void RemoveHook() override {}
};

class NoAgent final : public AgentChannel {
 public:
  bool FindAgent() override { return false; }
  SendOutcome SendToAgent(std::uint32_t, std::int64_t, std::int64_t) override { return {}; }
};

struct Shot {
  QString title;
  QPixmap picture;
};

// The window as the screen shows it: cut to its outline, which the
// offscreen platform does not apply itself.
QPixmap Grab(QWidget* w) {
  QApplication::processEvents();
  const QPixmap shot = w->grab();
  if (w->mask().isEmpty()) return shot;
  QPixmap cut(shot.size());
  cut.setDevicePixelRatio(shot.devicePixelRatio());
  cut.fill(Qt::transparent);
  QPainter p(&cut);
  p.setClipRegion(w->mask());
  p.drawPixmap(0, 0, shot);
  return cut;
}

// A macro with keys, a click and delays, so the editor shows every kind of row.
void MakeSampleMacro(const std::string& data_folder) {
  QDir().mkpath(QString::fromStdString(data_folder + "MacroDB"));
  MacroFiles files(data_folder, SystemFileIo());
  MacroData macro;
  if (!files.CreateMacro("Reload", macro).ok()) return;
  const MacroEvent events[] = {
      MacroEvent::Key(0xE1, true),  MacroEvent::Delay(5),  MacroEvent::Key(0x15, true),
      MacroEvent::Delay(12),        MacroEvent::Key(0x15, false), MacroEvent::Key(0xE1, false),
      MacroEvent::MouseButton(kMacroLeftButton, true), MacroEvent::Delay(150),
      MacroEvent::MouseButton(kMacroLeftButton, false)};
  for (std::size_t i = 0; i < std::size(events); ++i) macro.events[i] = events[i];
  macro.count = static_cast<std::int32_t>(std::size(events));
  std::ignore = files.SaveMacro(macro);
  std::ignore = files.CreateMacro("Build order", macro);
}

std::vector<Shot> TakeShots(const std::string& program_folder, const std::string& data_folder,
                            const std::string& endpoints) {
  SettingsBlock live;
  const MessageBus bus(endpoints);
  NoLauncher launcher;
  NoHook hook;
  const DlgContext context{Folders{program_folder, data_folder}, live, bus, launcher,
                           WindowFileIo(), std::chrono::milliseconds(100), &hook};
  CVantixDlg dlg(context);
  dlg.show();
  const Skin& skin = dlg.SkinFiles();
  const auto text = [&](std::string_view section, int n) { return skin.UiText(section, n); };

  std::vector<Shot> shots;
  const QString pages[] = {text("General", 49), text("General", 50), text("General", 51)};
  for (int page = 1; page <= 3; ++page) {
    dlg.SwitchPage(page);
    shots.push_back({QStringLiteral("Main window: ") + pages[page - 1], Grab(&dlg)});
  }
  dlg.SwitchPage(1);

  dlg.OpenAssignmentMenu(3);
  if (CBmpMenu* menu = dlg.AssignmentMenu()) {
    shots.push_back({QStringLiteral("Assignment menu"), Grab(menu)});
    const QList<CBitmapBtn*> rows = menu->findChildren<CBitmapBtn*>(Qt::FindDirectChildrenOnly);
    for (const int item : {7, 10}) {
      if (item >= rows.size()) continue;
      SendWindowMessage(menu, WM_BUTTON_HOVER, HandleOf(rows[item]), 0);
      if (CSubBmpMenu* sub = menu->OpenSubMenu()) {
        shots.push_back({QStringLiteral("Sub-menu: ") + menu->Item(item).text, Grab(sub)});
      }
    }
  }

  const KeyEventBlock block = CombinationEvents({0xE1, 0xE0, 0xE2, 0x4E});  // with page down
  for (const int mode : {CSingleKey::kSingleMode, CSingleKey::kCombinationMode}) {
    const int title = mode == CSingleKey::kSingleMode ? 1 : 3;
    CSingleKey dialog(&dlg, skin, hook, text("SINGLEKEY", title), text("SINGLEKEY", title + 1), mode);
    dialog.SetKey(0x4E);
    dialog.SetKeyCount(mode == CSingleKey::kSingleMode ? 1 : 4);
    dialog.SetEventBlock(block);
    CSingleKey::SetNextRun([&](CSingleKey& d) { shots.push_back({text("SINGLEKEY", title), Grab(&d)}); });
    dialog.DoModal();
  }
  CFireKey fire(&dlg, skin, hook, text("SINGLEKEY", 7), text("SINGLEKEY", 7));
  FireKeyValues values;
  values.fire_mode = CFireKey::kKeyboardMode;
  values.key = 0x4E;
  values.first = 3;
  values.second = 120;
  fire.SetValues(values);
  CFireKey::SetNextRun([&](CFireKey& d) { shots.push_back({text("SINGLEKEY", 7), Grab(&d)}); });
  fire.DoModal();

  CSingleKeyDlg entry(&dlg, skin, text("SINGLEKEY", 5), text("SINGLEKEY", 6));
  entry.show();
  shots.push_back({text("SINGLEKEY", 5), Grab(&entry)});
  entry.hide();

  CWarningDlg warning(&dlg, skin, text("WARNING", 1), text("WARNING", 7), text("WARNING", 8));
  warning.show();
  shots.push_back({text("WARNING", 1) + QStringLiteral(": ") + text("General", 45), Grab(&warning)});
  warning.hide();

  NoAgent agent;
  const MacroEditorContext editor_context{skin, data_folder, agent, live, SystemFileIo(), &hook, {}};
  CMacroDlg editor(&dlg, editor_context);
  editor.show();
  shots.push_back({text("MACRO", 1), Grab(&editor)});
  editor.hide();
  return shots;
}

// The pictures in rows, each under its title, on the sheet's dark ground.
QImage Compose(const std::vector<Shot>& shots, const QString& heading) {
  constexpr int kMargin = 24, kGap = 20, kTitle = 22, kWidth = 2200;
  const qreal dpr = shots.empty() ? 1.0 : shots.front().picture.devicePixelRatio();
  // Lay out in device-independent pixels, then draw at the pictures' scale.
  int x = kMargin, y = kMargin + 34, row_height = 0;
  std::vector<QPoint> places;
  for (const Shot& s : shots) {
    const QSize size = (QSizeF(s.picture.size()) / s.picture.devicePixelRatio()).toSize();
    if (x > kMargin && x + size.width() > kWidth - kMargin) {
      x = kMargin;
      y += row_height + kGap;
      row_height = 0;
    }
    places.emplace_back(x, y);
    x += size.width() + kGap;
    row_height = std::max(row_height, size.height() + kTitle);
  }
  const QSize sheet(kWidth, y + row_height + kMargin);
  QImage image((QSizeF(sheet) * dpr).toSize(), QImage::Format_RGB32);
  image.setDevicePixelRatio(dpr);
  image.fill(QColor(38, 39, 43));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QColor(235, 235, 235));
  p.setFont(SkinFont(-20, 700));
  p.drawText(QPoint(kMargin, kMargin + 18), heading);
  p.setFont(SkinFont(-13, 400));
  for (std::size_t i = 0; i < shots.size(); ++i) {
    p.setPen(QColor(165, 168, 176));
    p.drawText(QPoint(places[i].x(), places[i].y() + 14), shots[i].title);
    p.drawPixmap(places[i] + QPoint(0, kTitle), shots[i].picture);
  }
  return image;
}

}  // namespace
}  // namespace vantix

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: vantix_window_sheet PROGRAM_FOLDER OUTPUT.png [MAIN.png]\n");
    return 2;
  }
  QApplication app(argc, argv);
  vantix::ApplySkinToolTipLook();
  QTemporaryDir scratch;
  if (!scratch.isValid()) return 1;
  const std::string root = scratch.path().toStdString();
  const std::string data = root + "/data/";
  const std::string endpoints = root + "/run";
  QDir().mkpath(QString::fromStdString(data));
  QDir().mkpath(QString::fromStdString(endpoints));
  QFile::setPermissions(QString::fromStdString(endpoints), QFileDevice::ReadOwner |
                                                               QFileDevice::WriteOwner |
                                                               QFileDevice::ExeOwner);
  vantix::MakeSampleMacro(data);
  std::string program = argv[1];
  if (!program.ends_with('/')) program += '/';
  const std::vector<vantix::Shot> shots = vantix::TakeShots(program, data, endpoints);
  const QString heading =
      QStringLiteral("Vantix windows, menus and dialogs: %1, scale %2")
          .arg(QString::fromLatin1(vantix::LanguageTag(vantix::ChooseUiLanguage())))
          .arg(shots.empty() ? 1.0 : shots.front().picture.devicePixelRatio());
  if (!vantix::Compose(shots, heading).save(QString::fromLocal8Bit(argv[2]))) {
    std::fprintf(stderr, "vantix_window_sheet: cannot write %s\n", argv[2]);
    return 1;
  }
  if (argc == 4 && (shots.empty() || !shots.front().picture.save(QString::fromLocal8Bit(argv[3])))) {
    std::fprintf(stderr, "vantix_window_sheet: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
