#include "objectwriter.h"

#include "pdfencryption.h"
#include "pdfsyntax.h"

#include <QIODevice>
#include <QObject>

#include <zlib.h>

#include <algorithm>
#include <cstdio>

namespace pdf {

struct Deflater::State {
    z_stream stream{};
    bool ready = false;
};

Deflater::Deflater(int zlibLevel)
    : m_state(std::make_unique<State>()) {
    m_state->ready = deflateInit(&m_state->stream, zlibLevel) == Z_OK;
}

Deflater::~Deflater() {
    if (m_state->ready)
        deflateEnd(&m_state->stream);
}

bool Deflater::compress(const char* data, size_t length, std::string& out) {
    if (!m_state->ready)
        return false;
    z_stream& z = m_state->stream;
    deflateReset(&z);
    out.resize(deflateBound(&z, uLong(length)));
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    z.avail_in = uInt(length);
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    const int result = deflate(&z, Z_FINISH);
    if (result != Z_STREAM_END)
        return false;
    out.resize(z.total_out);
    return true;
}

int zlibLevelFor(int compressionLevel) {
    switch (std::clamp(compressionLevel, 0, 3)) {
    case 0:
        return Z_NO_COMPRESSION;
    case 1:
        return Z_BEST_SPEED;
    case 3:
        return Z_BEST_COMPRESSION;
    default:
        return Z_DEFAULT_COMPRESSION;
    }
}

ObjectWriter::ObjectWriter() = default;
ObjectWriter::~ObjectWriter() = default;

void ObjectWriter::start(QIODevice* device, bool compress, int zlibLevel, int fixedObjects) {
    m_device = device;
    m_security = nullptr;
    m_deflater = compress ? std::make_unique<Deflater>(zlibLevel) : nullptr;
    m_offsets.assign(size_t(fixedObjects) + 1, -1);
    m_position = 0;
    m_highest = fixedObjects;
    m_failed = false;
    m_error.clear();
}

void ObjectWriter::fail(const QString& message) {
    if (!m_failed) {
        m_failed = true;
        m_error = message;
    }
}

void ObjectWriter::write(std::string_view bytes) {
    if (m_failed || bytes.empty())
        return;
    const qint64 written = m_device->write(bytes.data(), qint64(bytes.size()));
    if (written != qint64(bytes.size())) {
        fail(QObject::tr("The PDF file could not be written: %1").arg(m_device->errorString()));
        return;
    }
    m_position += written;
}

void ObjectWriter::beginObject(int number) {
    if (size_t(number) >= m_offsets.size())
        m_offsets.resize(size_t(number) + 1, -1);
    m_offsets[size_t(number)] = m_position;
    char head[32];
    const int n = std::snprintf(head, sizeof head, "%d 0 obj\r\n", number);
    write(std::string_view(head, size_t(n)));
}

void ObjectWriter::writeObject(int number, std::string_view body) {
    beginObject(number);
    if (body.find("\r\n") != std::string_view::npos) {
        write("<<\r\n");
        write(body);
        write(">>");
    } else {
        write(body);
    }
    write("\r\nendobj\r\n");
}

std::string_view ObjectWriter::prepareStream(int number, std::string_view data, bool compress) {
    std::string_view result = data;
    if (compress && m_deflater) {
        if (!m_deflater->compress(data.data(), data.size(), m_scratch)) {
            fail(QObject::tr("The PDF file could not be written: compression failed."));
            return {};
        }
        result = m_scratch;
    }
    if (m_security) {
        if (result.data() != m_scratch.data())
            m_scratch.assign(result);
        m_security->encrypt(number, reinterpret_cast<unsigned char*>(m_scratch.data()),
                            m_scratch.size());
        result = m_scratch;
    }
    return result;
}

void ObjectWriter::writeStreamObject(int number, std::string_view dictionary, std::string_view data,
                                     bool compress) {
    const bool deflated = compress && m_deflater;
    const std::string_view prepared = prepareStream(number, data, compress);
    std::string& head = m_plainScratch;
    head.assign(dictionary);
    head += "/Length ";
    appendInteger(head, qint64(prepared.size()));
    if (deflated)
        head += "/Filter/FlateDecode";
    head += "\r\n";
    beginObject(number);
    write("<<\r\n");
    write(head);
    write(">>\r\nstream\r\n");
    write(prepared);
    write("\r\nendstream\r\nendobj\r\n");
}

std::string ObjectWriter::stringToken(int number, const QByteArray& bytes, bool literal) const {
    if (m_security)
        return "<" + toHex(m_security->encrypted(number, bytes)) + ">";
    if (literal) {
        std::string token = "(";
        appendLiteralBody(token, std::string_view(bytes.constData(), size_t(bytes.size())));
        token += ")";
        return token;
    }
    return "<" + toHex(bytes) + ">";
}

void ObjectWriter::finish(int rootObject, int infoObject, std::string_view trailerEntries) {
    const qint64 xrefOffset = m_position;
    const int size = m_highest + 1;
    std::string table = "xref\r\n0 ";
    appendInteger(table, size);
    table += "\r\n";
    table.reserve(table.size() + size_t(size) * 20 + 16);
    char entry[32];
    std::snprintf(entry, sizeof entry, "%.10d %.5d %s\r\n", 0, 65535, "f");
    table += entry;
    for (int n = 1; n < size; ++n) {
        const qint64 offset = size_t(n) < m_offsets.size() ? m_offsets[size_t(n)] : -1;
        if (offset >= 0)
            std::snprintf(entry, sizeof entry, "%.10lld %.5d %s\r\n", offset, 0, "n");
        else // a number that was taken but never written: a free entry keeps the table whole
            std::snprintf(entry, sizeof entry, "%.10d %.5d %s\r\n", 0, 1, "f");
        table += entry;
    }
    table += "trailer\r\n<<\r\n/Root ";
    appendReference(table, rootObject);
    table += "/Info ";
    appendReference(table, infoObject);
    table += "/Size ";
    appendInteger(table, size);
    table += trailerEntries;
    table += "\r\n>>\r\nstartxref\r\n";
    appendInteger(table, xrefOffset);
    table += "\r\n%%EOF";
    write(table);
}

} // namespace pdf
