#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

namespace kelvora {

// One field of a record file: a quoted text or a bare number.
struct Field {
    bool isText = true;
    QString text;      // the text of a text field
    double number = 0; // the value of a number field

    static Field Text(const QString& t) { return Field{true, t, 0}; }
    static Field Number(double n) { return Field{false, QString(), n}; }
};
using Record = QList<Field>;

// A number as a record file holds it: plain decimal, point separator, up to
// 15 significant digits, no exponent, no leading blank (0.5 -> "0.5", 12 -> "12").
QString numberText(double value);

// One record line: fields separated by commas, text fields in double quotes
// (without any quote or line end of their own), ended by CR LF.
QByteArray recordLine(const Record& fields);
QByteArray recordLines(const QList<Record>& records);

// The field reading below, on the bytes themselves: each field is a view into
// the data, nothing is copied or decoded. For files that are read whole and
// often. The data must outlive the views.
class FieldScanner {
public:
    explicit FieldScanner(QByteArrayView data) : data_(data) {}

    bool atEnd() const;
    // The next field's bytes, quotes stripped; empty when the data is used up.
    QByteArrayView next();
    bool lastWasQuoted() const { return lastQuoted_; }
    // Bytes taken so far.
    qsizetype position() const { return pos_; }

private:
    QByteArrayView data_;
    qsizetype pos_ = 0;
    bool lastQuoted_ = false;
};

// Reads the fields of a record file in order, field by field across line ends.
// A field is a quoted text (which may hold commas and ends at its closing quote)
// or a bare token that ends at a comma or a line end. Quotes are stripped and
// blanks around bare tokens are trimmed. Anything the writer does not produce
// (a stray quote, NUL bytes, missing line end) is taken as well as can be,
// never trusted.
class RecordReader {
public:
    explicit RecordReader(const QByteArray& data);
    // The scanner looks into data_, so a copy would look into another's.
    RecordReader(const RecordReader&) = delete;
    RecordReader& operator=(const RecordReader&) = delete;

    bool atEnd() const;
    // The next field's text; empty when the data is used up (check atEnd first
    // where an empty field and no field must be told apart).
    QString next();
    // The next field's numeric value.
    double nextNumber();
    // Whether the field last returned by next() stood in quotes.
    bool lastWasQuoted() const { return scanner_.lastWasQuoted(); }
    // Every remaining field.
    QStringList rest();

private:
    QByteArray data_;
    FieldScanner scanner_;
};

// All fields of a record file's content.
QStringList readFields(const QByteArray& data);

}  // namespace kelvora
