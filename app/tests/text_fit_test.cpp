// Every text of every window, menu and dialog, in every language, drawn with
// the wider fallback font DejaVu Sans: each one shows whole, inside its
// control. A control may shrink its text for that; cutting it (even with the
// whole text in a tooltip) or letting it run out of the control fails here.
#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/program_rules_panel.h"
#include "app/tests/dlg_test_fixture.h"
#include "assign/dialogs/fire_key.h"
#include "assign/dialogs/single_key.h"
#include "assign/dialogs/single_key_dlg.h"
#include "assign/dialogs/tests/hook_recorder.h"
#include "devicelink/agent_channel.h"
#include "macro/editor/macro_dlg.h"
#include "settings/ui_language.h"
#include "ui/bmp_menu.h"
#include "ui/skin.h"
#include "ui/static_trans.h"
#include "ui/warning_dlg.h"

namespace vantix {
namespace {

const QString kFallbackFamily = QStringLiteral("DejaVu Sans");

// No agent: the editor only opens here.
class NoAgent final : public AgentChannel {
 public:
  bool FindAgent() override { return false; }
  SendOutcome SendToAgent(std::uint32_t, std::int64_t, std::int64_t) override { return {}; }
};

// A shown text must lie inside its control: its cells across, its glyphs
// up and down (a cell taller than a label only loses empty space); half a
// pixel of rounding is fine.
bool Inside(const FittedText& fit, const QRect& room) {
  const QRectF r = QRectF(room).adjusted(-0.5, -0.5, 0.5, 0.5);
  const QRectF& ink = fit.ink.isNull() ? fit.bounds : fit.ink;
  return fit.bounds.left() >= r.left() && fit.bounds.right() <= r.right() &&
         ink.top() >= r.top() && ink.bottom() <= r.bottom();
}

// Paints window as the screen would, then lists every text on it that is
// cut or reaches out of its control.
std::vector<std::string> CutTexts(QWidget* window, const std::string& where) {
  std::ignore = window->grab();
  std::vector<std::string> cut;
  const auto note = [&](QWidget* w, const QString& text, const char* what) {
    cut.push_back(where + ": \"" + text.toStdString() + "\" " + what + " (" +
                  std::to_string(w->width()) + "x" + std::to_string(w->height()) + ")");
  };
  for (CStaticTrans* label : window->findChildren<CStaticTrans*>()) {
    if (!label->isVisibleTo(window) || label->text().isEmpty() || label->width() == 0) continue;
    const FittedText fit = label->FitLabelText();
    if (fit.cut) note(label, label->text(), "is cut");
    else if (!Inside(fit, label->rect())) note(label, label->text(), "runs out");
  }
  for (CBitmapBtn* button : window->findChildren<CBitmapBtn*>()) {
    if (!button->isVisibleTo(window) || button->Caption().isEmpty() || button->width() == 0) continue;
    const CaptionFit fit = button->FitCaption();
    if (fit.text.text.isEmpty()) continue;  // no caption drawn
    if (fit.text.cut) note(button, button->Caption(), "is cut");
    else if (!Inside(fit.text, button->rect())) note(button, button->Caption(), "runs out");
  }
  return cut;
}

class FallbackFontTest : public DlgTest, public ::testing::WithParamInterface<UiLanguage> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QFontDatabase::families().contains(kFallbackFamily));
    SetSkinFontFamily(kFallbackFamily);
    ::setenv("VANTIX_LANGUAGE", std::string(LanguageTag(GetParam())).c_str(), 1);
    // The widest numbers the performance page shows.
    for (ProfileRecord& profile : live.Profiles) {
      for (DpiStage& stage : profile.Stages) stage = DpiStage{1, 135, 100, 0};
    }
    Open();
  }
  void TearDown() override {
    SetSkinFontFamily({});
    ::unsetenv("VANTIX_LANGUAGE");
    CSingleKey::SetNextRun(nullptr);
    CFireKey::SetNextRun(nullptr);
  }
  void Expect(const std::vector<std::string>& cut) {
    for (const std::string& line : cut) ADD_FAILURE() << line;
  }
  QString Text(std::string_view section, int number) const {
    return dlg->SkinFiles().UiText(section, number);
  }

  test::HookRecorder hook;
};

