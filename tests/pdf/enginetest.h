#pragma once

// What the engine's tests share: text items, writing into memory, the first page's content.

#include "pdftestsupport.h"

#include <QBuffer>
#include <QRegularExpression>

using TextItem = TgtCustomPDFEngine::TextItem;

inline TextItem text(const QString& value, double x, double y, const QString& font = "Arial",
                     double size = 10) {
    TextItem item;
    item.text = value;
    item.rect = QRectF(x, y, 400, size * 2);
    item.fontName = font;
    item.fontSize = size;
    return item;
}

// The engine writes into the buffer instead of a file.
inline void writeInto(TgtCustomPDFEngine& pdf, QBuffer& buffer) {
    buffer.open(QIODevice::WriteOnly);
    pdf.Preferences.OutputToUserStream = true;
    pdf.Preferences.OpenAfterCreate = false;
    pdf.Preferences.ShowSetupDialog = false;
    pdf.setUserStream(&buffer);
}

// One page with one line of text.
inline QByteArray onePage(TgtCustomPDFEngine& pdf,
                          const QString& line = QStringLiteral("Invoice")) {
    QBuffer buffer;
    writeInto(pdf, buffer);
    EXPECT_TRUE(pdf.beginDoc()) << qPrintable(pdf.errorString());
    pdf.beginPage();
    pdf.drawText(text(line, 96, 96));
    pdf.endPage();
    EXPECT_TRUE(pdf.endDoc()) << qPrintable(pdf.errorString());
    return buffer.data();
}

// The content stream of the first page.
inline QByteArray firstPageContent(const QByteArray& pdf) {
    const QByteArray page = objectText(pdf, 6);
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("/Contents (\\d+) 0 R")).match(QString::fromLatin1(page));
    return m.hasMatch() ? streamOf(pdf, m.captured(1).toInt()) : QByteArray();
}

inline bool matches(const QString& pattern, const QByteArray& bytes) {
    return QRegularExpression(pattern).match(QString::fromLatin1(bytes)).hasMatch();
}

inline int countOf(const QByteArray& haystack, const QByteArray& needle) {
    return int(haystack.count(needle));
}

class PdfEngine : public PdfFiles {};
