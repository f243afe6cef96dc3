#pragma once
#include "common/records.h"

#include <QString>

namespace kelvora {

// A value as a record file keeps it: a text (read from a file or taken from a
// field) or a number that the program computed. Writing it back keeps the form:
// text quoted, a number bare.
struct Variant {
    bool isNumber = false;
    QString text;
    double number = 0;

    static Variant Text(const QString& t) { return {false, t, 0}; }
    static Variant Number(double n) { return {true, QString(), n}; }
    // A field as read: quoted -> text; bare and a whole number -> number.
    static Variant FromField(const QString& field, bool quoted);

    double value() const;     // the numeric value, for arithmetic
    QString display() const;  // the text a field shows for it
    Field toField() const { return isNumber ? Field::Number(number) : Field::Text(text); }
    bool operator==(const Variant& o) const = default;
};

}  // namespace kelvora
