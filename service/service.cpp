#include "service/service.h"

#include "buildpaths.h"
#include "service/logging.h"
#include "service/savefile.h"
#include "service/settingsfile.h"
#include "service/textroutines.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

Q_LOGGING_CATEGORY(lcService, "merovia.service", QtCriticalMsg)

namespace Service {

QString DataDir;
QString ApplicationDir;
QString HelpDir;
QString Country;
int Decimals = 2;
int TopMargin = 10;
int BottomMargin = 10;
int LeftMargin = 20;
int RightMargin = 10;

QString CompanyName;
QString CompanyShortName;
QString CompanyAddress;
QString CompanyCity;
QString CompanyZip;
QString CompanyState;
QString CompanyPhone;
QString CompanyFax;
QString CompanyEmail;
QString CompanyBank;
QString VATnumber;
QString CompanyIBAN;
QString CompanyBIC;
QString CompanyCountry;
QString CompanyLegalNo;
QString CompanyCurrency;

bool VAT = false;
bool VATinPrice = false;
bool Disc = false;
bool Pdf = false;
QString DesignFile;
QString FriTextNamn;

QString VATcap = QStringLiteral("VAT");

QStringList Modules;
QStringList Versions;

namespace {

DataDirPreparer& preparer() {
    static DataDirPreparer p = [](const QString& dir, QString* error) {
        return copyShippedDataFiles(dir, error);
    };
    return p;
}

ExecuteFileHook& executeHook() {
    static ExecuteFileHook hook;
    return hook;
}

// Directory values carry no trailing separator (the root itself excepted).
QString withoutTrailingSeparator(QString dir) {
    dir = QDir::fromNativeSeparators(dir.trimmed());
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/')))
        dir.chop(1);
    return QDir::toNativeSeparators(dir);
}

bool isCountryCode(const QString& code) {
    return code.size() == 2 && code[0].isLetter() && code[1].isLetter() &&
           code[0].unicode() < 128 && code[1].unicode() < 128;
}

} // namespace

QString filePath(const QString& dir, const QString& name) {
    return dir + QDir::separator() + name;
}

QString configDir() {
    return withoutTrailingSeparator(
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
        QStringLiteral("/Merovia"));
}

QString serviceIniPath() {
    return filePath(configDir(), QLatin1String(kServiceIni));
}

QString defaultDataDir() {
    return withoutTrailingSeparator(
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
        QStringLiteral("/Merovia/Databases"));
}

QString shippedDataDir() {
    QStringList candidates;
    const QString appDir =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    if (!appDir.isEmpty()) {
        candidates << appDir + QStringLiteral("/../data")
                   << appDir + QStringLiteral("/../share/merovia/data");
    }
    candidates << QStringLiteral(MEROVIA_BUILD_DATA_DIR) << QStringLiteral(MEROVIA_SOURCE_DATA_DIR);
    for (const QString& c : candidates) {
        const QFileInfo info(c);
        if (info.isDir() && QFileInfo::exists(c + QStringLiteral("/Design.ini")))
            return withoutTrailingSeparator(info.canonicalFilePath());
    }
    for (const QString& c : candidates)
        if (QFileInfo(c).isDir())
            return withoutTrailingSeparator(QFileInfo(c).canonicalFilePath());
    return withoutTrailingSeparator(QStringLiteral(MEROVIA_SOURCE_DATA_DIR));
}

QString systemCountry() {
    const QLocale locale = QLocale::system();
    if (locale.territory() == QLocale::AnyTerritory)
        return QStringLiteral("GB");
    const QString code = QLocale::territoryToCode(locale.territory());
    return isCountryCode(code) ? code.toUpper() : QStringLiteral("GB");
}

void setDataDirPreparer(DataDirPreparer p) {
    preparer() = p ? std::move(p) : [](const QString& dir, QString* error) {
        return copyShippedDataFiles(dir, error);
    };
}

bool copyShippedDataFiles(const QString& dir, QString* error) {
    if (!QDir().mkpath(dir)) {
        if (error)
            *error = QStringLiteral("Cannot create the data directory %1").arg(dir);
        return false;
    }
    const QDir source(shippedDataDir());
    const QFileInfoList files = source.entryInfoList(QDir::Files | QDir::NoDotAndDotDot);
    bool ok = true;
    for (const QFileInfo& file : files) {
        const QString target = filePath(dir, file.fileName());
        if (QFileInfo::exists(target))
            continue;
        // A copy cut short by a full disk would stay behind as a damaged file forever, since
        // existing files are never copied again.
        QString reason;
        if (!SaveFile::copyFile(file.absoluteFilePath(), target, &reason)) {
            ok = false;
            if (error)
                *error =
                    QStringLiteral("Cannot copy %1 to %2: %3").arg(file.fileName(), dir, reason);
            continue;
        }
        // Shipped files may come read-only from an installation; the copies are the user's.
        QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
    }
    return ok;
}

void GetGlobals() {
    ApplicationDir = QCoreApplication::instance()
                         ? withoutTrailingSeparator(QCoreApplication::applicationDirPath())
                         : QString();
    QDir().mkpath(configDir());
    SettingsFile ini(serviceIniPath());
    const QString section = QStringLiteral("Service");

    QString dataDir = withoutTrailingSeparator(ini.readString(section, QStringLiteral("DataDir")));
    if (dataDir.isEmpty())
        dataDir = defaultDataDir();
    QString helpDir = withoutTrailingSeparator(ini.readString(section, QStringLiteral("HelpDir")));
    if (helpDir.isEmpty())
        helpDir = withoutTrailingSeparator(shippedDataDir() + QStringLiteral("/help"));
    QString country = ini.readString(section, QStringLiteral("Country")).trimmed().toUpper();
    if (!isCountryCode(country))
        country = systemCountry();
    int decimals = ini.readInteger(section, QStringLiteral("Decimals"), 2);
    if (decimals < 0 || decimals > 4)
        decimals = 2;
    auto margin = [&](const char* key, int def) {
        const int v = ini.readInteger(section, QLatin1String(key), def);
        return (v < 0 || v > 100) ? def : v;
    };

    DataDir = dataDir;
    HelpDir = helpDir;
    Country = country;
    Decimals = decimals;
    TopMargin = margin("TopMargin", 10);
    BottomMargin = margin("BottomMargin", 10);
    LeftMargin = margin("LeftMargin", 20);
    RightMargin = margin("RightMargin", 10);

    // Keys that are missing are written with the values in use, so a user can edit them.
    auto ensure = [&](const char* key, const QString& value) {
        if (!ini.valueExists(section, QLatin1String(key)))
            ini.writeString(section, QLatin1String(key), value);
    };
    ensure("DataDir", DataDir);
    ensure("HelpDir", HelpDir);
    ensure("Country", Country);
    ensure("Decimals", QString::number(Decimals));
    ensure("TopMargin", QString::number(TopMargin));
    ensure("BottomMargin", QString::number(BottomMargin));
    ensure("LeftMargin", QString::number(LeftMargin));
    ensure("RightMargin", QString::number(RightMargin));
    if (ini.isModified()) {
        QString error;
        if (!ini.updateFile(&error))
            qCWarning(lcService) << error;
    }

    if (!QFileInfo(DataDir).isDir() ||
        !QFileInfo::exists(filePath(DataDir, QStringLiteral("MRV.db")))) {
        QString error;
        if (!preparer()(DataDir, &error))
            qCWarning(lcService) << "Preparing the data directory failed:" << error;
    }
}

void GetCompany() {
    SettingsFile ini(filePath(DataDir, QLatin1String(kCompanyIni)));
    const QString s = QStringLiteral("Company");
    CompanyName = ini.readString(s, QStringLiteral("Name"));
    CompanyShortName = ini.readString(s, QStringLiteral("Shortname"));
    CompanyAddress = ini.readString(s, QStringLiteral("Address"));
    CompanyCity = ini.readString(s, QStringLiteral("City"));
    CompanyZip = ini.readString(s, QStringLiteral("Zip"));
    CompanyState = ini.readString(s, QStringLiteral("State"));
    CompanyPhone = ini.readString(s, QStringLiteral("Phone"));
    CompanyFax = ini.readString(s, QStringLiteral("Fax"));
    CompanyEmail = ini.readString(s, QStringLiteral("Email"));
    CompanyBank = StrEscapedToString(ini.readString(s, QStringLiteral("Bank")));
    VATnumber = ini.readString(s, QStringLiteral("VATnumber"));
    CompanyIBAN = ini.readString(s, QStringLiteral("IBAN"));
    CompanyBIC = ini.readString(s, QStringLiteral("BIC"));
    CompanyCountry = ini.readString(s, QStringLiteral("CountryCode"), Country).trimmed().toUpper();
    if (CompanyCountry.isEmpty())
        CompanyCountry = Country;
    CompanyLegalNo = ini.readString(s, QStringLiteral("LegalRegNo"));
    CompanyCurrency = ini.readString(s, QStringLiteral("Currency")).trimmed().toUpper();
}

void UserDefaultValues() {
    SettingsFile ini(filePath(DataDir, QLatin1String(kInvoiceIni)));
    const QString s = QStringLiteral("Invoice");
    Pdf = ini.readBool(s, QStringLiteral("pdf"), false);
    Disc = ini.readBool(s, QStringLiteral("Disc"), false);
    VAT = ini.readBool(s, QStringLiteral("VAT"), false);
    VATinPrice = ini.readBool(s, QStringLiteral("VATinPrice"), false);
    DesignFile = ini.readString(s, QStringLiteral("DesignFile"));
    // Until a design is chosen, documents follow the first design offered; the bare defaults
    // of the layout are no finished design (several of their elements share one place).
    if (DesignFile.trimmed().isEmpty())
        DesignFile = firstListedDesign(DataDir);
    FriTextNamn = ini.readString(s, QStringLiteral("FreeText"));
}

QString firstListedDesign(const QString& dataDir) {
    const SettingsFile list(filePath(dataDir, QStringLiteral("Design.ini")));
    for (const QString& line : list.readSectionValues(QStringLiteral("Invoice"))) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        const QString file = (eq < 0 ? line : line.mid(eq + 1)).trimmed();
        if (file.isEmpty())
            continue;
        const QString path = filePath(dataDir, file + QStringLiteral(".ini"));
        if (QFileInfo::exists(path))
            return path;
    }
    return QString();
}

