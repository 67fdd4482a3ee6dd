#include "pdftestsupport.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include <zlib.h>

bool haveTool(const QString& name) {
    return !QStandardPaths::findExecutable(name).isEmpty();
}

ToolRun runTool(const QString& name, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStandardPaths::findExecutable(name), arguments);
    ToolRun run;
    if (!process.waitForFinished(120000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.output = QString::fromUtf8(process.readAll());
    return run;
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString structureProblems(const QByteArray& pdf, const QByteArray& version) {
    if (!pdf.startsWith("%PDF-" + version + QByteArray("\r\n%\xE2\xE3\xCF\xD3\r\n")))
        return QStringLiteral("header");
    const qsizetype startxref = pdf.lastIndexOf("startxref\r\n");
    if (startxref < 0 || !pdf.endsWith("%%EOF"))
        return QStringLiteral("no startxref or %%EOF at the end");
    const qsizetype numberEnd = pdf.indexOf("\r\n", startxref + 11);
    const qsizetype xref = pdf.mid(startxref + 11, numberEnd - startxref - 11).toLongLong();
    if (pdf.mid(xref, 8) != "xref\r\n0 ")
        return QStringLiteral("startxref does not point at the table");
    const qsizetype sizeEnd = pdf.indexOf("\r\n", xref + 8);
    const int size = pdf.mid(xref + 8, sizeEnd - xref - 8).toInt();
    qsizetype entry = sizeEnd + 2;
    if (pdf.mid(entry, 20) != "0000000000 65535 f\r\n")
        return QStringLiteral("first entry");
    for (int n = 1; n < size; ++n) {
        entry += 20;
        const QByteArray line = pdf.mid(entry, 20);
        if (line.size() != 20 || !line.endsWith(" 00000 n\r\n"))
            return QStringLiteral("entry %1 malformed: %2").arg(n).arg(QString::fromLatin1(line));
        const qsizetype offset = line.left(10).toLongLong();
        const QByteArray expected = QByteArray::number(n) + " 0 obj\r\n";
        if (pdf.mid(offset, expected.size()) != expected)
            return QStringLiteral("offset of object %1 is wrong").arg(n);
    }
    const qsizetype trailer = entry + 20;
    if (pdf.mid(trailer, 11) != "trailer\r\n<<")
        return QStringLiteral("no trailer after the table");
    const QByteArray tail = pdf.mid(trailer);
    if (!tail.contains("/Root 1 0 R") || !tail.contains("/Info 3 0 R") ||
        !tail.contains("/Size " + QByteArray::number(size)))
        return QStringLiteral("trailer entries");
    return {};
}

QByteArray objectText(const QByteArray& pdf, int number) {
    const QByteArray head = QByteArray::number(number) + " 0 obj\r\n";
    qsizetype at = pdf.startsWith(head) ? 0 : pdf.indexOf("\n" + head);
    if (at < 0)
        return {};
    if (at > 0)
        ++at;
    qsizetype end = pdf.indexOf("endobj", at);
    const qsizetype stream = pdf.indexOf("stream\r\n", at);
    if (stream >= 0 && stream < end)
        end = stream;
    return pdf.mid(at, end - at);
}

QByteArray streamOf(const QByteArray& pdf, int number) {
    const QByteArray object = objectText(pdf, number);
    const qsizetype at = pdf.indexOf(object) + object.size();
    if (object.isEmpty() || pdf.mid(at, 8) != "stream\r\n")
        return {};
    const qsizetype end = pdf.indexOf("\r\nendstream", at + 8);
    const QByteArray data = pdf.mid(at + 8, end - at - 8);
    if (!object.contains("FlateDecode"))
        return data;
    QByteArray plain(qsizetype(data.size()) * 40 + 4096, '\0');
    uLongf length = uLongf(plain.size());
    if (uncompress(reinterpret_cast<Bytef*>(plain.data()), &length,
                   reinterpret_cast<const Bytef*>(data.constData()), uLong(data.size())) != Z_OK)
        return {};
    plain.resize(qsizetype(length));
    return plain;
}

QList<int> objectOrder(const QByteArray& pdf) {
    QList<int> order;
    static const QRegularExpression objectStart(QStringLiteral("(?:^|\\n)(\\d+) 0 obj\\r\\n"));
    const QString text = QString::fromLatin1(pdf);
    auto it = objectStart.globalMatch(text);
    while (it.hasNext())
        order.append(it.next().captured(1).toInt());
    return order;
}

QJsonObject qpdfObjects(const QString& path, const QString& password) {
    QStringList arguments{QStringLiteral("--json=2"), QStringLiteral("--json-stream-data=inline"),
                          QStringLiteral("--decode-level=generalized")};
    if (!password.isEmpty())
        arguments << QStringLiteral("--password=") + password;
    arguments << path;
    QProcess process;
    process.start(QStandardPaths::findExecutable(QStringLiteral("qpdf")), arguments);
    if (!process.waitForFinished(120000))
        return {};
    const QJsonDocument json = QJsonDocument::fromJson(process.readAllStandardOutput());
    return json.object().value(QLatin1String("qpdf")).toArray().at(1).toObject();
}

QJsonObject dictOf(const QJsonObject& objects, const QJsonValue& value) {
    if (value.isObject())
        return value.toObject();
    const QJsonObject object = objects.value(QStringLiteral("obj:") + value.toString()).toObject();
    if (object.contains(QLatin1String("stream")))
        return object.value(QLatin1String("stream"))
            .toObject()
            .value(QLatin1String("dict"))
            .toObject();
    return object.value(QLatin1String("value")).toObject();
}

QByteArray streamDataOf(const QJsonObject& objects, const QJsonValue& reference) {
    const QJsonObject stream = objects.value(QStringLiteral("obj:") + reference.toString())
                                   .toObject()
                                   .value(QLatin1String("stream"))
                                   .toObject();
    return QByteArray::fromBase64(stream.value(QLatin1String("data")).toString().toLatin1());
}

QJsonObject trailerOf(const QJsonObject& objects) {
    return objects.value(QLatin1String("trailer"))
        .toObject()
        .value(QLatin1String("value"))
        .toObject();
}

QJsonObject catalogOf(const QJsonObject& objects) {
    return dictOf(objects, trailerOf(objects).value(QLatin1String("/Root")));
}

QJsonObject infoOf(const QJsonObject& objects) {
    return dictOf(objects, trailerOf(objects).value(QLatin1String("/Info")));
}

QJsonArray embeddedFileNames(const QJsonObject& catalog) {
    return catalog.value(QLatin1String("/Names"))
        .toObject()
        .value(QLatin1String("/EmbeddedFiles"))
        .toObject()
        .value(QLatin1String("/Names"))
        .toArray();
}

QList<std::pair<QString, QJsonObject>> allDictionaries(const QJsonObject& objects) {
    QList<std::pair<QString, QJsonObject>> out;
    for (auto it = objects.begin(); it != objects.end(); ++it) {
        if (!it.key().startsWith(QLatin1String("obj:")))
            continue;
        const QJsonObject dict = dictOf(objects, it.key().mid(4));
        if (!dict.isEmpty())
            out.append({it.key(), dict});
    }
    return out;
}

QList<FontRow> fontsOf(const QString& path) {
    const QStringList lines =
        runTool(QStringLiteral("pdffonts"), {path}).output.split(QLatin1Char('\n'));
    QList<FontRow> rows;
    if (lines.size() < 2)
        return rows;
    // The columns are as wide as the dashes under their titles.
    QList<std::pair<int, int>> columns;
    static const QRegularExpression dashes(QStringLiteral("-+"));
    auto it = dashes.globalMatch(lines[1]);
    while (it.hasNext()) {
        const auto m = it.next();
        columns.append({int(m.capturedStart()), int(m.capturedLength())});
    }
    if (columns.size() < 5)
        return rows;
    for (const QString& line : lines.mid(2)) {
        if (line.trimmed().isEmpty())
            continue;
        auto column = [&](int i) {
            return line.mid(columns[i].first, columns[i].second).trimmed();
        };
        rows.append({column(0), column(1), column(2), column(3) == QLatin1String("yes")});
    }
    return rows;
}

QStringList XmpValues::all(const QString& ns, const QString& name) const {
    QStringList found = values.values(QLatin1Char('{') + ns + QLatin1Char('}') + name);
    std::reverse(found.begin(), found.end()); // QMultiHash gives the latest first
    return found;
}

XmpValues readXmp(const QByteArray& packet) {
    static const QString rdf = QStringLiteral("http://www.w3.org/1999/02/22-rdf-syntax-ns#");
    XmpValues out;
    QXmlStreamReader reader(packet);
    struct Open {
        QString key;
        QString text;
        bool leaf = true;
    };
    QList<Open> stack;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            if (!stack.isEmpty())
                stack.last().leaf = false;
            QString key = QLatin1Char('{') + reader.namespaceUri().toString() + QLatin1Char('}') +
                          reader.name().toString();
            if (reader.namespaceUri() == rdf && reader.name() == QLatin1String("li")) {
                // The property the list item belongs to.
                for (qsizetype i = stack.size() - 1; i >= 0; --i) {
                    if (!stack[i].key.startsWith(QLatin1Char('{') + rdf)) {
                        key = stack[i].key;
                        break;
                    }
                }
            }
            stack.append({key, {}, true});
        } else if (reader.isCharacters() && !stack.isEmpty()) {
            stack.last().text += reader.text();
        } else if (reader.isEndElement() && !stack.isEmpty()) {
            const Open closed = stack.takeLast();
            if (closed.leaf)
                out.values.insert(closed.key, closed.text);
        }
    }
    if (reader.hasError())
        out.error =
            QStringLiteral("line %1: %2").arg(reader.lineNumber()).arg(reader.errorString());
    return out;
}

