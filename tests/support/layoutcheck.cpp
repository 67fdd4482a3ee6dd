#include "layoutcheck.h"

#include "report/report.h"
#include "report/units.h"

#include <QRectF>

#include <algorithm>
#include <vector>

QStringList textsOutOfPlace(const report::Report& report, const report::PreparedDocument& doc) {
    using namespace report;
    QStringList problems;
    for (const PreparedPage& page : doc.pages) {
        const QRectF printable(
            mmToUnits(report.leftMargin()), mmToUnits(report.topMargin()),
            page.size.width() - mmToUnits(report.leftMargin() + report.rightMargin()),
            page.size.height() - mmToUnits(report.topMargin() + report.bottomMargin()));
        struct Box {
            QRectF rect;
            const PlacedElement* element;
            QString text;
        };
        std::vector<Box> boxes;
        for (const PlacedElement& e : page.elements) {
            if (!e.visible)
                continue;
            for (const TextRun& run : e.runs) {
                const double a = ascent(run.font);
                const double h = lineHeight(run.font);
                // Measured again: a run may be wider than the width the layout gave it.
                QRectF box(run.origin.x(), run.origin.y() - a, textWidth(run.text, run.font), h);
                // What a clipped element draws ends at its edges.
                if (e.clip)
                    box = box.intersected(e.rect);
                if (box.isEmpty())
                    continue;
                boxes.push_back({box, &e, run.text});
                if (!printable.adjusted(-0.5, -0.5, 0.5, 0.5).contains(box))
                    problems << QStringLiteral("page %1: %2 \"%3\" outside the margins")
                                    .arg(page.number)
                                    .arg(e.name, run.text);
            }
        }
        for (size_t i = 0; i < boxes.size(); ++i)
            for (size_t j = i + 1; j < boxes.size(); ++j) {
                if (boxes[i].element == boxes[j].element)
                    continue;
                const QRectF both = boxes[i].rect.intersected(boxes[j].rect);
                // Lines set a little closer than their height touch; that is not overprinting.
                if (both.width() > 0.5 &&
                    both.height() > 0.3 * std::min(boxes[i].rect.height(), boxes[j].rect.height()))
                    problems << QStringLiteral("page %1: %2 \"%3\" over %4 \"%5\"")
                                    .arg(page.number)
                                    .arg(boxes[i].element->name, boxes[i].text,
                                         boxes[j].element->name, boxes[j].text);
            }
    }
    return problems;
}
