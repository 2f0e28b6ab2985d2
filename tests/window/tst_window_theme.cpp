// The window reads under the desktop's palette, light or dark: every text of
// every page, sampled from the rendered window, stands out from what it is
// drawn on.

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyleOptionComboBox>
#include <QStyleOptionGroupBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <cmath>

#include "WindowTestSupport.h"
#include "app/Unit1.h"

namespace {

double Luminance(const QColor& colour)
{
    auto channel = [](double value) {
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
}

double Contrast(const QColor& a, const QColor& b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The contrast of the text inside `rect`: its most frequent colour is taken as
// the background, the pixel that differs most from it as the text.
double TextContrast(const QImage& image, const QRect& rect)
{
    QHash<QRgb, int> counts;
    const QRect inside = rect & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) ++counts[image.pixel(x, y)];
    QRgb background = 0;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) std::tie(background, most) = std::make_pair(it.key(), it.value());
    double widest = 1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        widest = std::max(widest, Contrast(QColor(background), QColor(it.key())));
    return widest;
}

// A place where the window draws text, in window coordinates.
struct TTextPlace {
    QString name;
    QRect rect;
    bool enabled;
};

QRect InWindow(const QWidget* widget, const QRect& rect, const QWidget& window)
{
    return rect.translated(widget->mapTo(&window, QPoint(0, 0)));
}

// The texts of the controls shown now; the title of a group box and the text
// of a selector where the style draws them; only the caption of a picture button.
QList<TTextPlace> ShownTexts(const QWidget& window)
{
    QList<TTextPlace> places;
    auto add = [&](const QWidget* widget, const QRect& rect) {
        places.append({widget->objectName() + QLatin1Char(' ') + widget->metaObject()->className(),
                       InWindow(widget, rect, window), widget->isEnabled()});
    };
    for (const QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisible()) continue;
        if (auto* label = qobject_cast<const QLabel*>(widget)) {
            if (!label->text().isEmpty()) add(label, label->rect());
        } else if (auto* button = qobject_cast<const QToolButton*>(widget)) {
            const int top = button->icon().isNull() ? 0 : button->iconSize().height() + 4;
            add(button, button->rect().adjusted(2, top, -2, -2));
        } else if (auto* button = qobject_cast<const QPushButton*>(widget)) {
            add(button, button->rect().adjusted(4, 4, -4, -4));
        } else if (auto* edit = qobject_cast<const QLineEdit*>(widget)) {
            if (!edit->text().isEmpty()) add(edit, edit->rect().adjusted(3, 3, -3, -3));
        } else if (auto* box = qobject_cast<const QGroupBox*>(widget)) {
            QStyleOptionGroupBox option;
            option.initFrom(box);
            option.text = box->title();
            option.subControls = QStyle::SC_GroupBoxLabel;
            add(box, box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box));
        } else if (auto* combo = qobject_cast<const QComboBox*>(widget)) {
            QStyleOptionComboBox option;
            option.initFrom(combo);
            add(combo, combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField,
                                                      combo));
        } else if (auto* list = qobject_cast<const QListWidget*>(widget)) {
            for (int row = 0; row < list->count(); ++row)
                add(list->viewport(), list->visualItemRect(list->item(row)).adjusted(30, 0, 0, 0));
        } else if (auto* grid = qobject_cast<const QTableView*>(widget)) {
            const QHeaderView* header = grid->horizontalHeader();
            for (int column = 1; column < 5; ++column)
                add(header, QRect(header->sectionViewportPosition(column), 0, header->sectionSize(column),
                                  header->height()));
            for (int row = 0; row < grid->model()->rowCount(); ++row)
                for (int column = 1; column < 5; ++column) {
                    const QModelIndex index = grid->model()->index(row, column);
                    if (!index.data().toString().isEmpty()) add(grid->viewport(), grid->visualRect(index));
                }
        }
    }
    return places;
}

}  // namespace

class WindowThemeTest : public QObject {
    Q_OBJECT

private slots:
    void EveryTextStandsOutFromItsBackground_data()
    {
        QTest::addColumn<QPalette>("desktop");
        QTest::newRow("light") << QApplication::style()->standardPalette();
        QTest::newRow("dark") << DarkDesktopPalette();
    }

    void EveryTextStandsOutFromItsBackground()
    {
        QFETCH(QPalette, desktop);
        const QPalette before = QApplication::palette();
        QApplication::setPalette(desktop);
        {
            // No plug-ins: their notices show and their selectors are greyed.
            QTemporaryDir program;
            QTemporaryDir dir;
            const QString css = WriteFile(dir.filePath("site/style.css"), "body {\n  color : red ;\n}\n");
            WriteFile(dir.filePath("site/robots.txt"), "User-agent: *\n");
            TForm1 form(program.path().toStdString());
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            form.AddFiles({dir.filePath("site")});
            form.findChild<QLineEdit*>("OutputDir")->setText(dir.filePath("out") + "/");
            form.findChild<QToolButton*>("OptiButton")->click();
            QVERIFY(WaitUntil([&form] { return !form.Running(); }));
            form.findChild<QTableView*>("ResultGrid")->selectRow(0);  // the selection colours too

            QStringList faults;
            int checked = 0;
            for (int page = 0; page < 4; ++page) {
                form.findChild<QStackedWidget*>("Notebook1")->setCurrentIndex(page);
                const QImage image = form.grab().toImage();
                for (const TTextPlace& place : ShownTexts(form)) {
                    // At least the contrast asked of large text and of controls;
                    // greyed text may stand out less, as desktops draw it.
                    const double least = place.enabled ? 3.0 : 2.5;
                    const double contrast = TextContrast(image, place.rect);
                    ++checked;
                    if (contrast < least)
                        faults << QStringLiteral("page %1, %2: %3").arg(page).arg(place.name).arg(contrast, 0, 'f', 2);
                }
            }
            QVERIFY2(checked > 40, qPrintable(QString::number(checked)));
            QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
        }
        QApplication::setPalette(before);
    }
};

QTEST_MAIN(WindowThemeTest)
#include "tst_window_theme.moc"
