// A program outside the tree using three of its libraries.
#include "db/nocase.h"
#include "pdf/pdfengine.h"
#include "service/currency.h"

#include <cstdio>

int main() {
    TgtPDFEngine engine;
    const Currency sum = Currency::fromDouble(12.5L);
    std::printf("%s\n", qPrintable(sum.toString()));
    std::printf("%s\n", db::foldCase(QStringLiteral("OK")) == QLatin1String("ok") ? "ok" : "no");
    return engine.FileExtension == QLatin1String("pdf") ? 0 : 1;
}
