#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// A print server of the test's own with one printer that writes PDF files: a cupsd started on
// a private socket with its own configuration, spool and log folders, and a cups-pdf queue
// whose files go to a folder of the test. While it lives, this process's CUPS clients (Qt's
// printing among them) talk to it instead of the system's server. Printing to it is real
// printing: the job goes through the CUPS filters and the PDF backend.
//
// cups-pdf reads where to write from a file in /etc/cups, so the server is only started where
// the test may write there (as root); the file is removed again afterwards. Where the server
// cannot start, ready() is false and skipReason() says why.
class CupsPdfPrinter {
public:
    CupsPdfPrinter();
    ~CupsPdfPrinter();
    CupsPdfPrinter(const CupsPdfPrinter&) = delete;
    CupsPdfPrinter& operator=(const CupsPdfPrinter&) = delete;

    bool ready() const { return m_ready; }
    QString skipReason() const { return m_reason; }

    // The queue's name, as QPrinter::setPrinterName takes it.
    QString printerName() const { return m_printer; }
    // The server's socket (what CUPS_SERVER is set to) and the folder the PDF files go to.
    QString server() const { return m_socket; }
    QString outputDir() const { return m_out; }

    // Waits until the server has no job left and at least `count` PDF files are written, and
    // gives them (oldest first); fewer when the time runs out.
    QStringList waitForOutput(int count, int timeoutMs = 90000) const;
    // The server's error log, for failure messages.
    QString errorLog() const;
    // Runs a CUPS command line tool against this server (lpstat, lp, lpoptions...).
    QString run(const QString& tool, const QStringList& arguments, int* exitCode = nullptr) const;

private:
    bool start();
    void fail(const QString& reason);

    bool m_ready = false;
    QString m_reason;
    QTemporaryDir m_dir;
    QString m_socket;
    QString m_out;
    QString m_printer;
    QString m_instanceConfig; // the cups-pdf configuration file in /etc/cups
    QByteArray m_previousServer;
    bool m_hadServer = false;
    std::unique_ptr<QProcess> m_cupsd;
};
