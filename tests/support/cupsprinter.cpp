#include "cupsprinter.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QThread>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kBackend = "/usr/lib/cups/backend/cups-pdf";
const char* const kPpd = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd";

// The CUPS client library keeps the server it talks to per thread once it has asked; setting
// it through the library as well as in the environment reaches clients that asked already.
void setClientServer(const QByteArray& server) {
    using SetServer = void (*)(const char*);
    static SetServer setServer = [] {
        void* library = dlopen("libcups.so.2", RTLD_NOW | RTLD_GLOBAL);
        return library ? reinterpret_cast<SetServer>(dlsym(library, "cupsSetServer")) : nullptr;
    }();
    if (setServer)
        setServer(server.isEmpty() ? nullptr : server.constData());
}

bool writeText(const QString& path, const QByteArray& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(text) == text.size();
}

int serial() {
    static int n = 0;
    return ++n;
}

} // namespace

CupsPdfPrinter::CupsPdfPrinter()
    : m_dir(QDir::tempPath() + QStringLiteral("/merovia-cups-XXXXXX")) {
    m_ready = start();
}

void CupsPdfPrinter::fail(const QString& reason) {
    m_reason = reason;
    m_ready = false;
}

bool CupsPdfPrinter::start() {
    const QString cupsd = QStandardPaths::findExecutable(
        QStringLiteral("cupsd"), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin")});
    if (cupsd.isEmpty()) {
        fail(QStringLiteral("cupsd is not installed"));
        return false;
    }
    for (const char* tool : {"lpadmin", "lpstat"})
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty() &&
            QStandardPaths::findExecutable(QLatin1String(tool), {QStringLiteral("/usr/sbin")})
                .isEmpty()) {
            fail(QStringLiteral("%1 is not installed").arg(QLatin1String(tool)));
            return false;
        }
    if (!QFileInfo::exists(QLatin1String(kBackend)) || !QFileInfo::exists(QLatin1String(kPpd))) {
        fail(QStringLiteral("printer-driver-cups-pdf is not installed"));
        return false;
    }
    if (geteuid() != 0) {
        fail(QStringLiteral("cups-pdf takes its output folder only from /etc/cups, which only "
                            "root may write; run the tests as root to print on a CUPS queue"));
        return false;
    }
    if (!m_dir.isValid()) {
        fail(QStringLiteral("no temporary folder"));
        return false;
    }
    // The filters run as the user lp: they must reach the spool below this folder.
    const QString base = m_dir.path();
    chmod(QFile::encodeName(base).constData(), 0755);
    for (const char* sub : {"conf/ppd", "spool/tmp", "cache", "state", "log", "out", "cpspool"})
        QDir().mkpath(base + QLatin1Char('/') + QLatin1String(sub));
    for (const char* sub : {"out", "cpspool", "log"})
        chmod(QFile::encodeName(base + QLatin1Char('/') + QLatin1String(sub)).constData(), 0777);
    chmod(QFile::encodeName(base + QStringLiteral("/spool/tmp")).constData(), 01777);
    m_socket = base + QStringLiteral("/cups.sock");
    m_out = base + QStringLiteral("/out");
    const QByteArray b = QFile::encodeName(base);
    const QByteArray conf = "Listen " + b +
                            "/cups.sock\n"
                            "LogLevel info\n"
                            "Browsing No\n"
                            "WebInterface No\n"
                            "DefaultPolicy open\n"
                            "<Policy open>\n"
                            "  <Limit All>\n"
                            "    Order allow,deny\n"
                            "    Allow all\n"
                            "  </Limit>\n"
                            "</Policy>\n"
                            "<Location />\n"
                            "  Order allow,deny\n"
                            "  Allow all\n"
                            "</Location>\n";
    const QByteArray files = "ServerRoot " + b +
                             "/conf\n"
                             "RequestRoot " +
                             b +
                             "/spool\n"
                             "TempDir " +
                             b +
                             "/spool/tmp\n"
                             "CacheDir " +
                             b +
                             "/cache\n"
                             "StateDir " +
                             b +
                             "/state\n"
                             "ErrorLog " +
                             b +
                             "/log/error_log\n"
                             "AccessLog " +
                             b +
                             "/log/access_log\n"
                             "PageLog " +
                             b +
                             "/log/page_log\n"
                             "Printcap " +
                             b +
                             "/state/printcap\n"
                             "ServerBin /usr/lib/cups\n"
                             "DataDir /usr/share/cups\n"
                             "User lp\n"
                             "Group lp\n"
                             "SystemGroup root\n";
    if (!writeText(base + QStringLiteral("/conf/cupsd.conf"), conf) ||
        !writeText(base + QStringLiteral("/conf/cups-files.conf"), files)) {
        fail(QStringLiteral("cannot write the server's configuration"));
        return false;
    }
    // cups-pdf finds its settings by the instance named in the device address.
    const QString instance =
        QStringLiteral("merovia%1x%2").arg(QCoreApplication::applicationPid()).arg(serial());
    m_instanceConfig = QStringLiteral("/etc/cups/cups-pdf-%1.conf").arg(instance);
    const QByteArray pdfConf = "Out " + QFile::encodeName(m_out) +
                               "\n"
                               "AnonDirName " +
                               QFile::encodeName(m_out) +
                               "\n"
                               "Spool " +
                               b +
                               "/cpspool\n"
                               "Log " +
                               b +
                               "/log\n"
                               "LogType 3\n"
                               "Label 0\n"
                               "Grp root\n"
                               "UserUMask 0022\n";
    if (!QDir(QStringLiteral("/etc/cups")).exists() || !writeText(m_instanceConfig, pdfConf)) {
        fail(QStringLiteral("cannot write %1").arg(m_instanceConfig));
        m_instanceConfig.clear();
        return false;
    }

    m_cupsd = std::make_unique<QProcess>();
    m_cupsd->setProcessChannelMode(QProcess::MergedChannels);
    m_cupsd->setStandardOutputFile(base + QStringLiteral("/log/stdout"));
    m_cupsd->start(cupsd, {QStringLiteral("-f"), QStringLiteral("-c"),
                           base + QStringLiteral("/conf/cupsd.conf"), QStringLiteral("-s"),
                           base + QStringLiteral("/conf/cups-files.conf")});
    if (!m_cupsd->waitForStarted(10000)) {
        fail(QStringLiteral("cupsd did not start: %1").arg(m_cupsd->errorString()));
        return false;
    }
    QElapsedTimer timer;
    timer.start();
    while (!QFileInfo::exists(m_socket) && timer.elapsed() < 15000) {
        if (m_cupsd->state() == QProcess::NotRunning) {
            fail(QStringLiteral("cupsd stopped at once: %1").arg(errorLog().right(800)));
            return false;
        }
        QThread::msleep(50);
    }
    if (!QFileInfo::exists(m_socket)) {
        fail(QStringLiteral("cupsd made no socket: %1").arg(errorLog().right(800)));
        return false;
    }

    m_hadServer = qEnvironmentVariableIsSet("CUPS_SERVER");
    m_previousServer = qgetenv("CUPS_SERVER");
    qputenv("CUPS_SERVER", QFile::encodeName(m_socket));
    setClientServer(QFile::encodeName(m_socket));

    m_printer = QStringLiteral("MeroviaPdf");
    int code = -1;
    const QString added =
        run(QStringLiteral("lpadmin"),
            {QStringLiteral("-p"), m_printer, QStringLiteral("-E"), QStringLiteral("-v"),
             QStringLiteral("cups-pdf:/") + instance, QStringLiteral("-P"), QLatin1String(kPpd),
             // The queue turns the job into PostScript for cups-pdf; of the
             // renderers, only cairo's keeps the text readable in the PDF
             // that comes out.
             QStringLiteral("-o"), QStringLiteral("pdftops-renderer-default=pdftocairo")},
            &code);
    if (code != 0) {
        fail(QStringLiteral("lpadmin could not add the PDF queue: %1").arg(added));
        return false;
    }
    return true;
}

