// The design file applied on the invoice layout: any file lays out the empty document (the
// design test print) on a sane number of pages, every element at a finite place.

#include "fuzztarget.h"

#include "printing/designtestprint.h"
#include "report/report.h"
#include "service/savefile.h"
#include "service/service.h"

#include <QApplication>

#include <cmath>

namespace fuzz {

void checkLaidOut(report::Report& r) {
    const report::PreparedDocument doc = r.prepare();
    check(doc.pageCount() >= 1 && doc.pageCount() <= 16, "page count out of bounds",
          QString::number(doc.pageCount()));
    for (const report::PreparedPage& page : doc.pages)
        for (const report::PlacedElement& e : page.elements) {
            const QRectF& rect = e.rect;
            check(std::isfinite(rect.x()) && std::isfinite(rect.y()) &&
                      std::isfinite(rect.width()) && std::isfinite(rect.height()),
                  "an element lies at no finite place", e.name);
        }
}

} // namespace fuzz

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::useOffscreenPlatform();
    static QApplication app(*argc, *argv);
    Service::DataDir = fuzz::scratchDir();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = fuzz::scratchDir() + QStringLiteral("/Design.ini");
    if (!SaveFile::writeFile(path, fuzz::bytes(data, size)))
        fuzz::fail("cannot write the scratch file");
    auto report = printing::emptyDocumentReport(path, QString());
    fuzz::checkLaidOut(*report);
    return 0;
}
