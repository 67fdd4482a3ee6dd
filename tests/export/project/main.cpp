// A program outside the tree using two of its libraries.
#include "pdf/pdfengine.h"
#include "service/currency.h"

#include <cstdio>

int main() {
    TgtPDFEngine engine;
    const Currency sum = Currency::fromDouble(12.5L);
    std::printf("%s\n", qPrintable(sum.toString()));
    return engine.FileExtension == QLatin1String("pdf") ? 0 : 1;
}
