#pragma once
// The 64 x 64 pictures of the four large buttons of the left bar.

#include <QPixmap>

enum class ButtonPicture { ChooseFiles, Configure, Optimize, Exit };

// Draws the picture; transparent background, drawn fresh on every call.
QPixmap DrawButtonPicture(ButtonPicture picture);
