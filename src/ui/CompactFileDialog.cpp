#include "ui/CompactFileDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace {

// "LUR Files (*.lur)" → {"*.lur"}.
QStringList Patterns(const QString& filter)
{
    const QRegularExpressionMatch match = QRegularExpression("\\(([^)]*)\\)").match(filter);
    return match.hasMatch() ? match.captured(1).split(' ', Qt::SkipEmptyParts) : QStringList{"*"};
}

} // namespace

CompactFileDialog::CompactFileDialog(bool save, const QStringList& filters, QWidget* parent)
    : QDialog(parent), save_(save)
{
    setWindowTitle(save ? "Сохранить" : "Открыть");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(4);

    auto* top = new QHBoxLayout;
    where_ = new QLabel(this);
    where_->setMinimumWidth(0);
    where_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* up = new QPushButton("Вверх", this);
    top->addWidget(where_, 1);
    top->addWidget(up);
    column->addLayout(top);

    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDot);
    model_->setNameFilterDisables(false);
    entries_ = new QListView(this);
    entries_->setModel(model_);
    entries_->setMinimumWidth(0);
    column->addWidget(entries_, 1);

    name_ = new QLineEdit(this);
    name_->setPlaceholderText("Имя файла");
    name_->setVisible(save);
    column->addWidget(name_);

    kinds_ = new QComboBox(this);
    kinds_->addItems(filters);
    kinds_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    kinds_->setMinimumContentsLength(6);
    column->addWidget(kinds_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(save ? "Сохранить" : "Открыть");
    buttons->button(QDialogButtonBox::Cancel)->setText("Отмена");
    column->addWidget(buttons);

    connect(up, &QPushButton::clicked, this, [this] {
        QDir dir(directory_);
        if (dir.cdUp())
            SetDirectory(dir.absolutePath());
    });
    connect(entries_, &QListView::activated, this, &CompactFileDialog::Activate);
    connect(entries_, &QListView::clicked, this, &CompactFileDialog::Activate);
    connect(kinds_, &QComboBox::currentIndexChanged, this, &CompactFileDialog::ApplyFilter);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (!name_->text().trimmed().isEmpty())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    ApplyFilter();
    SetDirectory(QDir::currentPath());
}

void CompactFileDialog::SetDirectory(const QString& directory)
{
    directory_ = QDir(directory).absolutePath();
    entries_->setRootIndex(model_->setRootPath(directory_));
    where_->setText(directory_);
    where_->setToolTip(directory_);
}

void CompactFileDialog::SetName(const QString& name)
{
    name_->setText(name);
}

QString CompactFileDialog::SelectedFile() const
{
    const QString name = name_->text().trimmed();
    return QDir(directory_).filePath(name);
}

int CompactFileDialog::SelectedFilter() const
{
    return kinds_->currentIndex();
}

void CompactFileDialog::Activate(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    const QString path = model_->filePath(index);
    if (model_->isDir(index)) {
        SetDirectory(path);
        return;
    }
    name_->setText(model_->fileName(index));
    // Opening takes a file with one tap; saving lets the name be changed first.
    if (!save_)
        accept();
}

void CompactFileDialog::ApplyFilter()
{
    model_->setNameFilters(Patterns(kinds_->currentText()));
}
