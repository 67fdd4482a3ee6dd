#include "db/nocase.h"

#include <QChar>
#include <QList>

#include <sqlite3.h>

#include <cstring>

namespace db {

namespace {

// Files of schema version 1 indexed case-insensitive fields under this collation; a
// connection knows it only so that such a file can be read and upgraded.
constexpr const char* kVersion1Collation = "MRVNOCASE";

// Decodes one UTF-8 code point; invalid bytes stand for themselves so that any stored text
// still has a total order.
char32_t nextCodePoint(const unsigned char*& p, const unsigned char* end) {
    const unsigned char c = *p++;
    if (c < 0x80)
        return c;
    int extra = 0;
    char32_t cp = 0;
    if ((c & 0xE0) == 0xC0) {
        extra = 1;
        cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        extra = 2;
        cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        extra = 3;
        cp = c & 0x07;
    } else {
        return 0xDC00 + c; // a lone byte: map into the surrogate range, which UTF-8 never holds
    }
    if (end - p < extra)
        return 0xDC00 + c;
    for (int i = 0; i < extra; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0xDC00 + c;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    p += extra;
    return cp;
}

inline char32_t fold(char32_t cp) {
    if (cp < 0x80)
        return (cp >= 'A' && cp <= 'Z') ? cp + 32 : cp;
    return QChar::toCaseFolded(cp);
}

int compareUtf8NoCase(const unsigned char* a, int na, const unsigned char* b, int nb) {
    const unsigned char* ea = a + na;
    const unsigned char* eb = b + nb;
    while (a < ea && b < eb) {
        if (*a < 0x80 && *b < 0x80) {
            unsigned char ca = *a++, cb = *b++;
            if (ca >= 'A' && ca <= 'Z')
                ca += 32;
            if (cb >= 'A' && cb <= 'Z')
                cb += 32;
            if (ca != cb)
                return ca < cb ? -1 : 1;
            continue;
        }
        const char32_t ca = fold(nextCodePoint(a, ea));
        const char32_t cb = fold(nextCodePoint(b, eb));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a < ea)
        return 1;
    if (b < eb)
        return -1;
    return 0;
}

int collate(void*, int na, const void* a, int nb, const void* b) {
    return compareUtf8NoCase(static_cast<const unsigned char*>(a), na,
                             static_cast<const unsigned char*>(b), nb);
}

QString argText(sqlite3_value* v) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return QString::fromUtf8(text, sqlite3_value_bytes(v));
}

void resultText(sqlite3_context* ctx, const QString& s) {
    const QByteArray bytes = s.toUtf8();
    sqlite3_result_text(ctx, bytes.constData(), bytes.size(), SQLITE_TRANSIENT);
}

void foldFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    resultText(ctx, foldCase(argText(argv[0])));
}

void upperFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    resultText(ctx, argText(argv[0]).toUpper());
}

void lowerFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    resultText(ctx, argText(argv[0]).toLower());
}

// mrv_startswith(text, prefix): whether text begins with prefix, letter case ignored.
void startsWithFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_int(ctx, 0);
        return;
    }
    const auto* text = sqlite3_value_text(argv[0]);
    const int ntext = sqlite3_value_bytes(argv[0]);
    const auto* prefix = sqlite3_value_text(argv[1]);
    const int nprefix = sqlite3_value_bytes(argv[1]);
    const unsigned char* a = text;
    const unsigned char* ea = text + ntext;
    const unsigned char* b = prefix;
    const unsigned char* eb = prefix + nprefix;
    while (b < eb) {
        if (a >= ea) {
            sqlite3_result_int(ctx, 0);
            return;
        }
        if (fold(nextCodePoint(a, ea)) != fold(nextCodePoint(b, eb))) {
            sqlite3_result_int(ctx, 0);
            return;
        }
    }
    sqlite3_result_int(ctx, 1);
}

} // namespace

QString foldCase(const QString& text) {
    // Per code point, exactly as the collation folds, so both agree on what is equal.
    QString out;
    out.reserve(text.size());
    for (const char32_t cp : text.toUcs4()) {
        const char32_t f = fold(cp);
        if (QChar::requiresSurrogates(f)) {
            out.append(QChar(QChar::highSurrogate(f)));
            out.append(QChar(QChar::lowSurrogate(f)));
        } else {
            out.append(QChar(static_cast<char16_t>(f)));
        }
    }
    return out;
}

int compareNoCase(const QString& a, const QString& b) {
    const QByteArray ua = a.toUtf8();
    const QByteArray ub = b.toUtf8();
    return compareUtf8NoCase(reinterpret_cast<const unsigned char*>(ua.constData()), ua.size(),
                             reinterpret_cast<const unsigned char*>(ub.constData()), ub.size());
}

int registerNoCase(sqlite3* db) {
    int rc = sqlite3_create_collation(db, kVersion1Collation, SQLITE_UTF8, nullptr, collate);
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, "mrv_fold", 1, flags, nullptr, foldFunction, nullptr,
                                     nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, "mrv_startswith", 2, flags, nullptr, startsWithFunction,
                                     nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, "upper", 1, flags, nullptr, upperFunction, nullptr,
                                     nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, "lower", 1, flags, nullptr, lowerFunction, nullptr,
                                     nullptr);
    return rc;
}

} // namespace db
