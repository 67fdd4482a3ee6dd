#include "service/settingsfile.h"

#include "service/dates.h"
#include "service/numbers.h"
#include "service/savefile.h"

#include <QFile>
#include <QStringDecoder>

namespace {

std::function<void()>& beforeCommitHook() {
    static std::function<void()> hook;
    return hook;
}

// The bytes 0x80..0x9F of Windows-1252; the rest of the code page equals Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

QString SettingsFile::decode(const QByteArray& input) {
    QByteArray bytes = input;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    text.clear();
    text.reserve(bytes.size());
    for (char c : bytes) {
        const unsigned char u = static_cast<unsigned char>(c);
        text.append(u >= 0x80 && u < 0xA0 ? QChar(kCp1252High[u - 0x80]) : QChar(u));
    }
    return text;
}

void SettingsFile::setBeforeCommitHook(std::function<void()> hook) {
    beforeCommitHook() = std::move(hook);
}

SettingsFile::SettingsFile(const QString& fileName, const QLocale& locale)
    : m_fileName(fileName)
    , m_locale(locale) {
    m_sections.push_back(Section{}); // lines before the first header
    // No name (such as a design that was never chosen) reads as a missing file.
    if (fileName.isEmpty())
        return;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return;
    m_existed = true;
    const QByteArray bytes = file.readAll();
    if (bytes.contains("\r\n"))
        m_newline = QStringLiteral("\r\n");
    const QString text = decode(bytes);
    const QStringList rawLines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < rawLines.size(); ++i) {
        QString raw = rawLines[i];
        // Every carriage return at the end goes: a stray one left there would be written
        // back before the line break and turn the file's line ends into CR LF.
        while (raw.endsWith(QLatin1Char('\r')))
            raw.chop(1);
        if (i == rawLines.size() - 1 && raw.isEmpty())
            break; // the newline that ends the last line
        Line line;
        line.text = raw;
        const QString trimmed = raw.trimmed();
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
            line.kind = Line::Section;
            line.name = trimmed.mid(1, trimmed.size() - 2).trimmed();
            m_lines.push_back(line);
            m_sections.push_back(Section{line.name, int(m_lines.size()) - 1, {}});
            continue;
        }
        const int eq = raw.indexOf(QLatin1Char('='));
        if (eq > 0 && !trimmed.startsWith(QLatin1Char(';')) && !raw.left(eq).trimmed().isEmpty()) {
            line.kind = Line::Value;
            line.name = raw.left(eq).trimmed();
            line.value = raw.mid(eq + 1);
        }
        m_lines.push_back(line);
        m_sections.back().lines.push_back(int(m_lines.size()) - 1);
    }
}

int SettingsFile::findSection(const QString& name) const {
    for (size_t i = 1; i < m_sections.size(); ++i)
        if (sameName(m_sections[i].name, name))
            return int(i);
    return -1;
}

int SettingsFile::findValueLine(const Section& section, const QString& key) const {
    for (int index : section.lines) {
        const Line& line = m_lines[size_t(index)];
        if (line.kind == Line::Value && sameName(line.name, key))
            return index;
    }
    return -1;
}

SettingsFile::Section& SettingsFile::ensureSection(const QString& name) {
    const int at = findSection(name);
    if (at >= 0)
        return m_sections[size_t(at)];
    Line header;
    header.kind = Line::Section;
    header.name = name;
    header.text = QLatin1Char('[') + name + QLatin1Char(']');
    m_lines.push_back(header);
    m_sections.push_back(Section{name, int(m_lines.size()) - 1, {}});
    return m_sections.back();
}

bool SettingsFile::sectionExists(const QString& section) const {
    return findSection(section) >= 0;
}

bool SettingsFile::valueExists(const QString& section, const QString& key) const {
    const int s = findSection(section);
    return s >= 0 && findValueLine(m_sections[size_t(s)], key) >= 0;
}

QString SettingsFile::readString(const QString& section, const QString& key,
                                 const QString& defaultValue) const {
    const int s = findSection(section);
    if (s < 0)
        return defaultValue;
    const int l = findValueLine(m_sections[size_t(s)], key);
    return l < 0 ? defaultValue : m_lines[size_t(l)].value;
}

int SettingsFile::readInteger(const QString& section, const QString& key, int defaultValue) const {
    if (!valueExists(section, key))
        return defaultValue;
    const auto v = Numbers::parseInteger(readString(section, key));
    return v ? *v : defaultValue;
}

bool SettingsFile::readBool(const QString& section, const QString& key, bool defaultValue) const {
    if (!valueExists(section, key))
        return defaultValue;
    const auto v = Numbers::parseInteger(readString(section, key));
    return v ? *v != 0 : defaultValue;
}

double SettingsFile::readFloat(const QString& section, const QString& key,
                               double defaultValue) const {
    if (!valueExists(section, key))
        return defaultValue;
    const auto v = Numbers::parseDecimal(readString(section, key), m_locale);
    return v ? *v : defaultValue;
}

