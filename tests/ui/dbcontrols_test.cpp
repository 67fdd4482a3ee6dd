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
#include <QVBoxLayout>

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

TEST_F(DbControls, InvalidNumberIsRefusedAndBlocksThePost) {
    ui::DBEdit box(rows.get(), kQty);
    EXPECT_EQ(box.text(), QStringLiteral("1.5"));
    box.selectAll();
    QTest::keyClicks(&box, QStringLiteral("1x"));
    EXPECT_TRUE(messages.empty()); // nothing is said while typing
    QTest::keyClick(&box, Qt::Key_Return);
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].type, ui::MsgType::Error);
    EXPECT_EQ(messages.texts().first(), QStringLiteral("Qty: \"1x\" is not a number."));
    // The text stays to be put right, and nothing of it can be posted, by any way: the "1"
    // typed before the "x" is not stored either, and the cursor does not move.
    EXPECT_EQ(box.text(), QStringLiteral("1x"));
    EXPECT_FALSE(rows->Post());
    rows->Next();
    EXPECT_EQ(rows->State(), db::DataSetState::Edit);
    EXPECT_EQ(rows->RecNo(), 0);
    EXPECT_EQ(messages.messages().size(), 1u); // said once for the same text
    EXPECT_EQ(stored(QStringLiteral("TRow"), kQty).first(), QStringLiteral("1.5"));
    // Moved by the program without the box being left first, the record is refused with the
    // message.
    QTest::keyClicks(&box, QStringLiteral("y"));
    rows->Last();
    EXPECT_EQ(messages.texts().last(), QStringLiteral("Qty: \"1xy\" is not a number."));
    EXPECT_EQ(rows->RecNo(), 0);
    // A good value typed afterwards is taken.
    box.selectAll();
    QTest::keyClicks(&box, QStringLiteral("-2.25"));
    QTest::keyClick(&box, Qt::Key_Return);
    EXPECT_TRUE(rows->Post());
    EXPECT_EQ(stored(QStringLiteral("TRow"), kQty).first(), QStringLiteral("-2.25"));
    EXPECT_EQ(messages.messages().size(), 2u);
    // Escape throws a refused entry away with the rest of the record's changes.
    box.selectAll();
    QTest::keyClicks(&box, QStringLiteral("--"));
    EXPECT_FALSE(box.commit());
    QTest::keyClick(&box, Qt::Key_Escape);
    EXPECT_EQ(box.text(), QStringLiteral("-2.25"));
    rows->Next();
    EXPECT_EQ(box.text(), QStringLiteral("7"));
}

