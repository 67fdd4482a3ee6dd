// One column exit of the invoice editor on a long document: the row computation over every
// working row and the totals query, as the editor runs them each time a column is left; and
// New, which empties the document. Beside them the same computation on an in-memory vector,
// the floor no table can beat.
//
//   editor_bench [--rows N] [--repeat R]
//
// Prints one line per figure: name, value, unit (the best of R runs, and the median).
#include "db/datasetup.h"
#include "db/table.h"
#include "invoicing/companions.h"
#include "invoicing/rowcalc.h"
#include "invoicing/tfminvoice.h"
#include "service/service.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

void figure(const char* name, double value, const char* unit) {
    std::printf("%-36s %12.4f %s\n", name, value, unit);
}

struct Timing {
    double best = 0;
    double median = 0;
};

Timing time(int repeat, const std::function<void(int)>& prepare,
            const std::function<void()>& work) {
    std::vector<double> ms;
    for (int i = 0; i < repeat; ++i) {
        if (prepare)
            prepare(i);
        QElapsedTimer t;
        t.start();
        work();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms.front(), ms[ms.size() / 2]};
}

// Row i of the document: a product row, and a 2.5 % tax row every 50 rows.
void fillRow(db::Table& rows, int i) {
    rows.Append();
    if (i % 50 == 49) {
        rows.FieldByName(QStringLiteral("Code")).setAsString(QStringLiteral("Tax"));
        rows.FieldByName(QStringLiteral("Unit")).setAsString(QStringLiteral("%"));
        rows.FieldByName(QStringLiteral("Qty")).setAsFloat(2.5);
    } else {
        rows.FieldByName(QStringLiteral("Code")).setAsString(QStringLiteral("P%1").arg(i));
        rows.FieldByName(QStringLiteral("Description"))
            .setAsString(QStringLiteral("Product %1").arg(i));
        rows.FieldByName(QStringLiteral("Unit")).setAsString(QStringLiteral("pcs"));
        rows.FieldByName(QStringLiteral("Qty")).setAsFloat(1 + i % 7);
        rows.FieldByName(QStringLiteral("Price"))
            .setAsCurrency(Currency::fromRaw(19900 + 1234 * i));
        rows.FieldByName(QStringLiteral("Discount")).setAsFloat(i % 3 == 0 ? 10 : 0);
    }
    rows.FieldByName(QStringLiteral("VAT %")).setAsFloat(i % 2 ? 25 : 12);
    rows.Post();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int count = 500;
    int repeat = 50;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--rows"))
            count = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--repeat"))
            repeat = std::max(1, args[i + 1].toInt());
    }
    QTemporaryDir temp;
    const QString dataDir = temp.path() + QStringLiteral("/data");
    QString error;
    if (!db::createDataDir(dataDir, false, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    Service::DataDir = dataDir;
    Service::VAT = true;
    Service::Disc = true;
    Service::Decimals = 2;
    Service::VATcap = QStringLiteral("VAT");
    Service::CompanyName = QStringLiteral("Bench");

    InvoicingWindows windows(nullptr, EditorOwner::MainWindow);
    TfmInvoice& editor = *windows.editor;
    editor.btnNewInvoiceClick();
    db::Table& rows = *editor.dbTRow;
    auto fill = [&] {
        rows.EmptyTable();
        for (int i = 0; i < count; ++i)
            fillRow(rows, i);
        editor.AllRows();
        editor.Totalsums();
    };
    fill();
    std::printf("editor_bench: %d rows, a tax row every 50, best and median of %d runs\n", count,
                repeat);

    // A column exit after the user changed one quantity: one row's amounts change, and so
    // does the base of the tax row below it.
    rows.First();
    const Timing changed = time(
        repeat,
        [&](int i) {
            rows.Edit();
            rows.FieldByName(QStringLiteral("Qty")).setAsFloat(2 + i % 5);
        },
        [&] {
            editor.AllRows();
            editor.Totalsums();
        });
    figure("column exit, one row changed", changed.best, "ms best");
    figure("column exit, one row changed", changed.median, "ms median");
    // A column exit where nothing changed (moving through the row).
    const Timing unchanged = time(repeat, {}, [&] {
        editor.AllRows();
        editor.Totalsums();
    });
    figure("column exit, nothing changed", unchanged.best, "ms best");
    figure("column exit, nothing changed", unchanged.median, "ms median");

    // The floor: the same computation and sums on a vector in memory.
    std::vector<invoicing::WorkRow> memory;
    for (int i = 0; i < count; ++i) {
        invoicing::WorkRow w;
        if (i % 50 == 49) {
            w.code = QStringLiteral("Tax");
            w.unit = QStringLiteral("%");
            w.qty = 2.5;
        } else {
            w.qty = 1 + i % 7;
            w.price = Currency::fromRaw(19900 + 1234 * i);
            w.discount = i % 3 == 0 ? 10 : 0;
        }
        w.vatPercent = i % 2 ? 25 : 12;
        memory.push_back(w);
    }
    Currency sink;
    const Timing floor = time(repeat * 10, {}, [&] {
        invoicing::computeRows(memory, false);
        Currency sum, vat;
        for (const invoicing::WorkRow& w : memory) {
            sum += w.sum;
            vat += w.vat;
        }
        sink += invoicing::documentTotals(sum, vat, false, false, false).docTotal;
    });
    figure("floor: computation in memory", floor.best, "ms best");
    figure("floor: computation in memory", floor.median, "ms median");
    figure("ratio changed / floor (median)", changed.median / std::max(floor.median, 1e-6), "x");

    // New: the question is answered No when it comes, the rows are emptied.
    editor.DocSaved = true;
    const Timing newDoc = time(
        std::max(1, repeat / 10),
        [&](int) {
            fill();
            editor.DocSaved = true;
        },
        [&] { editor.btnNewInvoiceClick(); });
    figure("New on a 500-row document", newDoc.best, "ms best");
    figure("New on a 500-row document", newDoc.median, "ms median");
    return sink.raw() == 42 ? 2 : 0;
}
