#pragma once
// The window's look and the small makers of its controls: colours, the Tahoma
// font, named children placed at fixed positions.

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

inline constexpr QColor kFormColour(0xFF, 0xFC, 0xEA);
inline constexpr QColor kButtonBarColour(0xFF, 0xF5, 0xC1);
inline constexpr QColor kCaptionColour(0x1A, 0x99, 0xCC);
inline constexpr QColor kHeaderColour(0xFF, 0xF5, 0xC1);
inline constexpr QColor kGridLineColour(0xD4, 0xD0, 0xC8);
inline constexpr QColor kLinkHoverColour(0x00, 0x00, 0xFF);
inline constexpr QColor kTextColour(0x00, 0x00, 0x00);
inline constexpr QColor kButtonColour(0xEF, 0xEF, 0xEF);
inline constexpr QColor kSelectionColour(0x1F, 0x5F, 0xA8);

QFont TahomaFont(int pixelSize, bool bold = false);

// The window's own light palette, whatever the desktop's theme: every role is
// set in every colour group, so no colour of a dark desktop palette reaches a
// control, and each text colour comes with the background it is drawn on.
QPalette DesignPalette();

// Fills the widget's background with `background` and draws its text in `text`.
void Paint(QWidget* widget, const QColor& background, const QColor& text);
// Changes the text colour only (a link under the mouse).
void SetTextColour(QWidget* widget, const QColor& colour);

// A child of parent with the given object name.
template <typename T>
T* Make(QWidget* parent, const char* name)
{
    T* widget = new T(parent);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A label sized to its text at (left, top), black on the page colour.
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int left, int top);

// A push button of the window's size (88 x 24) at (left, top).
QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, int left, int top);