CupsPdfPrinter::~CupsPdfPrinter() {
    if (m_cupsd && m_cupsd->state() != QProcess::NotRunning) {
        m_cupsd->terminate();
        if (!m_cupsd->waitForFinished(10000)) {
            m_cupsd->kill();
            m_cupsd->waitForFinished(5000);
        }
    }
    if (!m_instanceConfig.isEmpty())
        QFile::remove(m_instanceConfig);
    if (!m_socket.isEmpty() && qgetenv("CUPS_SERVER") == QFile::encodeName(m_socket)) {
        if (m_hadServer)
            qputenv("CUPS_SERVER", m_previousServer);
        else
            qunsetenv("CUPS_SERVER");
        setClientServer(m_previousServer);
    }
}

QString CupsPdfPrinter::run(const QString& tool, const QStringList& arguments,
                            int* exitCode) const {
    QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty())
        program = QStandardPaths::findExecutable(tool, {QStringLiteral("/usr/sbin")});
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CUPS_SERVER"), m_socket);
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool done = process.waitForFinished(30000);
    if (exitCode)
        *exitCode = done && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromLocal8Bit(process.readAll());
}

QStringList CupsPdfPrinter::waitForOutput(int count, int timeoutMs) const {
    QElapsedTimer timer;
    timer.start();
    QStringList files;
    for (;;) {
        const QString pending = run(QStringLiteral("lpstat"), {QStringLiteral("-o")});
        QFileInfoList infos = QDir(m_out).entryInfoList({QStringLiteral("*.pdf")}, QDir::Files,
                                                        QDir::Time | QDir::Reversed);
        files.clear();
        for (const QFileInfo& info : infos)
            files << info.absoluteFilePath();
        if ((pending.trimmed().isEmpty() && files.size() >= count) || timer.elapsed() > timeoutMs)
            return files;
        QThread::msleep(200);
    }
}

QString CupsPdfPrinter::errorLog() const {
    QFile log(m_dir.path() + QStringLiteral("/log/error_log"));
    return log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll()) : QString();
}