QDate SettingsFile::readDate(const QString& section, const QString& key,
                             const QDate& defaultValue) const {
    if (!valueExists(section, key))
        return defaultValue;
    const QDate d = Dates::fromShortText(readString(section, key), m_locale);
    return d.isValid() ? d : defaultValue;
}

void SettingsFile::writeString(const QString& section, const QString& key, const QString& value) {
    // A value is one line; callers turn texts of several lines into one with
    // StrStringToEscaped. Stray line breaks are folded so they cannot split the file.
    QString clean = value;
    clean.replace(QLatin1String("\r\n"), QLatin1String(" "));
    clean.replace(QLatin1Char('\r'), QLatin1Char(' '));
    clean.replace(QLatin1Char('\n'), QLatin1Char(' '));
    Section& sec = ensureSection(section);
    const int l = findValueLine(sec, key);
    if (l >= 0) {
        Line& line = m_lines[size_t(l)];
        if (line.value != clean) {
            line.value = clean;
            m_modified = true;
        }
        return;
    }
    Line line;
    line.kind = Line::Value;
    line.name = key;
    line.value = clean;
    // New keys go after the section's last key, before any trailing blank lines.
    int insertAt = sec.headerLine + 1;
    for (int index : sec.lines)
        if (!m_lines[size_t(index)].text.trimmed().isEmpty() ||
            m_lines[size_t(index)].kind == Line::Value)
            insertAt = index + 1;
    m_lines.insert(m_lines.begin() + insertAt, line);
    for (Section& s : m_sections) {
        if (s.headerLine >= insertAt)
            ++s.headerLine;
        for (int& index : s.lines)
            if (index >= insertAt)
                ++index;
    }
    sec.lines.push_back(insertAt);
    std::sort(sec.lines.begin(), sec.lines.end());
    m_modified = true;
}

void SettingsFile::writeInteger(const QString& section, const QString& key, int value) {
    writeString(section, key, QString::number(value));
}

void SettingsFile::writeBool(const QString& section, const QString& key, bool value) {
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void SettingsFile::writeFloat(const QString& section, const QString& key, double value) {
    writeString(section, key, Numbers::formatDecimal(value, m_locale));
}

void SettingsFile::writeDate(const QString& section, const QString& key, const QDate& value) {
    writeString(section, key, Dates::toShortText(value, m_locale));
}

QStringList SettingsFile::readSection(const QString& section) const {
    QStringList keys;
    const int s = findSection(section);
    if (s < 0)
        return keys;
    for (int index : m_sections[size_t(s)].lines) {
        const Line& line = m_lines[size_t(index)];
        if (line.kind == Line::Value && !keys.contains(line.name, Qt::CaseInsensitive))
            keys.append(line.name);
    }
    return keys;
}

QStringList SettingsFile::readSectionValues(const QString& section) const {
    QStringList values;
    const int s = findSection(section);
    if (s < 0)
        return values;
    for (int index : m_sections[size_t(s)].lines) {
        const Line& line = m_lines[size_t(index)];
        if (line.kind == Line::Value)
            values.append(line.name + QLatin1Char('=') + line.value);
    }
    return values;
}

QStringList SettingsFile::sections() const {
    QStringList names;
    for (size_t i = 1; i < m_sections.size(); ++i)
        names.append(m_sections[i].name);
    return names;
}

void SettingsFile::deleteKey(const QString& section, const QString& key) {
    const int s = findSection(section);
    if (s < 0)
        return;
    Section& sec = m_sections[size_t(s)];
    const int l = findValueLine(sec, key);
    if (l < 0)
        return;
    // The line stays in place, so the indexes of the others hold; it is dropped on writing.
    m_lines[size_t(l)].kind = Line::Other;
    m_lines[size_t(l)].deleted = true;
    sec.lines.erase(std::remove(sec.lines.begin(), sec.lines.end(), l), sec.lines.end());
    m_modified = true;
}

void SettingsFile::eraseSection(const QString& section) {
    const int s = findSection(section);
    if (s < 0)
        return;
    Section& sec = m_sections[size_t(s)];
    for (int index : sec.lines) {
        m_lines[size_t(index)].kind = Line::Other;
        m_lines[size_t(index)].deleted = true;
    }
    m_lines[size_t(sec.headerLine)].kind = Line::Other;
    m_lines[size_t(sec.headerLine)].deleted = true;
    m_sections.erase(m_sections.begin() + s);
    m_modified = true;
}

bool SettingsFile::updateFile(QString* errorMessage) {
    QString text;
    for (const Line& line : m_lines) {
        if (line.deleted)
            continue;
        text += (line.kind == Line::Value ? line.name + QLatin1Char('=') + line.value : line.text);
        text += m_newline;
    }
    SaveFile file(m_fileName);
    bool ok = file.open() && file.write(text.toUtf8());
    if (ok && beforeCommitHook())
        beforeCommitHook()();
    ok = ok && file.commit();
    if (!ok) {
        if (errorMessage)
            *errorMessage = file.errorString();
        return false;
    }
    m_existed = true;
    m_modified = false;
    return true;
}
