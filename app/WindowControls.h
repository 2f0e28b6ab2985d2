#pragma once
// The controls of the main window, built with their texts, looks and places:
// the left button bar, the caption bar and the four pages (file list,
// configuration, results, About) and the two file dialogs. Building connects
// nothing; the window wires the controls to its handlers.

#include <QCoreApplication>
#include <QString>

#include <map>

#include "app/core/RunHost.h"

class QAbstractItemModel;
class QAction;
class QComboBox;
class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTableView;
class QToolButton;
class QWidget;
class TFileListBox;

// The application title, untranslated: the program's name for the system.
extern const char* const kApplicationTitle;

// The window's texts are translated in the context "TForm1".
class TWindowControls {
    Q_DECLARE_TR_FUNCTIONS(TForm1)
public:
    // Left button bar.
    QWidget* Panel1 = nullptr;
    QToolButton* ChooseButton = nullptr;
    QToolButton* ConfigButton = nullptr;
    QToolButton* OptiButton = nullptr;
    QToolButton* ExitButton = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    // Right side.
    QWidget* RightPanel = nullptr;
    QLabel* CaptionPanel = nullptr;
    QStackedWidget* Notebook1 = nullptr;
    // Page 0, "Choose files".
    QLabel* Label8 = nullptr;
    QLineEdit* OutputDir = nullptr;
    QPushButton* BrowseButton2 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* BrowseButton = nullptr;
    TFileListBox* ListBox1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* REmovefromlist1 = nullptr;
    // Page 1, "Configure".
    QGroupBox* GroupBox1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QGroupBox* GroupBox4 = nullptr;
    QGroupBox* GroupBox5 = nullptr;
    QGroupBox* GroupBox6 = nullptr;
    QComboBox* PNGCombo = nullptr;
    QComboBox* JSCombo = nullptr;
    QComboBox* JPEgCombo = nullptr;
    QComboBox* HTMLCombo = nullptr;
    QComboBox* GIFCombo = nullptr;
    QComboBox* CSSCombo = nullptr;
    QLabel* PNGDisabledLabel = nullptr;
    QLabel* JsDisabledLabel = nullptr;
    QLabel* JPEGDisabledLabel = nullptr;
    // Page 2, "Optimize".
    QLabel* Label9 = nullptr;
    QPushButton* SaveButton = nullptr;
    QTableView* ResultGrid = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    // Page 3, "About".
    QLabel* Label10 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* Label13 = nullptr;
    QLabel* Label14 = nullptr;
    // Dialogs.
    QFileDialog* OpenDialog1 = nullptr;
    QFileDialog* SaveDialog1 = nullptr;

    // Builds every control as a child of form (and the form's own caption,
    // font, colour, size and place); the grid shows results.
    void SetupControls(QWidget* form, QAbstractItemModel* results);

    // The selector of a row of the optimizer table (null for a row without
    // entries), and the notice shown when its plug-in is missing (null for a
    // row without plug-in).
    QComboBox* Combo(FileKind kind) const;
    QLabel* DisabledNotice(FileKind kind) const;

    // The page names, in page order; empty for another number.
    static QString PageName(int page);
    // The application title as shown: window caption, message boxes, About page.
    static QString ApplicationTitle();

private:
    void CreateButtonBar(QWidget* form);
    void CreateChooseFilesPage();
    void CreateConfigurePage();
    void CreateOptimizePage(QAbstractItemModel* results);
    void CreateAboutPage();
    void CreateDialogs(QWidget* form);

    std::map<FileKind, QComboBox*> combos_;
    std::map<FileKind, QLabel*> notices_;
};
