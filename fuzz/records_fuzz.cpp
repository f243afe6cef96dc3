// Feeds arbitrary bytes to the record reader, as any data file may hold them.
// Checks that the scanner only moves forward and stays inside the data, that
// the fields written back as texts read again as they were (less the quotes
// and line ends a text cannot hold), and that each field's number survives
// the number writer.
#include "fuzzsupport.h"

#include "common/numeric.h"
#include "common/records.h"

#include <cmath>

using namespace kelvora;
using kelvora::fuzz::check;

namespace {

qsizetype scanAll(const QByteArray& content) {
    FieldScanner scanner(content);
    const char* begin = content.constData();
    const char* end = begin + content.size();
    qsizetype fields = 0;
    qsizetype last = 0;
    while (!scanner.atEnd()) {
        const QByteArrayView f = scanner.next();
        check(f.isEmpty() || (f.data() >= begin && f.data() + f.size() <= end));
        check(scanner.position() > last && scanner.position() <= content.size());
        last = scanner.position();
        ++fields;
    }
    return fields;
}

void checkNumber(const QString& field) {
    const double v = numericValue(field);
    check(std::isfinite(v));
    const QString text = numberText(v);
    check(!text.contains(u'e') && !text.contains(u'n'));
    // The written form is what reading it back and writing it again gives.
    check(numberText(numericValue(text)) == text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray content = fuzz::bytesOf(data, size);
    const qsizetype scanned = scanAll(content);
    const QStringList fields = readFields(content);
    check(fields.size() == scanned);

    Record record;
    QStringList expected;
    for (const QString& f : fields) {
        record << Field::Text(f);
        expected << QString(f).remove(u'"').remove(u'\r').remove(u'\n');
        checkNumber(f);
    }
    check(readFields(recordLine(record)) == expected);
    return 0;
}
