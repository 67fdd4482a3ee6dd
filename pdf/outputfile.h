#pragma once

#include <QSaveFile>
#include <QString>

namespace pdf {

// The file a document is written to. The writer is a library of its own that depends on nothing
// else of the program, so it carries this small counterpart of the program's SaveFile: the
// bytes go to a temporary file beside the target, which takes the target's name only when the
// last flush and the sync succeeded; otherwise it is dropped and an existing file keeps its
// bytes. Each write is checked by the ObjectWriter as it happens.
//
// Qt 6.4's QSaveFile::commit() alone would rename the temporary file even when flushing its
// buffer failed on a full disk, leaving an empty PDF in the place of the old one.
class OutputFile {
public:
    explicit OutputFile(const QString& path);
    ~OutputFile(); // drops a file that was not committed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the temporary file and makes sure the final name can be made in its folder, so
    // that a name the file system refuses fails here, before a document is drawn. False with
    // the reason in `error`.
    bool open(QString* error);
    QIODevice* device() { return &m_file; }
    // False with the reason, the old file untouched, when the bytes did not all reach the disk.
    bool commit(QString* error);
    void cancel();

private:
    QSaveFile m_file;
};

} // namespace pdf