TEST_P(FallbackFontTest, TheMainWindowsPagesShowEveryTextWhole) {
  // The performance page repaints its stage values from the profile.
  Click(C().profile_labels[0]);
  Expect(CutTexts(dlg.get(), "buttons page"));
  // Either connection state, each shown on its own.
  for (CStaticTrans* status : {C().status_connected, C().status_disconnected}) {
    status->show();
    Expect(CutTexts(dlg.get(), "connection status"));
    status->hide();
  }
  Click(C().page_tabs[1]);
  Expect(CutTexts(dlg.get(), "performance page"));
  Click(C().page_tabs[2]);
  for (int mode = 0; mode < 5; ++mode) {
    Click(C().mode_buttons[static_cast<std::size_t>(mode)]);
    Expect(CutTexts(dlg.get(), "lighting mode " + std::to_string(mode + 1)));
  }
}

TEST_P(FallbackFontTest, TheAssignmentMenuAndItsSubMenusShowEveryTextWhole) {
  Click(C().page_tabs[0]);
  Click(C().assign_buttons[3]);
  CBmpMenu* menu = dlg->AssignmentMenu();
  ASSERT_NE(menu, nullptr);
  Expect(CutTexts(menu, "assignment menu"));
  const QList<CBitmapBtn*> rows = menu->findChildren<CBitmapBtn*>(Qt::FindDirectChildrenOnly);
  for (int i = 0; i < menu->ItemCount(); ++i) {
    if (!menu->Item(i).has_sub_menu || i >= static_cast<int>(rows.size())) continue;
    SendWindowMessage(menu, WM_BUTTON_HOVER, HandleOf(rows[i]), 0);
    if (CSubBmpMenu* sub = menu->OpenSubMenu()) {
      Expect(CutTexts(sub, "sub-menu " + menu->Item(i).text.toStdString()));
    }
  }
}

TEST_P(FallbackFontTest, TheKeyDialogsShowTheLongestTextsWhole) {
  // Every modifier held, and the longest key name of either language.
  const KeyEventBlock block = CombinationEvents({0xE1, 0xE0, 0xE3, 0xE2, 0x4E});  // page down
  for (const int mode : {CSingleKey::kSingleMode, CSingleKey::kCombinationMode}) {
    const int title = mode == CSingleKey::kSingleMode ? 1 : 3;
    CSingleKey dialog(dlg.get(), dlg->SkinFiles(), hook, Text("SINGLEKEY", title),
                      Text("SINGLEKEY", title + 1), mode);
    dialog.SetKey(0x4E);
    dialog.SetKeyCount(mode == CSingleKey::kSingleMode ? 1 : 5);
    dialog.SetEventBlock(block);
    std::vector<std::string> cut;
    CSingleKey::SetNextRun([&](CSingleKey& d) { cut = CutTexts(&d, "key dialog"); });
    dialog.DoModal();
    Expect(cut);
  }

  CFireKey fire(dlg.get(), dlg->SkinFiles(), hook, Text("SINGLEKEY", 7), Text("SINGLEKEY", 7));
  FireKeyValues values;
  values.fire_mode = CFireKey::kKeyboardMode;
  values.key = 0x4E;
  values.first = 255;
  values.second = 999;
  fire.SetValues(values);
  std::vector<std::string> cut;
  CFireKey::SetNextRun([&](CFireKey& d) { cut = CutTexts(&d, "fire-key dialog"); });
  fire.DoModal();
  Expect(cut);

  CSingleKeyDlg entry(dlg.get(), dlg->SkinFiles(), Text("SINGLEKEY", 5), Text("SINGLEKEY", 6));
  entry.show();
  Expect(CutTexts(&entry, "text-entry dialog"));
}

TEST_P(FallbackFontTest, EveryWarningShowsWhole) {
  const std::pair<int, int> warnings[] = {{2, 0}, {4, 5}, {7, 8}, {10, 0}, {12, 0},
                                          {13, 0}, {14, 0}, {15, 0}, {16, 0}};
  for (const auto& [message, detail] : warnings) {
    CWarningDlg warning(dlg.get(), dlg->SkinFiles(), Text("WARNING", 1), Text("WARNING", message),
                        detail != 0 ? Text("WARNING", detail) : QString());
    warning.show();
    Expect(CutTexts(&warning, "warning " + std::to_string(message)));
  }
}

