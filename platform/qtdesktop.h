#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>

#include "platform/desktop.h"

namespace tintrix {

// The desktop of a running program: Qt's message boxes and event loop, and the program's one
// random source. Dialogs are owned by `parent` (may be null).
class QtDesktop : public Desktop {
 public:
  explicit QtDesktop(QWidget* parent = nullptr);

  // The window that owns the dialogs when no window of the program is active.
  void SetParent(QWidget* parent) { m_parent = parent; }

  void ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                   const std::string& informative = {}) override;
  std::optional<std::string> PromptText(const std::string& prompt,
                                        const std::string& title) override;
  std::optional<std::string> OpenFadeFileName(const std::string& folder) override;
  std::optional<std::string> SaveFadeFileName(const std::string& folder) override;
  std::optional<std::uint32_t> PickColor(std::optional<std::uint32_t> initial) override;
  std::vector<std::string> FontFamilies() override;
  void SetClipboardText(const std::string& text) override;
  void LetPendingEventsRun() override;
  RandomSource& Random() override { return m_random; }

 private:
  std::optional<std::string> FadeFileName(bool save, const std::string& folder);
  // The window a dialog belongs to: the active one, so that a dialog opened from an
  // always-on-top window stays above it.
  QWidget* Owner() const;

  QPointer<QWidget> m_parent;
  ClockSeededRandom m_random;
  QElapsedTimer m_sinceEvents;
};

}  // namespace tintrix
