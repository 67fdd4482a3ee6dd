#include "app/startcheck.h"

#include "db/database.h"
#include "db/dberror.h"
#include "service/savefile.h"
#include "service/service.h"
#include "ui/dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace startup {

namespace {

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString chooseAnother() {
    return QStringLiteral("Choose another data directory with the key DataDir in %1, or restore "
                          "the data from a backup.")
        .arg(native(Service::serviceIniPath()));
}

// A message as a sentence of a longer text.
QString sentence(QString text) {
    text = text.trimmed();
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('.')))
        text += QLatin1Char('.');
    return text;
}

quint32 bigEndian(const QByteArray& b, int at, int bytes) {
    quint32 v = 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | quint8(b[at + i]);
    return v;
}

// A database file cut short (a copy that stopped, a disk that filled up) still opens; only
// reading its missing pages fails later. The header says how long the file must be.
QString truncation(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray header = f.read(100);
    const qint64 size = f.size();
    if (header.size() < 100 || !header.startsWith("SQLite format 3"))
        return QString(); // not one at all: opening says so
    quint32 pageSize = bigEndian(header, 16, 2);
    if (pageSize == 1)
        pageSize = 65536;
    const quint32 pages = bigEndian(header, 28, 4);
    const bool pagesValid = pages > 0 && bigEndian(header, 24, 4) == bigEndian(header, 92, 4);
    // Pages written since the last checkpoint live in the write-ahead log beside it.
    const bool walPending = QFileInfo(file + QStringLiteral("-wal")).size() > 0;
    if (pageSize < 512 || size % pageSize != 0 ||
        (pagesValid && !walPending && size < qint64(pages) * pageSize))
        return QStringLiteral("The database %1 is damaged: the file is shorter than the data it "
                              "holds (%2 of %3 bytes), as when a copy stopped half way or the disk "
                              "filled up.")
            .arg(native(file))
            .arg(size)
            .arg(pagesValid ? qint64(pages) * pageSize : size);
    return QString();
}

} // namespace

DataDirVerdict checkDataDir(const QString& dir) {
    const QFileInfo info(dir);
    const QString leftAlone = QStringLiteral("The program has left it as it is.");
    if (!info.exists())
        return {DataDirVerdict::Unusable,
                QStringLiteral("The data directory %1 does not exist and cannot be created. %2")
                    .arg(native(dir), chooseAnother())};
    if (!info.isDir())
        return {DataDirVerdict::Unusable,
                QStringLiteral("The data directory %1 is a file, not a folder. %2 %3")
                    .arg(native(dir), leftAlone, chooseAnother())};
    const QString file = db::Database::fileName(dir);
    if (!QFileInfo::exists(file))
        return {DataDirVerdict::Unusable,
                QStringLiteral("The data directory %1 holds no database (MRV.db), and none can be "
                               "created there. %2")
                    .arg(native(dir), chooseAnother())};
    const QString cut = truncation(file);
    if (!cut.isEmpty())
        return {DataDirVerdict::Unusable,
                QStringLiteral("%1 %2 %3").arg(cut, leftAlone, chooseAnother())};
    // A trial write shows a read-only folder or a full disk before anything typed is lost.
    const QString probe = dir + QStringLiteral("/MRV.write-check");
    QString reason;
    const bool written = SaveFile::writeFile(probe, QByteArray(4096, '\0'), &reason);
    QFile::remove(probe);
    const QString unsaved =
        written ? QString()
                : QStringLiteral("Nothing can be saved in the data directory %1: %2")
                      .arg(native(dir), sentence(reason));
    try {
        auto database = db::Database::open(dir);
        database->table(QStringLiteral("IHead"));
    } catch (const db::EngineError& e) {
        return {DataDirVerdict::Unusable,
                QStringLiteral("%1%2 %3 %4")
                    .arg(unsaved.isEmpty() ? QString() : unsaved + QLatin1Char(' '),
                         sentence(e.message()), leftAlone, chooseAnother())};
    }
    if (!written)
        return {DataDirVerdict::ReadOnly,
                QStringLiteral("%1\n\nYou can look at the data, but documents, customers and "
                               "settings you change will not be stored until the folder can be "
                               "written again.")
                    .arg(unsaved)};
    return {};
}

InstanceLock::InstanceLock(const QString& dir)
    : m_lock(dir + QStringLiteral("/MRV.lck")) {
    // Only a lock whose program has ended is stale, however old it is.
    m_lock.setStaleLockTime(0);
    if (m_lock.tryLock(0)) {
        m_state = Held;
        return;
    }
    if (m_lock.error() != QLockFile::LockFailedError) {
        m_state = NotPossible;
        return;
    }
    m_state = HeldElsewhere;
    qint64 pid = 0;
    QString host, application;
    if (m_lock.getLockInfo(&pid, &host, &application))
        m_holder = QStringLiteral("process %1 on %2").arg(pid).arg(host);
}

bool startChecks(const QString& dataDir, std::unique_ptr<InstanceLock>* lock) {
    const DataDirVerdict verdict = checkDataDir(dataDir);
    if (verdict.kind == DataDirVerdict::Unusable) {
        ui::ShowError(verdict.message);
        return false;
    }
    if (verdict.kind == DataDirVerdict::ReadOnly)
        ui::MessageDlg(verdict.message, ui::MsgType::Warning, ui::MsgButton::OK);
    auto held = std::make_unique<InstanceLock>(dataDir);
    if (held->state() == InstanceLock::HeldElsewhere) {
        // Both copies would use the same working rows of the invoice editor, so a document
        // saved in one could take the rows typed in the other.
        ui::ShowError(QStringLiteral("Another copy of Merovia has the data directory %1 open%2. "
                                     "Close that copy first: two copies on one data directory "
                                     "would mix the rows of the documents they edit.")
                          .arg(native(dataDir), held->holder().isEmpty()
                                                    ? QString()
                                                    : QStringLiteral(" (%1)").arg(held->holder())));
        return false;
    }
    if (lock)
        *lock = std::move(held);
    return true;
}

} // namespace startup
