#include "customers/prodrules.h"

#include "db/database.h"
#include "db/field.h"
#include "db/query.h"
#include "db/table.h"

namespace customers {

QString productsPassword() {
    return QString::fromUtf16(u"PX\u00C452K");
}

QString productRefusal(db::Table& products) {
    const QString code = products.FieldByName(QStringLiteral("Code")).AsString().trimmed();
    if (code.isEmpty())
        return QStringLiteral("Code: every product needs a code.");
    // A cursor of its own, so that the record being edited stays as it is.
    db::Table other;
    other.setSession(&products.session());
    other.setDatabaseName(products.DatabaseName());
    other.setTableName(products.TableName());
    other.setIndexName(QStringLiteral("Code"));
    other.Open();
    const qint64 self = products.State() == db::DataSetState::Insert ? -1 : products.currentRowid();
    QString refusal;
    if (other.FindKey({code}) && other.currentRowid() != self)
        refusal = QStringLiteral("Code: the code %1 is already used by the product \"%2\". "
                                 "Give this product a code of its own.")
                      .arg(code, other.FieldByName(QStringLiteral("Description")).AsString());
    other.Close();
    return refusal;
}

QString deleteProductQuestion(db::Table& products) {
    const QString name =
        (products.FieldByName(QStringLiteral("Code")).AsString() + QLatin1Char(' ') +
         products.FieldByName(QStringLiteral("Description")).AsString())
            .trimmed();
    return name.isEmpty() ? QStringLiteral("Delete this product?")
                          : QStringLiteral("Delete the product %1?").arg(name);
}

void resetProductStatistics(db::Table& products) {
    if (!products.Active() || !products.CheckBrowseMode())
        return;
    db::Query q;
    q.setSession(&products.session());
    q.setDatabaseName(products.DatabaseName());
    // One statement is one transaction: every product or none.
    q.setSQL({QStringLiteral("UPDATE Products SET \"Periods sales\" = 0, \"Period qty\" = 0")});
    q.ExecSQL();
    products.Refresh();
}

QString productIndexFor(const QString& field) {
    return field == QLatin1String("Description") ? QStringLiteral("Description")
                                                 : QStringLiteral("Code");
}

} // namespace customers
