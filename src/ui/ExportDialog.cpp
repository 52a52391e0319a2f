#include "ui/ExportDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>

namespace {

// A length typed with a point or a comma; nothing when empty, NaN when not a length above 0.
std::optional<double> Length(const QLineEdit* edit)
{
    QString text = edit->text().trimmed();
    if (text.isEmpty())
        return std::nullopt;
    text.replace(',', '.');
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && value > 0 && std::isfinite(value) ? value : std::nan("");
}

} // namespace

ExportDialog::ExportDialog(const platform::ExportOptionsRequest& request, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromUtf8("Параметры экспорта"));
    auto* form = new QFormLayout(this);
    // Each label over its field: the dialog fits a hand-held's screen.
    form->setRowWrapPolicy(QFormLayout::WrapAllRows);
    if (request.grid) {
        cell_ = new QLineEdit(this);
        cell_->setPlaceholderText(QString::fromStdString(request.cellHint));
        form->addRow(QString::fromUtf8("Размер ячейки, м:"), cell_);
        connect(cell_, &QLineEdit::textChanged, this, &ExportDialog::Validate);
    }
    if (request.radius) {
        radius_ = new QLineEdit(this);
        radius_->setPlaceholderText(QString::fromStdString(request.radiusHint));
        form->addRow(QString::fromUtf8("Радиус влияния измерения, м:"), radius_);
        connect(radius_, &QLineEdit::textChanged, this, &ExportDialog::Validate);
    }
    if (request.keepUnlocated) {
        keep_ = new QCheckBox(QString::fromUtf8("Записать и измерения\nбез координат\n(без геометрии)"), this);
        form->addRow(keep_);
    }
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons_->button(QDialogButtonBox::Ok)->setText(QString::fromUtf8("ОК"));
    buttons_->button(QDialogButtonBox::Cancel)->setText(QString::fromUtf8("Отмена"));
    form->addRow(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

platform::ExportOptionsAnswer ExportDialog::Answer() const
{
    platform::ExportOptionsAnswer answer;
    if (cell_)
        answer.cellMetres = Length(cell_);
    if (radius_)
        answer.radiusMetres = Length(radius_);
    answer.keepUnlocated = keep_ != nullptr && keep_->isChecked();
    return answer;
}

void ExportDialog::Validate()
{
    const platform::ExportOptionsAnswer answer = Answer();
    const bool valid = !(answer.cellMetres && std::isnan(*answer.cellMetres)) &&
                       !(answer.radiusMetres && std::isnan(*answer.radiusMetres));
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(valid);
}
