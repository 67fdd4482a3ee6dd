#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Program-wide globals and routines. Directory values carry no trailing separator; a file name
// is the directory, the platform's separator and the name (see Service::filePath).
namespace Service {

inline constexpr const char* kBaseVersion = "Base module v. 10.3.5.0";

// Directories and country, filled by GetGlobals.
extern QString DataDir;
extern QString ApplicationDir;
extern QString HelpDir;
extern QString Country;
extern int Decimals;
extern int TopMargin;
extern int BottomMargin;
extern int LeftMargin;
extern int RightMargin;

// Company data, filled by GetCompany from section "Company" of MRV.ini.
extern QString CompanyName;
extern QString CompanyShortName;
extern QString CompanyAddress;
extern QString CompanyCity;
extern QString CompanyZip;
extern QString CompanyState;
extern QString CompanyPhone;
extern QString CompanyFax;
extern QString CompanyEmail;
extern QString CompanyBank; // several lines
extern QString VATnumber;
// What an electronic invoice needs besides (keys of the same section): the company's account
// (IBAN, BIC), its country (ISO code; the service Country when none is stored), its legal
// registration number and the currency of its invoices (ISO 4217; empty: the country's).
extern QString CompanyIBAN;
extern QString CompanyBIC;
extern QString CompanyCountry;
extern QString CompanyLegalNo;
extern QString CompanyCurrency;

// Switches, filled by UserDefaultValues from section "Invoice" of MRVInv.ini.
extern bool VAT;
extern bool VATinPrice;
extern bool Disc;
extern bool Pdf;
extern QString DesignFile;
extern QString FriTextNamn;

// Tax caption ("VAT", "GST", "GST/HST"), set by the main window from Country.
extern QString VATcap;

// One module tag per registered add-on, and the version lines of base and add-ons.
extern QStringList Modules;
extern QStringList Versions;

// Names of the settings files and their sections.
inline constexpr const char* kServiceIni = "MRVService.ini";
inline constexpr const char* kInvoiceIni = "MRVInv.ini";
inline constexpr const char* kCompanyIni = "MRV.ini";

// dir + separator + name.
QString filePath(const QString& dir, const QString& name);
// The folder of the user's service settings ($XDG_CONFIG_HOME/Merovia).
QString configDir();
// Full path of MRVService.ini.
QString serviceIniPath();
// The default data directory ($XDG_DATA_HOME/Merovia/Databases).
QString defaultDataDir();
// The folder of the files shipped with the program (design files, pictures, help).
QString shippedDataDir();
// Two-letter code of the system locale's territory, "GB" when there is none.
QString systemCountry();

// Fills DataDir, ApplicationDir, HelpDir, Country, Decimals and the margins from
// MRVService.ini, writing the file with its defaults on first start and preparing a missing
// data directory (see setDataDirPreparer).
void GetGlobals();
// Fills the company globals from section "Company" of DataDir/MRV.ini.
void GetCompany();
// Fills Pdf, Disc, VAT, VATinPrice, DesignFile and FriTextNamn from section "Invoice" of
// DataDir/MRVInv.ini. Without a chosen design, DesignFile is the first design of Design.ini.
void UserDefaultValues();
// The file of the first design listed in dataDir/Design.ini that exists, or an empty text.
QString firstListedDesign(const QString& dataDir);

// Whether Modules holds the tag (whole entry, letter case ignored).
bool HasModule(const QString& tag);

// Prepares a data directory that does not exist yet or holds no database (MRV.db). The default
// copies the shipped data files; the program installs one that also creates the tables.
using DataDirPreparer = std::function<bool(const QString& dir, QString* error)>;
void setDataDirPreparer(DataDirPreparer preparer);
// Copies the shipped data files (design list, design files, Standard.bmp) into dir, leaving
// files that are already there alone.
bool copyShippedDataFiles(const QString& dir, QString* error = nullptr);

// Starts a program or opens a document through the desktop. Returns a value above 32 on
// success. "Acrord32" opens the file with the desktop's default application for PDF files;
// "Acrobat" tries a PDF viewer found on the PATH.
int ExecuteFile(const QString& program, const QString& parameters, const QString& directory,
                int showMode = 1);

// Test seam: replaces what ExecuteFile does (nothing is started while a hook is set).
using ExecuteFileHook = std::function<int(const QString& program, const QString& parameters,
                                          const QString& directory, int showMode)>;
void setExecuteFileHook(ExecuteFileHook hook);

// Puts every global back to its empty start value (used by tests between cases).
void resetGlobals();

} // namespace Service
