// The macro editor on Qt's offscreen platform: opening, recording, the
// option boxes, new and delete macro, and what closing keeps.
#include "macro/editor/tests/macro_dlg_fixture.h"
#include "ui/platform_key_hook.h"

#include <QKeyEvent>

#include <algorithm>
#include <cmath>

namespace vantix {
namespace {

TEST_F(MacroDlgTest, OpensOnTheFirstMacroWithItsEventsAndOptions) {
  MakeMacro("first", {Press(4), MacroEvent::Delay(150), Release(4)}, kDelayMeasured, kLoopTimes, 7);
  MakeMacro("second", {Press(5)});
  MakeMacro("third", {});
  Open();
  EXPECT_EQ(NameRows(), (std::vector<std::string>{"first", "second", "third"}));
  EXPECT_EQ(C().names->GetCurSel(), 0);
  EXPECT_EQ(Rows(), RowsOf({Press(4), MacroEvent::Delay(150), Release(4)}));
  EXPECT_EQ(C().events->GetCurSel(), 0);
  EXPECT_TRUE(C().loop_times->Checked());
  EXPECT_FALSE(C().loop_held->Checked());
  EXPECT_EQ(C().loop_box->text(), QStringLiteral("7"));
  EXPECT_TRUE(C().delay_measured->Checked());
  // The delay type stays as loaded, so the first recording measures delays.
  EXPECT_EQ(dlg->Macro().DelayType, kDelayMeasured);
  EXPECT_EQ(C().total_delay->text(), QStringLiteral("1500"));
  EXPECT_EQ(C().event_count->text(), QStringLiteral("3"));
  for (CBitmapBtn* b : C().editing) EXPECT_TRUE(b->isEnabled());
  EXPECT_FALSE(C().stop->isEnabled());
  EXPECT_EQ(dlg->size(), QSize(757, 582));
  EXPECT_EQ(C().names->geometry(), QRect(38, 120, 173, 346));
  EXPECT_EQ(C().events->geometry(), QRect(275, 143, 273, 267));
  EXPECT_EQ(C().editing[7]->geometry(), QRect(592, 317 + 22 * 7, 126, 19));
  EXPECT_TRUE(agent.sent.empty()) << "opening changes nothing";
}

// WCAG's relative luminance and contrast ratio of two colours.
double Luminance(const QColor& c) {
  const auto channel = [](double v) {
    v /= 255.0;
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}
double Contrast(const QColor& a, const QColor& b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST_F(MacroDlgTest, RowsReadOnTheirGroundAndOnTheHighlight) {
  MakeMacro("first", {Press(4), MacroEvent::Delay(150), Release(4)});
  Open();
  for (CListBoxEx* list : {C().names, C().events}) {
    // The name list's ground is its pattern's grey, the event list's a colour.
    const QColor ground = list == C().names ? QColor(85, 84, 84) : QColor(0x50, 0x50, 0x50);
    EXPECT_GE(Contrast(FromColorRef(list->text_colour), ground), 4.5);
    EXPECT_GE(Contrast(FromColorRef(list->selected_text_colour), FromColorRef(list->highlight_colour)),
              4.5);
  }
  // Drawn so: the unselected delay row has light text on its grey.
  const QImage events = C().events->grab().toImage();
  bool light = false;
  for (int y = 23; y < 46; ++y) {
    for (int x = 0; x < events.width(); ++x) light |= events.pixelColor(x, y).lightness() > 200;
  }
  EXPECT_TRUE(light);
}

TEST_F(MacroDlgTest, WithoutMacrosTheEditingControlsAreOff) {
  Open();
  EXPECT_EQ(C().names->GetCount(), 0);
  EXPECT_EQ(C().events->GetCount(), 0);
  for (CBitmapBtn* b : C().editing) EXPECT_FALSE(b->isEnabled());
  for (QWidget* w : std::initializer_list<QWidget*>{C().delay_measured, C().delay_fixed, C().loop_times,
                                                    C().loop_held, C().delay_box, C().loop_box}) {
    EXPECT_FALSE(w->isEnabled());
  }
  // Record still answers, with the warning to create a macro first.
  CWarningDlg::SetNextAnswer(IDOK);
  Click(C().record);
  EXPECT_EQ(dlg->LastWarning(), std::optional<int>(14));
  EXPECT_FALSE(dlg->Recording());
  EXPECT_TRUE(hook.calls.empty());
}

// A recording that could only stay empty is refused with the reason.
TEST_F(MacroDlgTest, WhereNoKeysCanBeCapturedRecordingSaysSoAndDoesNotStart) {
  MakeMacro("m", {Press(9)});
  Open();
  hook.can_capture = false;
  CWarningDlg::SetNextAnswer(IDOK);
  Click(C().record);
  EXPECT_EQ(dlg->LastWarning(), std::optional<int>(21));
  EXPECT_FALSE(skin.UiText("WARNING", 21).isEmpty());
  EXPECT_FALSE(dlg->Recording());
  EXPECT_TRUE(hook.calls.empty());
  EXPECT_EQ(Rows(), RowsOf({Press(9)})) << "the macro is untouched";
}

// Off X11 (here Qt's offscreen platform) the keys typed while the editor
// records come from its own key events: the same rows as the hook's reports.
TEST_F(MacroDlgTest, OffX11TheEditorRecordsItsOwnKeyEvents) {
  MakeMacro("m", {Press(9)});
  PlatformKeyHook window_keys("");
  ASSERT_TRUE(window_keys.UsesWindowKeys());
  Open(&window_keys);
  dlg->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
  Click(C().record);
  ASSERT_TRUE(dlg->Recording());
  const auto type = [&](QEvent::Type type, Qt::Key key, quint32 evdev, bool repeat) {
    QWidget* to = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : dlg.get();
    QKeyEvent event(type, key, Qt::NoModifier, evdev + 8, 0, 0, QString(), repeat);
    QApplication::sendEvent(to, &event);
    QCoreApplication::sendPostedEvents(dlg.get());
  };
  type(QEvent::KeyPress, Qt::Key_A, 30, false);
  type(QEvent::KeyRelease, Qt::Key_A, 30, true);  // auto-repeat
  type(QEvent::KeyPress, Qt::Key_A, 30, true);
  type(QEvent::KeyRelease, Qt::Key_A, 30, false);
  type(QEvent::KeyPress, Qt::Key_Tab, 15, false);
  type(QEvent::KeyRelease, Qt::Key_Tab, 15, false);
  Click(C().stop);
  EXPECT_FALSE(dlg->Recording());
  EXPECT_EQ(Events(Stored("m")), (std::vector<MacroEvent>{Press(4), Release(4), Press(0x2B),
                                                          Release(0x2B)}));
  dlg.reset();  // before its hook
}

TEST_F(MacroDlgTest, RecordingMeasuresDelaysAndSavesAtStop) {
  MakeMacro("m", {Press(9)}, kDelayMeasured);
  Open();
  Click(C().record);
  EXPECT_EQ(hook.Take(), (std::vector<std::string>{"install", "enable 1"}));
  EXPECT_NE(hook.installed_window, 0u) << "the hook is told the editor's window";
  EXPECT_TRUE(dlg->Recording());
  EXPECT_EQ(C().events->GetCount(), 0) << "replace mode starts empty";
  for (QWidget* w : std::initializer_list<QWidget*>{C().record, C().ok, C().close, C().names,
                                                    C().loop_box, C().editing[0]}) {
    EXPECT_FALSE(w->isEnabled());
  }
  EXPECT_TRUE(C().stop->isEnabled());
  EXPECT_TRUE(C().new_macro->isEnabled());

  now += 5000;
  Key(kA, kPress);  // the first report: no delay, however long the wait
  now += 1234;
  Key(kA, kRelease);
  now += 3;
  Key(kB, kPress);  // under 10 ms: no delay
  now += 70000;
  Key(kB, kRelease);  // over 65535 ms: the most one event holds
  const std::vector<MacroEvent> expected = {Press(4), MacroEvent::Delay(123), Release(4),
                                            Press(5), MacroEvent::Delay(6553), Release(5)};
  EXPECT_EQ(Rows(), RowsOf(expected));
  EXPECT_EQ(C().events->GetText(4).trimmed(), QStringLiteral("65530")) << "what is stored";
  EXPECT_EQ(C().events->GetText(0).toStdString(), KeyRowText(kA, skin.Strings()));
  EXPECT_EQ(C().events->GetCurSel(), 5);
  EXPECT_TRUE(agent.sent.empty()) << "nothing is saved before the stop";
  // The counters count as the recording goes.
  EXPECT_EQ(C().event_count->text(), QStringLiteral("6"));
  EXPECT_EQ(C().total_delay->text(), QStringLiteral("66760"));

  // Typed keys are recorded, not obeyed.
  QTest::keyClick(C().events, Qt::Key_Escape);
  QTest::keyClick(C().events, Qt::Key_Delete);
  EXPECT_TRUE(dlg->isVisible());
  EXPECT_EQ(C().events->GetCount(), 6);

  Click(C().stop);
  EXPECT_EQ(hook.Take(), (std::vector<std::string>{"enable 0"}));
  EXPECT_FALSE(dlg->Recording());
  EXPECT_EQ(Events(Stored("m")), expected);
  EXPECT_EQ(agent.Take(), (std::vector<Sent>{Changed(0)}));
  EXPECT_EQ(C().total_delay->text(), QStringLiteral("66760"));
  EXPECT_EQ(C().event_count->text(), QStringLiteral("6"));
  EXPECT_TRUE(C().record->isEnabled());
  EXPECT_FALSE(C().stop->isEnabled());
  EXPECT_FALSE(dlg->LastWarning());
}

TEST_F(MacroDlgTest, FixedDelaysComeFromTheDelayBox) {
  MakeMacro("m", {}, kDelayFixed);
  Open();
  for (const auto& [box, ms] : std::vector<std::pair<const char*, int>>{{"5", 10}, {"1234", 1230}}) {
    C().delay_box->setText(QString::fromLatin1(box));
    Click(C().record);
    Key(kA, kPress);
    Key(kA, kRelease);
    Key(kB, kPress);
    CWarningDlg::SetNextAnswer(IDOK);
    Click(C().stop);  // B stays pressed: the warning, and the macro is still saved
    EXPECT_EQ(dlg->LastWarning(), std::optional<int>(13));
    dlg->ForgetLastWarning();
    const auto d = MacroEvent::Delay(static_cast<std::uint16_t>(ms / 10));
    EXPECT_EQ(Events(Stored("m")), (std::vector{Press(4), d, Release(4), d, Press(5)})) << box;
    // B's press is the last report: it is ignored by the next recording.
    Key(kB, kRelease);
  }
}

TEST_F(MacroDlgTest, InsertRecordingGoesAfterTheSelectedRow) {
  const std::vector<MacroEvent> old = {Press(10), Release(10), Press(11), Release(11), Press(12)};
  MakeMacro("m", old, kDelayNone);
  Open();
  ClickRow(C().events, 2);
  Click(C().insert_record());
  EXPECT_EQ(C().events->GetCount(), 5);
  Key(kShift, kPress);
  Key(kA, kPress);
  Key(kA, kRelease);
  Key(kShift, kRelease);
  CWarningDlg::SetNextAnswer(IDOK);
  Click(C().stop);
  const std::vector<MacroEvent> expected = {Press(10), Release(10), Press(11), Press(0xE1),
                                            Press(4),  Release(4),  Release(0xE1), Release(11),
                                            Press(12)};
  EXPECT_EQ(Events(Stored("m")), expected);
  EXPECT_EQ(Rows(), RowsOf(expected));
  EXPECT_EQ(C().events->GetCurSel(), 6);
  // Shift and A are paired; only 12 is never released.
  EXPECT_EQ(dlg->LastWarning(), std::optional<int>(13));
}

TEST_F(MacroDlgTest, RecordingStopsTakingReportsAtSixtyTwoEvents) {
  for (const int filled : {60, 61}) {
    SCOPED_TRACE(filled);
    dlg.reset();
    ::unlink((data + "MacroDB/m.MSMACRO").c_str());
    files.RewriteMacroList({});
    std::vector<MacroEvent> events;
    for (int i = 0; i < filled; ++i) events.push_back(MacroEvent::Delay(1));
    MakeMacro("m", events, kDelayFixed);
    Open();
    C().events->SetCurSel(filled - 1);
    Click(C().insert_record());
    Key(kA, kPress);                 // the first report: no delay
    Key(kA, kRelease);               // a delay and the release
    Key(kB, kPress);                 // refused once 62 are used
    // At 61 the release found no room: A stays pressed.
    if (filled == 61) CWarningDlg::SetNextAnswer(IDOK);
    Click(C().stop);
    const MacroData stored = Stored("m");
    EXPECT_EQ(stored.count, filled == 60 ? 63 : 62);
    EXPECT_EQ(C().events->GetCount(), stored.count);
    EXPECT_EQ(dlg->LastWarning().has_value(), filled == 61);
  }
}

TEST_F(MacroDlgTest, OptionBoxesSaveAndTellTheAgent) {
  MakeMacro("other", {});
  MakeMacro("m", {}, kDelayNone, kLoopTimes, 3);
  AssignMacro(0, 4, "m");
  AssignMacro(2, 11, "m");
  AssignMacro(1, 1, "other");
  Open();
  ClickRow(C().names, 1);
  const std::vector<Sent> assigned = {{WM_AGENT_MACRO_ASSIGNED, 0, 4}, {WM_AGENT_MACRO_ASSIGNED, 2, 11}};

  Click(C().loop_held);  // B while A is checked
  EXPECT_FALSE(C().loop_times->Checked());
  EXPECT_EQ(Stored("m").LoopType, kLoopSecondMode);
  EXPECT_EQ(agent.Take(), assigned);

  Click(C().loop_times);
  C().loop_box->setText(QStringLiteral("9"));
  Click(C().loop_times);  // unchecked: the count goes back to 1
  EXPECT_EQ(C().loop_box->text(), QStringLiteral("1"));
  EXPECT_EQ(Stored("m").LoopType, kLoopNone);
  agent.Take();

  Click(C().loop_times);
  C().loop_box->setFocus();
  C().loop_box->selectAll();
  QTest::keyClicks(C().loop_box, QStringLiteral("3-0x0"));  // digits only
  Deliver();
  EXPECT_EQ(C().loop_box->text(), QStringLiteral("255")) << "300 becomes 255 at the key release";
  EXPECT_EQ(Stored("m").LoopTime, 255);
  EXPECT_EQ(Stored("m").LoopType, kLoopTimes);
  const std::vector<Sent> sent = agent.Take();
  ASSERT_GE(sent.size(), 3u);
  EXPECT_EQ(std::vector<Sent>(sent.end() - 3, sent.end()),
            (std::vector<Sent>{Changed(1), assigned[0], assigned[1]}));

  Click(C().delay_fixed);
  EXPECT_EQ(Stored("m").DelayType, kDelayFixed);
  Click(C().delay_measured);
  EXPECT_FALSE(C().delay_fixed->Checked());
  EXPECT_EQ(Stored("m").DelayType, kDelayMeasured);
  Click(C().delay_measured);
  EXPECT_EQ(Stored("m").DelayType, kDelayNone);
  EXPECT_TRUE(agent.sent.empty()) << "the delay boxes send nothing";
}

TEST_F(MacroDlgTest, NewMacroIsCreatedSelectedAndEmpty) {
  MakeMacro("old", {Press(4), Release(4)}, kDelayMeasured, kLoopTimes, 4);
  Open();
  CSingleKeyDlg::SetNextText(QStringLiteral("Fresh"));
  Click(C().new_macro);
  EXPECT_EQ(NameRows(), (std::vector<std::string>{"old", "Fresh"}));
  EXPECT_EQ(C().names->GetCurSel(), 1);
  EXPECT_EQ(C().events->GetCount(), 0);
  for (CBitmapBtn* b : {C().delay_measured, C().delay_fixed, C().loop_times, C().loop_held}) {
    EXPECT_FALSE(b->Checked());
  }
  EXPECT_EQ(C().loop_box->text(), QStringLiteral("1"));
  EXPECT_EQ(C().event_count->text(), QStringLiteral("0"));
  EXPECT_EQ(dlg->Macro().name, "Fresh");
  EXPECT_EQ(files.ReadMacroList(), (std::vector<std::string>{"old", "Fresh"}));
  EXPECT_EQ(Stored("Fresh").DelayType, kDelayNone);
  EXPECT_EQ(hook.Take(), (std::vector<std::string>{"enable 0"}));

  // Recording now goes into the new macro.
  Click(C().record);
  Key(kA, kPress);
  Key(kA, kRelease);
  Click(C().stop);
  EXPECT_EQ(Stored("Fresh").count, 2);
  EXPECT_EQ(Stored("old").count, 2);

  // A name that exists changes nothing and says nothing; cancel neither.
  CSingleKeyDlg::SetNextText(QStringLiteral("old"));
  Click(C().new_macro);
  CSingleKeyDlg::SetNextCancel();
  Click(C().new_macro);
  EXPECT_EQ(files.ReadMacroList(), (std::vector<std::string>{"old", "Fresh"}));
  EXPECT_FALSE(dlg->LastWarning());
}

TEST_F(MacroDlgTest, RefusedNamesAndAFullListAreExplained) {
  Open();
  for (const char* name : {"a/b", " padded", "..", "\"quoted\""}) {
    CWarningDlg::SetNextAnswer(IDOK);
    CSingleKeyDlg::SetNextText(QString::fromUtf8(name));
    Click(C().new_macro);
    EXPECT_EQ(dlg->LastWarning(), std::optional<int>(15)) << name;
    dlg->ForgetLastWarning();
  }
  EXPECT_TRUE(files.ReadMacroList().empty());
  EXPECT_EQ(C().names->GetCount(), 0);

  for (int i = 0; i < kMacroSlotCount; ++i) MakeMacro("m" + std::to_string(i), {});
  const auto before = test::ReadBytes(files.IndexPath());
  CWarningDlg::SetNextAnswer(IDOK);
  CSingleKeyDlg::SetNextText(QStringLiteral("sixteenth"));
  Click(C().new_macro);
  EXPECT_EQ(dlg->LastWarning(), std::optional<int>(12));
  EXPECT_EQ(test::ReadBytes(files.IndexPath()), before);
  EXPECT_FALSE(Exists(data + "MacroDB/sixteenth.MSMACRO"));
  // The name was never asked for.
  CSingleKeyDlg::SetNextText(std::nullopt);
}

TEST_F(MacroDlgTest, AMissingMacroFolderIsMadeAndAnUnusableOneIsReported) {
  ::rmdir((data + "MacroDB").c_str());
  Open();
  CSingleKeyDlg::SetNextText(QStringLiteral("first"));
  Click(C().new_macro);
  EXPECT_EQ(NameRows(), (std::vector<std::string>{"first"}));
  EXPECT_TRUE(Exists(data + "MacroDB/first.MSMACRO"));
  EXPECT_TRUE(C().record->isEnabled());

  dlg.reset();
  test::ScratchDir other;
  data = other / "";
  files = MacroFiles(data, SystemFileIo());
  test::WriteBytes(data + "MacroDB", "not a folder");
  Open();
  CWarningDlg::SetNextAnswer(IDOK);
  CSingleKeyDlg::SetNextText(QStringLiteral("second"));
  Click(C().new_macro);
  EXPECT_EQ(dlg->LastWarning(), std::optional<int>(16));
  EXPECT_FALSE(dlg->LastWarningDetail().isEmpty()) << "the reason is shown";
  EXPECT_EQ(C().names->GetCount(), 0);
  dlg.reset();
}

TEST_F(MacroDlgTest, DeleteMacroAsksThenLoadsTheNext) {
  MakeMacro("a", {Press(4)});
  MakeMacro("b", {Press(5)});
  MakeMacro("c", {Press(6), Release(6)});
  Open();
  ClickRow(C().names, 1);

  CWarningDlg::SetNextAnswer(IDCANCEL);
  Click(C().delete_macro);
  EXPECT_EQ(dlg->LastWarning(), std::optional<int>(10));
  EXPECT_EQ(files.ReadMacroList(), (std::vector<std::string>{"a", "b", "c"}));

  CWarningDlg::SetNextAnswer(IDOK);
  Click(C().delete_macro);
  EXPECT_EQ(files.ReadMacroList(), (std::vector<std::string>{"a", "c"}));
  EXPECT_FALSE(Exists(data + "MacroDB/b.MSMACRO"));
  EXPECT_EQ(NameRows(), (std::vector<std::string>{"a", "c"}));
  EXPECT_EQ(C().names->GetCurSel(), 1);
  EXPECT_EQ(Rows(), RowsOf({Press(6), Release(6)}));

  for (int i = 0; i < 2; ++i) {
    CWarningDlg::SetNextAnswer(IDOK);
    Click(C().delete_macro);
  }
  EXPECT_TRUE(files.ReadMacroList().empty());
  EXPECT_EQ(C().names->GetCount(), 0);
  EXPECT_EQ(C().events->GetCount(), 0);
  for (CBitmapBtn* b : C().editing) EXPECT_FALSE(b->isEnabled());
  EXPECT_EQ(dlg->Macro().name, "");
  // Nothing to delete any more: no question either.
  dlg->ForgetLastWarning();
  Click(C().delete_macro);
  EXPECT_FALSE(dlg->LastWarning());
}

TEST_F(MacroDlgTest, ARightClickOnTheNameListLoadsThatMacro) {
  MakeMacro("a", {Press(4)});
  MakeMacro("b", {Press(5), Release(5)});
  Open();
  ClickRow(C().names, 1, Qt::RightButton);
  EXPECT_EQ(C().names->GetCurSel(), 1);
  EXPECT_EQ(Rows(), RowsOf({Press(5), Release(5)}));
  // The next edit goes into b's file with b's events, and a stays whole.
  Click(C().delete_event());
  EXPECT_EQ(Events(Stored("b")), (std::vector{Release(5)}));
  EXPECT_EQ(Events(Stored("a")), (std::vector{Press(4)}));
}

TEST_F(MacroDlgTest, EnterEscapeAndSpaceNeverCloseTheEditor) {
  MakeMacro("m", {Press(4)});
  Open();
  for (QWidget* target : std::initializer_list<QWidget*>{dlg.get(), C().events, C().loop_box, C().ok}) {
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape, Qt::Key_Space}) {
      QTest::keyClick(target, key);
    }
  }
  EXPECT_TRUE(dlg->isVisible());
  EXPECT_EQ(dlg->result(), 0);
  Click(C().ok);
  EXPECT_FALSE(dlg->isVisible());
  EXPECT_EQ(dlg->result(), CMacroDlg::kResultOk);
}

TEST_F(MacroDlgTest, TabWalksThePanelsAndTheFocusedControlTakesSpaceAndEnter) {
  MakeMacro("m", {Press(4), Release(4)});
  Open();
  QApplication::setActiveWindow(dlg.get());
  ASSERT_EQ(QApplication::focusWidget(), C().names);
  std::vector<QWidget*> walk;
  for (int i = 0; i < 22; ++i) {
    walk.push_back(QApplication::focusWidget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  const MacroControls& c = C();
  // The stop button is off until a recording runs: Tab passes it by.
  const std::vector<QWidget*> panels = {
      c.names,       c.new_macro,  c.delete_macro, c.events,     c.record,     c.delay_measured,
      c.delay_fixed, c.delay_box,  c.loop_times,   c.loop_box,   c.loop_held,  c.editing[0],
      c.editing[1],  c.editing[2], c.editing[3],   c.editing[4], c.editing[5], c.editing[6],
      c.editing[7],  c.ok,         c.close,        c.names};
  EXPECT_EQ(walk, panels);
  // Shift+Tab walks back, out of a list too, and wraps at the first control.
  const std::pair<QWidget*, QWidget*> back[] = {
      {c.close, c.ok}, {c.events, c.delete_macro}, {c.names, c.close}};
  for (const auto& [from, to] : back) {
    from->setFocus(Qt::TabFocusReason);
    QTest::keyClick(from, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), to);
  }

  // Space and Enter press the focused check box or button, and only that.
  const struct {
    CBitmapBtn* control;
    Qt::Key key;
  } presses[] = {{c.delay_fixed, Qt::Key_Space}, {c.loop_held, Qt::Key_Return}};
  for (const auto& p : presses) {
    p.control->setFocus(Qt::TabFocusReason);
    QTest::keyClick(p.control, p.key);
  }
  EXPECT_EQ(Stored("m").DelayType, kDelayFixed);
  EXPECT_EQ(Stored("m").LoopType, kLoopSecondMode);
  c.delete_event()->setFocus(Qt::TabFocusReason);
  QTest::keyClick(c.delete_event(), Qt::Key_Enter);
  EXPECT_EQ(Events(Stored("m")), (std::vector{Release(4)}));
  // Escape stays the window's: nothing closes it.
  QTest::keyClick(c.delete_event(), Qt::Key_Escape);
  EXPECT_TRUE(dlg->isVisible());
  c.close->setFocus(Qt::TabFocusReason);
  QTest::keyClick(c.close, Qt::Key_Space);
  EXPECT_FALSE(dlg->isVisible());
  EXPECT_EQ(dlg->result(), CMacroDlg::kResultClose);
}

TEST_F(MacroDlgTest, ScreenReadersFindEveryControlNamedAndTheRowsOfTheLists) {
  MakeMacro("first", {Press(4), Release(4)});
  MakeMacro("second", {});
  Open();
  EXPECT_EQ(test::UnnamedControls(dlg.get()), std::vector<QWidget*>{});
  const auto iface = [](QWidget* w) { return QAccessible::queryAccessibleInterface(w); };
  EXPECT_EQ(iface(C().record)->text(QAccessible::Name), QStringLiteral("Record"));
  EXPECT_EQ(iface(C().delay_fixed)->role(), QAccessible::CheckBox);
  EXPECT_EQ(iface(C().delay_fixed)->text(QAccessible::Name), skin.UiText("MACRO", 13));
  EXPECT_EQ(iface(C().ok)->text(QAccessible::Name), skin.UiText("General", 46));

  QAccessibleInterface* names = iface(C().names);
  EXPECT_EQ(names->role(), QAccessible::List);
  EXPECT_EQ(names->text(QAccessible::Name), skin.UiText("MACRO", 2));
  ASSERT_EQ(names->childCount(), 2);
  EXPECT_EQ(names->child(1)->text(QAccessible::Name), QStringLiteral("second"));
  EXPECT_EQ(names->child(1)->role(), QAccessible::ListItem);
  EXPECT_TRUE(names->child(0)->state().selected);
  EXPECT_EQ(names->indexOfChild(names->child(1)), 1);
  ClickRow(C().names, 1);
  EXPECT_TRUE(names->child(1)->state().selected);
  EXPECT_FALSE(names->child(0)->state().selected);

  ClickRow(C().names, 0);
  QAccessibleInterface* events = iface(C().events);
  ASSERT_EQ(events->childCount(), C().events->GetCount());
  const std::vector<EventRow> rows = Rows();
  for (int i = 0; i < events->childCount(); ++i) {
    const QString text = QString::fromStdString(rows[static_cast<std::size_t>(i)].text);
    const QString spoken = events->child(i)->text(QAccessible::Name);
    const int data = rows[static_cast<std::size_t>(i)].item_data;
    const QString suffix = data == kRowPress     ? QStringLiteral(", pressed")
                           : data == kRowRelease ? QStringLiteral(", released")
                                                 : QString();
    EXPECT_EQ(spoken, text + suffix);
  }
}

TEST_F(MacroDlgTest, ClosingDuringARecordingSavesIt) {
  MakeMacro("m", {}, kDelayNone);
  Open();
  Click(C().record);
  hook.Take();
  Key(kA, kPress);
  Key(kA, kRelease);
  dlg->done(CMacroDlg::kResultClose);
  EXPECT_EQ(Stored("m").count, 2);
  EXPECT_EQ(hook.Take(), (std::vector<std::string>{"enable 0"}));
  dlg.reset();
  EXPECT_EQ(hook.Take(), (std::vector<std::string>{"enable 0", "remove"}));
}

TEST_F(MacroDlgTest, ASaveWhileAnotherWriterHoldsTheFolderFailsAndSaysSo) {
  io = &WindowFileIo();  // as the main window opens the editor
  MakeMacro("m", {Press(4), Release(4)});
  Open();
  {
    const test::HeldFolderLock other_writer(data + "MacroDB");
    ASSERT_TRUE(other_writer.held());
    CWarningDlg::SetNextAnswer(IDOK);
    Click(C().delete_event());
    EXPECT_EQ(dlg->LastWarning(), std::optional<int>(16));
    EXPECT_NE(dlg->LastWarningDetail().indexOf(QStringLiteral("lock")), -1)
        << dlg->LastWarningDetail().toStdString();
    EXPECT_EQ(Stored("m").count, 2) << "nothing written without the lock";
    EXPECT_TRUE(agent.sent.empty());
  }
  // The next save writes what the editor holds: both deletions.
  Click(C().delete_event());
  EXPECT_EQ(Stored("m").count, 0);
}

TEST_F(MacroDlgTest, AMacroFileTooLargeToBeOneShowsEmptyAndIsToldOnce) {
  MakeMacro("big", {Press(4), Release(4)});
  MakeMacro("small", {Press(5), Release(5)});
  test::WriteBytes(data + "MacroDB/big.MSMACRO", std::string(kMaxDataFileBytes + 1, '['));
  CWarningDlg::SetNextAnswer(IDOK);
  Open();  // shows the first macro
  EXPECT_EQ(dlg->LastWarning(), std::optional<int>(20));
  EXPECT_EQ(dlg->LastWarningDetail(), QStringLiteral("big"));
  EXPECT_EQ(C().events->GetCount(), 0) << "no events";
  dlg->ForgetLastWarning();
  ClickRow(C().names, 1);
  ClickRow(C().names, 0);
  EXPECT_FALSE(dlg->LastWarning());
}

TEST_F(MacroDlgTest, AFailingDiskIsToldOnce) {
  MakeMacro("m", {Press(4), Release(4)});
  Open();
  // The macro file becomes a folder: no save can replace it.
  ::unlink((data + "MacroDB/m.MSMACRO").c_str());
  ::mkdir((data + "MacroDB/m.MSMACRO").c_str(), 0700);
  CWarningDlg::SetNextAnswer(IDOK);
  Click(C().delete_event());
  EXPECT_EQ(dlg->LastWarning(), std::optional<int>(16));
  EXPECT_TRUE(agent.sent.empty()) << "nothing to announce";
  dlg->ForgetLastWarning();
  Click(C().delete_event());
  EXPECT_FALSE(dlg->LastWarning());
  ::rmdir((data + "MacroDB/m.MSMACRO").c_str());
  Click(C().up());
  EXPECT_EQ(agent.Take(), (std::vector<Sent>{Changed(0)}));
  EXPECT_TRUE(Stored("m").count == 0);
}

}  // namespace
}  // namespace vantix
