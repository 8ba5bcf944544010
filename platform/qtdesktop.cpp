#include "platform/qtdesktop.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QCoreApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <set>

#include "engine/color.h"

namespace tintrix {

QtDesktop::QtDesktop(QWidget* parent) : m_parent(parent) {}

QWidget* QtDesktop::Owner() const {
  QWidget* active = QApplication::activeWindow();
  return active != nullptr ? active : m_parent.data();
}

void QtDesktop::ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                            const std::string& informative) {
  // Messages break their lines with carriage returns, which a Qt label does not show.
  QString shown = QString::fromStdString(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
      .replace(QLatin1Char('\r'), QLatin1Char('\n'));
  QMessageBox box(icon == MessageIcon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon,
                  QString::fromStdString(title), shown, QMessageBox::Ok, Owner());
  box.setInformativeText(QString::fromStdString(informative));
  // Messages quote names from files anybody may have written (a fade's name, a path): they are
  // shown as they are, never taken for rich text.
  box.setTextFormat(Qt::PlainText);
  for (QLabel* label : box.findChildren<QLabel*>()) label->setTextFormat(Qt::PlainText);
  // A short message would make a box too narrow for its own title: the window manager
  // needs room for the title beside its icon and buttons.
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
    QFont titleFont = box.font();
    titleFont.setBold(true);
    constexpr int kDecorationRoom = 120;
    const int width =
        QFontMetrics(titleFont).horizontalAdvance(QString::fromStdString(title)) + kDecorationRoom;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
  }
  box.exec();
}

std::optional<std::string> QtDesktop::PromptText(const std::string& prompt,
                                                 const std::string& title) {
  QInputDialog dialog(Owner());
  dialog.setInputMode(QInputDialog::TextInput);
  dialog.setWindowTitle(QString::fromStdString(title));
  dialog.setLabelText(QString::fromStdString(prompt));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.textValue().toStdString();
}

std::optional<std::string> QtDesktop::FadeFileName(bool save, const std::string& folder) {
  // Qt's own dialog rather than the desktop portal: the same everywhere, and drivable by tests.
  QFileDialog dialog(Owner());
  dialog.setDirectory(QString::fromStdString(folder));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setNameFilter(QStringLiteral("Fade Files (*.fad)"));
  if (save) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
  } else {
    // Any name is accepted, also one of a file that does not exist.
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().constFirst().toStdString();
}

std::optional<std::string> QtDesktop::OpenFadeFileName(const std::string& folder) {
  return FadeFileName(false, folder);
}

std::optional<std::string> QtDesktop::SaveFadeFileName(const std::string& folder) {
  return FadeFileName(true, folder);
}

std::optional<std::uint32_t> QtDesktop::PickColor(std::optional<std::uint32_t> initial) {
  QColorDialog dialog(Owner());
  dialog.setOption(QColorDialog::DontUseNativeDialog);
  if (initial) {
    const Channels channels = ColorChannels(*initial);
    dialog.setCurrentColor(QColor(channels.red, channels.green, channels.blue));
  }
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QColor color = dialog.selectedColor();
  return PackColor({color.red(), color.green(), color.blue()});
}

std::vector<std::string> QtDesktop::FontFamilies() {
  // Fontconfig itself rather than QFontDatabase: Qt tells families of the same name from
  // different foundries apart as "C059 [urw]", a name no page can use, and adds aliases
  // ("Sans Serif") that name no family.
  std::set<std::string> names;
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
  if (FcFontSet* fonts = FcFontList(nullptr, pattern, objects)) {
    for (int i = 0; i < fonts->nfont; ++i) {
      FcChar8* name = nullptr;
      for (int k = 0; FcPatternGetString(fonts->fonts[i], FC_FAMILY, k, &name) == FcResultMatch;
           ++k) {
        names.insert(reinterpret_cast<const char*>(name));
      }
    }
    FcFontSetDestroy(fonts);
  }
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  std::vector<std::string> sorted(names.begin(), names.end());
  std::stable_sort(sorted.begin(), sorted.end(), [](const std::string& a, const std::string& b) {
    return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) < 0;
  });
  return sorted;
}

void QtDesktop::SetClipboardText(const std::string& text) {
  QGuiApplication::clipboard()->setText(QString::fromStdString(text), QClipboard::Clipboard);
}

void QtDesktop::LetPendingEventsRun() {
  // A long fade asks once per pass of its dealing, hundreds of thousands of times for a long
  // text; looking at the queue once a frame keeps the window just as responsive.
  constexpr qint64 kFrameMs = 15;
  if (m_sinceEvents.isValid() && m_sinceEvents.elapsed() < kFrameMs) return;
  QCoreApplication::processEvents();
  m_sinceEvents.start();
}

}  // namespace tintrix
