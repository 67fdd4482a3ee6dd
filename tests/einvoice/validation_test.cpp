// Every document of the test set, written as Factur-X (CII) and XRechnung (UBL), passes the
// official rules. The kit's validator costs a Java start per call, so all files go through
// one call with the XRechnung rules switched on; files written for the plain European profile
// are then judged on the European rules alone.
#include "documents.h"

#include "einvoice/settlement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace einvoice;
using namespace testdocs;

namespace {

QString kitDir() {
    return QStringLiteral(MEROVIA_EINVOICE_KIT);
}

struct Finding {
    QString rule;
    QString level; // "fatal", "warning", "information"
    QString text;
};

struct Written {
    QString path;
    QByteArray xml;
    Profile profile;
    bool ubl;
    const Document* document;
};

// The XRechnung rule sets add these rules; everything else comes from EN 16931 or the kit.
bool isXRechnungRule(const QString& rule) {
    return rule.startsWith(QLatin1String("BR-DE")) || rule.startsWith(QLatin1String("BR-TMP")) ||
           rule.startsWith(QLatin1String("PEPPOL-")) || rule == QLatin1String("XR-XSLT-ERROR");
}

class ValidationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = new QTemporaryDir;
        // MEROVIA_KEEP_EINVOICES=1 keeps the written files for a look at them.
        s_dir->setAutoRemove(qEnvironmentVariableIntValue("MEROVIA_KEEP_EINVOICES") == 0);
        if (!s_dir->autoRemove())
            qInfo("e-invoices written to %s", qPrintable(s_dir->path()));
        s_docs = new QList<Document>(documents());
        s_written = new QList<Written>;
        for (const Document& doc : *s_docs)
            for (const Output& out : doc.outputs) {
                Written w{s_dir->filePath(out.file),
                          out.ubl ? writeUbl(doc.invoice, out.profile)
                                  : writeCii(doc.invoice, out.profile),
                          out.profile, out.ubl, &doc};
                QFile f(w.path);
                if (f.open(QIODevice::WriteOnly))
                    f.write(w.xml);
                *s_written << w;
            }
        // A copy with a wrong payable amount shows that findings reach us per file.
        s_broken = s_dir->filePath(QStringLiteral("broken-payable.xml"));
        QByteArray broken = s_written->first().xml;
        const QString payable = xmlValues(broken, QStringLiteral("DuePayableAmount")).value(0);
        broken.replace("<ram:DuePayableAmount>" + payable.toUtf8(),
                       "<ram:DuePayableAmount>" + QByteArray("1.00"));
        QFile f(s_broken);
        if (f.open(QIODevice::WriteOnly))
            f.write(broken);
        validateAll();
    }

    static void TearDownTestSuite() {
        delete s_written;
        delete s_docs;
        delete s_dir;
        delete s_findings;
    }

    static void validateAll() {
        s_findings = new QMap<QString, QList<Finding>>;
        const QString script = kitDir() + QStringLiteral("/validate");
        if (!QFileInfo::exists(script)) {
            s_error = QStringLiteral("the validation kit is missing: ") + script;
            return;
        }
        QStringList args = {script, QStringLiteral("--xrechnung"), QStringLiteral("--warnings")};
        for (const Written& w : *s_written)
            args << w.path;
        args << s_broken;
        QProcess p;
        p.start(QStringLiteral("bash"), args);
        if (!p.waitForFinished(300000)) {
            s_error = QStringLiteral("validate did not finish");
            return;
        }
        s_exitCode = p.exitCode();
        s_stderr = QString::fromUtf8(p.readAllStandardError());
        if (s_exitCode != 0 && s_exitCode != 1) {
            s_error = QStringLiteral("validate failed (exit %1): %2").arg(s_exitCode).arg(s_stderr);
            return;
        }
        for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(u'\n')) {
            if (line.isEmpty())
                continue;
            // FILE: RULE-ID: [warning: |information: ]text
            const int colon = line.indexOf(QLatin1String(".xml: "));
            if (colon < 0) {
                (*s_findings)[QString()]
                    << Finding{QStringLiteral("?"), QStringLiteral("fatal"), line};
                continue;
            }
            const QString file = line.left(colon + 4);
            QString rest = line.mid(colon + 6);
            Finding f;
            f.rule = rest.section(QLatin1String(": "), 0, 0);
            rest = rest.section(QLatin1String(": "), 1);
            f.level = QStringLiteral("fatal");
            for (const char* level : {"warning", "information"})
                if (rest.startsWith(QLatin1String(level) + QLatin1String(": "))) {
                    f.level = QLatin1String(level);
                    rest = rest.mid(int(qstrlen(level)) + 2);
                }
            f.text = rest;
            (*s_findings)[file] << f;
        }
    }

    static QStringList describe(const QList<Finding>& findings) {
        QStringList out;
        for (const Finding& f : findings)
            out << f.level + u' ' + f.rule + QStringLiteral(": ") + f.text;
        return out;
    }

    static inline QTemporaryDir* s_dir = nullptr;
    static inline QList<Document>* s_docs = nullptr;
    static inline QList<Written>* s_written = nullptr;
    static inline QMap<QString, QList<Finding>>* s_findings = nullptr;
    static inline QString s_broken;
    static inline QString s_error;
    static inline QString s_stderr;
    static inline int s_exitCode = -1;
};

