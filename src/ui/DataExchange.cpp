#include "ui/DataExchange.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <cmath>
#include <cstdint>

namespace {

// The platform's own validation texts, as a Russian system words them.
const char* const kEnterPositiveInteger = "Введите положительное целое число.";
const char* const kEnterInteger = "Введите целое число.";
const char* const kEnterNumber = "Введите число.";

QString IntegerRange(int32_t min, int32_t max)
{
    return QString("Введите целое число от %1 до %2.").arg(min).arg(max);
}

} // namespace

QString DataExchange::FormatNumber(float value)
{
    return QString::number(static_cast<double>(value), 'g', 6);
}

void DataExchange::Reject(QLineEdit* edit, const QString& text)
{
    Fail(text);
    if (edit != nullptr) {
        edit->setFocus();
        edit->selectAll();
    }
}

void DataExchange::Fail(const QString& text)
{
    if (Skip())
        return;
    ok_ = false;
    prompter_.Ask(text.toStdString(), "", platform::PromptButtons::Ok, platform::PromptIcon::Warning);
}

void DataExchange::PositiveInt(QLineEdit* edit, int32_t& value, int32_t min, int32_t max)
{
    if (Skip())
        return;
    if (!save_) {
        edit->setText(QString::number(value));
        return;
    }
    const QString text = edit->text().trimmed();
    bool parsed = !text.isEmpty() && !text.startsWith('-') && !text.startsWith('+');
    const qulonglong read = parsed ? text.toULongLong(&parsed) : 0;
    if (!parsed || read > 0xFFFFFFFFull)
        return Reject(edit, kEnterPositiveInteger);
    if (read < static_cast<qulonglong>(min) || read > static_cast<qulonglong>(max))
        return Reject(edit, IntegerRange(min, max));
    value = static_cast<int32_t>(read);
}

void DataExchange::Integer(QLineEdit* edit, int32_t& value, int32_t min, int32_t max)
{
    if (Skip())
        return;
    if (!save_) {
        edit->setText(QString::number(value));
        return;
    }
    bool parsed = false;
    const qlonglong read = edit->text().trimmed().toLongLong(&parsed);
    if (!parsed || read < INT32_MIN || read > INT32_MAX)
        return Reject(edit, kEnterInteger);
    if (read < min || read > max)
        return Reject(edit, IntegerRange(min, max));
    value = static_cast<int32_t>(read);
}

void DataExchange::Number(QLineEdit* edit, float& value)
{
    if (Skip())
        return;
    if (!save_) {
        edit->setText(FormatNumber(value));
        return;
    }
    bool parsed = false;
    // A decimal comma is what a Russian keyboard gives.
    const double read = edit->text().trimmed().replace(',', '.').toDouble(&parsed);
    if (!parsed || !std::isfinite(read) || std::abs(read) > 3.4e38)
        return Reject(edit, kEnterNumber);
    value = static_cast<float>(read);
}

void DataExchange::Number(QLineEdit* edit, float& value, float min, float max)
{
    float read = value;
    Number(edit, read);
    if (Skip() || !save_)
        return;
    if (read < min || read > max)
        return Reject(edit, QString("Введите число от %1 до %2.").arg(FormatNumber(min), FormatNumber(max)));
    value = read;
}

void DataExchange::Check(QAbstractButton* box, int32_t& value)
{
    if (Skip())
        return;
    if (save_)
        value = box->isChecked() ? 1 : 0;
    else
        box->setChecked(value != 0);
}
