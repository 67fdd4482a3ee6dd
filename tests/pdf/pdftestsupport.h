#pragma once

#include "pdf/pdfengine.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QMultiHash>
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

// Checks the file's skeleton: header (of the version given), cross-reference table whose every
// offset points at the start of its object, trailer and startxref. Returns an empty text when
// all is well.
QString structureProblems(const QByteArray& pdf, const QByteArray& version = "1.4");

// The uncompressed data of the stream of object `number` ("n 0 obj" ... "stream").
QByteArray streamOf(const QByteArray& pdf, int number);
// The text of object `number` up to its "endobj" (or "stream").
QByteArray objectText(const QByteArray& pdf, int number);
// Numbers of all objects, in the order they appear in the file.
QList<int> objectOrder(const QByteArray& pdf);

// The objects of a file as `qpdf --json=2` gives them, streams decoded and inline: keys
// "obj:N 0 R" (with "value", or "stream" holding "dict" and base64 "data") and "trailer".
QJsonObject qpdfObjects(const QString& path, const QString& password = QString());
// The dictionary of a value: a direct dictionary, or the value or stream dictionary of the
// object a reference ("N 0 R") names.
QJsonObject dictOf(const QJsonObject& objects, const QJsonValue& value);
// The decoded data of the stream a reference names.
QByteArray streamDataOf(const QJsonObject& objects, const QJsonValue& reference);
// The trailer, the catalog, the document information, and the embedded files' name tree
// (key, reference, key, reference...).
QJsonObject trailerOf(const QJsonObject& objects);
QJsonObject catalogOf(const QJsonObject& objects);
QJsonObject infoOf(const QJsonObject& objects);
QJsonArray embeddedFileNames(const QJsonObject& catalog);
// Every object's dictionary (values and stream dictionaries), by object key.
QList<std::pair<QString, QJsonObject>> allDictionaries(const QJsonObject& objects);

// The rows of `pdffonts`.
struct FontRow {
    QString name;
    QString type;
    QString encoding;
    bool embedded = false;
};
QList<FontRow> fontsOf(const QString& path);

// The XMP packet read with QXmlStreamReader: the text of every leaf element, by "{namespace}name"
// (an rdf:li counts for the property it belongs to), in document order; `error` when the packet
// is not well-formed.
struct XmpValues {
    QString error;
    QMultiHash<QString, QString> values;
    QString value(const QString& ns, const QString& name) const {
        return values.value(QLatin1Char('{') + ns + QLatin1Char('}') + name);
    }
    QStringList all(const QString& ns, const QString& name) const;
};
XmpValues readXmp(const QByteArray& packet);

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
