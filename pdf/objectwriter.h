#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QIODevice;

namespace pdf {

class StandardSecurityHandler;

// Deflates buffers with one reused zlib stream, so that a page costs no allocation of the
// compressor's window.
class Deflater {
public:
    explicit Deflater(int zlibLevel);
    ~Deflater();
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    // The zlib stream of the data, in a buffer the deflater keeps until the next call (the
    // caller may change it in place, to encrypt it). Null when zlib fails.
    char* compress(const char* data, size_t length, size_t* compressedLength);

private:
    struct State;
    std::unique_ptr<State> m_state;
    std::unique_ptr<char[]> m_buffer;
    size_t m_capacity = 0;
};

// The zlib level for the engine's compression levels 0 (none) to 3 (maximum); 2 is zlib's
// default. Values outside the range are clamped.
int zlibLevelFor(int compressionLevel);

// Writes numbered objects to the output in the order they are given and remembers where each
// one starts, for the cross-reference table. Numbers are handed out by allocate(); an object
// may be written long after its number was taken (a font is named on a page and written at the
// end of the document).
class ObjectWriter {
public:
    ObjectWriter();
    ~ObjectWriter();

    // Streams are compressed at `zlibLevel` when `compress` is set.
    void start(QIODevice* device, bool compress, int zlibLevel, int fixedObjects);
    void setSecurity(const StandardSecurityHandler* security) { m_security = security; }
    const StandardSecurityHandler* security() const { return m_security; }
    bool compressing() const { return m_deflater != nullptr; }

    int allocate() { return ++m_highest; }
    int highest() const { return m_highest; }
    qint64 position() const { return m_position; }

    void write(std::string_view bytes);
    void write(const char* text) { write(std::string_view(text)); }

    // "n 0 obj" CR LF and the offset of object n.
    void beginObject(int number);
    // An object with its body; a body holding a line break is a dictionary and is wrapped in
    // "<<" CR LF ... ">>".
    void writeObject(int number, std::string_view body);
    // A stream object with a direct /Length. The data are compressed (when compression is on
    // and `compress` is true) and encrypted; `dictionary` holds the other entries.
    void writeStreamObject(int number, std::string_view dictionary, std::string_view data,
                           bool compress = true);
    // Compresses (when asked and on) and encrypts stream data for object `number`.
    std::string_view prepareStream(int number, std::string_view data, bool compress);

    // A string token for object `number`: "(literal)" when the file is not encrypted and
    // `literal` is asked for, otherwise "<hex>" of the (encrypted) bytes.
    std::string stringToken(int number, const QByteArray& bytes, bool literal = false) const;

    // The cross-reference table and the trailer; `trailerEntries` go after /Size.
    void finish(int rootObject, int infoObject, std::string_view trailerEntries);

    bool failed() const { return m_failed; }
    const QString& errorString() const { return m_error; }
    void fail(const QString& message);

private:
    QIODevice* m_device = nullptr;
    const StandardSecurityHandler* m_security = nullptr;
    std::unique_ptr<Deflater> m_deflater;
    std::vector<qint64> m_offsets;
    std::string m_scratch;
    std::string m_plainScratch;
    qint64 m_position = 0;
    int m_highest = 0;
    bool m_failed = false;
    QString m_error;
};

} // namespace pdf
