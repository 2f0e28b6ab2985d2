#include "app/Widgets.h"

#include <QLabel>
#include <QPushButton>
#include <QWidget>

QFont TahomaFont(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QPalette DesignPalette()
{
    // Qt derives the shades and the grey of disabled text from these two.
    QPalette palette(kButtonColour, kFormColour);
    for (int group = 0; group < QPalette::NColorGroups; ++group)
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto colourGroup = static_cast<QPalette::ColorGroup>(group);
            const auto colourRole = static_cast<QPalette::ColorRole>(role);
            palette.setBrush(colourGroup, colourRole, palette.brush(colourGroup, colourRole));
        }
    palette.setColor(QPalette::WindowText, kTextColour);
    palette.setColor(QPalette::Text, kTextColour);
    palette.setColor(QPalette::ButtonText, kTextColour);
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::AlternateBase, kFormColour);
    palette.setColor(QPalette::ToolTipBase, kButtonBarColour);
    palette.setColor(QPalette::ToolTipText, kTextColour);
    palette.setColor(QPalette::PlaceholderText, Qt::darkGray);
    palette.setColor(QPalette::Link, kLinkHoverColour);
    palette.setColor(QPalette::LinkVisited, Qt::darkMagenta);
    palette.setColor(QPalette::Highlight, kSelectionColour);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, Qt::darkGray);
    palette.setColor(QPalette::Disabled, QPalette::Highlight, Qt::gray);
    return palette;
}

void Paint(QWidget* widget, const QColor& background, const QColor& text)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, background);
    // Disabled text keeps the design palette's grey.
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText})
            palette.setColor(group, role, text);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void SetTextColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, QPalette::WindowText, colour);
    widget->setPalette(palette);
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int left, int top)
{
    QLabel* label = Make<QLabel>(parent, name);
    Paint(label, kFormColour, kTextColour);
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
