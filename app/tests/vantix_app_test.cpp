#include "app/vantix_app.h"

#include <QDir>
#include <QIcon>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vantix {
namespace {

class EnvironmentVariable {
 public:
  EnvironmentVariable(const char* name, const QByteArray& value)
      : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
    qputenv(name, value);
  }
  ~EnvironmentVariable() {
    if (had_) {
      qputenv(name_, old_);
    } else {
      qunsetenv(name_);
    }
  }

 private:
  const char* name_;
  bool had_;
  QByteArray old_;
};

void InstallIcon(const QString& data_folder, int size, const QString& id,
                 Qt::GlobalColor colour = Qt::red) {
  const QString folder = QStringLiteral("%1/icons/hicolor/%2x%2/apps").arg(data_folder).arg(size);
  ASSERT_TRUE(QDir().mkpath(folder));
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(colour);
  ASSERT_TRUE(image.save(QStringLiteral("%1/%2.png").arg(folder, id)));
}

// The icon is found in every XDG data folder, the user's first; sizes above
// 128 pixels and other programs' icons are not taken.
TEST(InstalledWindowIcon, TakesTheInstalledSizesUpTo128) {
  QTemporaryDir home;
  QTemporaryDir system;
  ASSERT_TRUE(home.isValid() && system.isValid());
  const QString id = QStringLiteral("org.example.Test");
  InstallIcon(system.path(), 16, id);
  InstallIcon(system.path(), 48, id);
  InstallIcon(home.path(), 48, id, Qt::blue);
  InstallIcon(system.path(), 256, id);
  InstallIcon(system.path(), 32, QStringLiteral("org.example.Other"));
  const EnvironmentVariable data_home("XDG_DATA_HOME", home.path().toUtf8());
  const EnvironmentVariable data_dirs("XDG_DATA_DIRS", system.path().toUtf8());

  const QIcon icon = InstalledWindowIcon(id);
  EXPECT_EQ(icon.availableSizes(), (QList<QSize>{QSize(16, 16), QSize(48, 48)}));
  EXPECT_EQ(icon.pixmap(QSize(48, 48)).toImage().pixelColor(5, 5), QColor(Qt::blue));

  EXPECT_TRUE(InstalledWindowIcon(QStringLiteral("org.example.Missing")).isNull());
}

}  // namespace
}  // namespace vantix
