#pragma once

#include <QRect>

#include <span>

class QPushButton;
class QWidget;

namespace tintrix {

// The windows keep the classic layout, given in twips: 15 twips are one logical pixel.
inline constexpr int kTwipsPerPixel = 15;

// A length in twips as logical pixels, rounded to the nearest pixel.
int TwipsToPixels(int twips);

// A rectangle given in twips, in logical pixels. Each edge is rounded to the nearest pixel, so
// neighbouring rectangles keep meeting where they met.
QRect Twips(int left, int top, int width, int height);

// Steps the font of a label, check box or option button down until its caption fits its
// rectangle: the desktop's face may run wider than the classic one.
void ShrinkToFit(QWidget* widget);

// As ShrinkToFit for controls that belong together, with one type size for all of them: the
// largest at which every caption fits.
void ShrinkToFitTogether(std::span<QWidget* const> widgets);

// Steps a push button's font down until its caption keeps `room` pixels free on each side.
void ShrinkCaptionToFit(QPushButton* button, int room);

}  // namespace tintrix
