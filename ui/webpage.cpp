#include "ui/webpage.h"

#include <QDesktopServices>

namespace tintrix {

namespace {

QtWebOpener g_qtOpener;
WebOpener* g_opener = &g_qtOpener;

}  // namespace

void QtWebOpener::Open(const QUrl& url) { QDesktopServices::openUrl(url); }

void OpenWebPage(const QUrl& url) { g_opener->Open(url); }

WebOpener* SetWebOpener(WebOpener* opener) {
  WebOpener* previous = g_opener;
  g_opener = opener != nullptr ? opener : &g_qtOpener;
  return previous;
}

}  // namespace tintrix
