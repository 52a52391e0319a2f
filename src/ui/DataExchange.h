#pragma once
#include <QString>
#include <cstdint>

#include "platform/Prompter.h"

class QAbstractButton;
class QLineEdit;

// Moves page fields to and from their controls, validating on the way back with the
// platform's own messages. The first failure is shown (exclamation icon), the offending
// edit gets the focus, and every later exchange of the same pass is skipped.
class DataExchange {
public:
    DataExchange(platform::Prompter& prompter, bool save) : prompter_(prompter), save_(save) {}

    bool Saving() const { return save_; }
    bool Ok() const { return ok_; }

    // Digits only ("Введите положительное целое число."), then the range.
    void PositiveInt(QLineEdit* edit, int32_t& value, int32_t min, int32_t max);
    // A signed integer ("Введите целое число."), then the range.
    void Integer(QLineEdit* edit, int32_t& value, int32_t min, int32_t max);
    // A number ("Введите число."), then the range when one is given.
    void Number(QLineEdit* edit, float& value);
    void Number(QLineEdit* edit, float& value, float min, float max);
    void Check(QAbstractButton* box, int32_t& value);

    // A failure found by the page itself: shows the text and fails the pass.
    void Fail(const QString& text);

    static QString FormatNumber(float value);

private:
    bool Skip() const { return !ok_; }
    void Reject(QLineEdit* edit, const QString& text);

    platform::Prompter& prompter_;
    bool save_;
    bool ok_ = true;
};