TEST_F(ValidationTest, EveryFilePassesTheRulesOfItsProfile) {
    ASSERT_TRUE(s_error.isEmpty()) << s_error.toStdString();
    EXPECT_TRUE(s_stderr.contains(QStringLiteral("%1 file(s) checked").arg(s_written->size() + 1)))
        << s_stderr.toStdString();
    EXPECT_FALSE(s_findings->contains(QString()))
        << describe(s_findings->value(QString())).join(u'\n').toStdString();

    for (const Written& w : *s_written) {
        QList<Finding> fatal, warnings;
        for (const Finding& f : s_findings->value(w.path)) {
            if (w.profile == Profile::En16931 && isXRechnungRule(f.rule))
                continue;
            if (f.level == QLatin1String("fatal"))
                fatal << f;
            else if (f.level == QLatin1String("warning"))
                warnings << f;
        }
        EXPECT_TRUE(fatal.isEmpty()) << QFileInfo(w.path).fileName().toStdString() << ":\n"
                                     << describe(fatal).join(u'\n').toStdString() << "\n"
                                     << w.xml.toStdString();
        // Warnings are not fatal, but ours should not draw any either.
        EXPECT_TRUE(warnings.isEmpty()) << QFileInfo(w.path).fileName().toStdString() << ":\n"
                                        << describe(warnings).join(u'\n').toStdString();
    }
}

TEST_F(ValidationTest, ABrokenFileIsReportedAgainstItsName) {
    ASSERT_TRUE(s_error.isEmpty()) << s_error.toStdString();
    EXPECT_EQ(s_exitCode, 1);
    QStringList rules;
    for (const Finding& f : s_findings->value(s_broken))
        rules << f.rule;
    EXPECT_TRUE(rules.contains(QStringLiteral("BR-CO-16"))) << rules.join(u' ').toStdString();
}

TEST_F(ValidationTest, PayableAmountIsThePrintedTotal) {
    for (const Written& w : *s_written) {
        const Invoice& inv = w.document->invoice;
        Currency expected = editorTotal(inv).roundedTo(2);
        if (inv.isCredit())
            expected = -expected;
        const QString payable =
            xmlValues(w.xml, w.ubl ? QStringLiteral("LegalMonetaryTotal/PayableAmount")
                                   : QStringLiteral("DuePayableAmount"))
                .value(0);
        EXPECT_EQ(payable, amountText(expected)) << QFileInfo(w.path).fileName().toStdString();
    }
}

} // namespace
