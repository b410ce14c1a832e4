// One picture of the whole skin for review: every image of the skin tree,
// the window outlines applied to their faces, and every toolkit control in
// each of its states, labelled.
//
//   vantix_contact_sheet SKIN [OUTPUT.png]
//
// SKIN is a program folder or its skin tree ("images/0409"); OUTPUT defaults
// to contact-sheet.png. Runs on Qt's offscreen platform: no screen needed.
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <cstdio>
#include <map>
#include <set>
#include <vector>

#include "skin/skin_manifest.h"
#include "ui/skin.h"
#include "tools/contact_sheet.h"

namespace vantix::sheet {
namespace {

// Every image of the skin tree, checked against the skin manifest.
Section SkinImages(const QString& skin_root, const QString& shown_root) {
  Section section{QStringLiteral("Skin images"),
                  QStringLiteral("Every PNG and BMP below %1, by folder. A red title marks a file "
                                 "the skin manifest expects but the tree lacks, or one whose size "
                                 "differs from the manifest.").arg(shown_root), {}};
  std::map<QString, QSize> expected;
  for (const skin::SkinImage& image : skin::kSkinImages) {
    const QString key = QString::fromUtf8(skin::FolderName(image.folder).data(),
                                          static_cast<qsizetype>(skin::FolderName(image.folder).size())) +
                        QLatin1Char('/') + QString::fromUtf8(image.name.data(), static_cast<qsizetype>(image.name.size()));
    expected[key] = QSize(image.width, image.height);
  }

  std::set<QString> found;
  QDirIterator it(skin_root, {QStringLiteral("*.png"), QStringLiteral("*.bmp")}, QDir::Files,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) found.insert(QDir(skin_root).relativeFilePath(it.next()));
  for (const auto& [key, size] : expected) found.insert(key);

  for (const QString& relative : found) {
    Card card;
    card.title = relative;
    card.scale_up = 0;
    card.image = QImage(skin_root + QLatin1Char('/') + relative);
    const auto want = expected.find(relative);
    if (card.image.isNull()) {
      card.problem = true;
      card.note = QFileInfo::exists(skin_root + QLatin1Char('/') + relative) ? QStringLiteral("cannot be read")
                                                                : QStringLiteral("missing");
    } else {
      card.note = SizeText(card.image.size());
      if (want == expected.end()) {
        card.note += QStringLiteral(", not in the manifest");
      } else if (want->second != card.image.size()) {
        card.problem = true;
        card.note += QStringLiteral(", manifest says ") + SizeText(want->second);
      }
    }
    section.cards.push_back(std::move(card));
  }
  return section;
}

}  // namespace
}  // namespace vantix::sheet

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // The offscreen platform cannot raise windows and says so on every show.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && !message.startsWith(QLatin1String("This plugin does not support")) &&
        !message.startsWith(QLatin1String("QStandardPaths"))) {
      std::fprintf(stderr, "%s\n", qPrintable(message));
    }
  });
  QApplication app(argc, argv);
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: vantix_contact_sheet SKIN [OUTPUT.png]\n"
                         "  SKIN: a program folder, or its skin tree images/0409\n");
    return 2;
  }
  QString root = QDir::cleanPath(QFile::decodeName(argv[1]));
  const QString shown_root =
      root.endsWith(QLatin1String("images/0409")) ? root : root + QLatin1String("/images/0409");
  const QString output = argc == 3 ? QFile::decodeName(argv[2]) : QStringLiteral("contact-sheet.png");
  if (root.endsWith(QLatin1String("images/0409"))) root.chop(QStringLiteral("images/0409").size());
  root = QDir(root).absolutePath();
  const QString skin_root = root + QStringLiteral("/images/0409");
  if (!QFileInfo(skin_root).isDir()) {
    std::fprintf(stderr, "vantix_contact_sheet: no skin tree at %s\n", qPrintable(skin_root));
    return 1;
  }

  const vantix::Skin skin(QFile::encodeName(root + QLatin1Char('/')).toStdString());
  std::vector<vantix::sheet::Section> sections;
  sections.push_back(vantix::sheet::SkinImages(skin_root, shown_root));
  for (vantix::sheet::Section& section : vantix::sheet::ControlSections(skin)) {
    sections.push_back(std::move(section));
  }
  const QImage sheet = vantix::sheet::RenderSheet(QStringLiteral("Vantix skin and toolkit"),
                                           QStringLiteral("Skin tree: ") + shown_root +
                                               QStringLiteral(".  Made by: vantix_contact_sheet SKIN OUTPUT.png"),
                                           sections);
  if (!sheet.save(output, "PNG")) {
    std::fprintf(stderr, "vantix_contact_sheet: cannot write %s\n", qPrintable(output));
    return 1;
  }
  std::printf("%s: %d x %d\n", qPrintable(output), sheet.width(), sheet.height());
  return 0;
}