TEST_P(FallbackFontTest, TheMacroEditorShowsEveryTextWhole) {
  test::HookRecorder editor_hook;
  NoAgent agent;
  const MacroEditorContext context{dlg->SkinFiles(), data, agent, live, SystemFileIo(),
                                   &editor_hook, {}};
  CMacroDlg editor(dlg.get(), context);
  editor.show();
  Expect(CutTexts(&editor, "macro editor"));
}

TEST_P(FallbackFontTest, TheProgramsPanelShowsEveryTextWhole) {
  ProgramRulesPanel& panel = *dlg->Programs();
  panel.Open();
  Expect(CutTexts(&panel, "programs panel"));
  // Each thing it may say, with a long program's name where one is named.
  const QString name = QStringLiteral("org.mozilla.firefox");
  for (int text = kProgramsAdded; text <= kProgramsGnomeFailed; ++text) {
    if (text == kProgramsGnomeEnable) continue;
    QString said = Text("PROGRAMS", text);
    if (said.contains(QLatin1String("%1"))) {
      said = said.arg(text == kProgramsGnomeMissing ? QString::fromLatin1(kFocusExtensionFolder)
                      : text == kProgramsNotSaved || text == kProgramsGnomeFailed
                          ? QStringLiteral("gnome-extensions failed: no session bus")
                          : name);
    }
    for (int n = 2; n <= 3 && said.contains(QStringLiteral("%%1").arg(n)); ++n) said = said.arg(n + 2);
    CStaticTrans* label = text >= kProgramsGnomeOff && text != kProgramsGnomeOn && text != kProgramsGnomeFailed
                              ? panel.Gnome()
                              : panel.Message();
    label->setText(said);
    label->show();
    Expect(CutTexts(&panel, "programs panel, text " + std::to_string(text)));
  }
}

// The skin's own fonts on every text of a language's files: no character
// without a glyph (a box), and each drawn by Liberation Sans or by the
// language's CJK family, so that a Han character takes that language's form.
class SkinFontTest : public ::testing::TestWithParam<UiLanguage> {
 protected:
  void SetUp() override {
    ::setenv("VANTIX_LANGUAGE", std::string(LanguageTag(GetParam())).c_str(), 1);
  }
  void TearDown() override { ::unsetenv("VANTIX_LANGUAGE"); }
};

TEST_P(SkinFontTest, EveryTextHasItsGlyphsInTheLanguagesFamilies) {
  const UiLanguageInfo& language = InfoOf(GetParam());
  QStringList families{QStringLiteral("Liberation Sans")};
  if (!language.font_family.empty()) families << QString::fromUtf8(language.font_family);
  for (const QString& family : families) ASSERT_TRUE(QFontDatabase::families().contains(family));
  const QString folder =
      QString::fromStdString(std::string(VANTIX_PROGRAM_DIR) + "/" + StringsFolderOf(GetParam()));
  for (const QString& name : {QStringLiteral("skins.ini"), QStringLiteral("general.ini")}) {
    QFile file(folder + name);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
      const qsizetype equals = line.indexOf(QLatin1Char('='));
      if (line.startsWith(QLatin1Char(';')) || equals < 0) continue;
      const QString text = line.mid(equals + 1);
      for (const int weight : {400, 700}) {
        // Qt keeps the fallbacks of a family at a size for the whole process,
        // as they were asked for first: each language takes a size of its own.
        QTextLayout layout(text, SkinFont(-(12 + static_cast<int>(GetParam())), weight));
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        for (const QGlyphRun& run : layout.glyphRuns()) {
          EXPECT_FALSE(run.glyphIndexes().contains(0)) << "a box in " << text.toStdString();
          EXPECT_TRUE(families.contains(run.rawFont().familyName()))
              << run.rawFont().familyName().toStdString() << " draws " << text.toStdString();
        }
      }
    }
  }
}

std::vector<UiLanguage> AllLanguages() {
  std::vector<UiLanguage> languages;
  for (const UiLanguageInfo& info : UiLanguages()) languages.push_back(info.language);
  return languages;
}

INSTANTIATE_TEST_SUITE_P(Languages, FallbackFontTest, ::testing::ValuesIn(AllLanguages()),
                         [](const auto& info) { return std::string(LanguageTag(info.param)); });
INSTANTIATE_TEST_SUITE_P(Languages, SkinFontTest, ::testing::ValuesIn(AllLanguages()),
                         [](const auto& info) { return std::string(LanguageTag(info.param)); });

}  // namespace
}  // namespace vantix
