#include "customers/custhistory.h"

#include "db/field.h"
#include "db/query.h"
#include "service/service.h"

namespace customers {

namespace {

// Binds the parameters the statement uses and reads its one sum (0 when empty).
Currency runSum(db::Session& session, const QString& dataDir, const QStringList& sql,
                const QString& column, const QString& custNo) {
    db::Query q;
    q.setSession(&session);
    q.setDatabaseName(dataDir);
    q.setSQL(sql);
    q.ParamByName(QStringLiteral("CustNo")).setAsString(custNo);
    q.ParamByName(QStringLiteral("ZeroDate")).setAsDate(QDate());
    q.ParamByName(QStringLiteral("Invoice")).setAsString(QStringLiteral("Invoice"));
    if (sql.join(QLatin1Char(' ')).contains(QLatin1String(":Receipt")))
        q.ParamByName(QStringLiteral("Receipt")).setAsString(QStringLiteral("Receipt"));
    q.Open();
    const Currency sum = q.Eof() ? Currency() : q.FieldByName(column).AsCurrency();
    q.Close();
    return sum;
}

} // namespace

HistorySums historySums(db::Session& session, const QString& dataDir, const QString& custNo) {
    HistorySums s;
    const Currency summed =
        runSum(session, dataDir,
               {QStringLiteral("Select SUM(Total) AS Summed FROM Ihead"), QStringLiteral(" WHERE"),
                QStringLiteral(" (\"Customer no\" = :CustNo)"),
                QStringLiteral(" AND ((Archived = :ZeroDate) OR (Archived = NULL))"),
                QStringLiteral(" AND (Printed = True)"), QStringLiteral(" AND (Rest = NULL)"),
                QStringLiteral(" AND (Document = :Invoice)")},
               QStringLiteral("Summed"), custNo);
    const Currency partly = runSum(
        session, dataDir,
        {QStringLiteral("Select SUM(Rest) AS Partly FROM Ihead"), QStringLiteral(" WHERE"),
         QStringLiteral(" (\"Customer no\" = :CustNo)"),
         QStringLiteral(" AND ((Archived = :ZeroDate) OR (Archived = NULL))"),
         QStringLiteral(" AND (Printed = True)"), QStringLiteral(" AND (Document = :Invoice)")},
        QStringLiteral("Partly"), custNo);
    s.unpaid = summed + partly;
    s.paid = runSum(
        session, dataDir,
        {QStringLiteral("Select SUM(Total) AS Done FROM Ihead"), QStringLiteral(" WHERE"),
         QStringLiteral(" (\"Customer no\" = :CustNo)"), QStringLiteral(" AND (Paid > :ZeroDate)"),
         QStringLiteral(" AND (Printed = True)"), QStringLiteral(" AND (Archived > :ZeroDate)"),
         QStringLiteral(" AND ((Document = :Invoice) OR (Document = :Receipt))")},
        QStringLiteral("Done"), custNo);
    return s;
}

QStringList historyListSql() {
    return {QStringLiteral("SELECT ID, Document, \"Invoice no\", \"Invoice date\", Printed, "
                           "Archived, Total, Due, Paid, Rest, Delay"),
            QStringLiteral("FROM IHEAD "),
            QStringLiteral("WHERE \"Customer no\" = :CustNo ORDER BY Due")};
}

void openHistoryList(db::Query& list, const QString& custNo) {
    list.Close();
    list.setSQL(historyListSql());
    list.ParamByName(QStringLiteral("CustNo")).setAsString(custNo);
    list.Open();
}

QString formatSum(Currency amount) {
    return amount.format(Service::Decimals, true);
}

} // namespace customers
