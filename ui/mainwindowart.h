#pragma once

#include <QRect>
#include <QSize>
#include <QWidget>

namespace tintrix {

// The main window's classic layout, in logical pixels (from twips, 15 to a pixel).
struct MainWindowLayout {
  static const QSize kWindow;  // 4050 x 1050 twips
  static const QRect kTitleStrip;
  static const QRect kBody;
  static const QRect kOptionsSpot;  // inside Picture2: the word "Options"
  static const QRect kHelpSpot;     // inside Picture2: the word "Help"
  static const QRect kCloseSpot;    // inside Picture1: the close mark
  static const QRect kTextEntry;    // inside Picture2
};

// One of the two panels of the main window, painting its own artwork: the title strip
// (`Picture1`: gradient, information sign, "Tintrix 1.0", the boxed X) or the body
// (`Picture2`: gradient, the words "Options" and "Help", a rule, the white entry field).
// Mouse handling is the main window's.
class MainWindowPanel final : public QWidget {
 public:
  enum class Art { kTitleStrip, kBody };

  MainWindowPanel(QWidget* parent, Art art);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Art m_art;
};

}  // namespace tintrix
