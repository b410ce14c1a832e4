// The assignment dialogs as a screen reader finds them: every control Tab
// reaches has a name, the capture field reads its prompt and the key.
#include <QAccessible>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "assign/dialogs/fire_key.h"
#include "assign/dialogs/single_key.h"
#include "assign/dialogs/single_key_dlg.h"
#include "assign/dialogs/tests/hook_recorder.h"
#include "ui/bitmap_btn.h"
#include "ui/clr_edit.h"
#include "ui/skin.h"
#include "ui/tests/reader_walk.h"

namespace vantix {
namespace {

TEST(AssignDialogAccess, NoControlIsUnnamed) {
  const Skin skin(VANTIX_PROGRAM_DIR "/");
  test::HookRecorder hook;
  QWidget parent;
  const QString prompt = skin.UiText("SINGLEKEY", 2);
  const struct {
    const char* name;
    std::function<std::unique_ptr<QDialog>()> make;
  } dialogs[] = {
      {"key",
       [&] {
         return std::make_unique<CSingleKey>(&parent, skin, hook, QStringLiteral("Key"), prompt,
                                             CSingleKey::kSingleMode);
       }},
      {"fire key",
       [&] {
         return std::make_unique<CFireKey>(&parent, skin, hook, QStringLiteral("Fire"), prompt);
       }},
      {"text entry",
       [&] { return std::make_unique<CSingleKeyDlg>(&parent, skin, QStringLiteral("New"), prompt); }},
  };
  for (const auto& d : dialogs) {
    std::unique_ptr<QDialog> dialog = d.make();
    dialog->open();
    EXPECT_EQ(test::UnnamedControls(dialog.get()), std::vector<QWidget*>{}) << d.name;
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(dialog.get());
    EXPECT_FALSE(window->text(QAccessible::Name).isEmpty()) << d.name;
  }

  CSingleKey key(&parent, skin, hook, QStringLiteral("Key"), prompt, CSingleKey::kSingleMode);
  key.SetKey(0x04);
  key.open();
  EXPECT_EQ(QAccessible::queryAccessibleInterface(key.KeyDisplay())->text(QAccessible::Name),
            prompt + QStringLiteral(": A"));
  CFireKey fire(&parent, skin, hook, QStringLiteral("Fire"), prompt);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(fire.SecondBox())->text(QAccessible::Name),
            skin.UiText("FireKey", 8));
}

}  // namespace
}  // namespace vantix
