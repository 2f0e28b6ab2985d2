#include "app/Widgets.h"

#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QWidget>

QFont TahomaFont(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void Paint(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void SetTextColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int left, int top)
{
    QLabel* label = Make<QLabel>(parent, name);
    label->setText(text);
    label->move(left, top);
    label->adjustSize();
    return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, int left, int top)
{
    QPushButton* button = Make<QPushButton>(parent, name);
    button->setText(text);
    button->setGeometry(left, top, 88, 24);
    return button;
}
