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

char* Deflater::compress(const char* data, size_t length, size_t* compressedLength) {
    if (!m_state->ready)
        return nullptr;
    z_stream& z = m_state->stream;
    deflateReset(&z);
    const size_t bound = deflateBound(&z, uLong(length));
    if (bound > m_capacity) {
        m_capacity = std::max(bound, m_capacity * 2);
        m_buffer = std::make_unique<char[]>(m_capacity);
    }
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    z.avail_in = uInt(length);
    z.next_out = reinterpret_cast<Bytef*>(m_buffer.get());
    z.avail_out = uInt(m_capacity);
    if (deflate(&z, Z_FINISH) != Z_STREAM_END)
        return nullptr;
    *compressedLength = z.total_out;
    return m_buffer.get();
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
    if (compress && m_deflater) {
        size_t length = 0;
        char* compressed = m_deflater->compress(data.data(), data.size(), &length);
        if (!compressed) {
            fail(QObject::tr("The PDF file could not be written: compression failed."));
            return {};
        }
        if (m_security)
            m_security->encrypt(number, reinterpret_cast<unsigned char*>(compressed), length);
        return std::string_view(compressed, length);
    }
    if (!m_security)
        return data;
    m_scratch.assign(data);
    m_security->encrypt(number, reinterpret_cast<unsigned char*>(m_scratch.data()),
                        m_scratch.size());
    return m_scratch;
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
