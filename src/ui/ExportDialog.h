#pragma once
#include <QDialog>

#include "platform/Prompter.h"

class QCheckBox;
class QDialogButtonBox;
class QLineEdit;

// "Параметры экспорта": the cell size and radius of a map grid in metres (empty: the
// export's default, named in the field) and whether readings without a position are kept.
// OK only while every field given is a length above 0. UI thread.
class ExportDialog final : public QDialog {
public:
    ExportDialog(const platform::ExportOptionsRequest& request, QWidget* parent);

    platform::ExportOptionsAnswer Answer() const;

    QLineEdit* CellEdit() const { return cell_; }
    QLineEdit* RadiusEdit() const { return radius_; }
    QCheckBox* KeepBox() const { return keep_; }
    QDialogButtonBox* Buttons() const { return buttons_; }

private:
    void Validate();

    QLineEdit* cell_ = nullptr;
    QLineEdit* radius_ = nullptr;
    QCheckBox* keep_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};
