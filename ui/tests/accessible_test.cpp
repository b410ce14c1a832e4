// Names for screen readers from the skin's string files.
#include "ui/accessible.h"

#include <gtest/gtest.h>

#include "ui/skin.h"
#include "ui/tests/ui_test_support.h"

namespace vantix {
namespace {

TEST(ReaderString, ReadsTheSkinsLanguageAndFallsBackToEnglishPerEntry) {
  test::SkinFolder folder;
  folder.SetSkinsIni("[Access]\r\n1=Minimieren\r\n3=Taste %1\r\n6=Rot\r\n");
  const Skin german(folder.ProgramFolder());
  const struct {
    ReaderText text;
    const char* expected;
  } cases[] = {
      {ReaderText::kMinimise, "Minimieren"},
      {ReaderText::kButton, "Taste %1"},
      {ReaderText::kRed, "Rot"},
      {ReaderText::kClose, "Close"},  // missing from this skin
      {ReaderText::kStageAxisDpi, "Stage %1 DPI %2"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReaderString(german, c.text), QString::fromUtf8(c.expected)) << c.expected;
  }

  // A skin without string files still names everything.
  const Skin nowhere("/nonexistent/");
  for (int n = static_cast<int>(ReaderText::kMinimise); n <= static_cast<int>(ReaderText::kRowReleased);
       ++n) {
    EXPECT_FALSE(ReaderString(nowhere, static_cast<ReaderText>(n)).isEmpty()) << n;
  }
}

}  // namespace
}  // namespace vantix
