#include "report/prepared.h"

#include <QStringList>

#include <cmath>

namespace report {

QString placedKindName(PlacedKind kind) {
    switch (kind) {
    case PlacedKind::Band:
        return QStringLiteral("band");
    case PlacedKind::Label:
        return QStringLiteral("label");
    case PlacedKind::DBText:
        return QStringLiteral("dbtext");
    case PlacedKind::Memo:
        return QStringLiteral("memo");
    case PlacedKind::RichText:
        return QStringLiteral("richtext");
    case PlacedKind::Picture:
        return QStringLiteral("picture");
    case PlacedKind::Shape:
        return QStringLiteral("shape");
    case PlacedKind::SysData:
        return QStringLiteral("sysdata");
    case PlacedKind::Matrix:
        return QStringLiteral("matrix");
    }
    return QString();
}

const PlacedElement* PreparedPage::find(const QString& name) const {
    for (const PlacedElement& e : elements)
        if (e.name == name)
            return &e;
    return nullptr;
}

namespace {

QString num(double v) {
    const double r = std::round(v * 10) / 10;
    return QString::number(r == 0 ? 0 : r, 'f', 1);
}

QString escaped(QString text) {
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    text.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    return text;
}

} // namespace

QString dumpPrepared(const PreparedDocument& document, bool includeHidden) {
    QStringList lines;
    lines << QStringLiteral("pages %1 paper %2 %3 %4x%5mm copies %6")
                 .arg(document.pageCount())
                 .arg(document.paperSize == PaperSize::A4 ? QStringLiteral("A4")
                                                          : QStringLiteral("Letter"))
                 .arg(document.orientation == Orientation::Portrait ? QStringLiteral("portrait")
                                                                    : QStringLiteral("landscape"))
                 .arg(num(document.pageSizeMm.width()), num(document.pageSizeMm.height()))
                 .arg(document.copies);
    for (const PreparedPage& page : document.pages) {
        lines << QStringLiteral("page %1").arg(page.number);
        for (const PlacedElement& e : page.elements) {
            if (!e.visible && !includeHidden)
                continue;
            QString line = QStringLiteral("  %1 %2 %3 [%4 %5 %6 %7]")
                               .arg(e.name, placedKindName(e.kind), e.band)
                               .arg(num(e.rect.left()), num(e.rect.top()), num(e.rect.width()),
                                    num(e.rect.height()));
            line += e.visible ? QStringLiteral(" on") : QStringLiteral(" off");
            switch (e.kind) {
            case PlacedKind::Band:
                if (e.background.isValid())
                    line += QStringLiteral(" colour %1").arg(e.background.name());
                break;
            case PlacedKind::Picture:
                line +=
                    e.picture.isNull()
                        ? QStringLiteral(" empty")
                        : QStringLiteral(" %1x%2px").arg(e.picture.width()).arg(e.picture.height());
                break;
            case PlacedKind::Shape:
                line += QStringLiteral(" pen %1").arg(num(e.penWidth));
                break;
            case PlacedKind::Matrix:
                line += QStringLiteral(" %1 cells").arg(e.cells.size());
                break;
            default:
                line += QStringLiteral(" {%1}").arg(e.font.describe());
                if (e.alignment & Qt::AlignRight)
                    line += QStringLiteral(" right");
                else if (e.alignment & Qt::AlignHCenter)
                    line += QStringLiteral(" centre");
                line += QStringLiteral(" \"%1\"").arg(escaped(e.text));
                break;
            }
            lines << line;
        }
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace report
