// The window reads under the desktop's palette, light or dark: the texts of
// every page, sampled from the rendered window, stand out from what they are
// drawn on.

#include <QApplication>
#include <QGroupBox>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStackedWidget>
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

// The contrast ratio of two colours (1 to 21), from their relative luminance.
double Contrast(const QColor& a, const QColor& b)
{
    auto luminance = [](const QColor& colour) {
        auto linear = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
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
        if (it.value() > most) std::tie(background, most) = std::pair(it.key(), it.value());
    double widest = 1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        widest = std::max(widest, Contrast(QColor(background), QColor(it.key())));
    return widest;
}

// The places where the shown controls draw text, named, in window coordinates:
// labels, group box titles, the captions of the bar's buttons, the list's
// entries, the grid's header and filled cells.
QList<QPair<QString, QRect>> ShownTexts(const QWidget& window)
{
    QList<QPair<QString, QRect>> places;
    auto add = [&](const QWidget* widget, const QRect& rect) {
        places.append({widget->objectName(), rect.translated(widget->mapTo(&window, QPoint(0, 0)))});
    };
    for (const QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisible()) continue;
        if (auto* label = qobject_cast<const QLabel*>(widget)) {
            add(label, label->rect());
        } else if (auto* button = qobject_cast<const QToolButton*>(widget)) {  // below the picture
            const int top = button->icon().isNull() ? 0 : button->iconSize().height() + 4;
            add(button, button->rect().adjusted(2, top, -2, -2));
        } else if (auto* box = qobject_cast<const QGroupBox*>(widget)) {
            QStyleOptionGroupBox option;
            option.initFrom(box);
            option.text = box->title();
            add(box, box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box));
        } else if (auto* list = qobject_cast<const QListWidget*>(widget)) {
            for (int row = 0; row < list->count(); ++row)
                add(list->viewport(), list->visualItemRect(list->item(row)).adjusted(30, 0, 0, 0));
        } else if (auto* grid = qobject_cast<const QTableView*>(widget)) {
            const QHeaderView* header = grid->horizontalHeader();
            for (int column = 1; column < 5; ++column) {
                add(header, QRect(header->sectionViewportPosition(column), 0, header->sectionSize(column), 24));
                for (int row = 0; row < grid->model()->rowCount(); ++row)
                    if (!grid->model()->index(row, column).data().toString().isEmpty())
                        add(grid->viewport(), grid->visualRect(grid->model()->index(row, column)));
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
        QStringList faults;
        int checked = 0;
        {
            // No plug-ins: their notices show. A site run fills the list and the grid.
            QTemporaryDir program;
            QTemporaryDir dir;
            WriteFile(dir.filePath("site/style.css"), "body {\n  color : red ;\n}\n");
            WriteFile(dir.filePath("site/robots.txt"), "User-agent: *\n");
            TForm1 form(program.path().toStdString());
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            form.AddFiles({dir.filePath("site")});
            form.findChild<QLineEdit*>("OutputDir")->setText(dir.filePath("out") + "/");
            form.findChild<QToolButton*>("OptiButton")->click();
            QVERIFY(WaitUntil([&form] { return !form.Running(); }));
            form.findChild<QTableView*>("ResultGrid")->selectRow(0);  // the selection's colours too

            for (int page = 0; page < 4; ++page) {
                form.findChild<QStackedWidget*>("Notebook1")->setCurrentIndex(page);
                const QImage image = form.grab().toImage();
                for (const auto& [name, rect] : ShownTexts(form)) {
                    // At least what is asked of large text and of controls.
                    const double contrast = TextContrast(image, rect);
                    ++checked;
                    if (contrast < 3)
                        faults << QStringLiteral("page %1, %2: %3").arg(page).arg(name).arg(contrast, 0, 'f', 2);
                }
            }
        }
        QApplication::setPalette(before);
        QVERIFY2(checked > 40, qPrintable(QString::number(checked)));
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
    }
};

QTEST_MAIN(WindowThemeTest)
#include "tst_window_theme.moc"