TEST_F(DbControls, NumberRulesReadTheDesktopsFormatAndNameTheBox) {
    const QLocale c = QLocale::c();
    const QLocale sv(QLocale::Swedish, QLocale::Sweden);
    const ui::NumberRule days = ui::NumberRule::wholeNumber(QStringLiteral("Days"), 0, 9999);
    EXPECT_EQ(days.read(QStringLiteral(" 45 "), c).whole, 45);
    EXPECT_EQ(days.read(QStringLiteral("+7"), c).whole, 7);
    for (const char* bad : {"1e3", "1.5", "A12", "12a", "-", "1 000", "0x10"})
        EXPECT_EQ(days.read(QLatin1String(bad), c).message,
                  QStringLiteral("Days: \"%1\" is not a whole number.").arg(QLatin1String(bad)))
            << bad;
    EXPECT_EQ(days.read(QStringLiteral("10000"), c).message,
              QStringLiteral("Days: 10000 is outside 0 to 9999."));
    EXPECT_EQ(days.read(QStringLiteral("99999999999999999999"), c).message,
              QStringLiteral("Days: \"99999999999999999999\" is too large."));
    EXPECT_TRUE(days.read(QString(), c).empty);
    EXPECT_TRUE(days.read(QString(), c).ok);
    ui::NumberRule needed = days;
    needed.allowEmpty(false);
    EXPECT_EQ(needed.read(QStringLiteral("  "), c).message,
              QStringLiteral("Days: a number is needed."));

    const ui::NumberRule rate = ui::NumberRule::decimal(QStringLiteral("Rate"), 0, std::nullopt);
    EXPECT_EQ(rate.read(QStringLiteral("8,5"), sv).number, 8.5);
    EXPECT_EQ(rate.read(QStringLiteral(",5"), sv).number, 0.5);
    EXPECT_EQ(rate.read(QStringLiteral("8."), c).number, 8.0);
    // Where the comma is the decimal separator the point is no number, and the other way round;
    // group separators and exponents are never read.
    EXPECT_FALSE(rate.read(QStringLiteral("8.5"), sv));
    EXPECT_FALSE(rate.read(QStringLiteral("8,5"), c));
    EXPECT_FALSE(rate.read(QStringLiteral("1,000.5"), c));
    EXPECT_FALSE(rate.read(QStringLiteral("1e3"), c));
    EXPECT_EQ(rate.read(QStringLiteral("-7,5abc"), sv).message,
              QStringLiteral("Rate: \"-7,5abc\" is not a number."));
    EXPECT_EQ(rate.read(QStringLiteral("-7,5"), sv).message,
              QStringLiteral("Rate: -7,5 is less than 0."));
    EXPECT_EQ(ui::NumberRule::decimal(QStringLiteral("Rate"), std::nullopt, 100)
                  .read(QStringLiteral("100,5"), sv)
                  .message,
              QStringLiteral("Rate: 100,5 is more than 100."));
    EXPECT_FALSE(rate.read(QString(400, QLatin1Char('9')), c)); // beyond a double

    const ui::NumberRule charge = ui::NumberRule::amount(QStringLiteral("Charge"));
    EXPECT_EQ(charge.read(QStringLiteral("12,3456"), sv).amount, Currency::fromRaw(123456));
    EXPECT_EQ(charge.read(QStringLiteral("0.1"), c).amount, Currency::fromRaw(1000));
    EXPECT_EQ(charge.read(QStringLiteral("1.500000"), c).amount, Currency::fromRaw(15000));
    EXPECT_EQ(charge.read(QStringLiteral("1.23456"), c).message,
              QStringLiteral("Charge: \"1.23456\" has more than 4 decimals."));
    EXPECT_EQ(charge.read(QStringLiteral("Z"), c).message,
              QStringLiteral("Charge: \"Z\" is not a number."));
    EXPECT_FALSE(charge.read(QStringLiteral("99999999999999999"), c));

    // A box over a field reads by the field's type, named after the field, unless given a rule.
    ui::DBEdit box(rows.get(), kQty);
    ASSERT_TRUE(box.numberRule());
    EXPECT_EQ(box.numberRule()->name(), kQty);
    EXPECT_EQ(box.numberRule()->kind(), ui::NumberRule::Kind::Decimal);
    box.setNumberRule(ui::NumberRule::wholeNumber(QString(), 0, 10));
    EXPECT_EQ(box.numberRule()->name(), kQty);
    ui::DBEdit text(rows.get(), kDescription);
    EXPECT_FALSE(text.numberRule());
    box.selectAll();
    QTest::keyClicks(&box, QStringLiteral("11"));
    EXPECT_FALSE(box.commit());
    EXPECT_EQ(messages.texts().last(), QStringLiteral("Qty: 11 is outside 0 to 10."));
}

