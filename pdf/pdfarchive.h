#pragma once

// The parts of a document that PDF/A-3 adds to a plain one: the XMP metadata, the output intent
// with its colour profile, and the attached files. Not part of the library's interface.

#include "pdfengine.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <string>

namespace pdf {

class ObjectWriter;

// Why the engine's settings cannot be written (encryption asked for in a PDF/A file, attached
// files without a name or with the same name, metadata schemas whose names are no XML names),
// in words a user can be shown; empty when they can.
QString settingsProblem(const TgtCustomPDFEngine& engine);

// What the XMP metadata repeats of the document information, and what it adds.
struct XmpContent {
    bool pdfa = false; // pdfaid part 3, conformance B
    QString title, author, subject, keywords, creator, producer;
    QDateTime created; // creation and modification time alike
    QList<TgtCustomPDFEngine::XmpSchema> schemas;
};
// The XMP packet: UTF-8, in an xpacket with padding, one rdf:Description per schema, and the
// extension schema descriptions PDF/A asks for of every schema that is not one of XMP's own.
QByteArray xmpPacket(const XmpContent& content);
// A text as XMP and the document information both hold it: characters XML cannot carry are
// dropped, so that the two stay the same.
QString xmlSafeText(const QString& text);

// The sRGB IEC61966-2.1 colour profile shipped with the library (ICC v2, display class).
QByteArray srgbProfile();

// Writes the metadata stream (uncompressed, so that any reader finds it) and returns its number.
int writeMetadata(ObjectWriter& writer, const QByteArray& packet);
// Writes the profile and the output intent dictionary; returns the dictionary's number.
int writeOutputIntent(ObjectWriter& writer);
// Writes every attached file (the embedded file stream and its file specification) and returns
// the entries of the catalog (object `catalog`) for them: the embedded files' name tree and
// /AF. Empty without files. When the writer compresses, the files are compressed at
// `zlibLevel`.
std::string writeAttachments(ObjectWriter& writer,
                             const QList<TgtCustomPDFEngine::Attachment>& attachments,
                             const QDateTime& now, int catalog, int zlibLevel);

} // namespace pdf
