#pragma once
#include <QDialog>
#include <QString>
#include <QStringList>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QListView;

// The file dialog of a hand-held's screen: a folder's entries in one column, a name, the
// kinds of file, and the buttons, one under the other, so that all of it fits 240 pixels
// across. Folders are entered with a tap (or Enter); "Вверх" goes to the parent.
class CompactFileDialog final : public QDialog {
public:
    // `filters` in Qt's form ("LUR Files (*.lur)"), the first chosen.
    CompactFileDialog(bool save, const QStringList& filters, QWidget* parent);

    void SetDirectory(const QString& directory);
    void SetName(const QString& name);
    QString Directory() const { return directory_; }
    // The chosen file: the folder and the name as typed.
    QString SelectedFile() const;
    int SelectedFilter() const;

    QLineEdit* NameEdit() const { return name_; }
    QListView* Entries() const { return entries_; }

private:
    void Activate(const QModelIndex& index);
    void ApplyFilter();

    bool save_;
    QString directory_;
    QLabel* where_ = nullptr;
    QListView* entries_ = nullptr;
    QFileSystemModel* model_ = nullptr;
    QLineEdit* name_ = nullptr;
    QComboBox* kinds_ = nullptr;
};