bool HasModule(const QString& tag) {
    return Modules.contains(tag, Qt::CaseInsensitive);
}

void setExecuteFileHook(ExecuteFileHook hook) {
    executeHook() = std::move(hook);
}

namespace {

constexpr int kSuccess = 42;
constexpr int kFileNotFound = 2;

QStringList argumentsFor(const QString& parameters, const QString& directory) {
    if (parameters.isEmpty())
        return {};
    // A parameter that names an existing file is one argument, blanks and all.
    if (QFileInfo::exists(parameters) ||
        (!directory.isEmpty() && QFileInfo::exists(QDir(directory).filePath(parameters))))
        return {parameters};
    return QProcess::splitCommand(parameters);
}

int startDetached(const QString& program, const QStringList& args, const QString& directory) {
    const QString exe = QStandardPaths::findExecutable(program);
    if (exe.isEmpty())
        return kFileNotFound;
    return QProcess::startDetached(exe, args, directory) ? kSuccess : kFileNotFound;
}

} // namespace

int ExecuteFile(const QString& program, const QString& parameters, const QString& directory,
                int showMode) {
    if (executeHook())
        return executeHook()(program, parameters, directory, showMode);
    const QStringList args = argumentsFor(parameters, directory);
    if (program.compare(QLatin1String("Acrord32"), Qt::CaseInsensitive) == 0) {
        // The desktop's default application for the file's type.
        if (args.isEmpty())
            return kFileNotFound;
        const QString file = QFileInfo(QDir(directory).filePath(args.first())).absoluteFilePath();
        if (!QFileInfo::exists(file))
            return kFileNotFound;
        return startDetached(QStringLiteral("xdg-open"), {file}, directory);
    }
    if (program.compare(QLatin1String("Acrobat"), Qt::CaseInsensitive) == 0) {
        static const char* const viewers[] = {"evince", "okular", "atril",   "qpdfview", "zathura",
                                              "mupdf",  "xpdf",   "firefox", "chromium"};
        for (const char* viewer : viewers) {
            const int r = startDetached(QLatin1String(viewer), args, directory);
            if (r > 32)
                return r;
        }
        return kFileNotFound;
    }
    // A document rather than a program: open it with its associated application.
    const QString asFile = QDir(directory).filePath(program);
    if (!QStandardPaths::findExecutable(program).isEmpty() || QFileInfo(asFile).isExecutable())
        return startDetached(QFileInfo(asFile).isExecutable() ? asFile : program, args, directory);
    if (QFileInfo::exists(asFile))
        return startDetached(QStringLiteral("xdg-open"), {QFileInfo(asFile).absoluteFilePath()},
                             directory);
    if (program.startsWith(QLatin1String("http:")) || program.startsWith(QLatin1String("https:")))
        return startDetached(QStringLiteral("xdg-open"), {program}, directory);
    return kFileNotFound;
}

void resetGlobals() {
    DataDir.clear();
    ApplicationDir.clear();
    HelpDir.clear();
    Country.clear();
    Decimals = 2;
    TopMargin = 10;
    BottomMargin = 10;
    LeftMargin = 20;
    RightMargin = 10;
    CompanyName.clear();
    CompanyShortName.clear();
    CompanyAddress.clear();
    CompanyCity.clear();
    CompanyZip.clear();
    CompanyState.clear();
    CompanyPhone.clear();
    CompanyFax.clear();
    CompanyEmail.clear();
    CompanyBank.clear();
    VATnumber.clear();
    CompanyIBAN.clear();
    CompanyBIC.clear();
    CompanyCountry.clear();
    CompanyLegalNo.clear();
    CompanyCurrency.clear();
    VAT = VATinPrice = Disc = Pdf = false;
    DesignFile.clear();
    FriTextNamn.clear();
    VATcap = QStringLiteral("VAT");
    Modules.clear();
    Versions.clear();
}

} // namespace Service
