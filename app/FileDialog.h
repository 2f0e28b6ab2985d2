#pragma once
// The window's file dialog: Qt's own, which also accepts files and folders
// whose names are not valid UTF-8. Qt shows such a name decoded with
// replacement characters and then finds no file of that name; this dialog
// accepts it when the name leads to a file on disk by its bytes (NativePath;
// for a file to be saved: its folder), and the window then uses those bytes.

#include <QFileDialog>

class TFileDialog : public QFileDialog {
    Q_OBJECT
public:
    using QFileDialog::QFileDialog;

protected:
    void accept() override;
};
