#pragma once

#include "pdf/pdfengine.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Runs an external program and gives its exit code and output.
struct ToolRun {
    int exitCode = -1;
    QString output; // standard output and error together
};
bool haveTool(const QString& name);
ToolRun runTool(const QString& name, const QStringList& arguments);

QByteArray readBytes(const QString& path);

// Checks the file's skeleton: header, cross-reference table whose every offset points at the
// start of its object, trailer and startxref. Returns an empty text when all is well.
QString structureProblems(const QByteArray& pdf);

// The uncompressed data of the stream of object `number` ("n 0 obj" ... "stream").
QByteArray streamOf(const QByteArray& pdf, int number);
// The text of object `number` up to its "endobj" (or "stream").
QByteArray objectText(const QByteArray& pdf, int number);
// Numbers of all objects, in the order they appear in the file.
QList<int> objectOrder(const QByteArray& pdf);

// A fixture that hands out file names in a temporary folder and, when the test ends, checks
// every PDF that was written with qpdf --check (with its password, when one was given).
class PdfFiles : public ::testing::Test {
protected:
    QString path(const QString& name, const QString& password = QString());
    // An engine that writes to `path(name)`, opens nothing and asks nothing.
    void prepare(TgtCustomPDFEngine& engine, const QString& name,
                 const QString& password = QString());
    // pdftotext of the file (all pages), layout kept.
    QString textOf(const QString& pdfPath, const QString& password = QString());
    void TearDown() override;

    QTemporaryDir m_dir;

private:
    QList<std::pair<QString, QString>> m_files;
};
