#pragma once

#include <QUrl>

namespace tintrix {

// The two web pages the program links to. Both are fixed; nothing configures them.
inline constexpr const char* kMakerWebsite = "https://www.quorvel.example/";
inline constexpr const char* kSignUpPage = "https://surf-rewards.example/signup?ref=quorvel";

// Hands a web address to whatever shows it. Implementations report nothing: a page that
// cannot be opened is passed over silently.
class WebOpener {
 public:
  virtual ~WebOpener() = default;
  virtual void Open(const QUrl& url) = 0;
};

// Asks the desktop to open the address with the user's default handler (the browser).
class QtWebOpener final : public WebOpener {
 public:
  void Open(const QUrl& url) override;
};

// Opens `url` through the program's web opener: the Qt one unless a test replaced it with
// SetWebOpener. Returns at once; the browser is not waited for.
void OpenWebPage(const QUrl& url);

// Makes `opener` the program's web opener and returns the previous one; nullptr restores the
// Qt one. The opener is not owned and must outlive its use.
WebOpener* SetWebOpener(WebOpener* opener);

// Replaces the program's web opener for the lifetime of this object.
class ScopedWebOpener {
 public:
  explicit ScopedWebOpener(WebOpener& opener) : m_previous(SetWebOpener(&opener)) {}
  ~ScopedWebOpener() { SetWebOpener(m_previous); }
  ScopedWebOpener(const ScopedWebOpener&) = delete;
  ScopedWebOpener& operator=(const ScopedWebOpener&) = delete;

 private:
  WebOpener* m_previous;
};

}  // namespace tintrix
