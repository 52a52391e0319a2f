#include "ui/QtPrompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QThread>

#include "ui/CompactColourDialog.h"
#include "ui/CompactFileDialog.h"
#include "ui/ExportDialog.h"
#include "ui/ScreenFit.h"

namespace {

QMessageBox::Icon ToQt(platform::PromptIcon icon)
{
    switch (icon) {
    case platform::PromptIcon::Error:
        return QMessageBox::Critical;
    case platform::PromptIcon::Warning:
        return QMessageBox::Warning;
    case platform::PromptIcon::Question:
        return QMessageBox::Question;
    case platform::PromptIcon::Information:
        return QMessageBox::Information;
    case platform::PromptIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQt(platform::PromptButtons buttons)
{
    switch (buttons) {
    case platform::PromptButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case platform::PromptButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case platform::PromptButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case platform::PromptButtons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

platform::PromptAnswer FromQt(int button)
{
    switch (button) {
    case QMessageBox::Yes:
        return platform::PromptAnswer::Yes;
    case QMessageBox::No:
        return platform::PromptAnswer::No;
    case QMessageBox::Ok:
        return platform::PromptAnswer::Ok;
    default:
        return platform::PromptAnswer::Cancel;
    }
}

QColor ToQColor(uint32_t bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

uint32_t FromQColor(const QColor& colour)
{
    return uint32_t(colour.red()) | uint32_t(colour.green()) << 8 | uint32_t(colour.blue()) << 16;
}

// The file dialog of a small screen: the widget dialog (its geometry is ours to set), without
// the side bar of places, over the whole screen.
void FitFileDialog(QFileDialog& dialog, const QWidget* owner)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    const QRect area = owner != nullptr && owner->screen() != nullptr ? owner->screen()->availableGeometry()
                                                                        : QRect();
    if (area.isValid() && (area.width() < kCompactScreen.width() || area.height() < kCompactScreen.height())) {
        dialog.setViewMode(QFileDialog::List);
        for (const char* name :
             {"sidebar", "listModeButton", "detailModeButton", "backButton", "forwardButton", "newFolderButton"})
            if (QWidget* part = dialog.findChild<QWidget*>(name))
                part->hide();
        // Combo boxes as wide as a few letters, not as their longest entry.
        for (const char* name : {"lookInCombo", "fileTypeCombo"})
            if (auto* combo = dialog.findChild<QComboBox*>(name)) {
                combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
                combo->setMinimumContentsLength(6);
            }
    }
    FitDialog(dialog, owner);
}

bool Compact(const QWidget* owner)
{
    const QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return false;
    const QRect area = screen->availableGeometry();
    return area.width() < kCompactScreen.width() || area.height() < kCompactScreen.height();
}

// The compact dialog's answer: the chosen path and filter, or nothing when cancelled.
std::optional<platform::SavedFile> RunCompact(CompactFileDialog& dialog, const QWidget* owner, QString& lastDirectory)
{
    FitDialog(dialog, owner);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    lastDirectory = dialog.Directory();
    return platform::SavedFile{dialog.SelectedFile().toStdString(), dialog.SelectedFilter()};
}

} // namespace

QString QtPrompter::QtFilter(const std::string& filter)
{
    const QStringList parts = QString::fromStdString(filter).split('|', Qt::SkipEmptyParts);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i];
    return filters.join(";;");
}

platform::PromptAnswer QtPrompter::Ask(const std::string& text, const std::string& caption,
                                       platform::PromptButtons buttons, platform::PromptIcon icon)
{
    const QString title = caption.empty() ? QString("Lur Control") : QString::fromStdString(caption);
    const QString message = QString::fromStdString(text);
    if (QThread::currentThread() != qApp->thread()) {
        QMetaObject::invokeMethod(qApp, [this, title, message, icon] {
            QMessageBox box(ToQt(icon), title, message, QMessageBox::Ok, owner_);
            box.exec();
        }, Qt::QueuedConnection);
        return platform::PromptAnswer::Ok;
    }
    QMessageBox box(ToQt(icon), title, message, ToQt(buttons), owner_);
    // The operator's language, whether or not Qt's own translations are installed.
    const std::pair<QMessageBox::StandardButton, const char*> texts[] = {
        {QMessageBox::Yes, "Да"}, {QMessageBox::No, "Нет"}, {QMessageBox::Cancel, "Отмена"}, {QMessageBox::Ok, "ОК"}};
    for (const auto& [button, text] : texts)
        if (QAbstractButton* shown = box.button(button))
            shown->setText(QString::fromUtf8(text));
    WrapToOwner(box, owner_);
    return FromQt(box.exec());
}

std::optional<std::string> QtPrompter::ChooseFile(const platform::FileChoice& choice)
{
    const QString initial = QString::fromStdString(choice.initialName);
    const QFileInfo info(initial);
    if (Compact(owner_)) {
        CompactFileDialog compact(choice.save, QtFilter(choice.filter).split(";;"), owner_);
        compact.SetDirectory(info.isAbsolute() ? info.absolutePath() : lastDirectory_);
        if (!initial.contains('*'))
            compact.SetName(info.fileName());
        std::optional<platform::SavedFile> chosen = RunCompact(compact, owner_, lastDirectory_);
        if (!chosen)
            return std::nullopt;
        QString path = QString::fromStdString(chosen->path);
        if (QFileInfo(path).suffix().isEmpty() && !choice.defaultExtension.empty())
            path += "." + QString::fromStdString(choice.defaultExtension);
        if (choice.save && choice.overwritePrompt && QFileInfo::exists(path) &&
            Ask("Файл «" + QFileInfo(path).fileName().toStdString() + "» уже есть. Заменить его?", "",
                platform::PromptButtons::YesNo, platform::PromptIcon::Question) != platform::PromptAnswer::Yes)
            return std::nullopt;
        return path.toStdString();
    }
    QFileDialog dialog(owner_);
    dialog.setAcceptMode(choice.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(choice.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(QtFilter(choice.filter));
    dialog.setDefaultSuffix(QString::fromStdString(choice.defaultExtension));
    if (!choice.overwritePrompt)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (info.isAbsolute())
        dialog.setDirectory(info.absolutePath());
    else if (!lastDirectory_.isEmpty())
        dialog.setDirectory(lastDirectory_);
    if (!initial.contains('*'))
        dialog.selectFile(info.fileName());
    FitFileDialog(dialog, owner_);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString path = dialog.selectedFiles().first();
    lastDirectory_ = QFileInfo(path).absolutePath();
    return path.toStdString();
}

std::optional<platform::SavedFile> QtPrompter::ChooseSaveFile(const platform::FileChoice& choice)
{
    if (Compact(owner_)) {
        CompactFileDialog compact(true, QtFilter(choice.filter).split(";;"), owner_);
        compact.SetDirectory(lastDirectory_);
        return RunCompact(compact, owner_, lastDirectory_);
    }
    QFileDialog dialog(owner_);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QString filters = QtFilter(choice.filter);
    dialog.setNameFilter(filters);
    if (!lastDirectory_.isEmpty())
        dialog.setDirectory(lastDirectory_);
    FitFileDialog(dialog, owner_);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString path = dialog.selectedFiles().first();
    lastDirectory_ = QFileInfo(path).absolutePath();
    const qsizetype filter = filters.split(";;").indexOf(dialog.selectedNameFilter());
    return platform::SavedFile{path.toStdString(), static_cast<int>(std::max<qsizetype>(filter, 0))};
}

std::optional<platform::ExportOptionsAnswer> QtPrompter::ChooseExportOptions(
    const platform::ExportOptionsRequest& request)
{
    ExportDialog dialog(request, owner_);
    FitDialog(dialog, owner_);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Answer();
}

std::optional<uint32_t> QtPrompter::ChooseColour(uint32_t initial, platform::CustomColours& custom)
{
    for (size_t i = 0; i < custom.size(); ++i)
        QColorDialog::setCustomColor(static_cast<int>(i), ToQColor(custom[i]));
    if (Compact(owner_)) {
        CompactColourDialog compact(ToQColor(initial), owner_);
        FitDialog(compact, owner_);
        if (compact.exec() != QDialog::Accepted)
            return std::nullopt;
        return FromQColor(compact.Chosen());
    }
    QColorDialog dialog(ToQColor(initial), owner_);
    dialog.setWindowTitle("Цвет");
    FitDialog(dialog, owner_);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    for (size_t i = 0; i < custom.size(); ++i)
        custom[i] = FromQColor(QColorDialog::customColor(static_cast<int>(i)));
    if (!accepted || !dialog.selectedColor().isValid())
        return std::nullopt;
    return FromQColor(dialog.selectedColor());
}