QString PdfFiles::path(const QString& name, const QString& password) {
    const QString file = m_dir.filePath(name);
    m_files.append({file, password});
    return file;
}

void PdfFiles::prepare(TgtCustomPDFEngine& engine, const QString& name, const QString& password) {
    engine.Preferences.OpenAfterCreate = false;
    engine.Preferences.ShowSetupDialog = false;
    engine.setFileName(path(name, password));
}

QString PdfFiles::textOf(const QString& pdfPath, const QString& password) {
    QStringList arguments{QStringLiteral("-layout")};
    if (!password.isEmpty())
        arguments << QStringLiteral("-upw") << password;
    arguments << pdfPath << QStringLiteral("-");
    return runTool(QStringLiteral("pdftotext"), arguments).output;
}

void PdfFiles::TearDown() {
    if (!haveTool(QStringLiteral("qpdf")))
        return;
    for (const auto& [name, password] : std::as_const(m_files)) {
        // Names are handed out before writing; the engine writes them with ".pdf".
        TgtCustomPDFEngine names;
        names.setFileName(name);
        const QString written = names.outputFilePath();
        if (!QFileInfo::exists(written))
            continue;
        QStringList arguments{QStringLiteral("--check")};
        if (!password.isEmpty())
            arguments << QStringLiteral("--password=") + password;
        arguments << written;
        const ToolRun run = runTool(QStringLiteral("qpdf"), arguments);
        EXPECT_EQ(run.exitCode, 0) << "qpdf --check " << qPrintable(written) << ":\n"
                                   << qPrintable(run.output);
        EXPECT_TRUE(run.output.contains(QLatin1String("No syntax or stream encoding errors")))
            << qPrintable(run.output);
    }
}
