#include "db/datasetup.h"
#include "db/dberror.h"
#include "db/query.h"
#include "db/session.h"
#include "db/table.h"
#include "db/tablemodel.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/keys.h"

#include "support/testenv.h"
#include "support/uihooks.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A data directory with every table, and working rows (TRow) to bind controls to.
class DbControls : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(db::createDataDir(dir.path(), false, &error)) << error.toStdString();
        session.AddPassword(QStringLiteral("GRAND"));
        rows = open(QStringLiteral("TRow"));
        for (const auto& [description, qty] :
             {std::pair{"Apples", 1.5}, std::pair{"Pears", 7.0}, std::pair{"Plums", 3.0}}) {
            rows->Append();
            rows->FieldByName(QStringLiteral("Description"))
                .setAsString(QLatin1String(description));
            rows->FieldByName(QStringLiteral("Qty")).setAsFloat(qty);
            rows->Post();
        }
        rows->First();
    }

    std::unique_ptr<db::Table> open(const QString& name) {
        auto t = std::make_unique<db::Table>();
        t->setSession(&session);
        t->setDatabaseName(dir.path());
        t->setTableName(name);
        t->Open();
        return t;
    }

    // What another cursor reads from the file: the posted state.
    QStringList stored(const QString& table, const QString& field) {
        auto t = open(table);
        QStringList out;
        for (t->First(); !t->Eof(); t->Next())
            out << t->FieldByName(field).AsString();
        return out;
    }

    static void click(QAbstractItemView* view, int row, Qt::KeyboardModifiers modifiers = {}) {
        const QRect r = view->visualRect(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, r.center());
    }

    TempDataDir dir;
    db::Session session{QStringLiteral("sControls")};
    std::unique_ptr<db::Table> rows;
    MessageRecorder messages;
};

const QString kDescription = QStringLiteral("Description");
const QString kQty = QStringLiteral("Qty");

} // namespace

