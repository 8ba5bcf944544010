#include "store/fadeautosave.h"

namespace tintrix {

FadeAutosave::FadeAutosave(const FadeSettings& fade, SettingsStore& store,
                           std::chrono::milliseconds delay)
    : m_fade(fade), m_store(store), m_stored(fade) {
  m_timer.setSingleShot(true);
  m_timer.setInterval(delay);
  // A failure is not shown: nobody asked for this store, and a message box every second would
  // hold the window. Close still saves, and says so when it cannot.
  QObject::connect(&m_timer, &QTimer::timeout, &m_timer,
                   [this] { static_cast<void>(StoreIfChanged()); });
}

bool FadeAutosave::DiffersFromStored() const { return !SameStoredFields(m_fade, m_stored); }

void FadeAutosave::Changed() {
  if (!DiffersFromStored()) {
    m_timer.stop();
    return;
  }
  // Not restarted by a later change: changes that keep coming are stored all the same.
  if (!m_timer.isActive()) m_timer.start();
}

void FadeAutosave::MarkStored() {
  m_timer.stop();
  m_stored = m_fade;
}

Status FadeAutosave::StoreIfChanged() {
  m_timer.stop();
  if (!DiffersFromStored()) return Status::Ok();
  TINTRIX_RETURN_IF_ERROR(SaveFadeSettings(m_fade, m_store));
  m_stored = m_fade;
  return Status::Ok();
}

}  // namespace tintrix