TEST_F(DbControls, NumberEditRefusesOnLeavingAndKeepsTheText) {
    QWidget window;
    auto* rate =
        new ui::NumberEdit(ui::NumberRule::decimal(QStringLiteral("Rate"), 0, 100), &window);
    auto* other = new QLineEdit(&window);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(rate);
    layout->addWidget(other);
    window.show();
    QApplication::setActiveWindow(&window);
    rate->setAcceptedText(QStringLiteral("8"));
    rate->setFocus();
    rate->selectAll();
    QTest::keyClicks(rate, QStringLiteral("abc"));
    other->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(messages.texts(), QStringList({"Rate: \"abc\" is not a number."}));
    EXPECT_TRUE(rate->hasFocus());
    EXPECT_EQ(rate->text(), QStringLiteral("abc"));
    EXPECT_EQ(rate->acceptedText(), QStringLiteral("8"));
    // Another window taking the focus is not leaving the box.
    QWidget popup;
    popup.show();
    QApplication::setActiveWindow(&popup);
    QApplication::setActiveWindow(&window);
    EXPECT_EQ(messages.messages().size(), 1u);
    // Escape brings back what was accepted.
    rate->setFocus();
    QTest::keyClick(rate, Qt::Key_Escape);
    EXPECT_EQ(rate->text(), QStringLiteral("8"));
    // A confirmation is asked once for a new text that passes, and may turn it down.
    int asked = 0;
    bool answer = false;
    rate->setConfirm([&](const ui::NumberReading& r) {
        ++asked;
        EXPECT_EQ(r.number, 12.0);
        return answer;
    });
    rate->selectAll();
    QTest::keyClicks(rate, QStringLiteral("12"));
    EXPECT_FALSE(rate->check());
    EXPECT_EQ(rate->acceptedText(), QStringLiteral("8"));
    answer = true;
    EXPECT_TRUE(rate->check());
    EXPECT_TRUE(rate->check()); // accepted: not asked again
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(rate->acceptedText(), QStringLiteral("12"));
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

TEST_F(DbControls, GridShowsANewRecordAtOnceAndStaysOnARefusedOne) {
    ui::DBGrid grid(rows.get());
    grid.setColumns({kDescription, kQty});
    grid.resize(400, 300);
    grid.show();
    ui::DBEdit description(rows.get(), kDescription);
    ui::DBEdit qty(rows.get(), kQty);
    auto selected = [&] {
        QList<int> out;
        for (const QModelIndex& i : grid.selectionModel()->selectedRows())
            out << i.row();
        return out;
    };
    // Appended: a row after the last one, current at once; cancelled: gone again.
    rows->Append();
    EXPECT_EQ(grid.model()->rowCount(), 4);
    EXPECT_EQ(grid.currentIndex().row(), 3);
    EXPECT_TRUE(grid.tableModel()->isNewRow(3));
    EXPECT_TRUE(description.text().isEmpty());
    rows->Cancel();
    EXPECT_EQ(grid.model()->rowCount(), 3);
    EXPECT_EQ(grid.currentIndex().row(), 0);
    // Inserted before Pears: the new row stands there, showing what is typed.
    rows->Next();
    rows->Insert();
    EXPECT_EQ(grid.model()->rowCount(), 4);
    EXPECT_EQ(grid.currentIndex().row(), 1);
    EXPECT_EQ(grid.model()->index(2, 0).data().toString(), QStringLiteral("Pears"));
    QTest::keyClicks(&description, QStringLiteral("Kiwi"));
    EXPECT_EQ(grid.model()->index(1, 0).data().toString(), QStringLiteral("Kiwi"));
    EXPECT_EQ(grid.selectedBookmarks().size(), 1u); // the current record, which has no row id
    // A key that moves the grid while the quantity cannot be taken: refused with its message,
    // and the grid, the cursor and the boxes stay on the new record.
    QTest::keyClicks(&qty, QStringLiteral("4x"));
    QTest::keyClick(&grid, Qt::Key_Down);
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(rows->State(), db::DataSetState::Insert);
    EXPECT_EQ(grid.currentIndex().row(), 1);
    EXPECT_EQ(selected(), QList<int>({1}));
    EXPECT_EQ(description.text(), QStringLiteral("Kiwi"));
    // So does a click on another row, without a second message for the same text.
    click(&grid, 3);
    EXPECT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(grid.currentIndex().row(), 1);
    EXPECT_EQ(selected(), QList<int>({1}));
    EXPECT_EQ(stored(QStringLiteral("TRow"), kDescription),
              QStringList({"Apples", "Pears", "Plums"}));
    // Put right, the click posts the new record and goes where it was sent.
    qty.selectAll();
    QTest::keyClicks(&qty, QStringLiteral("4"));
    click(&grid, 3);
    EXPECT_EQ(stored(QStringLiteral("TRow"), kDescription),
              QStringList({"Apples", "Pears", "Plums", "Kiwi"}));
    EXPECT_EQ(grid.model()->rowCount(), 4);
    EXPECT_EQ(rows->State(), db::DataSetState::Browse);
    EXPECT_EQ(grid.currentIndex().row(), rows->RecNo());
    EXPECT_EQ(selected(), QList<int>({rows->RecNo()}));
    EXPECT_EQ(description.text(), rows->FieldByName(kDescription).AsString());
    EXPECT_EQ(messages.messages().size(), 1u);
}

TEST_F(DbControls, GridStaysOnARecordTheEngineRefuses) {
    ui::DBGrid grid(rows.get());
    grid.resize(400, 300);
    grid.show();
    ui::DBEdit description(rows.get(), kDescription);
    rows->BeforePost = [](db::Table&) {
        throw db::EngineError(db::ConstraintFailed, QStringLiteral("Not now"));
    };
    QTest::keyClicks(&description, QStringLiteral(" red"));
    click(&grid, 2);
    EXPECT_EQ(messages.texts(), QStringList({"Not now"}));
    EXPECT_EQ(grid.currentIndex().row(), 0);
    EXPECT_EQ(grid.selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(description.text(), QStringLiteral("Apples red"));
    rows->BeforePost = nullptr;
    click(&grid, 2);
    EXPECT_EQ(grid.currentIndex().row(), 2);
    EXPECT_EQ(stored(QStringLiteral("TRow"), kDescription).first(), QStringLiteral("Apples red"));
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
    EXPECT_EQ(messages.texts().first(), QStringLiteral("Qty: \"many\" is not a number."));
    EXPECT_EQ(rows->State(), db::DataSetState::Browse);
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

TEST_F(DbControls, AnOpenCellEditorIsWrittenBeforeAPost) {
    ui::DBGrid grid(rows.get());
    grid.setColumns({kDescription});
    grid.show();
    const QModelIndex cell = grid.model()->index(0, 0);
    grid.setCurrentIndex(cell);
    grid.edit(cell);
    auto* box = grid.viewport()->findChild<QLineEdit*>();
    ASSERT_NE(box, nullptr);
    box->setText(QStringLiteral("Quinces"));
    EXPECT_EQ(rows->State(), db::DataSetState::Browse) << "the cell has not written yet";
    grid.commitEditor();
    EXPECT_EQ(rows->FieldByName(kDescription).AsString(), QStringLiteral("Quinces"));
    rows->Post();
    EXPECT_EQ(stored(QStringLiteral("TRow"), kDescription).first(), QStringLiteral("Quinces"));
    grid.commitEditor(); // no editor open: nothing happens
    EXPECT_EQ(rows->State(), db::DataSetState::Browse);
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

TEST_F(DbControls, RichTextKeepsTheWindowsStorageFormat) {
    // A format of the window's own: the plain text in brackets, shown back without them.
    rows->Edit();
    rows->FieldByName(QStringLiteral("LDesc")).setAsString(QStringLiteral("[stored]"));
    rows->Post();
    ui::DBRichEdit rich(rows.get(), QStringLiteral("LDesc"));
    EXPECT_EQ(rich.toPlainText(), QStringLiteral("[stored]"));
    rich.setStorage({[](const QTextDocument& doc) {
                         return QLatin1Char('[') + doc.toPlainText() + QLatin1Char(']');
                     },
                     [](const QString& text) { return text.mid(1, text.size() - 2); }});
    EXPECT_EQ(rich.toPlainText(), QStringLiteral("stored"));
    EXPECT_EQ(rows->FieldByName(QStringLiteral("LDesc")).AsString(), QStringLiteral("[stored]"))
        << "showing a record writes nothing";
    rich.document()->setDocumentMargin(9);
    EXPECT_EQ(rows->State(), db::DataSetState::Browse)
        << "nor does a change the field does not hold";

    rich.moveCursor(QTextCursor::End);
    QTest::keyClicks(&rich, QStringLiteral(" text"));
    EXPECT_EQ(rows->FieldByName(QStringLiteral("LDesc")).AsString(),
              QStringLiteral("[stored text]"));
    rows->Post();
    EXPECT_EQ(stored(QStringLiteral("TRow"), QStringLiteral("LDesc")).first(),
              QStringLiteral("[stored text]"));
    rows->Next();
    rows->First();
    EXPECT_EQ(rich.toPlainText(), QStringLiteral("stored text"));
}
