// vantix_skingen: paints the default skin into a program folder.
//
//   vantix_skingen PROGRAM_FOLDER
//
// writes every image of the skin manifest below PROGRAM_FOLDER/images/0409/
// and removes images there that the manifest no longer names. The string
// files are copied by the build, not written here.
//
//   vantix_skingen --icons THEME_FOLDER NAME
//
// writes the application icon in every size as THEME_FOLDER/<n>x<n>/apps/NAME.png.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <cstdio>
#include <set>
#include <string>

#include "skin/generator/app_icon.h"
#include "skin/generator/bmp_writer.h"
#include "skin/generator/painters.h"
#include "skin/skin_manifest.h"

namespace vantix::skin {
namespace {

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool Fail(const std::string& message) {
  std::fprintf(stderr, "vantix_skingen: %s\n", message.c_str());
  return false;
}

bool WriteImage(const QString& path, const SkinImage& entry, const QImage& image) {
  if (IsOutline(entry)) return WriteBmp24(path, image);
  return image.save(path, "PNG");
}

// Files left from an older skin would be installed with the new one.
void RemoveStale(QDir folder, const std::set<QString>& keep) {
  const QStringList files = folder.entryList({QStringLiteral("*.png"), QStringLiteral("*.bmp")}, QDir::Files);
  for (const QString& name : files) {
    if (!keep.contains(name)) folder.remove(name);
  }
}

bool Generate(const QString& program_folder) {
  PainterTable painters;
  AddWindowPainters(painters);
  AddButtonPainters(painters);
  AddControlPainters(painters);
  AddMenuPainters(painters);
  AddMousePainters(painters);

  std::map<SkinFolder, std::set<QString>> written;
  std::set<std::string, std::less<>> used;
  for (const SkinImage& entry : kSkinImages) {
    const std::string name(entry.name);
    const auto painter = painters.find(name);
    if (painter == painters.end()) return Fail("no painter for " + name);
    used.insert(name);

    const QImage image = painter->second(QSize(entry.width, entry.height));
    if (image.width() != entry.width || image.height() != entry.height) {
      return Fail(name + " was painted at the wrong size");
    }
    const QString folder = QDir(program_folder).filePath(ToQString(FolderPath(entry.folder)));
    if (!QDir().mkpath(folder)) return Fail("cannot create " + folder.toStdString());
    const QString path = QDir(folder).filePath(ToQString(entry.name));
    if (!WriteImage(path, entry, image)) return Fail("cannot write " + path.toStdString());
    written[entry.folder].insert(ToQString(entry.name));
  }
  for (const auto& [name, paint] : painters) {
    if (!used.contains(name)) return Fail("painter for " + name + " has no manifest entry");
  }
  for (const auto& [folder, names] : written) {
    RemoveStale(QDir(QDir(program_folder).filePath(ToQString(FolderPath(folder)))), names);
  }
  return true;
}

}  // namespace
}  // namespace vantix::skin

int main(int argc, char** argv) {
  // Painting text needs a platform plugin, never a screen.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc == 4 && std::string(argv[1]) == "--icons") {
    return vantix::skin::WriteAppIcons(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]))
               ? 0
               : 1;
  }
  if (argc != 2) {
    std::fprintf(stderr,
                 "usage: vantix_skingen PROGRAM_FOLDER\n"
                 "       vantix_skingen --icons THEME_FOLDER NAME\n");
    return 2;
  }
  return vantix::skin::Generate(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
