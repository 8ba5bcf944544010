#include "ui/qtdesktop.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace tintrix {

QtDesktop::QtDesktop(QWidget* parent) : m_parent(parent) {}

void QtDesktop::ShowMessage(const std::string& text, const std::string& title,
                            MessageIcon icon, const std::string& informative) {
  QMessageBox box(icon == MessageIcon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon,
                  QString::fromStdString(title), QString::fromStdString(text), QMessageBox::Ok,
                  m_parent);
  box.setInformativeText(QString::fromStdString(informative));
  box.exec();
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
