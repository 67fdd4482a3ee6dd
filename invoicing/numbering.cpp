#include "invoicing/numbering.h"

#include <limits>

namespace invoicing {

QString datePrefix(const QDate& today, const QString& shortFormat) {
    QString text = today.toString(shortFormat);
    text.remove(QLatin1Char('-'));
    return text;
}

QString NextInvoiceNo(int scheme, Sequences& seq, const QDate& today, const QString& shortFormat,
                      const NumberInUse& inUse) {
    if (scheme != DateAndDaySequence && scheme != TotalSequence)
        return QString();
    int& counter = scheme == DateAndDaySequence ? seq.daySeq : seq.totalSeq;
    const QString prefix =
        scheme == DateAndDaySequence ? datePrefix(today, shortFormat) : QString();
    // Bounded, so that a table holding every number of the range cannot hang the editor.
    for (int tries = 0; tries < 100000 && counter < std::numeric_limits<int>::max(); ++tries) {
        ++counter;
        const QString number = prefix + QString::number(counter);
        if (!inUse || !inUse(number))
            return number;
    }
    return prefix + QString::number(counter);
}

} // namespace invoicing
