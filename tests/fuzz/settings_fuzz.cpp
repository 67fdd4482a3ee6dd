// The settings file: any bytes read as a file, written back, read again give the same
// sections, keys and values; a value of any text written into it reads back as written (line
// breaks folded to blanks, halves of characters as "?").

#include "fuzztarget.h"

#include "service/savefile.h"
#include "service/settingsfile.h"

#include <QMap>

namespace {

QString filePath() {
    return fuzz::scratchDir() + QStringLiteral("/Fuzz.ini");
}

// Every visible value: what a caller can reach by section and key.
QMap<QString, QString> contents(const SettingsFile& file) {
    QMap<QString, QString> all;
    for (const QString& section : file.sections())
        for (const QString& key : file.readSection(section))
            all.insert(section + QLatin1Char(0x1F) + key, file.readString(section, key));
    return all;
}

QString describe(const QMap<QString, QString>& a, const QMap<QString, QString>& b) {
    QString out;
    for (auto it = a.begin(); it != a.end(); ++it)
        if (!b.contains(it.key()) || b.value(it.key(), QStringLiteral("<missing>")) != it.value())
            out += QStringLiteral("%1: %2 -> %3\n")
                       .arg(it.key(), it.value(), b.value(it.key(), QStringLiteral("<missing>")));
    for (auto it = b.begin(); it != b.end(); ++it)
        if (!a.contains(it.key()))
            out += QStringLiteral("%1: <missing> -> %2\n").arg(it.key(), it.value());
    return out;
}

// UTF-8 cannot hold a lone half of a surrogate pair: it is written as "?".
QString withoutLoneSurrogates(QString v) {
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v[i].isHighSurrogate() && i + 1 < v.size() && v[i + 1].isLowSurrogate())
            ++i;
        else if (v[i].isSurrogate())
            v[i] = QLatin1Char('?');
    }
    return v;
}

// What a written value reads back as.
QString expectedValue(const QString& value) {
    QString v = value;
    v.replace(QLatin1String("\r\n"), QLatin1String(" "));
    v.replace(QLatin1Char('\r'), QLatin1Char(' '));
    v.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return withoutLoneSurrogates(v);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Reader reader(data, size);
    const uint8_t mode = reader.byte();
    const QByteArray bytes = reader.rest();
    const QString path = filePath();
    if (!SaveFile::writeFile(path, bytes))
        fuzz::fail("cannot write the scratch file");

    QMap<QString, QString> before;
    QString written;
    {
        SettingsFile file(path);
        if (mode & 1) {
            // Every value written again as it was read.
            for (const QString& section : file.sections())
                for (const QString& key : file.readSection(section))
                    file.writeString(section, key, file.readString(section, key));
        }
        if (mode & 2) {
            // A value of any text: the input itself, as UTF-8 or as UTF-16.
            const QString value =
                (mode & 4)
                    ? QString(reinterpret_cast<const QChar*>(bytes.constData()), bytes.size() / 2)
                    : QString::fromUtf8(bytes);
            file.writeString(QStringLiteral("Fuzz"), QStringLiteral("Value"), value);
            written = expectedValue(value);
        }
        before = contents(file);
        for (QString& v : before)
            v = withoutLoneSurrogates(v);
        QString error;
        fuzz::check(file.updateFile(&error), "updateFile failed", error);
    }
    SettingsFile again(path);
    const QMap<QString, QString> after = contents(again);
    fuzz::check(before == after, "the file reads back differently", describe(before, after));
    if (mode & 2)
        fuzz::check(again.readString(QStringLiteral("Fuzz"), QStringLiteral("Value")) == written,
                    "a written value reads back differently",
                    again.readString(QStringLiteral("Fuzz"), QStringLiteral("Value")));

    // Written a second time without a change, the bytes stay the same.
    QFile first(path);
    first.open(QIODevice::ReadOnly);
    const QByteArray onDisk = first.readAll();
    first.close();
    fuzz::check(again.updateFile(), "second updateFile failed");
    QFile second(path);
    second.open(QIODevice::ReadOnly);
    fuzz::check(second.readAll() == onDisk, "a second write changed the file");
    return 0;
}