TEST_F(DbControls, EditBoxEditsOnFirstChangeAndPostsWhenTheRecordChanges) {
    ui::DBEdit box(rows.get(), kDescription);
    EXPECT_EQ(box.text(), QStringLiteral("Apples"));
    EXPECT_EQ(box.maxLength(), 50);
    QTest::keyClicks(&box, QStringLiteral(" red"));
    EXPECT_EQ(rows->State(), db::DataSetState::Edit);
    EXPECT_EQ(stored(QStringLiteral("TRow"), kDescription).first(), QStringLiteral("Apples"));
    rows->Next();
    EXPECT_EQ(rows->State(), db::DataSetState::Browse);
    EXPECT_EQ(box.text(), QStringLiteral("Pears"));
    EXPECT_EQ(stored(QStringLiteral("TRow"), kDescription),
              QStringList({QStringLiteral("Apples red"), QStringLiteral("Pears"),
                           QStringLiteral("Plums")}));
    // Escape throws the unposted change away and the box shows the field again.
    QTest::keyClicks(&box, QStringLiteral("xx"));
    QTest::keyClick(&box, Qt::Key_Escape);
    EXPECT_EQ(rows->State(), db::DataSetState::Browse);
    EXPECT_EQ(box.text(), QStringLiteral("Pears"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(DbControls, InvalidNumberIsRefusedWithTheFieldsMessage) {
    ui::DBEdit box(rows.get(), kQty);
    EXPECT_EQ(box.text(), QStringLiteral("1.5"));
    box.selectAll();
    QTest::keyClicks(&box, QStringLiteral("1x"));
    EXPECT_TRUE(messages.empty()); // nothing is said while typing
    QTest::keyClick(&box, Qt::Key_Return);
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].type, ui::MsgType::Error);
    EXPECT_TRUE(messages.texts().first().contains(QStringLiteral("\"Qty\"")))
        << messages.texts().first().toStdString();
    // Not even the "1" typed before the "x" stays: the field and the box are back at 1.5.
    EXPECT_EQ(box.text(), QStringLiteral("1.5"));
    EXPECT_EQ(rows->FieldByName(kQty).AsFloat(), 1.5);
    // A good value typed afterwards is taken.
    box.selectAll();
    QTest::keyClicks(&box, QStringLiteral("-2.25"));
    QTest::keyClick(&box, Qt::Key_Return);
    rows->Post();
    EXPECT_EQ(stored(QStringLiteral("TRow"), kQty).first(), QStringLiteral("-2.25"));
    EXPECT_EQ(messages.messages().size(), 1u);
}

TEST_F(DbControls, GridFollowsTheCursorAndMovesIt) {
    ui::DBGrid grid(rows.get());
    grid.setColumns({kDescription, kQty}, {QString(), QStringLiteral("Quantity")});
    grid.resize(400, 300);
    grid.show();
    EXPECT_EQ(grid.tableModel()->headerData(0, Qt::Horizontal).toString(), kDescription);
    EXPECT_EQ(grid.tableModel()->headerData(1, Qt::Horizontal).toString(),
              QStringLiteral("Quantity"));
    EXPECT_EQ(grid.currentIndex().row(), 0);
    rows->Last();
    EXPECT_EQ(grid.currentIndex().row(), 2);
    EXPECT_EQ(grid.selectionModel()->selectedRows().size(), 1); // the whole row
    ui::DBEdit box(rows.get(), kDescription);
    click(&grid, 1);
    EXPECT_EQ(rows->FieldByName(kDescription).AsString(), QStringLiteral("Pears"));
    EXPECT_EQ(box.text(), QStringLiteral("Pears"));
    // A change in the box shows in the grid before it is posted, and moving posts it.
    QTest::keyClicks(&box, QStringLiteral("!"));
    EXPECT_EQ(grid.model()->index(1, 0).data().toString(), QStringLiteral("Pears!"));
    click(&grid, 0);
    EXPECT_EQ(stored(QStringLiteral("TRow"), kDescription)[1], QStringLiteral("Pears!"));
    EXPECT_EQ(grid.currentIndex().row(), 0);
}

TEST_F(DbControls, TitleClickGivesTheColumnsFieldName) {
    ui::DBGrid grid(rows.get());
    grid.setColumns({kDescription, kQty}, {QStringLiteral("Text"), QStringLiteral("Quantity")});
    grid.resize(400, 300);
    grid.show();
    QSignalSpy spy(&grid, &ui::DBGrid::titleClick);
    QHeaderView* header = grid.horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    ASSERT_EQ(spy.size(), 1);
    EXPECT_EQ(spy[0][0].toString(), kQty);
}

TEST_F(DbControls, MultiSelectGivesTheSelectedRecordsBookmarks) {
    std::vector<qint64> ids;
    for (rows->First(); !rows->Eof(); rows->Next())
        ids.push_back(rows->GetBookmark().rowid);
    rows->First();
    ui::DBGrid grid(rows.get());
    grid.setMultiSelect(true);
    grid.resize(400, 300);
    grid.show();
    click(&grid, 2);
    click(&grid, 0, Qt::ControlModifier);
    auto marks = grid.selectedBookmarks();
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks[0].rowid, ids[0]);
    EXPECT_EQ(marks[1].rowid, ids[2]);
    click(&grid, 1, Qt::ShiftModifier); // from the anchor (row 0) to row 1, row 2 stays
    marks = grid.selectedBookmarks();
    ASSERT_EQ(marks.size(), 3u);
    EXPECT_EQ(marks[1].rowid, ids[1]);
    EXPECT_EQ(rows->FieldByName(kDescription).AsString(), QStringLiteral("Pears"));
    EXPECT_TRUE(rows->GotoBookmark(marks[0]));
    EXPECT_EQ(rows->FieldByName(kDescription).AsString(), QStringLiteral("Apples"));
    // Without multi-select a Ctrl-click selects only the clicked row.
    grid.setMultiSelect(false);
    click(&grid, 2);
    click(&grid, 0, Qt::ControlModifier);
    EXPECT_EQ(grid.selectedBookmarks().size(), 1u);
}

TEST_F(DbControls, GridEditsInPlaceThroughTheFieldUnlessReadOnly) {
    ui::DBGrid grid(rows.get());
    grid.setColumns({kDescription, kQty});
    QAbstractItemModel* model = grid.model();
    const QModelIndex qty = model->index(1, 1);
    EXPECT_TRUE(model->flags(qty) & Qt::ItemIsEditable);
    EXPECT_FALSE(model->setData(qty, QStringLiteral("many")));
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_TRUE(messages.texts().first().contains(QStringLiteral("\"Qty\"")));
    EXPECT_TRUE(model->setData(qty, QStringLiteral("12")));
    EXPECT_EQ(rows->State(), db::DataSetState::Edit);
    EXPECT_EQ(grid.currentIndex().row(), 1);
    rows->First();
    EXPECT_EQ(stored(QStringLiteral("TRow"), kQty),
              QStringList({QStringLiteral("1.5"), QStringLiteral("12"), QStringLiteral("3")}));

    grid.setReadOnly(true);
    EXPECT_FALSE(model->flags(qty) & Qt::ItemIsEditable);
    EXPECT_FALSE(model->setData(qty, QStringLiteral("5")));
    grid.edit(qty);
    EXPECT_TRUE(grid.viewport()->findChildren<QLineEdit*>().isEmpty()); // no editor opened
    EXPECT_EQ(rows->State(), db::DataSetState::Browse);
    EXPECT_EQ(stored(QStringLiteral("TRow"), kQty)[1], QStringLiteral("12"));
}

