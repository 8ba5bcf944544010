#pragma once

#include <QTimer>

#include <chrono>

#include "engine/fadesettings.h"
#include "engine/status.h"
#include "store/settingsstore.h"

namespace tintrix {

// Keeps the stored fade close behind the fade in use. The window is made to stay open all day
// and is mostly ended by the session, not closed: whatever ends it without its close steps (a
// kill, a lost display, a power cut) then loses at most `delay` of the user's changes.
//
// Only the stored fields count (never the text), and a fade that is the one last stored is not
// written again, so the settings file keeps its time while nothing changes. The store is the
// same one the close steps write (SaveFadeSettings), with the same keys and order.
//
// Runs in the thread of its event loop; `fade` and `store` are not owned and must outlive it.
class FadeAutosave {
 public:
  // The fade as it is now counts as the stored one.
  FadeAutosave(const FadeSettings& fade, SettingsStore& store,
               std::chrono::milliseconds delay = std::chrono::seconds(1));

  // Call after anything that may have changed the fade. When its stored fields differ from
  // those last stored, they are stored within `delay`; changes made in the meantime go with
  // them. A fade that is back to the stored one cancels the pending store.
  void Changed();

  // The fade as it is now is the stored one (after loading it, or after the close steps have
  // saved it); a pending store is cancelled.
  void MarkStored();

  // Stores the fade now when its stored fields differ from those last stored; succeeds
  // without writing when they do not. On failure (the store's Sync status) the fade counts as
  // not stored, and the next change or call tries again.
  Status StoreIfChanged();

  // True while a change waits to be stored.
  bool Pending() const { return m_timer.isActive(); }

 private:
  bool DiffersFromStored() const;

  const FadeSettings& m_fade;
  SettingsStore& m_store;
  FadeSettings m_stored;
  QTimer m_timer;
};

}  // namespace tintrix
