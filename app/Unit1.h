#pragma once
// The main window: the left button bar, the caption bar and the four pages
// (file list, configuration, results, About). It owns every input of a run
// and runs the optimization on the user-interface thread.

#include <QWidget>

#include <memory>
#include <string>

#include "app/core/GridView.h"
#include "app/core/RunHost.h"
#include "compressors/RunEnvironment.h"

class QComboBox;
class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QPainter;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QStyleOptionViewItem;
class QModelIndex;
class QTableWidget;
class QToolButton;
class TFileListBox;
class TIconCache;

// The application title: task-bar entry, window caption, message boxes.
extern const char* const kApplicationTitle;

class TForm1 : public QWidget, public TRunHost, public TGridView {
    Q_OBJECT
public:
    // programDir holds plugins/ and help.html; by default the program's folder.
    explicit TForm1(const std::string& programDir = std::string(), QWidget* parent = nullptr);
    ~TForm1() override;

    // Left button bar.
    QWidget* Panel1;
    QToolButton* ChooseButton;
    QToolButton* ConfigButton;
    QToolButton* OptiButton;
    QToolButton* ExitButton;
    QToolButton* SpeedButton1;
    QToolButton* SpeedButton2;
    // Right side.
    QWidget* RightPanel;
    QLabel* CaptionPanel;
    QStackedWidget* Notebook1;
    // Page 0, "Choose files".
    QLabel* Label8;
    QLineEdit* OutputDir;
    QPushButton* BrowseButton2;
    QLabel* Label1;
    QPushButton* BrowseButton;
    TFileListBox* ListBox1;
    QMenu* PopupMenu1;
    QAction* REmovefromlist1;
    // Page 1, "Configure".
    QGroupBox* GroupBox1;
    QGroupBox* GroupBox2;
    QGroupBox* GroupBox3;
    QGroupBox* GroupBox4;
    QGroupBox* GroupBox5;
    QGroupBox* GroupBox6;
    QComboBox* PNGCombo;
    QComboBox* JSCombo;
    QComboBox* JPEgCombo;
    QComboBox* HTMLCombo;
    QComboBox* GIFCombo;
    QComboBox* CSSCombo;
    QLabel* PNGDisabledLabel;
    QLabel* JsDisabledLabel;
    QLabel* JPEGDisabledLabel;
    // Page 2, "Optimize".
    QLabel* Label9;
    QPushButton* SaveButton;
    QTableWidget* ResultGrid;
    QProgressBar* ProgressBar1;
    // Page 3, "About".
    QLabel* Label10;
    QLabel* Label11;
    QLabel* Label12;
    QLabel* Label13;
    QLabel* Label14;
    // Dialogs.
    QFileDialog* OpenDialog1;
    QFileDialog* SaveDialog1;

    // Commands.
    void ChooseButtonClick();
    void ConfigButtonClick();
    void OptiButtonClick();
    void SpeedButton1Click();
    void ExitButtonClick();
    void SpeedButton2Click();
    void BrowseButtonClick();
    void BrowseButton2Click();
    void REmovefromlist1Click();
    void SaveButtonClick();
    void Label13Click(QLabel* label);

    // Appends the files as they are; a folder adds the web files below it.
    void AddFiles(const QStringList& paths);

    // Icons for the list and the grid.
    int GetIconIndex(const std::string& path);
    int GetSystemIcon(const std::string& path);
    const TIconCache& IconList() const { return *iconCache_; }

    // The page names, in page order.
    static QString PageName(int page);
    bool Running() const { return running_; }

    // TRunHost.
    int FileCount() const override;
    std::string FileAt(int index) const override;
    std::string OutputDirText() const override;
    std::string SelectorText(Selector selector) const override;
    const TRunEnvironment& Environment() const override { return environment_; }
    std::string ThousandsSeparator() const override;
    std::string DecimalSeparator() const override;
    void SetRowCount(int rows) override;
    void SetCell(int column, int row, const std::string& text) override;
    void SetProgressMax(int maximum) override;
    void SetProgress(int position) override;
    void RepaintAndProcessMessages() override;
    void ChooseFiles() override;
    bool StopRequested() const override { return stopRequested_; }

    // TGridView over ResultGrid; row 0 is the header.
    int RowCount() const override;
    int ColumnCount() const override;
    std::string Cell(int column, int row) const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateButtonBar();
    void CreateChooseFilesPage();
    void CreateConfigurePage();
    void CreateOptimizePage();
    void CreateAboutPage();
    void CreateDialogs();
    void FormCreate();
    void FormResize();
    void FormClose();
    void ShowPage(int page);
    void SetRunning(bool running);
    void ListBox1DrawItem(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index);
    void ResultGridDrawCell(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index);
    void Label13MouseMove(QLabel* label);
    void Label13MouseLeave(QLabel* label);
    QComboBox* Combo(Selector selector) const;

    std::string programDir_;
    TRunEnvironment environment_;  // plugins/ in programDir_, this window's event pump and message box
    std::unique_ptr<TIconCache> iconCache_;
    bool running_ = false;
    bool stopRequested_ = false;
    bool closeAfterRun_ = false;
    int progressMax_ = 100;
};
