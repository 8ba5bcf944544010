#include "platform/qtdesktop.h"

#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>

#include <set>
#include <string>
#include <vector>

namespace tintrix {
namespace {

// The families fontconfig's own tool lists, one name at a time.
std::set<std::string> FcListFamilies() {
  QProcess fcList;
  fcList.start(QStringLiteral("fc-list"), {QStringLiteral(":"), QStringLiteral("family")});
  std::set<std::string> names;
  if (!fcList.waitForFinished(20000)) return names;
  for (const QString& line : QString::fromUtf8(fcList.readAllStandardOutput()).split('\n')) {
    for (const QString& name : line.split(',', Qt::SkipEmptyParts)) {
      names.insert(name.toStdString());
    }
  }
  return names;
}

// The file of a font fontconfig knows; empty when it knows none.
std::string SomeFontFile() {
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* objects = FcObjectSetBuild(FC_FILE, nullptr);
  std::string file;
  if (FcFontSet* fonts = FcFontList(nullptr, pattern, objects)) {
    FcChar8* name = nullptr;
    if (fonts->nfont > 0 &&
        FcPatternGetString(fonts->fonts[0], FC_FILE, 0, &name) == FcResultMatch) {
      file = reinterpret_cast<const char*>(name);
    }
    FcFontSetDestroy(fonts);
  }
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  return file;
}

// While it lives, the fonts fontconfig knows are one font file under each of the given family
// names (a name given twice is two fonts of one family): a configuration of its own, whose
// rules rename the file's links in a temporary folder as fontconfig reads them.
class RenamedFonts {
 public:
  explicit RenamedFonts(const std::string& font, const std::vector<std::string>& families)
      : m_previous(FcConfigReference(nullptr)) {
    const std::string folder = QFileInfo(m_folder.path()).canonicalFilePath().toStdString();
    std::string config = "<?xml version=\"1.0\"?>\n<fontconfig><dir>" + folder +
                         "</dir><cachedir>" + folder + "/cache</cachedir>\n";
    for (std::size_t i = 0; i < families.size(); ++i) {
      const std::string link = folder + "/" + std::to_string(i) + ".font";
      m_ready &= QFile::link(QString::fromStdString(font), QString::fromStdString(link));
      config += "<match target=\"scan\"><test name=\"file\"><string>" + link +
                "</string></test><edit name=\"family\" mode=\"assign_replace\"><string>" +
                families[i] + "</string></edit></match>\n";
    }
    config += "</fontconfig>\n";
    FcConfig* renamed = FcConfigCreate();
    m_ready &= FcConfigParseAndLoadFromMemory(
                   renamed, reinterpret_cast<const FcChar8*>(config.c_str()), FcTrue) == FcTrue &&
               FcConfigBuildFonts(renamed) == FcTrue && FcConfigSetCurrent(renamed) == FcTrue;
    FcConfigDestroy(renamed);  // the current configuration keeps it
  }
  ~RenamedFonts() {
    FcConfigSetCurrent(m_previous);
    FcConfigDestroy(m_previous);
  }
  RenamedFonts(const RenamedFonts&) = delete;
  RenamedFonts& operator=(const RenamedFonts&) = delete;

  bool ready() const { return m_ready; }

 private:
  QTemporaryDir m_folder;
  FcConfig* m_previous;
  bool m_ready = true;
};

TEST(QtDesktopFonts, OffersEachFamilyOnceByTheNameAPageCanUse) {
  const std::set<std::string> expected = FcListFamilies();
  if (expected.empty()) GTEST_SKIP() << "fc-list is not installed or lists no font";
  QtDesktop desktop;
  const std::vector<std::string> families = desktop.FontFamilies();
  EXPECT_EQ(std::set<std::string>(families.begin(), families.end()), expected);
  EXPECT_EQ(families.size(), expected.size()) << "each family once";
  for (const std::string& family : families) {
    EXPECT_EQ(family.find('['), std::string::npos) << family;
  }
}

TEST(QtDesktopFonts, ListsFamiliesAlphabeticallyWhateverTheirLetterCase) {
  const std::string font = SomeFontFile();
  if (font.empty()) GTEST_SKIP() << "fontconfig knows no font";
  // Fontconfig holds names that differ in letter case only as one family, so none here do.
  const RenamedFonts renamed(font, {"zeta", "Émile", "Bravo", "alpha 2", "Zulu", "Ölfarbe", "eagle",
                                    "élan", "Alpha", "beta", "Zulu"});
  ASSERT_TRUE(renamed.ready());
  // Letters are compared without a locale: accented ones come after z.
  const std::vector<std::string> expected = {"Alpha", "alpha 2", "beta", "Bravo", "eagle",
                                             "zeta",  "Zulu",    "élan", "Émile", "Ölfarbe"};
  EXPECT_EQ(QtDesktop().FontFamilies(), expected);
}

}  // namespace
}  // namespace tintrix

namespace tintrix {
namespace {

// A fade's name or a path in a message is shown as it is, whatever it looks like.
TEST(QtDesktopMessages, ShowNamesAsPlainText) {
  QtDesktop desktop;
  QStringList shown;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    for (QLabel* label : box->findChildren<QLabel*>()) {
      if (label->text().contains('<')) {
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
        shown << label->text();
      }
    }
    box->accept();
  });
  desktop.ShowMessage("Fade Info:\r\r<b>bold</b>", "Tintrix 1.0", MessageIcon::None,
                      "<img src=\"x\">");
  EXPECT_EQ(shown, (QStringList{"Fade Info:\n\n<b>bold</b>", "<img src=\"x\">"}));
}

}  // namespace
}  // namespace tintrix
