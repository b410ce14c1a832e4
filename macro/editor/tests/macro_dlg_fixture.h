// The macro editor's test fixture: real macro files in a scratch data
// folder, key reports fed as WM_HOOK_KEY with a clock the test turns, an
// agent that records what it is told, and a hook that records its calls.
#pragma once

#include <sys/stat.h>

#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "assign/dialogs/single_key_dlg.h"
#include "devicelink/agent_messages.h"
#include "hook/hook_protocol.h"
#include "hook/repeat_filter.h"
#include "macro/editor/list_box_ex.h"
#include "macro/editor/macro_dlg.h"
#include "macro/event_rows.h"
#include "settings/text_codec.h"
#include "tests/recorders.h"
#include "tests/test_support.h"
#include "ui/bitmap_btn.h"
#include "ui/bmp_menu.h"
#include "ui/clr_edit.h"
#include "ui/skin.h"
#include "ui/static_trans.h"
#include "ui/tests/reader_walk.h"
#include "ui/warning_dlg.h"

namespace vantix {
namespace {

using test::Exists;
using test::ScratchDir;

constexpr KeyCode kA = 30;      // usage 0x04
constexpr KeyCode kB = 48;      // usage 0x05
constexpr KeyCode kShift = 42;  // usage 0xE1
constexpr std::int64_t kPress = 0;
constexpr std::int64_t kRelease = 0x80;

inline MacroEvent Press(std::uint8_t usage) { return MacroEvent::Key(usage, true); }
inline MacroEvent Release(std::uint8_t usage) { return MacroEvent::Key(usage, false); }

using test::HookRecorder;
using test::RecordingAgent;
using test::Sent;

class MacroDlgTest : public ::testing::Test {
 protected:
  MacroDlgTest() : data(scratch / "data/"), files(data, SystemFileIo()) {
    ::mkdir(data.c_str(), 0700);
    ::mkdir((data + "MacroDB").c_str(), 0700);
    // The last key report is kept for the whole run: start every test from
    // one that no test sends.
    SharedRepeatFilter<MacroRecorder>().Remember(0xFF, 0x81);
    // A warning nobody expected must fail the test, not hang it.
    watchdog.setInterval(50);
    QObject::connect(&watchdog, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal != nullptr && modal != dlg.get()) {
        ++unexpected_modals;
        static_cast<QDialog*>(modal)->reject();
      }
    });
    watchdog.start();
  }
  ~MacroDlgTest() override {
    dlg.reset();
    EXPECT_EQ(unexpected_modals, 0);
  }

  // Writes a macro file and its index entry.
  void MakeMacro(const std::string& name, const std::vector<MacroEvent>& events,
                 std::int32_t delay_type = kDelayNone, std::int32_t loop_type = kLoopNone,
                 std::int32_t loop_time = 1) {
    MacroData macro;
    ASSERT_TRUE(files.CreateMacro(name, macro).ok()) << name;
    for (const MacroEvent& e : events) InsertEvent(macro, macro.count, e);
    macro.DelayType = delay_type;
    macro.LoopType = loop_type;
    macro.LoopTime = loop_time;
    ASSERT_TRUE(files.SaveMacro(macro).ok());
  }
  MacroData Stored(const std::string& name) const {
    MacroData macro;
    files.LoadMacro(name, macro);
    return macro;
  }
  static std::vector<MacroEvent> Events(const MacroData& macro) {
    return {macro.events.begin(), macro.events.begin() + macro.count};
  }

  // With another hook than the recording one, when given.
  CMacroDlg& Open(KeyHook* other_hook = nullptr) {
    const MacroEditorContext context{skin, data, agent, settings, *io,
                                     other_hook != nullptr ? other_hook : &hook,
                                     [this] { return now; }};
    dlg = std::make_unique<CMacroDlg>(nullptr, context);
    dlg->show();
    hook.Take();
    return *dlg;
  }
  const MacroControls& C() const { return dlg->Controls(); }
  void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center()); }
  void ClickRow(CListBoxEx* list, int row, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(list->viewport(), button, {}, list->ItemRect(row).center());
    Deliver();
  }
  void Deliver() { QCoreApplication::sendPostedEvents(dlg.get()); }
  void Key(KeyCode code, std::int64_t flags) {
    PostWindowMessage(dlg.get(), WM_HOOK_KEY, code, flags);
    Deliver();
  }
  // Row texts and item data of the event list.
  std::vector<EventRow> Rows() const {
    std::vector<EventRow> rows;
    for (int i = 0; i < C().events->GetCount(); ++i) {
      rows.push_back({C().events->GetText(i).toStdString(),
                      static_cast<int>(C().events->GetItemData(i))});
    }
    return rows;
  }
  std::vector<EventRow> RowsOf(const std::vector<MacroEvent>& events) const {
    std::vector<EventRow> rows;
    for (const MacroEvent& e : events) rows.push_back(*MakeEventRow(e, skin.Strings()));
    return rows;
  }
  std::vector<std::string> NameRows() const {
    std::vector<std::string> names;
    for (int i = 0; i < C().names->GetCount(); ++i) names.push_back(C().names->GetText(i).toStdString());
    return names;
  }
  static Sent Changed(int slot) { return {WM_AGENT_MACRO_CHANGED, slot, 0}; }
  void AssignMacro(int profile, int button, const std::string& name) {
    ButtonRecord& b = settings.Profiles[static_cast<std::size_t>(profile)]
                          .Buttons[static_cast<std::size_t>(button)];
    b.ButtonFunc = 11;
    const std::u16string units = Utf8ToUtf16(name);
    std::copy(units.begin(), units.end(), b.MacroName.begin());
  }

  ScratchDir scratch;
  std::string data;
  MacroFiles files;
  Skin skin{VANTIX_PROGRAM_DIR "/"};
  RecordingAgent agent;
  HookRecorder hook;
  SettingsBlock settings;
  std::uint32_t now = 50000;
  FileIo* io = &SystemFileIo();  // the editor's file layer
  QTimer watchdog;
  int unexpected_modals = 0;
  std::unique_ptr<CMacroDlg> dlg;
};

}  // namespace
}  // namespace vantix
