#include "report/band.h"

#include "report/elements.h"
#include "report/report.h"
#include "report/units.h"

namespace report {

QString bandKindName(BandKind kind) {
    switch (kind) {
    case BandKind::Title:
        return QStringLiteral("title");
    case BandKind::PageHeader:
        return QStringLiteral("page header");
    case BandKind::ColumnHeader:
        return QStringLiteral("column header");
    case BandKind::Detail:
        return QStringLiteral("detail");
    case BandKind::SubDetail:
        return QStringLiteral("sub-detail");
    case BandKind::Summary:
        return QStringLiteral("summary");
    case BandKind::PageFooter:
        return QStringLiteral("page footer");
    case BandKind::Overlay:
        return QStringLiteral("overlay");
    }
    return QString();
}

Band::Band(Report* report, BandKind kind, const QString& name)
    : QObject(report)
    , m_kind(kind) {
    setObjectName(name);
}

Report* Band::report() const {
    return qobject_cast<Report*>(parent());
}

double Band::width() const {
    const Report* r = report();
    return r ? r->bandWidth() : 0;
}

double Band::left() const {
    const Report* r = report();
    return r ? mmToUnits(r->leftMargin()) : 0;
}

QList<Element*> Band::elements() const {
    QList<Element*> out;
    for (QObject* child : children())
        if (auto* e = qobject_cast<Element*>(child))
            out << e;
    return out;
}

} // namespace report