TEST_F(DbControls, RowColoursComeFromTheCallback) {
    ui::DBGrid grid(rows.get());
    grid.setColumns({kDescription});
    // The colour may depend on a field that is not shown.
    grid.setRowColor([](const ui::GridRow& row) {
        return row.value(QStringLiteral("Qty")).toDouble() > 5 ? QColor(Qt::red) : QColor();
    });
    EXPECT_FALSE(grid.model()->index(0, 0).data(Qt::BackgroundRole).isValid());
    EXPECT_EQ(grid.model()->index(1, 0).data(Qt::BackgroundRole).value<QBrush>().color(),
              QColor(Qt::red));
}

TEST_F(DbControls, MemoRichTextAndCheckBoxWriteThroughTheField) {
    rows->Edit();
    rows->FieldByName(QStringLiteral("LDesc")).setAsString(QStringLiteral("plain\nlines"));
    rows->Post();
    ui::DBMemo memo(rows.get(), QStringLiteral("LDesc"));
    ui::DBRichEdit rich(rows.get(), QStringLiteral("LDesc"));
    ui::DBCheckBox check(rows.get(), QStringLiteral("LongDesc"), QStringLiteral("Long"));
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("plain\nlines"));
    EXPECT_EQ(rich.toPlainText(), QStringLiteral("plain\nlines"));
    EXPECT_FALSE(check.isChecked());

    check.click();
    EXPECT_EQ(rows->State(), db::DataSetState::Edit);
    rich.selectAll();
    QTest::keyClicks(&rich, QStringLiteral("Bold"));
    rich.selectAll();
    rich.setFontWeight(QFont::Bold);
    rows->Post();
    auto again = open(QStringLiteral("TRow"));
    const QString html = again->FieldByName(QStringLiteral("LDesc")).AsString();
    EXPECT_TRUE(Qt::mightBeRichText(html));
    EXPECT_TRUE(html.contains(QStringLiteral("font-weight:700"))) << html.toStdString();
    EXPECT_TRUE(again->FieldByName(QStringLiteral("LongDesc")).AsBoolean());
    // The memo shows the same field as the rich edit wrote it; both follow the cursor.
    EXPECT_EQ(memo.toPlainText(), html);
    rows->Next();
    EXPECT_TRUE(rich.toPlainText().isEmpty());
    EXPECT_FALSE(check.isChecked());
}

TEST_F(DbControls, DatePickerAllowsNoDate) {
    auto head = open(QStringLiteral("IHead"));
    head->Append();
    head->FieldByName(QStringLiteral("Invoice date")).setAsDate(QDate(2024, 3, 31));
    head->Post();
    ui::DBDateEdit picker(head.get(), QStringLiteral("Invoice date"));
    ui::DBDateEdit due(head.get(), QStringLiteral("Due"));
    EXPECT_EQ(picker.value(), QDate(2024, 3, 31));
    EXPECT_TRUE(due.isEmptyDate());
    EXPECT_TRUE(due.text().trimmed().isEmpty());

    due.setDate(QDate(2024, 4, 30));
    EXPECT_EQ(head->State(), db::DataSetState::Edit);
    picker.selectAll();
    QTest::keyClick(&picker, Qt::Key_Delete);
    EXPECT_TRUE(picker.isEmptyDate());
    head->Post();
    auto again = open(QStringLiteral("IHead"));
    EXPECT_TRUE(again->FieldByName(QStringLiteral("Invoice date")).IsNull());
    EXPECT_EQ(again->FieldByName(QStringLiteral("Due")).AsDate(), QDate(2024, 4, 30));
    EXPECT_TRUE(messages.empty());
}

TEST_F(DbControls, QueryResultsAreShownReadOnly) {
    db::Query q;
    q.setSession(&session);
    q.setDatabaseName(dir.path());
    q.SQL() << QStringLiteral("SELECT Description, Qty FROM TRow ORDER BY Qty DESC");
    q.Open();
    ui::DBEdit box(&q, kDescription);
    ui::DBGrid grid(&q);
    EXPECT_TRUE(box.isReadOnly());
    EXPECT_EQ(box.text(), QStringLiteral("Pears"));
    EXPECT_FALSE(grid.model()->flags(grid.model()->index(0, 0)) & Qt::ItemIsEditable);
    q.Next();
    EXPECT_EQ(box.text(), QStringLiteral("Plums"));
    EXPECT_EQ(grid.currentIndex().row(), 1);
}

TEST_F(DbControls, EnterInABoundBoxMovesTheFocus) {
    QWidget window;
    auto* first = new ui::DBEdit(rows.get(), kDescription, &window);
    auto* second = new ui::DBEdit(rows.get(), kQty, &window);
    ui::EnterMovesFocus::install(first);
    window.show();
    QApplication::setActiveWindow(&window);
    first->setFocus();
    QTest::keyClick(first, Qt::Key_Return);
    EXPECT_TRUE(second->hasFocus());
    EXPECT_EQ(first->text(), QStringLiteral("Apples"));
}
