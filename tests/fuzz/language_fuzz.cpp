// The language file: any file gives a list of languages and their texts, the invoice layout
// takes them and lays out; saved and read again, the file gives the same language, list and
// texts (line breaks folded to blanks).

#include "fuzztarget.h"

#include "printing/designtestprint.h"
#include "printing/languages.h"
#include "report/report.h"
#include "service/savefile.h"
#include "service/service.h"

#include <QApplication>

#include <cmath>

namespace {

QString oneLine(QString v) {
    v.replace(QLatin1String("\r\n"), QLatin1String(" "));
    v.replace(QLatin1Char('\r'), QLatin1Char(' '));
    v.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return v;
}

QStringList oneLine(QStringList list) {
    for (QString& v : list)
        v = oneLine(v);
    return list;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::useOffscreenPlatform();
    static QApplication app(*argc, *argv);
    Service::DataDir = fuzz::scratchDir();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString dir = fuzz::scratchDir();
    if (!SaveFile::writeFile(printing::LanguageFile::path(dir), fuzz::bytes(data, size)))
        fuzz::fail("cannot write the scratch file");

    auto report = printing::emptyDocumentReport(QString(), QString());
    const report::PreparedDocument doc = report->prepare();
    fuzz::check(doc.pageCount() == 1, "the empty document is not one page",
                QString::number(doc.pageCount()));

    QString current;
    QStringList languages, texts;
    {
        printing::LanguageFile file(dir);
        current = file.currentLanguage();
        languages = file.languages();
        texts = file.texts(current);
        fuzz::check(texts.size() == printing::kLanguageTextCount, "texts missing");
        QString error;
        fuzz::check(file.save(current, languages, texts, &error), "saving failed", error);
    }
    printing::LanguageFile again(dir);
    fuzz::check(again.currentLanguage() == oneLine(current), "the current language changed",
                current + QStringLiteral(" -> ") + again.currentLanguage());
    fuzz::check(again.languages() == oneLine(languages), "the list of languages changed",
                languages.join(QLatin1Char('|')) + QStringLiteral(" -> ") +
                    again.languages().join(QLatin1Char('|')));
    fuzz::check(again.texts(again.currentLanguage()) == oneLine(texts),
                "the texts of the language changed",
                texts.join(QLatin1Char('|')) + QStringLiteral(" -> ") +
                    again.texts(again.currentLanguage()).join(QLatin1Char('|')));
    return 0;
}
