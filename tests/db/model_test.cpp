#include "dbfixture.h"

#include "db/tablemodel.h"

#include <QSignalSpy>

TEST_F(DbTest, ModelShowsOrderAndFilterAndFollowsTheCursor) {
    auto t = open(QStringLiteral("Customers"), QStringLiteral("Company"));
    {
        db::Transaction tr(t->database());
        for (int i = 0; i < 1000; ++i)
            add(*t, {{QStringLiteral("Cust. no"), QString::number(i)},
                     {QStringLiteral("Company"),
                      QStringLiteral("Company %1").arg(999 - i, 4, 10, QLatin1Char('0'))},
                     {QStringLiteral("Credit limit"), QVariant::fromValue(Currency::fromInt(i))},
                     {QStringLiteral("Mark"), i % 2 == 0}});
        tr.commit();
    }
    t->First();
    db::TableModel model(t.get());
    model.setColumns(
        {QStringLiteral("Cust. no"), QStringLiteral("Company"), QStringLiteral("Credit limit")});
    model.setColumnTitle(0, QStringLiteral("No."));
    EXPECT_EQ(model.rowCount(), 1000);
    EXPECT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("No."));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Company"));
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), QStringLiteral("Company 0000"));
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("999"));
    EXPECT_EQ(model.pagesRead(), 1) << "the first screen reads one page, not the table";
    // Paging on by key from a neighbour gives the same rows as counting from the start.
    for (int row : {64, 200, 999, 500, 499})
        EXPECT_EQ(model.data(model.index(row, 1)).toString(),
                  QStringLiteral("Company %1").arg(row, 4, 10, QLatin1Char('0')))
            << row;

    QSignalSpy moved(&model, &db::TableModel::currentRowChanged);
    ASSERT_TRUE(t->Locate(QStringLiteral("Cust. no"), QStringLiteral("100")));
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.last().at(0).toInt(), 899);
    model.setCurrentRow(5);
    EXPECT_EQ(t->FieldByName(QStringLiteral("Company")).AsString(), QStringLiteral("Company 0005"));
    EXPECT_EQ(model.currentRow(), 5);

    t->Next();
    t->Next();
    EXPECT_EQ(model.currentRow(), 7) << "counted on from the known row";
    t->Prior();
    EXPECT_EQ(t->RecNo(), 6);
    model.setCurrentRow(5);

    t->Edit();
    t->FieldByName(QStringLiteral("Company")).setAsString(QStringLiteral("Being typed"));
    EXPECT_EQ(model.data(model.index(5, 1)).toString(), QStringLiteral("Being typed"));
    t->Cancel();

    t->setFilter(QStringLiteral("Mark = True"));
    t->setFiltered(true);
    EXPECT_EQ(model.rowCount(), 500);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("998"));
    t->setIndexName(QStringLiteral("Cust. no"));
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("0"));
    EXPECT_EQ(model.data(model.index(1, 0)).toString(), QStringLiteral("10"))
        << "text order of the key";
    t->Close();
    EXPECT_EQ(model.rowCount(), 0);
}

TEST_F(DbTest, ModelOverAQueryResult) {
    auto v = open(QStringLiteral("VAT"));
    for (double r : {0.0, 12.0, 25.0})
        add(*v, {{QStringLiteral("VAT %"), r}});
    auto q =
        query({QStringLiteral("SELECT \"VAT %\" FROM VAT WHERE \"VAT %\" > 0 ORDER BY 1 DESC")});
    q->Open();
    db::TableModel model(q.get());
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("25"));
    model.setCurrentRow(1);
    EXPECT_DOUBLE_EQ(q->FieldByName(QStringLiteral("VAT %")).AsFloat(), 12.0);
    EXPECT_EQ(model.currentRow(), 1);
}
