#include "platform/qtdesktop.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QString>

#include <algorithm>
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

TEST(QtDesktopFonts, OffersEachFamilyOnceByTheNameAPageCanUse) {
  const std::set<std::string> expected = FcListFamilies();
  if (expected.empty()) GTEST_SKIP() << "fc-list is not installed or lists no font";
  QtDesktop desktop;
  const std::vector<std::string> families = desktop.FontFamilies();
  EXPECT_EQ(std::set<std::string>(families.begin(), families.end()), expected);
  EXPECT_EQ(families.size(), expected.size()) << "each family once";
  EXPECT_TRUE(std::is_sorted(families.begin(), families.end(), [](const auto& a, const auto& b) {
    return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) < 0;
  }));
  for (const std::string& family : families) {
    EXPECT_EQ(family.find('['), std::string::npos) << family;
  }
}

}  // namespace
}  // namespace tintrix
