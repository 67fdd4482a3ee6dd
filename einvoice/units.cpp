#include "einvoice/units.h"

#include <QHash>

namespace einvoice {

namespace {

struct UnitGroup {
    const char* code;
    const char* spellings; // separated by '|'
};

// The units small companies write on invoices, in English, German and the Nordic languages.
// A spelling that is itself one of these codes maps to itself.
constexpr UnitGroup kUnits[] = {
    {"H87", "pcs|pc|pce|piece|pieces|st|stk|stck|stück|styck|stycken|kpl|kom|ea|each"},
    {"HUR", "h|hr|hrs|hour|hours|tim|timme|timmar|std|stunde|stunden|timer"},
    {"MIN", "min|mins|minute|minutes|minut|minuter|minuten"},
    {"DAY", "d|day|days|dag|dagar|dage|tag|tage|dgr"},
    {"WEE", "wk|wks|week|weeks|vecka|veckor|uge|uker|woche|wochen"},
    {"MON", "mon|mo|mth|mths|month|months|mån|månad|månader|måned|monat|monate"},
    {"ANN", "yr|yrs|year|years|år|jahr|jahre"},
    {"KGM", "kg|kgs|kilo|kilogram|kilogramm"},
    {"GRM", "g|gr|gram|gramm"},
    {"TNE", "t|ton|tonne|tonnes|tonn"},
    {"MTR", "m|meter|metre|meters|metres|lm|löpmeter"},
    {"CMT", "cm"},
    {"MMT", "mm"},
    {"KMT", "km"},
    {"MTK", "m2|m²|qm|sqm|kvm"},
    {"MTQ", "m3|m³|cbm|kbm"},
    {"LTR", "l|ltr|lit|liter|litre|liters|litres"},
    {"MLT", "ml"},
    {"KWH", "kwh"},
    {"SET", "set|sets|sats|satz|sett"},
    {"PR", "pr|pair|pairs|par|paar"},
    {"XPK", "pk|pkt|pkg|pack|packs|package|paket|packung"},
    {"XBX", "box|boxes|ask|kartong|karton"},
    {"LS", "ls|lump sum|pauschal|pausch|klumpsumma"},
    {"P1", "%|percent|prozent|procent"},
    {"C62", "unit|units|one"},
};

const QHash<QString, QString>& table() {
    static const QHash<QString, QString> map = [] {
        QHash<QString, QString> m;
        for (const auto& group : kUnits) {
            const QString code = QLatin1String(group.code);
            m.insert(code.toLower(), code);
            for (const QString& spelling : QString::fromUtf8(group.spellings).split(u'|'))
                m.insert(spelling, code);
        }
        return m;
    }();
    return map;
}

} // namespace

QString unitCode(const QString& unit) {
    QString key = unit.trimmed().toLower();
    while (key.endsWith(u'.'))
        key.chop(1);
    return table().value(key.trimmed(), QStringLiteral("C62"));
}

} // namespace einvoice
